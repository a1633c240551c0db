#include "engraving/beam_groups.h"

#include "editing/score_geometry.h"
#include "engraving/staff_band.h"

#include <algorithm>

namespace pipora {
namespace {

const ScoreNote &At(std::span<const ScoreNote> score, int j) {
  return score[static_cast<std::size_t>(j)];
}

bool IsPlainBeamable(const ScoreNote &n) {
  return n.noteNumber > 0 && !IsTripletDuration(n.duration) && BeamCount(n.duration) > 0;
}

// Which beat of which measure a note lies in; a note that crosses a beat lies in none.
struct BeatSlot {
  int measure = 0;
  int beat = 0;
  bool whole = false;
  bool operator==(const BeatSlot &o) const {
    return whole && o.whole && measure == o.measure && beat == o.beat;
  }
};

BeatSlot SlotOf(const ScoreNote &n, int spanTicks, int measureTicks) {
  BeatSlot s;
  s.measure = MeasureOfTick(n.start, measureTicks);
  const int measureStart = measureTicks > 0 ? s.measure * measureTicks : 0;
  const int from = n.start - measureStart;
  const int to = from + n.duration - 1;
  s.beat = spanTicks > 0 ? from / spanTicks : 0;
  s.whole = spanTicks <= 0 || to / spanTicks == s.beat;
  return s;
}

// Notes of one triplet group split by its rests; runs of two or more share a beam.
void AddTripletBeams(std::span<const ScoreNote> score, int start, std::vector<BeamGroup> &out) {
  if (BeamCount(At(score, start).duration) == 0)
    return;
  int runStart = -1;
  for (int j = start; j <= start + 3; ++j) {
    const bool note = j < start + 3 && At(score, j).noteNumber > 0;
    if (note && runStart < 0)
      runStart = j;
    if (!note && runStart >= 0) {
      if (j - 1 > runStart)
        out.push_back({runStart, j - 1, true});
      runStart = -1;
    }
  }
}

// A run of equal triplet lengths is split into groups of three from its first element; one or
// two elements left at its end belong to no group. Returns the start of element j's group.
int GroupStartInRun(int runStart, int runEnd, int j) {
  const int start = j - (j - runStart) % 3;
  return start + 2 < runEnd ? start : -1;
}

} // namespace

int BeamCount(int duration) {
  switch (duration) {
  case 240:
  case 160:
    return 1;
  case 120:
  case 80:
    return 2;
  default:
    return 0;
  }
}

int TripletGroupStart(std::span<const ScoreNote> score, int j) {
  const int size = static_cast<int>(score.size());
  if (j < 0 || j >= size || !IsTripletDuration(At(score, j).duration))
    return -1;
  const int duration = At(score, j).duration;
  int runStart = j;
  while (runStart > 0 && At(score, runStart - 1).duration == duration)
    --runStart;
  // Looking two past j is enough to know whether its group is whole.
  int runEnd = j + 1;
  while (runEnd < size && runEnd <= j + 2 && At(score, runEnd).duration == duration)
    ++runEnd;
  return GroupStartInRun(runStart, runEnd, j);
}

std::vector<int> TripletGroupStarts(std::span<const ScoreNote> score) {
  std::vector<int> starts;
  const int size = static_cast<int>(score.size());
  for (int runStart = 0, runEnd = 0; runStart < size; runStart = runEnd) {
    const int duration = At(score, runStart).duration;
    runEnd = runStart + 1;
    while (runEnd < size && At(score, runEnd).duration == duration)
      ++runEnd;
    if (!IsTripletDuration(duration))
      continue;
    for (int j = runStart; GroupStartInRun(runStart, runEnd, j) == j; j += 3)
      starts.push_back(j);
  }
  return starts;
}

std::vector<BeamGroup> FindBeamGroups(std::span<const ScoreNote> score, int first, int last,
                                      int spanTicks, int measureTicks) {
  std::vector<BeamGroup> groups;
  const int size = static_cast<int>(score.size());
  first = std::clamp(first, 0, size);
  last = std::min(last, size - 1);
  // Start at the beginning of the beat (or triplet group) that element `first` belongs to.
  int j = first;
  if (const int t = TripletGroupStart(score, j); t >= 0)
    j = t;
  else
    while (j > 0 && IsPlainBeamable(At(score, j)) && IsPlainBeamable(At(score, j - 1)) &&
           SlotOf(At(score, j - 1), spanTicks, measureTicks) ==
               SlotOf(At(score, j), spanTicks, measureTicks))
      --j;
  while (j <= last) {
    if (const int t = TripletGroupStart(score, j); t == j) {
      // A group that a bar line cuts (notes off the beat grid) keeps its flags.
      if (MeasureOfTick(At(score, j).start, measureTicks) ==
          MeasureOfTick(At(score, j + 2).start, measureTicks))
        AddTripletBeams(score, j, groups);
      j += 3;
      continue;
    }
    if (!IsPlainBeamable(At(score, j))) {
      ++j;
      continue;
    }
    const BeatSlot slot = SlotOf(At(score, j), spanTicks, measureTicks);
    int end = j;
    while (end + 1 < size && IsPlainBeamable(At(score, end + 1)) &&
           SlotOf(At(score, end + 1), spanTicks, measureTicks) == slot)
      ++end;
    if (end > j)
      groups.push_back({j, end, false});
    j = end + 1;
  }
  return groups;
}

} // namespace pipora
