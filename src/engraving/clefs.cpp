#include "engraving/clefs.h"

#include "editing/score_geometry.h"
#include "model/rounding.h"

#include <algorithm>

namespace pipora {
namespace {

constexpr int kMiddleCNote = 60;
constexpr int kBassClefMiddleC = kStaffTopLine - kStaffLineGap;

} // namespace

Clef AutomaticClef(const Part &part) {
  int low = 0;
  int notes = 0;
  const int count = std::min<int>(part.scoreHeader.count, static_cast<int>(part.score.size()));
  for (int j = 0; j < count; ++j) {
    const int n = part.score[static_cast<std::size_t>(j)].noteNumber;
    if (n <= 0)
      continue;
    ++notes;
    low += n < kMiddleCNote ? 1 : 0;
  }
  return 2 * low > notes ? Clef::Bass : Clef::Treble;
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
