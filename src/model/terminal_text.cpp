#include "model/terminal_text.h"

#include <cstdio>

namespace pipora {
namespace {

void AppendEscaped(std::string &out, unsigned char byte) {
  char escaped[5];
  std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
  out += escaped;
}

// The length of the UTF-8 character starting at `at`, 0 when none starts there.
std::size_t Utf8Length(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const std::size_t length = lead < 0xC2   ? 0
                             : lead < 0xE0 ? 2
                             : lead < 0xF0 ? 3
                             : lead < 0xF5 ? 4
                                           : 0;
  if (length == 0 || at + length > text.size())
    return 0;
  for (std::size_t i = 1; i < length; ++i)
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
      return 0;
  return length;
}

} // namespace

std::string TerminalText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) {
      AppendEscaped(out, byte);
      ++i;
      continue;
    }
    if (byte < 0x80) {
      out += text[i++];
      continue;
    }
    const std::size_t length = Utf8Length(text, i);
    if (length == 0) {
      if (byte <= 0x9F)
        AppendEscaped(out, byte);
      else
        out += text[i];
      ++i;
      continue;
    }
    const auto second = static_cast<unsigned char>(text[i + 1]);
    if (byte == 0xC2 && second <= 0x9F) {
      AppendEscaped(out, byte);
      AppendEscaped(out, second);
    } else {
      out.append(text.substr(i, length));
    }
    i += length;
  }
  return out;
}

} // namespace pipora
