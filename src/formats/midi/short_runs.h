#pragma once
// Runs of notes too close together for SMD's shortest length, a sixteenth triplet of 80 ticks
// (thirty-second runs, grace notes, staccato triplets): snapped one by one, their starts
// collide on the grid and all but one are dropped. Here each run is laid out on sixteenth-
// triplet slots instead, in whole groups of three that end where the note after the run
// starts: each note takes the first free slot within half a sixteenth of its own start and
// lasts one slot; an empty slot is a rest. The grid holds one start every 80 ticks, so of a
// run denser than that (thirty-seconds, 60 ticks apart) at most three in four stay.
#include "formats/midi/voice_split.h"

#include <vector>

namespace pipora {

// Notes whose starts follow each other closer than this form a run.
inline constexpr std::int64_t kShortRunTicks = 100;

// Sets slotOn, slotOff and slotFrom (at `timeScale` times the file's times) of the notes of
// every part placed on slots, and the note before each run, which ends where the run's slots
// begin when it sounds on. A note of a run that no slot is left for gets part 0 and noSlot.
// Needs the parts set (AssignParts). Returns whether any note was placed.
bool PlaceShortRuns(std::vector<SplitNote> &notes, int timeScale);

} // namespace pipora
