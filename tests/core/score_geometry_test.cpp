#include "editing/score_geometry.h"
#include "engraving/score_sheet.h"
#include "model/song.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace pipora {
namespace {

ScoreNote Note(int number, int duration, int start = 0) {
  ScoreNote n;
  n.noteNumber = static_cast<std::int16_t>(number);
  n.duration = static_cast<std::int16_t>(duration);
  n.start = start;
  return n;
}

// A part of the given (note, length code) elements, lists rebuilt.
void Fill(Song &song, int part, std::initializer_list<std::pair<int, const char *>> notes) {
  for (const auto &[number, length] : notes)
    InsertNote(song, part, song.part(part).count, number, length, "");
  RecalcTimes(song);
  BuildScoreList(song);
}

TEST(ScoreCoordinates, TickToX) {
  EXPECT_EQ(XOfTick(0, 50, -48), 48);
  EXPECT_EQ(XOfTick(480, 50, -48), 98);
  EXPECT_EQ(XOfTick(960, 60, 100), 20);
  // 120 ticks at 50 px a quarter is 12.5 px: the half goes to the even neighbour.
  EXPECT_EQ(XOfTick(120, 50, 0), 12);
  EXPECT_EQ(XOfTick(360, 50, 0), 38); // 37.5
}

TEST(ScoreCoordinates, PartTopAndStaffPositions) {
  EXPECT_EQ(PartTop(1, 120, 0), 0);
  EXPECT_EQ(PartTop(3, 120, 40), 200);
  const StaffLabelTable table = DefaultStaffLabels();
  struct Row {
    int note;
    double position;
    int cellTop;
  };
  // Middle C on the first ledger line below, E on the bottom line, F on the top line.
  for (const Row &r : {Row{60, 0, 113}, Row{64, 12, 101}, Row{77, 60, 53}, Row{57, -12, 125},
                       Row{81, 72, 41}, Row{61, 0, 113}, Row{63, 12, 101}, Row{70, 36, 77}}) {
    EXPECT_EQ(StaffPosition(r.note, table), r.position) << r.note;
    EXPECT_EQ(CellTopOffset(Note(r.note, 480), table), r.cellTop) << r.note;
    // The head's centre sits 47 px below the cell top: 160 - s below the part's top.
    EXPECT_EQ(r.cellTop + kHeadCentreBelowCellTop, kMiddleCLine - r.position) << r.note;
  }
  EXPECT_EQ(CellTopOffset(Note(0, 480), table), 76); // rests
}

TEST(ScoreLedgerLines, CountsAndPlaces) {
  const StaffLabelTable table = DefaultStaffLabels();
  auto lines = [&](int n) { return LedgerLineOffsets(n, StaffPosition(n, table)); };
  EXPECT_EQ(lines(60), std::vector<int>({160}));
  EXPECT_EQ(lines(57), std::vector<int>({160, 172}));
  EXPECT_EQ(lines(81), std::vector<int>({88}));
  EXPECT_TRUE(lines(80).empty());
  EXPECT_TRUE(lines(62).empty());
  EXPECT_EQ(lines(59), std::vector<int>({160}));    // B3 hangs below the line
  EXPECT_EQ(lines(84), std::vector<int>({88, 76})); // C6
}

TEST(ScoreGlyphs, RowsSpacingAndTriplets) {
  struct Row {
    int duration;
    int row;
    int spacing;
    bool triplet;
  };
  for (const Row &r : {Row{1920, 0, 48, false}, Row{1280, 0, 48, true}, Row{960, 96, 48, false},
                       Row{640, 96, 48, true}, Row{480, 192, 48, false}, Row{320, 192, 32, true},
                       Row{240, 288, 24, false}, Row{160, 288, 16, true}, Row{120, 384, 8, false},
                       Row{80, 384, 8, true}, Row{360, -1, 0, false}, Row{0, -1, 0, false}}) {
    EXPECT_EQ(GlyphRow(r.duration), r.row) << r.duration;
    EXPECT_EQ(SpacingWidth(r.duration), r.spacing) << r.duration;
    EXPECT_EQ(IsTripletDuration(r.duration), r.triplet) << r.duration;
  }
}

TEST(ScoreGlyphs, ColumnByAccidentalStemAndTriplet) {
  const StaffLabelTable table = DefaultStaffLabels();
  struct Row {
    int note;
    int duration;
    int column;
    bool stemDown;
  };
  for (const Row &r : {
           Row{69, 480, 0, false},                            // A4 stem up
           Row{71, 480, 48, true},                            // B4 stem down
           Row{61, 480, 96, false},                           // C#4 sharp
           Row{73, 480, 144, true},                           // C#5 sharp, stem down
           Row{63, 480, 192, false},                          // Eb4 flat
           Row{70, 480, 240, true},                           // Bb4 flat, stem down (s = 36)
           Row{60, 160, 336, false},                          // triplet plain
           Row{72, 160, 384, true}, Row{66, 320, 432, false}, // triplet sharp
           Row{78, 80, 480, true}, Row{63, 640, 528, false},  // triplet flat
           Row{75, 160, 576, true}, Row{0, 480, 288, false},  // rest
           Row{0, 160, 288, false}, // a triplet rest drops the triplet offset
       }) {
    const GlyphChoice g = ChooseGlyph(Note(r.note, r.duration), table);
    EXPECT_TRUE(g.drawable());
    EXPECT_EQ(g.column, r.column) << r.note << " " << r.duration;
    EXPECT_EQ(g.stemDown, r.stemDown) << r.note;
  }
  EXPECT_FALSE(ChooseGlyph(Note(60, 360), table).drawable());
  EXPECT_FALSE(ChooseGlyph(Note(-1, 0), table).drawable()); // the end element
}

TEST(ScoreGlyphs, RespelledLabelMovesHeadAndAccidental) {
  StaffLabelTable table = DefaultStaffLabels();
  table[1] = {static_cast<float>(PositionOfSyllable("レb")), "レb"};
  EXPECT_EQ(StaffPosition(61, table), 6);
  EXPECT_EQ(ChooseGlyph(Note(61, 480), table).column, 192);
  EXPECT_EQ(PositionOfSyllable("ﾌｧ#"), 18);
  EXPECT_EQ(PositionOfSyllable("x"), -1);
  EXPECT_EQ(SyllableOf("ﾌｧ#"), "ﾌｧ");
  EXPECT_EQ(SyllableOf("ミｂ"), "ミ");
  EXPECT_EQ(SyllableOf("ソ"), "ソ");
}

TEST(ScoreTies, ArcFollowsLengthAndStem) {
  const TieArc up = TieArcFor(480, 50, false);
  EXPECT_EQ(up.radiusX, 31); // near(50 + 12) \ 2
  EXPECT_EQ(up.centreX, 31);
  EXPECT_EQ(up.centreY, 48);
  EXPECT_NEAR(up.radiusY, 31 * std::exp(-0.31), 1e-9);
  EXPECT_NEAR(up.startRadians, std::numbers::pi + 0.5, 1e-12);
  const TieArc down = TieArcFor(240, 60, true);
  EXPECT_EQ(down.radiusX, 21); // near(30 + 12) \ 2
  EXPECT_NEAR(down.startRadians, 0.5, 1e-12);
  EXPECT_NEAR(down.spanRadians, std::numbers::pi - 1, 1e-12);
}

TEST(ScoreScroll, RangesAndFit) {
  Song song;
  Fill(song, 1, {{60, "2"}, {62, "2"}});                       // ends at 1920
  Fill(song, 5, {{60, "2"}, {60, "2"}, {60, "2"}, {60, "2"}}); // ends at 3840
  const ScrollRange h = HorizontalScrollRange(song, 50, 300);
  EXPECT_EQ(h.minimum, -48);
  EXPECT_EQ(h.maximum, 400 - 300); // part 5 is longer than part 1
  EXPECT_TRUE(SongFitsWidth(song, 50, 448));
  EXPECT_FALSE(SongFitsWidth(song, 50, 447));
  const ScrollRange v = VerticalScrollRange(120, 800);
  EXPECT_EQ(v.minimum, 0);
  EXPECT_EQ(v.maximum, 120 * 15 + 244 - 800);
  // An anacrusis moves every part's first element before tick 0.
  for (int p = 1; p <= kPartSlots; ++p)
    song.part(p).notes[0].start = -480;
  RecalcTimes(song);
  BuildScoreList(song);
  EXPECT_EQ(HorizontalScrollRange(song, 50, 300).minimum, -50 - 48);
  // A song with a pick-up that fits starts at the scroll minimum, so the pick-up shows.
  EXPECT_EQ(FittedScrollOffset(song, 50), -50 - 48);
  EXPECT_TRUE(SongFitsWidth(song, 50, 400 - 50 + 50 + 48));
  EXPECT_FALSE(SongFitsWidth(song, 50, 400 - 50 + 50 + 47));
}

TEST(ScoreScroll, ALongSongScrollsToItsEnd) {
  // 2,000 bars: far wider than a 16-bit scroll bar, in both drawings.
  Song song;
  for (int i = 0; i < 4000; ++i)
    InsertNote(song, 2, song.part(2).count, 60, "2", "C");
  RecalcTimes(song);
  BuildScoreList(song);
  const long long end = 100LL * song.part(2).score.back().start / kTicksPerQuarter;
  EXPECT_EQ(HorizontalScrollRange(song, 100, 500).maximum, end - 500);
  const ScoreSheet sheet(song, SheetOptions{}, DefaultStaffLabels());
  EXPECT_GT(sheet.endX(), 32767 * 4);
  EXPECT_GE(HorizontalScrollRange(sheet, 500).maximum + 500, sheet.endX());
}

TEST(ScoreZoom, Limits) {
  EXPECT_EQ(ZoomedQuarterWidth(50, true), 60);
  EXPECT_EQ(ZoomedQuarterWidth(50, false), 50);
  EXPECT_EQ(ZoomedQuarterWidth(60, false), 50);
  EXPECT_EQ(ZoomedQuarterWidth(40, false), 50); // anything below is raised to 50
  EXPECT_EQ(ZoomedStaffDistance(120, true), 130);
  EXPECT_EQ(ZoomedStaffDistance(100, false), 100);
  EXPECT_EQ(ZoomedStaffDistance(110, false), 100);
  EXPECT_EQ(ScaledScrollValue(300, 50, 60, {-48, 1000}), 360);
  EXPECT_EQ(ScaledScrollValue(300, 60, 50, {-48, 200}), 200);
  EXPECT_EQ(ScaledScrollValue(-48, 50, 60, {-48, -100}), -48);
}

TEST(ScoreScroll, CursorFollow) {
  const ScrollRange range{-48, 5000};
  // Well inside the view: no scroll.
  EXPECT_FALSE(FollowCursorScroll(4800, 50, 100, 1000, range));
  // Past nine tenths of the view: centre the cursor.
  EXPECT_EQ(FollowCursorScroll(9600, 50, -48, 1000, range), 1000 - 48 - 476);
  // Left of two tenths: centre it too, limited at the minimum.
  EXPECT_EQ(FollowCursorScroll(0, 50, 500, 1000, range), -48);
  EXPECT_EQ(FollowCursorScroll(9600, 50, 2000, 1000, range), 1000 - 48 - 476);
}

TEST(ScoreCaption, RedrawTimeSignatureAndCursor) {
  Song song;
  for (int i = 0; i < 27; ++i)
    InsertNote(song, 1, 0, 60, "8", "C");
  RecalcTimes(song);
  BuildScoreList(song);
  song.part(1).scoreHeader.cursor = 3;
  EXPECT_EQ(ScoreCaptionAfterRedraw(15, song), "ScoreEditor 15ms 4/4拍子 [3/27]");
  song.beatsPerMeasure = 3;
  song.ticksPerBeat = 240;
  EXPECT_EQ(ScoreCaption("ScoreEditor 15ms 4/4拍子 [3/27]", song),
            "ScoreEditor 15ms 3/8拍子 [3/27]");
  // The caption follows the current part carried in part 1's header.
  song.part(1).scoreHeader.partNumber = 2;
  EXPECT_EQ(ScoreCaption("ScoreEditor 7ms", song), "ScoreEditor 7ms 3/8拍子 [0/0]");
}

} // namespace
} // namespace pipora
