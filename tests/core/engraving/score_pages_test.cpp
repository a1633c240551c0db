// The score cut into pages: whole bars per system, nothing wider than the page, systems
// stacked down the pages.
#include "engraving/score_pages.h"

#include <gtest/gtest.h>

namespace pipora {
namespace {

// `bars` bars of eighths in part 1.
Song EighthBars(int bars) {
  Song song;
  for (int i = 0; i < bars * 8; ++i)
    InsertNote(song, 1, song.part(1).count, 60 + i % 12, "8", "");
  RecalcTimes(song);
  BuildScoreList(song);
  return song;
}

struct PagesRow {
  const char *name;
  int bars;
  PageArea area;
  int minimumPages;
  int minimumSystems;
  bool barsFit = true;
};

class Pages : public ::testing::TestWithParam<PagesRow> {};

TEST_P(Pages, SystemsHoldWholeBarsWithinThePage) {
  const Song song = EighthBars(GetParam().bars);
  const ScoreSheet sheet(song, {}, DefaultStaffLabels());
  const std::vector<ScorePage> pages = PaginateScore(song, sheet, GetParam().area);
  EXPECT_GE(static_cast<int>(pages.size()), GetParam().minimumPages);
  const SystemSlice slice = SystemSliceOf(sheet);
  int systems = 0;
  int lastTick = -1;
  for (const ScorePage &page : pages) {
    ASSERT_FALSE(page.systems.empty());
    for (const PageSystem &s : page.systems) {
      ++systems;
      EXPECT_LE(s.width, GetParam().area.width);
      EXPECT_GT(s.firstTick, lastTick); // systems follow each other through the song
      if (lastTick >= 0 && GetParam().barsFit) {
        EXPECT_EQ(s.firstTick % song.measureTicks(), 0) << "a later system starts at a bar";
      }
      lastTick = s.firstTick;
    }
    // A page holds what fits its height; the first system of a page always stands.
    const PageSystem &last = page.systems.back();
    if (page.systems.size() > 1) {
      EXPECT_LE(last.y + slice.height, GetParam().area.height);
    }
  }
  EXPECT_GE(systems, GetParam().minimumSystems);
  // The last system reaches the song's end.
  const PageSystem &end = pages.back().systems.back();
  EXPECT_GE(end.scrollX + end.width, sheet.xOfTick(SongEndTick(song)));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Pages,
    ::testing::Values(PagesRow{"OneShortSongOnePage", 2, {1200, 1800, 100, 20}, 1, 1},
                      PagesRow{"LongSongBreaksIntoSystems", 40, {1200, 1800, 100, 20}, 1, 5},
                      PagesRow{"ShortPagesOverflow", 40, {1200, 400, 100, 20}, 3, 5},
                      PagesRow{
                          "BarWiderThanThePageStandsAlone", 3, {200, 1800, 0, 20}, 1, 3, false}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pipora
