// Each fitting rule on its own, then random songs: after fitting every song saves, and
// nothing changed that the fitting did not report.
#include "editing/fit_for_smd.h"

#include "fit_check.h"
#include "formats/smd/smd_writer.h"
#include "model/save_checks.h"
#include "model/vocabulary.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace pipora {
namespace {

struct Note {
  int number;
  std::string length;
  friend bool operator==(const Note &, const Note &) = default;
};

void PrintTo(const Note &n, std::ostream *out) {
  *out << n.number << ":" << n.length;
}

Song SongWith(const std::vector<Note> &notes, int part = 1) {
  Song song;
  for (const Note &n : notes)
    InsertNote(song, part, song.part(part).count, n.number, n.length, PitchNameOf(n.number));
  RecalcTimes(song);
  return song;
}

std::vector<Note> NotesOf(const Song &song, int part = 1) {
  std::vector<Note> notes;
  for (std::int32_t i = 0; i < song.part(part).count; ++i) {
    const NoteEntry &e = song.part(part).notes[static_cast<std::size_t>(i)];
    notes.push_back({e.noteNumber, std::string(e.length)});
  }
  return notes;
}

struct RuleRow {
  const char *name;
  std::vector<Note> before;
  std::vector<Note> after;
  std::vector<FitChangeKind> kinds;
};

class FitRules : public ::testing::TestWithParam<RuleRow> {};

TEST_P(FitRules, MendWithTheLeastChange) {
  const RuleRow &row = GetParam();
  const Song song = SongWith(row.before);
  ASSERT_FALSE(FindSaveProblems(song).empty()) << "the row must need fitting";
  const FitResult fitted = FitForSmd(song);
  EXPECT_EQ(NotesOf(fitted.song), row.after);
  std::vector<FitChangeKind> kinds;
  for (const FitChange &c : fitted.changes)
    kinds.push_back(c.kind);
  EXPECT_EQ(kinds, row.kinds);
  EXPECT_TRUE(FindSaveProblems(fitted.song).empty());
  EXPECT_EQ(testing::UnreportedDifference(song, fitted), "");
}

using K = FitChangeKind;
INSTANTIATE_TEST_SUITE_P(
    Rules, FitRules,
    ::testing::Values(
        RuleRow{"FoldsLowAndHighNotesByOctaves",
                {{30, "4"}, {100, "8"}, {60, "4"}},
                {{54, "4"}, {88, "8"}, {60, "4"}},
                {K::Folded, K::Folded}},
        RuleRow{"MendsUnknownLengthByWhatItPlays",
                {{60, "4"}, {62, "？"}, {64, "8"}},
                {{60, "4"}, {62, "4"}, {64, "8"}},
                {K::LengthMended}},
        RuleRow{"NegativeNumberBecomesRest",
                {{-3, "4"}, {60, "4"}},
                {{0, "4"}, {60, "4"}},
                {K::NegativeToRest}},
        RuleRow{"RemovesTieInsideWholeGroup",
                {{60, "83"}, {62, "83_"}, {64, "83"}, {64, "4"}},
                {{60, "83"}, {62, "83"}, {64, "83"}, {64, "4"}},
                {K::TieRemoved}},
        // middle and low both need one octave: the middle window wins
        RuleRow{"MovesWideGroupIntoNearestWindow",
                {{50, "83"}, {60, "83"}, {70, "83"}},
                {{62, "83"}, {60, "83"}, {70, "83"}},
                {K::MovedIntoWindow}},
        RuleRow{"MovesOutOfRangeGroupNoteIntoWindow",
                {{95, "43"}, {80, "43"}, {0, "43"}},
                {{83, "43"}, {80, "43"}, {0, "43"}},
                {K::MovedIntoWindow}},
        // an eighth triplet note then a quarter-triplet rest: one beat, completed in place
        RuleRow{"CompletesLoneNoteWithFollowingTripletRest",
                {{60, "83"}, {0, "43"}, {64, "4"}},
                {{60, "83"}, {0, "83"}, {0, "83"}, {64, "4"}},
                {K::TripletCompleted}},
        RuleRow{"CompletesPairWithTwoShortRests",
                {{60, "83"}, {62, "83"}, {0, "163"}, {0, "163"}, {64, "4"}},
                {{60, "83"}, {62, "83"}, {0, "83"}, {64, "4"}},
                {K::TripletCompleted}},
        // 0-160-320 become 0-120-360: the next note moves 40 ticks later
        RuleRow{"LonePairBecomesPlainOnNearestSixteenths",
                {{60, "83"}, {62, "83"}, {64, "4"}},
                {{60, "16"}, {62, "8"}, {64, "4"}},
                {K::TripletToPlain}},
        RuleRow{"MixedGroupBecomesPlain",
                {{60, "83"}, {62, "83"}, {64, "43"}, {65, "4"}},
                {{60, "16"}, {62, "8"}, {64, "8"}, {65, "4"}},
                {K::TripletToPlain}},
        RuleRow{"LongLoneTripletBecomesTiedPieces",
                {{60, "23"}, {62, "4"}},
                {{60, "4_"}, {60, "16"}, {62, "4"}},
                {K::TripletToPlain}},
        // the whole group stays; only the loose fourth note is made plain
        RuleRow{"KeepsWholeGroupBeforeLooseNote",
                {{60, "83"}, {62, "83"}, {64, "83"}, {65, "83"}, {67, "4"}},
                {{60, "83"}, {62, "83"}, {64, "83"}, {65, "16"}, {67, "4"}},
                {K::TripletToPlain}},
        RuleRow{"KeepsWholeGroupAfterLooseNote",
                {{60, "43"}, {62, "83"}, {64, "83"}, {65, "83"}},
                {{60, "8_"}, {60, "16"}, {62, "83"}, {64, "83"}, {65, "83"}},
                {K::TripletToPlain}},
        // the rests run past the loose run: the group takes what it needs of both
        RuleRow{"CompletesWithRestsRunningPastTheRun",
                {{60, "83"}, {0, "163"}, {0, "8"}, {64, "4"}},
                {{60, "83"}, {0, "83"}, {0, "83"}, {64, "4"}},
                {K::TripletCompleted}},
        // 0-80-160 become 0-120-240: the rest after them ends where it ended
        RuleRow{"RestAfterLengthenedPairGivesTheTimeBack",
                {{60, "163"}, {62, "163"}, {0, "4"}, {0, "2"}, {64, "4"}},
                {{60, "16"}, {62, "16"}, {0, "8"}, {0, "16"}, {0, "2"}, {64, "4"}},
                {K::TripletToPlain, K::TimeGivenBack}},
        RuleRow{"NoteWithoutASixteenthOrRestAfterItIsDropped",
                {{60, "4"}, {62, "163"}, {64, "163"}, {65, "4"}},
                {{60, "4"}, {62, "16"}, {65, "4"}},
                {K::TripletToPlain, K::NoteDropped}},
        RuleRow{"FoldsLooseTripletNoteAsItBecomesPlain",
                {{30, "83"}, {62, "83"}, {64, "4"}},
                {{54, "16"}, {62, "8"}, {64, "4"}},
                {K::TripletToPlain, K::Folded}}),
    [](const ::testing::TestParamInfo<RuleRow> &info) { return std::string(info.param.name); });

// Fitting one problem from the list: the problem named by its place in the list.
struct OneProblemRow {
  const char *name;
  std::vector<Note> before;
  std::size_t problem; // index in FindSaveProblems
  std::vector<Note> after;
  std::size_t problemsLeft;
};

class FitOneProblem : public ::testing::TestWithParam<OneProblemRow> {};

TEST_P(FitOneProblem, MendsThatProblemAndNothingElse) {
  const OneProblemRow &row = GetParam();
  const Song song = SongWith(row.before);
  const std::vector<SaveProblem> problems = FindSaveProblems(song);
  ASSERT_LT(row.problem, problems.size()) << "the row must name a problem";
  const FitResult fitted = FitProblemForSmd(song, 1, problems[row.problem].element);
  EXPECT_EQ(NotesOf(fitted.song), row.after);
  EXPECT_EQ(FindSaveProblems(fitted.song).size(), row.problemsLeft);
  EXPECT_FALSE(fitted.changes.empty());
  EXPECT_EQ(testing::UnreportedDifference(song, fitted), "");
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FitOneProblem,
    ::testing::Values(
        OneProblemRow{"FoldsOnlyTheChosenNote",
                      {{30, "4"}, {100, "8"}, {60, "4"}},
                      1,
                      {{30, "4"}, {88, "8"}, {60, "4"}},
                      1},
        OneProblemRow{"MendsOnlyTheChosenTripletGroup",
                      {{60, "83"}, {62, "83"}, {64, "4"}, {65, "83"}, {67, "83"}, {69, "4"}},
                      1,
                      {{60, "83"}, {62, "83"}, {64, "4"}, {65, "16"}, {67, "8"}, {69, "4"}},
                      1},
        OneProblemRow{"CompletesTheGroupWithTheRestsAfterIt",
                      {{30, "4"}, {60, "83"}, {0, "43"}, {64, "4"}},
                      1,
                      {{30, "4"}, {60, "83"}, {0, "83"}, {0, "83"}, {64, "4"}},
                      1},
        OneProblemRow{"MovesTheWideGroupAndLeavesTheLowNote",
                      {{30, "4"}, {50, "83"}, {60, "83"}, {70, "83"}},
                      1,
                      {{30, "4"}, {62, "83"}, {60, "83"}, {70, "83"}},
                      1},
        // the check groups the loose note with the two quarters after it
        OneProblemRow{
            "KeepsTheWholeGroupBeforeTheLooseNote",
            {{60, "83"}, {62, "83"}, {64, "83"}, {65, "83"}, {67, "4"}, {69, "4"}, {100, "4"}},
            0,
            {{60, "83"}, {62, "83"}, {64, "83"}, {65, "16"}, {67, "4"}, {69, "4"}, {100, "4"}},
            1},
        OneProblemRow{"MendsAnUnknownLengthAlone",
                      {{60, "4"}, {62, "？"}, {-1, "4"}},
                      0,
                      {{60, "4"}, {62, "4"}, {-1, "4"}},
                      1}),
    [](const ::testing::TestParamInfo<OneProblemRow> &info) {
      return std::string(info.param.name);
    });

TEST(FitForSmd, NoProblemAtTheElementChangesNothing) {
  const Song song = SongWith({{60, "4"}, {100, "4"}});
  for (const auto &[part, element] : {std::pair{1, 0}, {1, 5}, {2, 1}, {0, 1}, {17, 1}}) {
    const FitResult fitted = FitProblemForSmd(song, part, element);
    EXPECT_TRUE(fitted.changes.empty()) << part << ":" << element;
    EXPECT_EQ(NotesOf(fitted.song), NotesOf(song)) << part << ":" << element;
  }
}

TEST(FitForSmd, PlainTripletNotesKeepTimingWithinHalfASixteenth) {
  // Nine loose eighth-triplet notes in pairs between quarters: each pair snaps, and the
  // drift never adds up.
  std::vector<Note> notes;
  for (int bar = 0; bar < 30; ++bar) {
    notes.push_back({60, "83"});
    notes.push_back({62, "83"});
    notes.push_back({64, "4"});
  }
  const Song song = SongWith(notes);
  const FitResult fitted = FitForSmd(song);
  ASSERT_TRUE(FindSaveProblems(fitted.song).empty());
  const Part &before = song.part(1);
  const Part &after = fitted.song.part(1);
  int quarters = 0;
  for (std::int32_t i = 0, j = 0; i < before.count && j < after.count; ++j) {
    if (after.notes[static_cast<std::size_t>(j)].noteNumber != 64)
      continue;
    while (before.notes[static_cast<std::size_t>(i)].noteNumber != 64)
      ++i;
    EXPECT_LE(std::abs(after.notes[static_cast<std::size_t>(j)].start -
                       before.notes[static_cast<std::size_t>(i)].start),
              60)
        << "quarter " << quarters;
    ++quarters;
    ++i;
  }
  EXPECT_EQ(quarters, 30);
}

TEST(FitForSmd, SavableSongIsLeftAsItIs) {
  const Song song = SongWith({{60, "4"}, {62, "83_"}, {64, "83"}, {65, "83"}, {45, "2"}});
  const FitResult fitted = FitForSmd(song);
  EXPECT_TRUE(fitted.changes.empty());
  EXPECT_EQ(NotesOf(fitted.song), NotesOf(song));
}

TEST(FitForSmd, ChangesNameTheirPartAndPlace) {
  Song song = SongWith({{60, "4"}, {30, "4"}}, 3);
  const FitResult fitted = FitForSmd(song);
  ASSERT_EQ(fitted.changes.size(), 1u);
  EXPECT_EQ(fitted.changes[0].part, 3);
  EXPECT_EQ(fitted.changes[0].element, 1);
  EXPECT_EQ(fitted.changes[0].tick, 480);
  EXPECT_EQ(fitted.changes[0].octaves, 2);
  EXPECT_EQ(FitChangesText(fitted.changes, 480, 4), "3\t1\t1:2:0\tオクターブ移動 +2 オクターブ\n");
}

TEST(FitForSmd, RemovedTieIsNamedInTheChanges) {
  const FitResult fitted = FitForSmd(SongWith({{60, "83"}, {62, "83_"}, {64, "83"}}));
  EXPECT_EQ(FitChangesText(fitted.changes, 480, 4), "1\t1\t1:1:16\tタイを削除\n");
}

// Where each part ends, from its start.
std::vector<std::int32_t> PartEnds(const Song &song) {
  std::vector<std::int32_t> ends;
  for (int n = 1; n <= kUserParts; ++n) {
    const Part &p = song.part(n);
    ends.push_back(
        p.count <= 0 ? 0 : p.notes[static_cast<std::size_t>(p.count)].start - p.notes[0].start);
  }
  return ends;
}

Song RandomSong(std::mt19937 &rng) {
  static const int kNumbers[] = {0,  0,  20, 30, 43, 44, 45, 50,  57,  60,
                                 66, 67, 69, 78, 79, 90, 91, 100, 127, -2};
  static const char *kLengths[] = {"2",  "4",   "8",   "16",  "4_",  "8_", "23", "43",
                                   "83", "163", "43_", "83_", "23_", "？", "3"};
  Song song;
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const int parts = pick(1, 3);
  for (int k = 0; k < parts; ++k) {
    const int part = pick(1, kUserParts);
    const int elements = pick(1, 60);
    for (int i = 0; i < elements; ++i) {
      const int number = kNumbers[pick(0, std::size(kNumbers) - 1)];
      const char *length = kLengths[pick(0, std::size(kLengths) - 1)];
      InsertNote(song, part, song.part(part).count, number, length, PitchNameOf(number));
    }
  }
  RecalcTimes(song);
  return song;
}

TEST(FitForSmd, EveryRandomSongSavesAfterFittingWithOnlyReportedChanges) {
  std::mt19937 rng(1207);
  for (int round = 0; round < 3000; ++round) {
    const Song song = RandomSong(rng);
    const FitResult fitted = FitForSmd(song);
    const std::vector<SaveProblem> left = FindSaveProblems(fitted.song);
    ASSERT_TRUE(left.empty()) << "round " << round << ": part " << left[0].part << " element "
                              << left[0].element << " " << left[0].message();
    Song saved = fitted.song;
    ASSERT_TRUE(EncodeSmd(saved).ok()) << "round " << round;
    ASSERT_EQ(testing::UnreportedDifference(song, fitted), "") << "round " << round;
    // Fitting what is fitted changes nothing.
    EXPECT_TRUE(FitForSmd(fitted.song).changes.empty()) << "round " << round;
    // Time is kept: note starts within half a sixteenth, part ends on their nearest sixteenth.
    const std::vector<std::int32_t> before = PartEnds(song);
    const std::vector<std::int32_t> after = PartEnds(fitted.song);
    for (std::size_t n = 0; n < before.size(); ++n) {
      ASSERT_LE(fitted.moves[n + 1], 60) << "round " << round << " part " << n + 1 << "\n"
                                         << ::testing::PrintToString(NotesOf(song, n + 1)) << "\n"
                                         << ::testing::PrintToString(NotesOf(fitted.song, n + 1));
      if (before[n] % 40 == 0) { // lengths the fitting knows
        ASSERT_EQ(after[n], (before[n] + 60) / 120 * 120) << "round " << round << " part " << n + 1;
      }
    }
  }
}

TEST(FitForSmd, EveryRandomProblemFittedAloneGoesAndLeavesTheOthers) {
  std::mt19937 rng(1501);
  int fitted = 0;
  for (int round = 0; round < 2000; ++round) {
    const Song song = RandomSong(rng);
    const std::vector<SaveProblem> before = FindSaveProblems(song);
    if (before.empty())
      continue;
    const SaveProblem &chosen =
        before[std::uniform_int_distribution<std::size_t>(0, before.size() - 1)(rng)];
    const FitResult result = FitProblemForSmd(song, chosen.part, chosen.element);
    ASSERT_FALSE(result.changes.empty()) << "round " << round;
    ASSERT_EQ(testing::UnreportedDifference(song, result), "") << "round " << round;
    // The problems before the mended stretch stay as they were, those after it move by as
    // many elements as the fitting added; the stretch holds none any more.
    Song timed = song;
    RecalcTimes(timed);
    const auto [from, to] = ProblemStretch(timed.part(chosen.part), chosen);
    for (const FitChange &c : result.changes) {
      ASSERT_EQ(c.part, chosen.part) << "round " << round;
      ASSERT_GE(c.element, from) << "round " << round;
      ASSERT_LE(c.element + c.count, to) << "round " << round;
    }
    const int added = result.song.part(chosen.part).count - song.part(chosen.part).count;
    std::vector<std::tuple<int, int, SaveProblemKind>> expected;
    for (const SaveProblem &p : before) {
      // A group's problem belongs where the group starts (an incomplete group at the end of
      // a part names the end marker).
      const int at = p.groupStart >= 0 ? p.groupStart : p.element;
      if (p.part != chosen.part || at < from)
        expected.emplace_back(p.part, p.element, p.kind);
      else if (at >= to)
        expected.emplace_back(p.part, p.element + added, p.kind);
    }
    std::vector<std::tuple<int, int, SaveProblemKind>> after;
    for (const SaveProblem &p : FindSaveProblems(result.song))
      after.emplace_back(p.part, p.element, p.kind);
    ASSERT_EQ(after, expected) << "round " << round;
    ASSERT_LT(after.size(), before.size()) << "round " << round;
    ++fitted;
  }
  EXPECT_GT(fitted, 1000);
}

} // namespace
} // namespace pipora
