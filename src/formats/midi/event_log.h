#pragma once
// The text logs of the MIDI reader and writer: lines of Shift-JIS text ended by CR LF,
// numbers in decimal without padding, built in memory and written in one piece.
// A log line is written per event of a file of maybe a megabyte, so appending is kept to
// a bounds check and a copy into one buffer.
#include "formats/midi/growing_bytes.h"

#include <QByteArray>
#include <cstdint>
#include <string>
#include <string_view>

namespace pipora {

class EventLog {
public:
  // A silenced log keeps nothing and skips the formatting: for reads nobody logs.
  void silence() { silent_ = true; }

  void reserve(std::size_t bytes) {
    if (bytes > text_.size())
      text_.reserve(bytes - text_.size());
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
  EventLog &operator<<(std::int64_t number) {
    // Keys, velocities, channels and beat ticks: nearly every number the log holds is small,
    // and a big file's log holds over a million of them.
    if (number >= 0 && number < 1000) {
      if (!silent_) {
        const auto n = static_cast<int>(number);
        char *to = text_.extend(n >= 100 ? 3 : n >= 10 ? 2 : 1);
        if (n >= 100)
          *to++ = static_cast<char>('0' + n / 100);
        if (n >= 10)
          *to++ = static_cast<char>('0' + n / 10 % 10);
        *to = static_cast<char>('0' + n % 10);
      }
      return *this;
    }
    return appendNumber(number);
  }
  EventLog &operator<<(int number) { return *this << static_cast<std::int64_t>(number); }
  EventLog &operator<<(char c) {
    append(&c, 1);
    return *this;
  }
  void endLine() { append("\r\n", 2); }

  QByteArray take() { return text_.take(); }

private:
  EventLog &appendNumber(std::int64_t number);
  void append(const char *data, std::size_t n) {
    if (!silent_)
      text_.append(data, n);
  }

  GrowingBytes text_;
  bool silent_ = false;
};

} // namespace pipora
