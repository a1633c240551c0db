#include "core/engraving/engraving_fixture.h"
#include "engraving/accidentals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pipora {
namespace {

using engraving_test::Element;
using engraving_test::ScoreOf;

constexpr int kC4 = 60, kCis4 = 61, kEs4 = 63, kCis5 = 73, kRest = 0;
constexpr Accidental N = Accidental::None, S = Accidental::Sharp, F = Accidental::Flat,
                     Nat = Accidental::Natural;

struct AccidentalRow {
  const char *name;
  std::vector<Element> notes;
  std::vector<Accidental> printed; // one per element, the end element left out
};

Song SongFrom(const std::vector<Element> &notes) {
  Song song;
  for (const auto &[number, length] : notes)
    InsertNote(song, 1, song.part(1).count, number, length, "");
  RecalcTimes(song);
  BuildScoreList(song);
  return song;
}

class MeasureAccidentals : public ::testing::TestWithParam<AccidentalRow> {};

TEST_P(MeasureAccidentals, PrintedOncePerMeasureAndLine) {
  const AccidentalRow &row = GetParam();
  const Song song = SongFrom(row.notes);
  const auto score = ScoreOf(song);
  const int last = static_cast<int>(row.notes.size()) - 1;
  EXPECT_EQ(PrintedAccidentals(score, 0, last, song.measureTicks(), DefaultStaffLabels()),
            row.printed);
  // A redraw that starts further right sees the same marks.
  for (int first = 1; first <= last; ++first) {
    const std::vector<Accidental> tail(row.printed.begin() + first, row.printed.end());
    EXPECT_EQ(PrintedAccidentals(score, first, last, song.measureTicks(), DefaultStaffLabels()),
              tail)
        << "from element " << first;
  }
}

INSTANTIATE_TEST_SUITE_P(
    FourFour, MeasureAccidentals,
    ::testing::Values(
        AccidentalRow{"SharpTwiceInOneMeasurePrintsOne", {{kCis4, "4"}, {kCis4, "4"}}, {S, N}},
        AccidentalRow{"SharpInTwoMeasuresPrintsTwo",
                      {{kC4, "2"}, {kC4, "4"}, {kCis4, "4"}, {kCis4, "4"}},
                      {N, N, S, S}},
        AccidentalRow{"ReturningPitchGetsANatural", {{kCis4, "4"}, {kC4, "4"}}, {S, Nat}},
        AccidentalRow{
            "SharpAgainAfterTheNatural", {{kCis4, "4"}, {kC4, "4"}, {kCis4, "4"}}, {S, Nat, S}},
        AccidentalRow{"TiedOverTheBarPrintsNoneOnTheSecond",
                      {{kC4, "2"}, {kC4, "4"}, {kCis4, "4_"}, {kCis4, "4"}},
                      {N, N, S, N}},
        AccidentalRow{"AfterATiedNoteTheMeasureNeedsItAgain",
                      {{kC4, "2"}, {kC4, "4"}, {kCis4, "4_"}, {kCis4, "4"}, {kCis4, "4"}},
                      {N, N, S, N, S}},
        AccidentalRow{"TieToAnotherPitchIsNoTie",
                      {{kC4, "2"}, {kC4, "4"}, {kC4, "4_"}, {kCis4, "4"}},
                      {N, N, N, S}},
        AccidentalRow{"OtherOctaveIsAnotherLine", {{kCis4, "4"}, {kCis5, "4"}}, {S, S}},
        AccidentalRow{"FlatFromTheLabelTable", {{kEs4, "4"}, {kEs4, "4"}}, {F, N}},
        AccidentalRow{"RestsCarryNothing", {{kCis4, "4"}, {kRest, "4"}, {kCis4, "4"}}, {S, N, N}},
        AccidentalRow{"PlainNotesPrintNothing", {{kC4, "4"}, {kC4, "4"}}, {N, N}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(MeasureAccidentals, PickupIsAMeasureOfItsOwn) {
  Song song = SongFrom({{kCis4, "4"}, {kCis4, "4"}, {kCis4, "4"}});
  // Element 0 starts a quarter before tick 0.
  for (ScoreNote &n : song.part(1).score)
    n.start -= 480;
  EXPECT_EQ(PrintedAccidentals(ScoreOf(song), 0, 2, song.measureTicks(), DefaultStaffLabels()),
            (std::vector<Accidental>{S, S, N}));
}

} // namespace
} // namespace pipora
