#pragma once
// The text logs of the MIDI reader and writer: lines of Shift-JIS text ended by CR LF,
// numbers in decimal without padding, built in memory and written in one piece.
// A log line is written per event of a file of maybe a megabyte, so appending is kept to
// a bounds check and a copy into one buffer.
#include <QByteArray>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace pipora {

class EventLog {
public:
  // A silenced log keeps nothing and skips the formatting: for reads nobody logs.
  void silence() { silent_ = true; }

  void reserve(std::size_t bytes) {
    if (bytes > capacity_)
      resize(bytes);
  }

  // Literals: the length is known when compiling, so the copy is inlined.
  template <std::size_t N> EventLog &operator<<(const char (&literal)[N]) {
    append(literal, N - 1);
    return *this;
  }
  EventLog &operator<<(std::string_view text) {
    append(text.data(), text.size());
    return *this;
  }
  EventLog &operator<<(const std::string &text) { return *this << std::string_view(text); }
  EventLog &operator<<(const QByteArray &shiftJis) {
    append(shiftJis.constData(), static_cast<std::size_t>(shiftJis.size()));
    return *this;
  }
  EventLog &operator<<(std::int64_t number);
  EventLog &operator<<(int number) { return *this << static_cast<std::int64_t>(number); }
  EventLog &operator<<(char c) {
    append(&c, 1);
    return *this;
  }
  void endLine() { append("\r\n", 2); }

  QByteArray take() {
    buffer_.truncate(static_cast<qsizetype>(size_));
    QByteArray text = std::move(buffer_);
    buffer_ = QByteArray();
    text_ = nullptr;
    size_ = capacity_ = 0;
    return text;
  }

private:
  void append(const char *data, std::size_t n) {
    if (silent_)
      return;
    if (size_ + n > capacity_)
      resize(std::max(size_ + n, 2 * capacity_ + 256));
    char *to = text_ + size_;
    // Most pieces are a few characters: a loop beats a call to memcpy.
    if (n <= 16) {
      for (std::size_t i = 0; i < n; ++i)
        to[i] = data[i];
    } else {
      std::memcpy(to, data, n);
    }
    size_ += n;
  }
  void resize(std::size_t capacity);

  // Grown ahead of the text; bytes past size_ are not part of the log.
  QByteArray buffer_;
  char *text_ = nullptr; // buffer_'s bytes, kept to spare a detach check per append
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  bool silent_ = false;
};

} // namespace pipora
