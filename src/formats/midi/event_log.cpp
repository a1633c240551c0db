#include "formats/midi/event_log.h"

#include <QStringEncoder>
#include <charconv>

namespace pipora {

EventLog &EventLog::operator<<(std::int64_t number) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
  bytes_.append(digits, static_cast<qsizetype>(end - digits));
  return *this;
}

QByteArray LogWord(std::string_view utf8) {
  QStringEncoder encoder("CP932");
  return encoder.encode(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

} // namespace pipora
