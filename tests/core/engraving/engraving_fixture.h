#pragma once
// Songs for the engraving tests: part 1 filled from (note number, length code) pairs.
#include "model/song.h"

#include <initializer_list>
#include <span>
#include <utility>

namespace pipora::engraving_test {

using Element = std::pair<int, const char *>;

inline Song SongOf(std::initializer_list<Element> notes) {
  Song song;
  for (const auto &[number, length] : notes)
    InsertNote(song, 1, song.part(1).count, number, length, "");
  RecalcTimes(song);
  BuildScoreList(song);
  return song;
}

// Part 1's elements 0..count.
inline std::span<const ScoreNote> ScoreOf(const Song &song) {
  const Part &pt = song.part(1);
  return {pt.score.data(), static_cast<std::size_t>(pt.scoreHeader.count) + 1};
}

} // namespace pipora::engraving_test
