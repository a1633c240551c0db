#pragma once
// The song's time signature and anacrusis as the options dialog sets them: the beat, the
// beats per measure, and how far before the first bar line every part starts.
#include "editing/edit_outcome.h"
#include "model/song.h"

#include <optional>

namespace pipora {

struct TimeSignatureEntry {
  // Beats per measure; nullopt keeps the song's (a numerator of 0 or less).
  std::optional<int> beatsPerMeasure;
  int ticksPerBeat = kTicksPerQuarter;
  int anacrusis = 0; // ticks before the first bar line, 0 .. one measure
};

// The song's time signature, and element 0 of every user part starting at minus the
// anacrusis; start ticks and the score lists follow. A change of any of them is an edit.
EditOutcome ApplyTimeSignatureEntry(Song &song, const TimeSignatureEntry &entry);

// The anacrusis the song has now: minus the start of part 1's first element.
int AnacrusisOf(const Song &song);

} // namespace pipora
