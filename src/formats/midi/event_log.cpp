#include "formats/midi/event_log.h"

#include <charconv>

namespace pipora {

EventLog &EventLog::appendNumber(std::int64_t number) {
  if (silent_)
    return *this;
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
  append(digits, static_cast<std::size_t>(end - digits));
  return *this;
}

} // namespace pipora
