#pragma once
// Songs for the engraving tests: part 1 filled from (note number, length code) pairs.
#include "engraving/engraving_layout.h"
#include "engraving/score_sheet.h"
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

// Part 1 laid out on the sheet of the whole song, as the score editor does.
inline EngravedPart LayOut(const Song &song, const EngravingView &view,
                           const EngravingMetrics &metrics = {},
                           int quarterWidth = kDefaultQuarterWidth) {
  SheetOptions options;
  options.quarterWidth = quarterWidth;
  options.labels = view.labels;
  const ScoreSheet sheet(song, options, DefaultStaffLabels(), metrics);
  return LayOutPart(song, 1, view, sheet, metrics);
}

} // namespace pipora::engraving_test
