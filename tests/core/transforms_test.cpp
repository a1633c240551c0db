#include "core/edit_song.h"
#include "editing/transforms.h"
#include "session/undo_history.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

namespace pipora {
namespace {

using test::MakeSong;
using test::PartText;
using test::PutScoreCursor;
using test::ScoreText;
using test::SelectScore;

// --- longer and shorter ------------------------------------------------------------------

struct StepRow {
  const char *name;
  const char *code;
  const char *longer;
  const char *shorter;
};
class LengthSteps : public ::testing::TestWithParam<StepRow> {};

TEST_P(LengthSteps, LongerAndShorterOfTheNoteBeforeTheCursor) {
  const StepRow &r = GetParam();
  for (const bool longer : {true, false}) {
    Song song = MakeSong({std::string("C4:4 E4:") + r.code + " G4:4"});
    PutScoreCursor(song, 1, 2);
    const EditOutcome out = ChangeLengthBeforeCursor(song, longer);
    EXPECT_TRUE(out.changed);
    EXPECT_TRUE(out.snapshot);
    const std::string expected =
        std::string("C4:4 E4:") + (longer ? r.longer : r.shorter) + " G4:4";
    EXPECT_EQ(PartText(song, 1), expected) << (longer ? "longer" : "shorter");
    EXPECT_EQ(ScoreText(song, 1), expected);
    EXPECT_EQ(song.part(1).scoreHeader.cursor, 2);
    // The following note moves with the new length.
    EXPECT_EQ(song.part(1).notes[2].start, 480 + LengthTicks(longer ? r.longer : r.shorter));
  }
}

INSTANTIATE_TEST_SUITE_P(Table, LengthSteps,
                         ::testing::Values(StepRow{"SixteenthTriplet", "163", "83", "23"},
                                           StepRow{"SixteenthWrapsToHalf", "16", "8", "2"},
                                           StepRow{"EighthTriplet", "83", "43", "163"},
                                           StepRow{"Eighth", "8", "4", "16"},
                                           StepRow{"QuarterTriplet", "43", "23", "83"},
                                           StepRow{"Quarter", "4", "2", "8"},
                                           StepRow{"HalfTripletWrapsToSixteenthTriplet", "23",
                                                   "163", "43"},
                                           StepRow{"HalfWrapsToSixteenth", "2", "16", "4"},
                                           StepRow{"TiedNoteKeepsItsTie", "8_", "4_", "16_"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(LengthSteps, NothingHappensWithASelectionAtCursorZeroOrOnAnUnknownLength) {
  Song song = MakeSong({"C4:4 E4:？"});
  PutScoreCursor(song, 1, 0);
  EXPECT_FALSE(ChangeLengthBeforeCursor(song, true).snapshot);
  SelectScore(song, 1, 0, 1, 1);
  EXPECT_FALSE(ChangeLengthBeforeCursor(song, true).snapshot);
  PutScoreCursor(song, 1, 2);
  EXPECT_FALSE(ChangeLengthBeforeCursor(song, false).snapshot);
  EXPECT_EQ(PartText(song, 1), "C4:4 E4:？");
}

// --- tie ---------------------------------------------------------------------------------

TEST(Tie, TwiceGivesBackTheFlag) {
  for (const char *code : {"4", "83_"}) {
    Song song = MakeSong({std::string("C4:") + code + " D4:4"});
    PutScoreCursor(song, 1, 1);
    ASSERT_TRUE(ToggleTieBeforeCursor(song).changed);
    EXPECT_NE(IsTied(song.part(1).notes[0].length), IsTied(code)) << code;
    ASSERT_TRUE(ToggleTieBeforeCursor(song).changed);
    EXPECT_EQ(song.part(1).notes[0].length, code);
  }
}

TEST(Tie, NeedsANoteBeforeTheCursorAndNoSelection) {
  Song song = MakeSong({"C4:4"});
  PutScoreCursor(song, 1, 0);
  EXPECT_FALSE(ToggleTieBeforeCursor(song).snapshot);
  SelectScore(song, 1, 0, 1, 1);
  EXPECT_FALSE(ToggleTieBeforeCursor(song).snapshot);
  EXPECT_EQ(PartText(song, 1), "C4:4");
}

// --- transpose ---------------------------------------------------------------------------

struct TransposeRow {
  const char *name;
  const char *part;
  std::vector<int> rows;
  int k;
  const char *after;
};
class SourceTranspose : public ::testing::TestWithParam<TransposeRow> {};

TEST_P(SourceTranspose, ChangesTheSelectedNotesOnly) {
  const TransposeRow &r = GetParam();
  Song song = MakeSong({r.part});
  const EditOutcome out = TransposeSourceRows(song, r.rows, r.k);
  EXPECT_TRUE(out.changed);
  EXPECT_EQ(PartText(song, 1), r.after);
  EXPECT_EQ(ScoreText(song, 1), r.after);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SourceTranspose,
    ::testing::Values(TransposeRow{"RestsStay", "C4:4 R:8 E4:4", {0, 1, 2, 3}, 1, "C#4:4 R:8 F4:4"},
                      TransposeRow{
                          "UnselectedRowsStay", "C4:4 D4:8 E4:4", {1}, 12, "C4:4 D5:8 E4:4"},
                      TransposeRow{"OctaveDownGivesC3", "C4:4", {0}, -12, "C3:4"},
                      TransposeRow{"NoRangeCheck", "F#6:4", {0}, 12, "F#7:4"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SourceTransposeEdges, NoteOneDownASemitoneBecomesARest) {
  Song song = MakeSong({});
  InsertNote(song, 1, 0, 1, "4", PitchNameOf(1));
  RecalcTimes(song);
  const std::vector<int> rows = {0};
  TransposeSourceRows(song, rows, -1);
  EXPECT_EQ(song.part(1).notes[0].noteNumber, 0);
  EXPECT_EQ(song.part(1).notes[0].pitch, "R");
  // From now on it is a rest: transposing leaves it alone.
  TransposeSourceRows(song, rows, 5);
  EXPECT_EQ(song.part(1).notes[0].noteNumber, 0);
}

TEST(ScoreTranspose, MovesTheSelectionInsideTheSavableRange) {
  Song song = MakeSong({"D3:4 C4:4 R:4 E4:4"}); // D3 is 50
  SelectScore(song, 1, 0, 3, 3);
  EXPECT_TRUE(TransposeScoreSelection(song, -12, false).changed);
  EXPECT_EQ(PartText(song, 1), "D3:4 C3:4 R:4 E4:4"); // 50 - 12 leaves 45..90
  EXPECT_EQ(song.part(1).scoreHeader.selLength, 3);   // the selection stays
  EXPECT_TRUE(TransposeScoreSelection(song, -12, true).changed);
  EXPECT_EQ(PartText(song, 1), "D2:4 C2:4 R:4 E4:4");
}

TEST(ScoreTranspose, WithoutASelectionOnlyTheStepCounts) {
  Song song = MakeSong({"C4:4"});
  PutScoreCursor(song, 1, 1);
  const EditOutcome out = TransposeScoreSelection(song, 1, false);
  EXPECT_FALSE(out.changed);
  EXPECT_TRUE(out.snapshot);
  EXPECT_EQ(PartText(song, 1), "C4:4");
}

// --- code tables -------------------------------------------------------------------------

struct CodeRow {
  const char *name;
  const char *code;
  const char *halved;  // "" when left alone
  const char *doubled; // "" when left alone
};
class HalveAndDoubleCodes : public ::testing::TestWithParam<CodeRow> {};

TEST_P(HalveAndDoubleCodes, FollowTheTables) {
  const CodeRow &r = GetParam();
  EXPECT_EQ(HalvedCode(r.code).value_or(""), r.halved);
  EXPECT_EQ(DoubledCode(r.code).value_or(""), r.doubled);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HalveAndDoubleCodes,
    ::testing::Values(
        CodeRow{"Half", "2", "4", ""}, CodeRow{"Quarter", "4", "8", "2"},
        CodeRow{"Eighth", "8", "16", "4"}, CodeRow{"Sixteenth", "16", "", "8"},
        CodeRow{"HalfTriplet", "23", "43", ""}, CodeRow{"QuarterTriplet", "43", "83", "23"},
        CodeRow{"EighthTriplet", "83", "163", "43"}, CodeRow{"SixteenthTriplet", "163", "", "83"},
        CodeRow{"TiedHalf", "2_", "4_", ""}, CodeRow{"TiedQuarter", "4_", "8_", "2_"},
        CodeRow{"TiedEighth", "8_", "16_", "4_"}, CodeRow{"TiedSixteenth", "16_", "", "8_"},
        CodeRow{"TiedQuarterTriplet", "43_", "83_", "23_"},
        CodeRow{"TiedEighthTriplet", "83_", "163_", "43_"},
        CodeRow{"TiedSixteenthTriplet", "163_", "", "83_"}, CodeRow{"Unknown", "？", "", ""}),
    [](const auto &info) { return std::string(info.param.name); });

// --- halve all and double all ------------------------------------------------------------

struct WholeSongRow {
  const char *name;
  bool halve;
  std::vector<std::string> parts;
  std::vector<std::string> after; // empty when refused
  const char *message;            // the refusal, or ""
  int hitPart, hitIndex;          // where the refusal puts the cursor
};
class WholeSong : public ::testing::TestWithParam<WholeSongRow> {};

TEST_P(WholeSong, HalvesOrDoublesEveryPartOrRefuses) {
  const WholeSongRow &r = GetParam();
  for (const bool scoreActive : {false, true}) {
    Song song = MakeSong(r.parts);
    song.currentPart = 1;
    song.part(1).cursor = 1;
    PutScoreCursor(song, 1, 1);
    song.dirty = false;
    const EditOutcome out = r.halve ? HalveAll(song, scoreActive) : DoubleAll(song, scoreActive);
    const std::string where = scoreActive ? "score editor" : "source editor";
    if (*r.message) {
      EXPECT_EQ(out.message, r.message) << where;
      EXPECT_FALSE(out.snapshot) << where;
      EXPECT_FALSE(out.changed) << where;
      for (std::size_t i = 0; i < r.parts.size(); ++i)
        EXPECT_EQ(PartText(song, static_cast<int>(i) + 1), r.parts[i]) << where;
      EXPECT_EQ(song.currentPart, r.hitPart) << where;
      EXPECT_EQ(song.part(r.hitPart).cursor, r.hitIndex) << where;
      if (scoreActive) {
        EXPECT_EQ(song.part(r.hitPart).scoreHeader.cursor, r.hitIndex) << where;
      }
      continue;
    }
    EXPECT_TRUE(out.changed) << where;
    EXPECT_TRUE(out.snapshot) << where;
    for (std::size_t i = 0; i < r.after.size(); ++i) {
      EXPECT_EQ(PartText(song, static_cast<int>(i) + 1), r.after[i]) << where;
      EXPECT_EQ(ScoreText(song, static_cast<int>(i) + 1), r.after[i]) << where;
    }
    EXPECT_EQ(song.currentPart, 1) << where;
    EXPECT_EQ(song.part(1).cursor, 1) << where;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WholeSong,
    ::testing::Values(
        WholeSongRow{"HalveTiedEighth",
                     true,
                     {"C4:8_ C4:4 D4:2", "E4:83 E4:83 E4:83"},
                     {"C4:16_ C4:8 D4:4", "E4:163 E4:163 E4:163"},
                     "",
                     0,
                     0},
        WholeSongRow{"HalveRefusesASixteenth",
                     true,
                     {"C4:4 D4:4", "", "E4:2 F4:16_ G4:16"},
                     {},
                     kHalveSixteenthMessage.data(),
                     3,
                     1},
        WholeSongRow{"HalveRefusesASixteenthTriplet",
                     true,
                     {"C4:4", "D4:163 D4:163 D4:163"},
                     {},
                     kHalveSixteenthTripletMessage.data(),
                     2,
                     0},
        WholeSongRow{
            "DoubleHalfBecomesATiedPair", false, {"C4:2 D4:4"}, {"C4:2_ C4:2 D4:2"}, "", 0, 0},
        WholeSongRow{"DoubleTiedHalfStaysTiedToItsCopy",
                     false,
                     {"C4:2_ C4:4"},
                     {"C4:2_ C4:2_ C4:2"},
                     "",
                     0,
                     0},
        WholeSongRow{"DoubleTriplesAndTies",
                     false,
                     {"C4:163 C4:163 C4:163 D4:16_ D4:8"},
                     {"C4:83 C4:83 C4:83 D4:8_ D4:4"},
                     "",
                     0,
                     0},
        WholeSongRow{"DoubleRefusesAHalfTriplet",
                     false,
                     {"C4:4", "", "", "E4:4 E4:23 E4:23 E4:23"},
                     {},
                     kDoubleHalfTripletMessage.data(),
                     4,
                     1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(WholeSong, TheClipboardIsHalvedAndDoubledToo) {
  Song song = MakeSong({"C4:4"});
  test::WritePart(song, kClipboardPart, "D4:2 E4:8");
  RecalcTimes(song);
  BuildScoreList(song);
  ASSERT_TRUE(HalveAll(song, false).changed);
  EXPECT_EQ(PartText(song, kClipboardPart), "D4:4 E4:16");
  ASSERT_TRUE(DoubleAll(song, false).changed);
  ASSERT_TRUE(DoubleAll(song, false).changed);
  EXPECT_EQ(PartText(song, kClipboardPart), "D4:2_ D4:2 E4:4");
}

TEST(WholeSong, ARefusalLeavesTheOtherPartsCursorsAndTheDirtyFlag) {
  Song song = MakeSong({"C4:4 D4:4", "E4:16"});
  song.part(1).cursor = 2;
  song.dirty = false;
  EXPECT_TRUE(HalveAll(song, false).refused());
  EXPECT_FALSE(song.dirty);
  EXPECT_EQ(song.part(1).cursor, 2);
  EXPECT_EQ(song.currentPart, 2);
}

TEST(WholeSong, DoublingPastThePartLimitIsRefused) {
  Song song = MakeSong({"C4:2 D4:2 E4:4"});
  const EditOutcome out = DoubleAll(song, false, 4);
  EXPECT_EQ(out.message, kDoubleTooLongMessage);
  EXPECT_FALSE(out.snapshot);
  EXPECT_EQ(PartText(song, 1), "C4:2 D4:2 E4:4");
  EXPECT_TRUE(DoubleAll(song, false, 5).changed);
}

// --- every transform is one step of the history ------------------------------------------

struct StepCase {
  const char *name;
  std::function<EditOutcome(Song &)> run;
};
class TransformUndo : public ::testing::TestWithParam<StepCase> {};

TEST_P(TransformUndo, UndoneAndRedoneAsOneStep) {
  QTemporaryDir home;
  ASSERT_TRUE(home.isValid());
  UndoHistory history(home.path());
  Song song = MakeSong({"C4:4 D4:8 E4:2 F4:4", "G4:8_ A4:43 A4:43 A4:43"});
  history.restart();
  history.takeSnapshot(song, false);
  const std::string before1 = PartText(song, 1);
  const std::string before2 = PartText(song, 2);
  SelectScore(song, 1, 1, 2, 3);
  const EditOutcome out = GetParam().run(song);
  ASSERT_TRUE(out.snapshot);
  history.takeSnapshot(song, true);
  EXPECT_EQ(history.undoIndex(), 1);
  const std::string after1 = PartText(song, 1);
  const std::string after2 = PartText(song, 2);
  ASSERT_NE(after1 + after2, before1 + before2);
  ASSERT_TRUE(history.undo(song));
  EXPECT_EQ(PartText(song, 1), before1);
  EXPECT_EQ(PartText(song, 2), before2);
  ASSERT_TRUE(history.redo(song));
  EXPECT_EQ(PartText(song, 1), after1);
  EXPECT_EQ(PartText(song, 2), after2);
}

INSTANTIATE_TEST_SUITE_P(
    Transforms, TransformUndo,
    ::testing::Values(
        StepCase{"SemitoneUp", [](Song &s) { return TransposeScoreSelection(s, 1, false); }},
        StepCase{"OctaveDown", [](Song &s) { return TransposeScoreSelection(s, -12, false); }},
        StepCase{"SourceTranspose",
                 [](Song &s) {
                   const std::vector<int> rows = {0, 3};
                   return TransposeSourceRows(s, rows, 12);
                 }},
        StepCase{"Longer",
                 [](Song &s) {
                   PutScoreCursor(s, 1, 2);
                   return ChangeLengthBeforeCursor(s, true);
                 }},
        StepCase{"Shorter",
                 [](Song &s) {
                   PutScoreCursor(s, 1, 2);
                   return ChangeLengthBeforeCursor(s, false);
                 }},
        StepCase{"Tie",
                 [](Song &s) {
                   PutScoreCursor(s, 1, 1);
                   return ToggleTieBeforeCursor(s);
                 }},
        StepCase{"HalveAll", [](Song &s) { return HalveAll(s, true); }},
        StepCase{"DoubleAll", [](Song &s) { return DoubleAll(s, true); }}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pipora
