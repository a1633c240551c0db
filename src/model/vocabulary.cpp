#include "model/vocabulary.h"

#include <array>

namespace pipora {
namespace {

constexpr std::array<std::string_view, 12> kPitchNames = {"C",  "C#", "D",  "D#", "E",  "F",
                                                          "F#", "G",  "G#", "A",  "A#", "B"};
constexpr std::array<std::string_view, 12> kDoReMi = {"ド",  "ド#", "レ",  "ミb", "ミ",  "ﾌｧ",
                                                      "ﾌｧ#", "ソ",  "ソ#", "ラ",  "シb", "シ"};

struct LengthRow {
  std::string_view code;
  int ticks;
};
// Untied codes only; a tie mark never changes the duration.
constexpr std::array<LengthRow, 8> kLengths = {{{"2", 960},
                                                {"23", 640},
                                                {"4", 480},
                                                {"43", 320},
                                                {"8", 240},
                                                {"83", 160},
                                                {"16", 120},
                                                {"163", 80}}};

std::string_view WithoutTie(std::string_view code) {
  if (!code.empty() && code.back() == '_')
    code.remove_suffix(1);
  return code;
}

} // namespace

int NoteNumberFromText(std::string_view text) {
  if (text.empty())
    return 0;
  const char last = text.back();
  const int octave = (last >= '1' && last <= '9') ? last - '0' : 0;
  if (octave == 0)
    return -1;
  const std::string_view name = text.substr(0, text.size() - 1);
  int base = 0;
  for (std::size_t i = 0; i < kPitchNames.size(); ++i)
    if (name == kPitchNames[i])
      base = 60 + static_cast<int>(i);
  if (base == 0)
    return 0;
  return base + (octave - 4) * 12;
}

std::string PitchNameOf(int noteNumber) {
  if (noteNumber == 0)
    return "R";
  const int pc = ((noteNumber % 12) + 12) % 12;
  return std::string(kPitchNames[pc]);
}

std::string DoReMiNameOf(int noteNumber) {
  if (noteNumber <= 0)
    return {};
  return std::string(kDoReMi[noteNumber % 12]);
}

int OctaveOf(int noteNumber) {
  return noteNumber / 12 - 1;
}

int LengthTicks(std::string_view code) {
  // Read by shape rather than by searching the table: every element of every part goes
  // through here when times are recomputed.
  std::size_t n = code.size();
  if (n > 0 && code[n - 1] == '_')
    --n;
  const bool triplet = n >= 2 && code[n - 1] == '3';
  if (triplet)
    --n;
  int ticks = 0;
  if (n == 1 && code[0] == '2')
    ticks = 960;
  else if (n == 1 && code[0] == '4')
    ticks = 480;
  else if (n == 1 && code[0] == '8')
    ticks = 240;
  else if (n == 2 && code[0] == '1' && code[1] == '6')
    ticks = 120;
  return triplet ? ticks * 2 / 3 : ticks;
}

int GateTicks(std::string_view code) {
  const int ticks = LengthTicks(code);
  return ticks == 0 ? 0 : ticks - kGateGap;
}

bool IsKnownLength(std::string_view code) {
  return LengthTicks(code) != 0;
}

std::string LengthCodeFromTicks(int ticks, bool tied) {
  std::string code(kUnknownLength);
  for (const auto &row : kLengths)
    if (row.ticks == ticks)
      code = std::string(row.code);
  if (tied)
    code += '_';
  return code;
}

int LengthIndex(std::string_view code) {
  code = WithoutTie(code);
  if (code == "16" || code == "163")
    return 0;
  if (code == "8" || code == "83")
    return 1;
  if (code == "4" || code == "43")
    return 2;
  if (code == "2" || code == "23")
    return 3;
  return -1;
}

} // namespace pipora
