#pragma once
// The text logs of the MIDI reader and writer: lines of Shift-JIS text ended by CR LF,
// numbers in decimal without padding, built in memory and written in one piece.
#include <QByteArray>
#include <cstdint>
#include <string>
#include <string_view>

namespace pipora {

class EventLog {
public:
  EventLog &operator<<(std::string_view ascii) {
    bytes_.append(ascii.data(), static_cast<qsizetype>(ascii.size()));
    return *this;
  }
  EventLog &operator<<(const char *ascii) { return *this << std::string_view(ascii); }
  EventLog &operator<<(const std::string &ascii) { return *this << std::string_view(ascii); }
  EventLog &operator<<(const QByteArray &shiftJis) {
    bytes_.append(shiftJis);
    return *this;
  }
  EventLog &operator<<(std::int64_t number);
  EventLog &operator<<(int number) { return *this << static_cast<std::int64_t>(number); }
  EventLog &operator<<(char c) {
    bytes_.append(c);
    return *this;
  }
  void endLine() { bytes_.append("\r\n", 2); }

  const QByteArray &bytes() const { return bytes_; }
  QByteArray take() { return std::move(bytes_); }

private:
  QByteArray bytes_;
};

} // namespace pipora
