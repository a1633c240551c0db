#include "formats/midi/event_log.h"

#include <charconv>

namespace pipora {

EventLog &EventLog::operator<<(std::int64_t number) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
  bytes_.append(digits, static_cast<qsizetype>(end - digits));
  return *this;
}

} // namespace pipora
