#pragma once
// File bytes written in a test as readable hex ("4D 54 68 64 ..."): anything that is not a
// hex digit (spaces, line breaks) is ignored.
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pipora::test {

inline std::vector<std::uint8_t> HexBytes(std::string_view text) {
  std::vector<std::uint8_t> bytes;
  std::string digits;
  for (const char c : text)
    if (std::isxdigit(static_cast<unsigned char>(c)))
      digits += c;
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  return bytes;
}

} // namespace pipora::test
