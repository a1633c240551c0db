#pragma once
// Which notes share a beam: eighths and sixteenths within one beat of a measure, and the
// notes of one triplet group; a rest, a longer note or the beat's end breaks the beam.
#include "model/song.h"

#include <span>
#include <vector>

namespace pipora {

struct BeamGroup {
  int first = 0; // score list indices, first < last
  int last = 0;
  bool triplet = false;
};

// Beams a note carries: 1 for eighths, 2 for sixteenths (plain or triplet), else 0.
int BeamCount(int duration);

// The triplet group of three that element j belongs to, formed from the left over a run of
// equal triplet durations as the brackets are; its first index, or -1 when j is in none.
int TripletGroupStart(std::span<const ScoreNote> score, int j);
// The first index of every such group, ascending: the same rule in one pass over the part.
std::vector<int> TripletGroupStarts(std::span<const ScoreNote> score);

// The beam groups that hold any of score[first..last]; groups may reach outside that range
// (to the start of their beat or triplet group). `score` is a part's elements 0..count.
std::vector<BeamGroup> FindBeamGroups(std::span<const ScoreNote> score, int first, int last,
                                      int spanTicks, int measureTicks);

} // namespace pipora
