// The score cut into pages: whole bars per system, nothing wider than the page, systems
// stacked down the pages.
#include "engraving/score_pages.h"

#include <gtest/gtest.h>

#include <algorithm>

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
  const PageSystem *previous = nullptr;
  for (const ScorePage &page : pages) {
    ASSERT_FALSE(page.systems.empty());
    for (const PageSystem &s : page.systems) {
      // Every piece fits its page: a system taller than a page goes on between staves.
      EXPECT_LE(s.y + s.sliceHeight, GetParam().area.height);
      if (s.sliceTop != slice.scrollY)
        continue; // the rest of the system above
      ++systems;
      EXPECT_LE(s.width, GetParam().area.width);
      EXPECT_GT(s.firstTick, lastTick); // systems follow each other through the song
      if (lastTick >= 0 && GetParam().barsFit) {
        EXPECT_EQ(s.firstTick % song.measureTicks(), 0) << "a later system starts at a bar";
      }
      // The bar line closing a system is inside it, not on its clipped right edge.
      if (previous && GetParam().barsFit) {
        EXPECT_LE(sheet.barLineX(s.firstTick) - previous->scrollX, previous->width - 1)
            << "the system before bar tick " << s.firstTick << " cuts its closing bar line";
      }
      previous = &s;
      lastTick = s.firstTick;
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
                      PagesRow{"ShortPagesGoOnBetweenStaves", 40, {1200, 400, 100, 20}, 3, 5},
                      PagesRow{
                          "BarWiderThanThePageStandsAlone", 3, {200, 1800, 0, 20}, 1, 3, false}),
    [](const auto &info) { return std::string(info.param.name); });

// `parts` parts of `bars` bars of eighths, each leaping between `low` and `high`, so that
// every staff stands tall with ledger lines.
Song WideParts(int parts, int bars, int low, int high) {
  Song song;
  for (int p = 1; p <= parts; ++p)
    for (int i = 0; i < bars * 8; ++i)
      InsertNote(song, p, song.part(p).count, i % 2 == 0 ? low : high, "8", "");
  RecalcTimes(song);
  BuildScoreList(song);
  return song;
}

struct PaperRow {
  const char *name;
  int parts;
  int bars;
  int emptyParts; // parts without notes after the others
  int low;
  int high;
  bool shrinks;
  bool wholeSystems; // else a system too tall for the smallest staff goes on between staves
};

class PaperPages : public ::testing::TestWithParam<PaperRow> {};

TEST_P(PaperPages, EveryPageHoldsWholeSystems) {
  Song song = WideParts(GetParam().parts, GetParam().bars, GetParam().low, GetParam().high);
  for (int p = GetParam().parts + 1; p <= GetParam().parts + GetParam().emptyParts; ++p)
    InsertNote(song, p, 0, 0, "2", ""); // a rest only
  RecalcTimes(song);
  BuildScoreList(song);
  SheetOptions options;
  options.staffDistance = kMinStaffDistance;
  options.labels = false;
  options.paper = true;
  const ScoreSheet sheet(song, options, DefaultStaffLabels());
  for (int p = 1; p <= kUserParts; ++p)
    EXPECT_EQ(sheet.row(p).shown, p <= GetParam().parts) << "part " << p;
  PaperSpec paper;
  paper.titleMm = 15;
  const PaperLayout layout = LayOutPaper(song, sheet, paper);
  EXPECT_GE(layout.staffMm, paper.smallestStaffMm);
  EXPECT_LE(layout.staffMm, paper.staffMm);
  EXPECT_EQ(layout.staffMm < paper.staffMm, GetParam().shrinks) << layout.staffMm << " mm";
  const SystemSlice slice = SystemSliceOf(sheet);
  std::vector<int> staffEdges{slice.scrollY};
  for (int p = 1; p <= GetParam().parts; ++p)
    staffEdges.push_back(sheet.row(p).top + sheet.row(p).band.bottom);
  int covered = 0; // of the current system's height
  ASSERT_FALSE(layout.pages.empty());
  for (std::size_t i = 0; i < layout.pages.size(); ++i) {
    const std::vector<PageSystem> &systems = layout.pages[i].systems;
    ASSERT_FALSE(systems.empty()) << "page " << i + 1;
    if (i == 0) {
      EXPECT_GE(systems.front().y, layout.area.titleRoom) << "the first system under the title";
    }
    for (const PageSystem &s : systems) {
      EXPECT_LE(s.y + s.sliceHeight, layout.area.height)
          << "page " << i + 1 << " runs a staff into the foot at y " << s.y;
      // A piece starts and ends between two staves: no staff is cut.
      EXPECT_NE(std::find(staffEdges.begin(), staffEdges.end(), s.sliceTop), staffEdges.end());
      EXPECT_NE(std::find(staffEdges.begin(), staffEdges.end(), s.sliceTop + s.sliceHeight),
                staffEdges.end());
      if (s.sliceTop == slice.scrollY)
        covered = 0;
      covered += s.sliceHeight;
      if (GetParam().wholeSystems) {
        EXPECT_EQ(s.sliceHeight, slice.height) << "page " << i + 1 << " splits a system";
      }
    }
  }
  EXPECT_EQ(covered, slice.height) << "the last system is printed whole";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PaperPages,
    ::testing::Values(PaperRow{"TwoPartsAtFullSize", 2, 40, 0, 55, 84, false, true},
                      PaperRow{"EmptyPartsLeftOff", 4, 40, 12, 55, 84, false, true},
                      PaperRow{"SixteenWidePartsShrink", 16, 40, 0, 55, 84, true, true},
                      // Four octaves each: at the smallest staff a system still
                      // stands taller than the page.
                      PaperRow{"SixteenWidestPartsGoOnBetweenStaves", 16, 40, 0, 45, 90, true,
                               false}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pipora
