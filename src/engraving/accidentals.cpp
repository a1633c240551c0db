#include "engraving/accidentals.h"

#include "engraving/key_signature.h"
#include "engraving/staff_band.h"

#include <cmath>

#include <algorithm>
#include <array>
#include <utility>

namespace pipora {
namespace {

// The alteration each pitch class is spelled with, read off the labels once per call: a
// long song asks for it at every note.
std::array<Accidental, 12> AlterationsOf(const StaffLabelTable &table) {
  std::array<Accidental, 12> alterations{};
  for (std::size_t pc = 0; pc < 12; ++pc) {
    const std::string &label = table[pc].label;
    alterations[pc] = LabelIsSharp(label)  ? Accidental::Sharp
                      : LabelIsFlat(label) ? Accidental::Flat
                                           : Accidental::Natural;
  }
  return alterations;
}

// What each staff position carries so far in the current measure; untouched lines carry the
// key signature's alteration.
class MeasureState {
public:
  explicit MeasureState(int keyFifths) : keyFifths_(keyFifths) {}
  void clear() { lines_.clear(); }
  Accidental at(double position) const {
    for (const auto &[p, a] : lines_)
      if (p == position)
        return a;
    const int step = ((static_cast<int>(std::lround(position / 6)) % 7) + 7) % 7;
    const int alteration = KeyAlteration(keyFifths_, step);
    return alteration > 0   ? Accidental::Sharp
           : alteration < 0 ? Accidental::Flat
                            : Accidental::Natural;
  }
  void set(double position, Accidental a) {
    for (auto &[p, held] : lines_)
      if (p == position) {
        held = a;
        return;
      }
    lines_.emplace_back(position, a);
  }

private:
  int keyFifths_ = 0;
  std::vector<std::pair<double, Accidental>> lines_;
};

} // namespace

bool IsTiedContinuation(std::span<const ScoreNote> score, int j) {
  if (j <= 0 || j >= static_cast<int>(score.size()))
    return false;
  const ScoreNote &before = score[static_cast<std::size_t>(j - 1)];
  const ScoreNote &note = score[static_cast<std::size_t>(j)];
  return before.tie != 0 && before.noteNumber == note.noteNumber && note.noteNumber > 0;
}

std::vector<Accidental> PrintedAccidentals(std::span<const ScoreNote> score, int first, int last,
                                           int measureTicks, const StaffLabelTable &table,
                                           int keyFifths) {
  const int size = static_cast<int>(score.size());
  first = std::clamp(first, 0, size);
  last = std::clamp(last, first - 1, size - 1);
  std::vector<Accidental> printed(static_cast<std::size_t>(std::max(0, last - first + 1)),
                                  Accidental::None);
  if (printed.empty())
    return printed;
  auto measureOf = [&](int j) {
    return MeasureOfTick(score[static_cast<std::size_t>(j)].start, measureTicks);
  };
  int j = first;
  while (j > 0 && measureOf(j - 1) == measureOf(first))
    --j;
  const std::array<Accidental, 12> alterations = AlterationsOf(table);
  MeasureState state(keyFifths);
  int measure = measureOf(j);
  for (; j <= last; ++j) {
    const ScoreNote &note = score[static_cast<std::size_t>(j)];
    if (measureOf(j) != measure) {
      measure = measureOf(j);
      state.clear();
    }
    if (note.noteNumber <= 0)
      continue;
    // A tie carries its note's accidental over the bar line, for that note alone.
    if (IsTiedContinuation(score, j))
      continue;
    const double position = StaffPosition(note.noteNumber, table);
    const Accidental wanted =
        alterations[static_cast<std::size_t>(((note.noteNumber % 12) + 12) % 12)];
    if (state.at(position) == wanted)
      continue;
    state.set(position, wanted);
    if (j >= first)
      printed[static_cast<std::size_t>(j - first)] = wanted;
  }
  return printed;
}

} // namespace pipora
