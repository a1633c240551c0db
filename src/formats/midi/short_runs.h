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

// Times of a note already on the grid (at the scale read), used as they are instead of
// snapped; -1 where snapped.
struct SlotTimes {
  std::int64_t on = -1;
  std::int64_t off = -1;
  // Where the run's slots begin: rests from there to `on` are cut into sixteenth triplets.
  std::int64_t from = -1;
};

// The grid times of the notes that have them: `of` is empty when no note has, else it holds
// per note an index into `times` or -1.
struct RunSlots {
  std::vector<std::int32_t> of;
  std::vector<SlotTimes> times;
  const SlotTimes *find(std::size_t note) const {
    return of.empty() || of[note] < 0 ? nullptr : &times[static_cast<std::size_t>(of[note])];
  }
};

// Lays every part's runs on slots (at `timeScale` times the file's times), and ends the note
// before each run where the run's slots begin when it sounds on. A note of a run that no slot
// is left for goes to the first of `freeParts` free at its nearest sixteenth, for a sixteenth,
// as a voice; with none free it gets part 0 and noSlot. Needs the parts set (AssignParts).
RunSlots PlaceShortRuns(std::vector<SplitNote> &notes, int timeScale,
                        const std::vector<int> &freeParts = {});

} // namespace pipora
