#include "engraving/clefs.h"

#include "editing/score_geometry.h"
#include "model/rounding.h"

#include <algorithm>

namespace pipora {
namespace {

constexpr int kBassClefMiddleC = kStaffTopLine - kStaffLineGap;

// Diatonic steps from C of octave -1, by the note's letter as written with sharps.
int StepOf(int noteNumber) {
  static constexpr int kLetter[12] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
  return noteNumber / 12 * 7 + kLetter[noteNumber % 12];
}

// The staff's lines as steps: treble E4 to F5, bass G2 to A3.
constexpr int kTrebleBottom = 5 * 7 + 2;
constexpr int kBassBottom = 3 * 7 + 4;
constexpr int kStaffSteps = 8;

// Ledger lines a note at `step` needs on a staff whose bottom line is `bottom`.
int LedgerCount(int step, int bottom) {
  const int top = bottom + kStaffSteps;
  if (step < bottom)
    return (bottom - step) / 2;
  return step > top ? (step - top) / 2 : 0;
}

} // namespace

Clef AutomaticClef(const Part &part) {
  long long treble = 0;
  long long bass = 0;
  const int count = std::min<int>(part.scoreHeader.count, static_cast<int>(part.score.size()));
  for (int j = 0; j < count; ++j) {
    const int n = part.score[static_cast<std::size_t>(j)].noteNumber;
    if (n <= 0)
      continue; // a rest sits on either staff without ledger lines
    const int step = StepOf(n);
    treble += LedgerCount(step, kTrebleBottom);
    bass += LedgerCount(step, kBassBottom);
  }
  return bass < treble ? Clef::Bass : Clef::Treble;
}

Clef ClefOf(const Song &song, int part) {
  const Clef chosen = song.display.clefs[static_cast<std::size_t>(part)];
  return chosen != Clef::Automatic ? chosen : AutomaticClef(song.part(part));
}

int MiddleCLineOf(Clef clef) {
  return clef == Clef::Bass ? kBassClefMiddleC : kMiddleCLine;
}

int HeadCentreOf(double staffPosition, Clef clef) {
  return RoundHalfEven(MiddleCLineOf(clef) - staffPosition);
}

std::vector<int> LedgerLines(double staffPosition, Clef clef) {
  std::vector<int> lines;
  const int head = HeadCentreOf(staffPosition, clef);
  const int bottom = kStaffTopLine + 4 * kStaffLineGap;
  for (int y = bottom + kStaffLineGap; y <= head + 1; y += kStaffLineGap)
    lines.push_back(y);
  for (int y = kStaffTopLine - kStaffLineGap; y >= head - 1; y -= kStaffLineGap)
    lines.push_back(y);
  return lines;
}

} // namespace pipora
