#pragma once
// The options dialog's time signature and anacrusis boxes: what their text means and what
// OK does with it. A box holding something other than a whole number stops OK with a
// message naming the box, and nothing is applied.
#include "editing/time_signature.h"
#include "model/result.h"
#include "model/song.h"

#include <QString>

#include <array>
#include <optional>

namespace pipora {

// The denominator choices "16", "8", "4", "2" and the ticks of their beat.
struct DenominatorChoice {
  int denominator;
  int ticksPerBeat;
};
inline constexpr std::array<DenominatorChoice, 4> kDenominatorChoices = {{{16, kTicksPerWhole / 16},
                                                                          {8, kTicksPerWhole / 8},
                                                                          {4, kTicksPerWhole / 4},
                                                                          {2, kTicksPerWhole / 2}}};
// Index into kDenominatorChoices of a beat length; the quarter note for any other.
int DenominatorIndexOf(int ticksPerBeat);

// The numerator box: a whole number; nullopt (the song keeps its numerator) for 0 or less.
// The error names the box.
Result<std::optional<int>> ReadNumerator(const QString &text);
// The anacrusis box: a whole number of ticks from 0 to one measure of `measureTicks`.
Result<int> ReadAnacrusis(const QString &text, int measureTicks);

// Both boxes with the chosen denominator, against the song's present numerator.
Result<TimeSignatureEntry> ReadTimeSignatureEntry(const QString &numeratorText,
                                                  int denominatorIndex,
                                                  const QString &anacrusisText,
                                                  int presentBeatsPerMeasure);

} // namespace pipora
