#include "core/edit_song.h"
#include "editing/find_notes.h"

#include <gtest/gtest.h>

namespace pipora {
namespace {

using test::MakeSong;
using test::PutScoreCursor;

// --- the pitch table ---------------------------------------------------------------------

struct PitchRow {
  const char *name;
  const char *text;
  int target;
};
class PitchTexts : public ::testing::TestWithParam<PitchRow> {};

TEST_P(PitchTexts, GiveTheirTarget) {
  EXPECT_EQ(PitchTargetOf(GetParam().text), GetParam().target) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, PitchTexts,
    ::testing::Values(
        PitchRow{"RestLower", "r", -1}, PitchRow{"RestUpper", "R", -1}, PitchRow{"Do", "ド", 0},
        PitchRow{"C", "c", 0}, PitchRow{"DoSharp", "ド#", 1},
        PitchRow{"DoFullWidthSharp", "ド＃", 1}, PitchRow{"ReFlat", "レb", 1},
        PitchRow{"ReFullWidthFlat", "レｂ", 1}, PitchRow{"CSharpUpper", "C#", 1},
        PitchRow{"DFlat", "db", 1}, PitchRow{"Re", "レ", 2}, PitchRow{"D", "d", 2},
        PitchRow{"ReSharp", "レ#", 3}, PitchRow{"MiFlat", "ミb", 3},
        PitchRow{"EFlatUpper", "Eb", 3}, PitchRow{"Mi", "ミ", 4}, PitchRow{"FaFlat", "ファb", 4},
        PitchRow{"FFlat", "fb", 4}, PitchRow{"Fa", "ファ", 5}, PitchRow{"MiSharp", "ミ＃", 5},
        PitchRow{"ESharp", "e#", 5}, PitchRow{"FaSharp", "ファ＃", 6},
        PitchRow{"SoFlat", "ソｂ", 6}, PitchRow{"GFlat", "gb", 6}, PitchRow{"So", "ソ", 7},
        PitchRow{"G", "G", 7}, PitchRow{"SoSharp", "ソ#", 8}, PitchRow{"LaFlat", "ラb", 8},
        PitchRow{"AFlat", "ab", 8}, PitchRow{"La", "ラ", 9}, PitchRow{"A", "a", 9},
        PitchRow{"LaSharp", "ラ＃", 10}, PitchRow{"SiFlat", "シb", 10}, PitchRow{"BFlat", "bb", 10},
        PitchRow{"Si", "シ", 11}, PitchRow{"B", "b", 11}, PitchRow{"Zero", "0", 0},
        PitchRow{"OtherTextIsC", "xyz", 0}, PitchRow{"EmptyIsC", "", 0},
        PitchRow{"NoteNumber", "61", 61}, PitchRow{"SmallNumberIsAPitchClass", "5", 5},
        PitchRow{"DecimalRoundsHalfToEven", "60.5", 60},
        PitchRow{"LeadingNumberOfAText", "64abc", 64}),
    [](const auto &info) { return std::string(info.param.name); });

// --- the length table --------------------------------------------------------------------

struct LengthRow {
  const char *name;
  const char *text;
  int ticks;
  const char *code;
};
class LengthTexts : public ::testing::TestWithParam<LengthRow> {};

TEST_P(LengthTexts, GiveTicksAndCode) {
  const LengthTarget t = LengthTargetOf(GetParam().text);
  EXPECT_EQ(t.ticks, GetParam().ticks);
  EXPECT_EQ(t.code, GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LengthTexts,
    ::testing::Values(LengthRow{"T80", "80", 80, "163"}, LengthRow{"C163", "163", 80, "163"},
                      LengthRow{"T160", "160", 160, "83"}, LengthRow{"C83", "83", 160, "83"},
                      LengthRow{"T320", "320", 320, "43"}, LengthRow{"C43", "43", 320, "43"},
                      LengthRow{"T640", "640", 640, "23"}, LengthRow{"C23", "23", 640, "23"},
                      LengthRow{"T120", "120", 120, "16"}, LengthRow{"C16", "16", 120, "16"},
                      LengthRow{"T240", "240", 240, "8"}, LengthRow{"C8", "8", 240, "8"},
                      LengthRow{"T480", "480", 480, "4"}, LengthRow{"C4", "4", 480, "4"},
                      LengthRow{"T960", "960", 960, "2"}, LengthRow{"C2", "2", 960, "2"},
                      LengthRow{"TiedCodeReadsAsItsNumber", "16_", 120, "16"},
                      LengthRow{"OutsideTheTable", "5", 0, ""}, LengthRow{"Empty", "", 0, ""},
                      LengthRow{"Text", "quarter", 0, ""}),
    [](const auto &info) { return std::string(info.param.name); });

// --- directions, scopes and the two editors' matching -------------------------------------

// Part 1: C4 quarter, rest, E4 quarter, C4 quarter triplet, E4 tied quarter.
// Part 3: D4 sixteenth, C#5 quarter.  Part 4: E4 triplet sixteenth.
Song SearchSong() {
  return MakeSong({"C4:4 R:8 E4:4 C4:43 E4:4_", "", "D4:16 C#5:4", "E4:163"});
}

struct SearchRow {
  const char *name;
  FindTarget target;
  const char *pitch;  // null: pitch not ticked
  const char *length; // null: length not ticked
  FindDirection direction;
  FindScope scope;
  int part, cursor; // where the search starts
  int hitPart;      // 0: nothing found
  int hitIndex;
};
class Search : public ::testing::TestWithParam<SearchRow> {};

TEST_P(Search, FindsTheExpectedElement) {
  const SearchRow &r = GetParam();
  Song song = SearchSong();
  song.currentPart = r.part;
  song.part(r.part).cursor = r.cursor;
  PutScoreCursor(song, r.part, r.cursor);
  song.currentPart = r.part;
  FindCriteria c;
  c.usePitch = r.pitch != nullptr;
  c.pitchText = r.pitch ? r.pitch : "";
  c.useLength = r.length != nullptr;
  c.lengthText = r.length ? r.length : "";
  c.direction = r.direction;
  c.scope = r.scope;
  const std::optional<FindHit> hit = FindNote(song, c, r.target);
  if (r.hitPart == 0) {
    EXPECT_FALSE(hit.has_value()) << "found part " << hit->part << " index " << hit->index;
    return;
  }
  ASSERT_TRUE(hit.has_value());
  EXPECT_EQ(hit->part, r.hitPart);
  EXPECT_EQ(hit->index, r.hitIndex);
}

constexpr auto kScore = FindTarget::Score;
constexpr auto kSource = FindTarget::Source;
constexpr auto kFwd = FindDirection::Forward;
constexpr auto kBack = FindDirection::Backward;
constexpr auto kTop = FindDirection::FromTop;
constexpr auto kAll = FindScope::AllParts;
constexpr auto kCur = FindScope::CurrentPart;

INSTANTIATE_TEST_SUITE_P(
    Directions, Search,
    ::testing::Values(
        SearchRow{"ForwardFromAMatchingNoteFindsIt", kScore, "e", nullptr, kFwd, kAll, 1, 2, 1, 2},
        SearchRow{"ForwardPastTheCursorSkipsEarlierNotes", kScore, "c", nullptr, kFwd, kAll, 1, 1,
                  1, 3},
        SearchRow{"ForwardGoesOnInLaterParts", kScore, "d", nullptr, kFwd, kAll, 1, 1, 3, 0},
        SearchRow{"ForwardFromAPartAfterTheLastHitFindsNothing", kScore, "d", nullptr, kFwd, kAll,
                  4, 0, 0, 0},
        SearchRow{"BackwardIncludesTheCursorElement", kScore, "c", nullptr, kBack, kCur, 1, 3, 1,
                  3},
        SearchRow{"BackwardFromLaterPartReachesPartOne", kScore, "e", nullptr, kBack, kAll, 3, 1, 1,
                  4},
        SearchRow{"BackwardAllPartsWithNoMatchEndsAfterPartOne", kScore, "g", nullptr, kBack, kAll,
                  4, 1, 0, 0},
        SearchRow{"CurrentPartOnlyStaysInItsPart", kScore, "d", nullptr, kFwd, kCur, 1, 0, 0, 0},
        SearchRow{"FromTopStartsAtPartOneWhateverTheCursor", kScore, "c#", nullptr, kTop, kAll, 4,
                  1, 3, 1},
        SearchRow{"FromTopInTheCurrentPartOnly", kScore, "e", nullptr, kTop, kCur, 4, 1, 4, 0},
        SearchRow{"NoteNumberFindsThatOctaveOnly", kScore, "73", nullptr, kTop, kAll, 1, 0, 3, 1},
        SearchRow{"NoteNumberOfAnotherOctaveFindsNothing", kScore, "61", nullptr, kTop, kAll, 1, 0,
                  0, 0},
        SearchRow{"RestFindsTheRest", kSource, "r", nullptr, kTop, kAll, 1, 0, 1, 1},
        SearchRow{"RestNeverFindsTheEndElementInTheSourceEditor", kSource, "r", nullptr, kFwd, kAll,
                  1, 2, 0, 0},
        SearchRow{"RestNeverFindsTheEndElementInTheScoreEditor", kScore, "r", nullptr, kFwd, kAll,
                  1, 2, 0, 0},
        SearchRow{"ScoreQuarterFindsTiedQuarters", kScore, nullptr, "4", kFwd, kCur, 1, 3, 1, 4},
        SearchRow{"ScoreQuarterSkipsQuarterTriplets", kScore, "c", "4", kFwd, kCur, 1, 1, 0, 0},
        SearchRow{"SourceQuarterAlsoFindsQuarterTriplets", kSource, "c", "4", kFwd, kCur, 1, 1, 1,
                  3},
        SearchRow{"SourceSixteenthAlsoFindsSixteenthTriplets", kSource, nullptr, "16", kFwd, kAll,
                  4, 0, 4, 0},
        SearchRow{"ScoreSixteenthIsNotASixteenthTriplet", kScore, nullptr, "16", kFwd, kAll, 4, 0,
                  0, 0},
        SearchRow{"TicksAndCodeSearchAlike", kScore, nullptr, "480", kFwd, kCur, 1, 3, 1, 4},
        SearchRow{"UnknownLengthFindsNothingInTheScoreEditor", kScore, nullptr, "5", kTop, kAll, 1,
                  0, 0, 0},
        SearchRow{"UnknownLengthFindsEveryNoteInTheSourceEditor", kSource, nullptr, "5", kFwd, kAll,
                  1, 1, 1, 1},
        SearchRow{"PitchAndLengthMustBothMatch", kSource, "c", "43", kTop, kAll, 1, 0, 1, 3},
        SearchRow{"NoCriterionFindsNothing", kSource, nullptr, nullptr, kTop, kAll, 1, 0, 0, 0}),
    [](const auto &info) { return std::string(info.param.name); });

// --- the find command --------------------------------------------------------------------

TEST(RunFind, AScoreHitBecomesTheOneElementSelectionOfItsPart) {
  Song song = SearchSong();
  PutScoreCursor(song, 1, 0);
  FindCriteria c;
  c.usePitch = true;
  c.pitchText = "ド#";
  const FindOutcome out = RunFind(song, c, FindTarget::Score);
  ASSERT_TRUE(out.hit.has_value());
  EXPECT_TRUE(out.message.empty());
  EXPECT_EQ(song.currentPart, 3);
  EXPECT_EQ(song.part(1).scoreHeader.partNumber, 3);
  const ScoreHeader &h = song.part(3).scoreHeader;
  EXPECT_EQ(h.cursor, 1);
  EXPECT_EQ(h.selStart, 1);
  EXPECT_EQ(h.selLength, 1);
}

TEST(RunFind, ASourceHitBecomesThePartsCursor) {
  Song song = SearchSong();
  FindCriteria c;
  c.useLength = true;
  c.lengthText = "163";
  const FindOutcome out = RunFind(song, c, FindTarget::Source);
  ASSERT_TRUE(out.hit.has_value());
  EXPECT_EQ(song.currentPart, 4);
  EXPECT_EQ(song.part(4).cursor, 0);
}

TEST(RunFind, MessagesForNoCriterionAndNoHitMoveNothing) {
  Song song = SearchSong();
  PutScoreCursor(song, 1, 2);
  FindCriteria none;
  EXPECT_EQ(RunFind(song, none, FindTarget::Score).message, kFindNoCriterionMessage);
  FindCriteria missing;
  missing.usePitch = true;
  missing.pitchText = "ソ";
  const FindOutcome out = RunFind(song, missing, FindTarget::Score);
  EXPECT_FALSE(out.hit.has_value());
  EXPECT_EQ(out.message, kFindNotFoundMessage);
  EXPECT_EQ(song.part(1).scoreHeader.cursor, 2);
  EXPECT_EQ(song.part(1).scoreHeader.selLength, 0);
  EXPECT_EQ(song.currentPart, 1);
}

} // namespace
} // namespace pipora
