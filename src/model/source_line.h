#pragma once
// The text lines of the source editor's list, also printed by the command-line dump:
// "measure:beat:tick10" TAB pitch+octave TAB note number TAB length code.
#include "model/song.h"

#include <string>

namespace pipora {

// "1:4:0" for tick 1440 with a quarter-note beat, 4 beats per measure.
std::string SourceLocation(std::int32_t tick, int ticksPerBeat, int beatsPerMeasure);

// Octave shown beside a pitch name: floor(n / 12) - 1, times the sign of n (0 for rests).
int SourceOctave(int noteNumber);

// One list line, e.g. "1:4:0\tC#4\t61\t4"; the EndMarker reads "...\t0\t0\t* End of Track *".
std::string SourceListLine(const NoteEntry &entry, int ticksPerBeat, int beatsPerMeasure);

} // namespace pipora
