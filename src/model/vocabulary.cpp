#include "model/vocabulary.h"

#include "model/note_texts.h"

#include <array>

namespace pipora {
namespace {

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
  return std::string(kPitchNames[static_cast<std::size_t>(PitchClassOf(noteNumber))]);
}

std::string DoReMiNameOf(int noteNumber) {
  if (noteNumber <= 0)
    return {};
  return std::string(kDoReMi[static_cast<std::size_t>(noteNumber % 12)].name);
}

int OctaveOf(int noteNumber) {
  return noteNumber / 12 - 1;
}

const LengthCode *FindLength(std::string_view code) {
  code = WithoutTie(code);
  for (const LengthCode &row : kLengthCodes)
    if (row.code == code)
      return &row;
  return nullptr;
}

namespace {

// Every length is a multiple of 40 ticks up to a half note: its row by ticks / 40, so that a
// score layout, which asks for every element, jumps instead of searching.
constexpr int kLengthTickUnit = 40;
constexpr auto kRowByTickUnits = [] {
  std::array<int, 960 / kLengthTickUnit + 1> rows{};
  rows.fill(-1);
  for (std::size_t i = 0; i < kLengthCodes.size(); ++i) {
    const int ticks = kLengthCodes[i].ticks;
    if (ticks % kLengthTickUnit != 0 || ticks / kLengthTickUnit >= int(rows.size()))
      throw "a length off the 40-tick grid";
    rows[static_cast<std::size_t>(ticks / kLengthTickUnit)] = static_cast<int>(i);
  }
  return rows;
}();

} // namespace

const LengthCode *FindLengthByTicks(int ticks) {
  if (ticks <= 0 || ticks % kLengthTickUnit != 0 ||
      ticks / kLengthTickUnit >= static_cast<int>(kRowByTickUnits.size()))
    return nullptr;
  const int row = kRowByTickUnits[static_cast<std::size_t>(ticks / kLengthTickUnit)];
  return row < 0 ? nullptr : &kLengthCodes[static_cast<std::size_t>(row)];
}

int LengthTicks(std::string_view code) {
  const LengthCode *row = FindLength(code);
  return row ? row->ticks : 0;
}

int GateTicks(std::string_view code) {
  const LengthCode *row = FindLength(code);
  return row ? row->gate() : 0;
}

bool IsKnownLength(std::string_view code) {
  return FindLength(code) != nullptr;
}

std::string LengthCodeFromTicks(int ticks, bool tied) {
  return std::string(NoteLength::FromTicks(ticks, tied));
}

int LengthIndex(std::string_view code) {
  const LengthCode *row = FindLength(code);
  return row ? row->group : -1;
}

} // namespace pipora
