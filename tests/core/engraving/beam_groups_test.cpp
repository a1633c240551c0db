#include "core/engraving/engraving_fixture.h"
#include "engraving/beam_groups.h"
#include "engraving/engraving_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pipora {
namespace {

using engraving_test::Element;
using engraving_test::LayOut;
using engraving_test::ScoreOf;
using engraving_test::SongOf;

constexpr int kE4 = 64, kA4 = 69, kC5 = 72, kRest = 0;

struct BeamRow {
  const char *name;
  std::vector<Element> notes;
  std::vector<std::pair<int, int>> groups; // first and last element of each beam
};

class BeamGrouping : public ::testing::TestWithParam<BeamRow> {};

TEST_P(BeamGrouping, GroupsWithinBeats) {
  const BeamRow &row = GetParam();
  Song song;
  for (const auto &[number, length] : row.notes)
    InsertNote(song, 1, song.part(1).count, number, length, "");
  RecalcTimes(song);
  BuildScoreList(song);
  const auto score = ScoreOf(song);
  std::vector<std::pair<int, int>> got;
  for (const BeamGroup &g : FindBeamGroups(score, 0, static_cast<int>(score.size()) - 1,
                                           BeamSpanTicks(song), song.measureTicks()))
    got.emplace_back(g.first, g.last);
  EXPECT_EQ(got, row.groups);
}

INSTANTIATE_TEST_SUITE_P(
    FourFour, BeamGrouping,
    ::testing::Values(
        BeamRow{"FourEighthsGiveTwoBeamsOfTwo",
                {{kE4, "8"}, {kE4, "8"}, {kE4, "8"}, {kE4, "8"}},
                {{0, 1}, {2, 3}}},
        BeamRow{"FourSixteenthsShareOneBeat",
                {{kE4, "16"}, {kE4, "16"}, {kE4, "16"}, {kE4, "16"}},
                {{0, 3}}},
        BeamRow{"EighthAndTwoSixteenths", {{kE4, "8"}, {kE4, "16"}, {kE4, "16"}}, {{0, 2}}},
        BeamRow{
            "RestBreaksTheBeam", {{kE4, "16"}, {kRest, "16"}, {kE4, "16"}, {kE4, "16"}}, {{2, 3}}},
        BeamRow{
            "EighthsAcrossTheBeatStayApart", {{kE4, "8"}, {kE4, "4"}, {kE4, "8"}, {kE4, "8"}}, {}},
        BeamRow{"QuarterBetweenEighthsBreaks", {{kE4, "8"}, {kE4, "4"}, {kE4, "8"}}, {}},
        BeamRow{"TripletOfEighthsIsOneBeam", {{kE4, "83"}, {kE4, "83"}, {kE4, "83"}}, {{0, 2}}},
        BeamRow{"TripletWithRestBeamsTheNotesBeside",
                {{kE4, "83"}, {kE4, "83"}, {kRest, "83"}},
                {{0, 1}}},
        BeamRow{"TripletRestInTheMiddleLeavesFlags", {{kE4, "83"}, {kRest, "83"}, {kE4, "83"}}, {}},
        BeamRow{"TwoTripletGroupsTwoBeams",
                {{kE4, "83"}, {kE4, "83"}, {kE4, "83"}, {kE4, "83"}, {kE4, "83"}, {kE4, "83"}},
                {{0, 2}, {3, 5}}},
        BeamRow{"IncompleteTripletIsNotBeamed", {{kE4, "83"}, {kE4, "83"}, {kE4, "4"}}, {}},
        BeamRow{"QuarterTripletsHaveNoBeam", {{kE4, "43"}, {kE4, "43"}, {kE4, "43"}}, {}},
        BeamRow{"TripletsDoNotJoinPlainEighths",
                {{kE4, "83"}, {kE4, "83"}, {kE4, "83"}, {kE4, "8"}, {kE4, "8"}},
                {{0, 2}, {3, 4}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(BeamGrouping, StartsAtTheBeatOfAnElementInItsMiddle) {
  const Song song = SongOf({{kE4, "16"}, {kE4, "16"}, {kE4, "16"}, {kE4, "16"}});
  const auto groups = FindBeamGroups(ScoreOf(song), 2, 2, 480, 1920);
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].first, 0);
  EXPECT_EQ(groups[0].last, 3);
}

TEST(BeamGrouping, CompoundMetreBeamsThreeEighths) {
  Song song = SongOf({{kE4, "8"}, {kE4, "8"}, {kE4, "8"}, {kE4, "8"}, {kE4, "8"}, {kE4, "8"}});
  song.beatsPerMeasure = 6;
  song.ticksPerBeat = 240;
  EXPECT_EQ(BeamSpanTicks(song), 720);
  const auto groups = FindBeamGroups(ScoreOf(song), 0, 6, BeamSpanTicks(song), 1440);
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[1].first, 3);
  EXPECT_EQ(groups[1].last, 5);
}

EngravingView WideView() {
  EngravingView v;
  v.scrollX = -kClefMargin;
  v.width = 1200;
  return v;
}

TEST(BeamLayout, OneStemDirectionPerGroupAndFlagsOnlyOnLoneNotes) {
  // A4 alone would point up, C5 down: beamed they share one direction.
  const Song song = SongOf({{kA4, "8"}, {kC5, "8"}, {kE4, "8"}, {kRest, "8"}, {kC5, "16"}});
  const EngravedPart part = LayOut(song, WideView(), EngravingMetrics{});
  ASSERT_EQ(part.groups.size(), 1u);
  const EngravedNote &a = part.notes[0];
  const EngravedNote &b = part.notes[1];
  EXPECT_EQ(a.stemDown, b.stemDown);
  EXPECT_EQ(a.flags, 0);
  EXPECT_EQ(b.flags, 0);
  EXPECT_EQ(part.notes[2].flags, 1); // lone eighth after the beat
  EXPECT_EQ(part.notes[4].flags, 2); // lone sixteenth
  EXPECT_EQ(part.notes[2].group, -1);
}

TEST(BeamLayout, StemsReachTheBeamAndStayLongEnough) {
  const EngravingMetrics m;
  // A leap of an octave: the beam slants by at most one staff space.
  const Song song = SongOf({{kE4, "16"}, {kE4 + 12, "16"}, {kE4 + 5, "16"}, {kE4 + 2, "16"}});
  const EngravedPart part = LayOut(song, WideView(), m);
  ASSERT_EQ(part.groups.size(), 1u);
  ASSERT_EQ(part.beams.size(), 2u); // both beams over all four
  const BeamLine &primary = part.beams[0];
  EXPECT_LE(std::abs(primary.y1 - primary.y0), kStaffLineGap);
  for (int k = 0; k < 4; ++k) {
    const EngravedNote &n = part.notes[static_cast<std::size_t>(k)];
    const double length = n.stemDown ? n.stemTip - n.headCentre : n.headCentre - n.stemTip;
    EXPECT_GE(length, m.shortestStem + m.beamDistance) << k;
    // The stem ends on the primary beam's line.
    const double t = (n.stemX - primary.x0) / (primary.x1 - primary.x0);
    EXPECT_NEAR(n.stemTip, primary.y0 + t * (primary.y1 - primary.y0), 0.01) << k;
  }
}

TEST(BeamLayout, LoneSixteenthBesideEighthGetsAPartBeam) {
  const EngravingMetrics m;
  const Song song = SongOf({{kE4, "8"}, {kE4, "16"}, {kE4, "16"}, {kE4, "16"}, {kE4, "8"}});
  const EngravedPart part = LayOut(song, WideView(), m);
  ASSERT_EQ(part.groups.size(), 2u);
  // Group one: primary and the second beam over the two sixteenths; group two: primary and a
  // part beam on the sixteenth pointing right, toward the eighth.
  ASSERT_EQ(part.beams.size(), 4u);
  const BeamLine &stub = part.beams[3];
  EXPECT_LE(stub.x1 - stub.x0, m.stubLength);
  EXPECT_NEAR(stub.x0, part.notes[3].stemX, 0.01);
}

TEST(TupletLayout, TripletOfEighthsGetsOneBeamAndItsBracket) {
  const EngravingMetrics m;
  const Song song = SongOf({{kE4, "83"}, {kE4, "83"}, {kE4, "83"}, {kE4, "4"}});
  const EngravedPart part = LayOut(song, WideView(), m);
  ASSERT_EQ(part.groups.size(), 1u);
  EXPECT_TRUE(part.groups[0].triplet);
  EXPECT_EQ(part.beams.size(), 1u);
  ASSERT_EQ(part.tuplets.size(), 1u);
  const TupletMark &t = part.tuplets[0];
  EXPECT_DOUBLE_EQ(t.x0, part.notes[0].x + m.headLeft);
  EXPECT_DOUBLE_EQ(t.x1, part.notes[2].x + m.headLeft + m.headWidth);
  // Above the beam (stems up for E4) and above the staff, hooks pointing at the notes.
  EXPECT_LT(t.hookY, part.notes[0].stemTip);
  EXPECT_LT(t.hookY, kStaffTopLine);
  EXPECT_GT(t.hookY, t.y);
  EXPECT_GE(t.y, part.band.top);
}

TEST(TupletLayout, RestTripletKeepsItsBracket) {
  const Song song = SongOf({{kE4, "83"}, {kRest, "83"}, {kE4, "83"}});
  const EngravedPart part = LayOut(song, WideView(), EngravingMetrics{});
  EXPECT_TRUE(part.groups.empty());
  EXPECT_EQ(part.tuplets.size(), 1u);
}

std::vector<ScoreNote> Durations(std::initializer_list<int> durations) {
  std::vector<ScoreNote> score;
  for (int d : durations) {
    ScoreNote n;
    n.noteNumber = kC5;
    n.duration = static_cast<std::int16_t>(d);
    score.push_back(n);
  }
  return score;
}

// Where the brackets go: the third element of each group, as the classic drawing puts them.
std::vector<int> BracketsFromLeft(const std::vector<ScoreNote> &score) {
  std::vector<int> closed;
  for (int start : TripletGroupStarts(score))
    closed.push_back(start + 2);
  return closed;
}

TEST(TripletGroup, ThreeGetOneBracketAndAFourthStartsNone) {
  auto three = Durations({160, 160, 160});
  EXPECT_EQ(BracketsFromLeft(three), std::vector<int>({2}));
  auto four = Durations({160, 160, 160, 160});
  EXPECT_EQ(BracketsFromLeft(four), std::vector<int>({2}));
  auto six = Durations({160, 160, 160, 160, 160, 160});
  EXPECT_EQ(BracketsFromLeft(six), std::vector<int>({2, 5}));
  // A different length breaks the run: the group starts again after it.
  auto broken = Durations({160, 160, 320, 320, 320, 160, 160, 160});
  EXPECT_EQ(BracketsFromLeft(broken), std::vector<int>({4, 7}));
}

TEST(TripletGroup, TheSheetHoldsEachPartsBrackets) {
  Song song = SongOf({{kE4, "83"},
                      {kE4, "83"},
                      {kE4, "83"},
                      {kE4, "83"},
                      {kE4, "4"},
                      {kE4, "163"},
                      {kE4, "163"},
                      {kE4, "163"}});
  AppendNote(song, 2, kE4, "43", "");
  AppendNote(song, 2, kE4, "43", "");
  RecalcTimes(song);
  BuildScoreList(song);
  SheetOptions options;
  options.proportional = true;
  const ScoreSheet sheet(song, options, DefaultStaffLabels());
  EXPECT_EQ(sheet.row(1).tripletGroups, std::vector<int>({0, 5}));
  EXPECT_TRUE(sheet.row(1).closesTripletGroup(2));
  EXPECT_FALSE(sheet.row(1).closesTripletGroup(3));
  EXPECT_TRUE(sheet.row(1).closesTripletGroup(7));
  EXPECT_TRUE(sheet.row(2).tripletGroups.empty()); // two of three
}

TEST(TripletGroup, TheListAgreesWithEachElementsGroup) {
  const auto score =
      Durations({240, 160, 160, 160, 160, 160, 160, 160, 80, 80, 80, 160, 160, 160, 0});
  const std::vector<int> starts = TripletGroupStarts(score);
  for (int j = 0; j < static_cast<int>(score.size()); ++j) {
    int want = -1;
    for (int s : starts)
      if (j >= s && j <= s + 2)
        want = s;
    EXPECT_EQ(TripletGroupStart(score, j), want) << "element " << j;
  }
}

TEST(EngravingRange, WorkGrowsWithTheViewNotWithTheSong) {
  auto laidOut = [](int notes) {
    Song song;
    for (int i = 0; i < notes; ++i)
      AppendNote(song, 1, kE4 + i % 7, "8", "");
    RecalcTimes(song);
    BuildScoreList(song);
    EngravingView view = WideView();
    view.scrollX = 5000; // somewhere in the middle of both songs
    return LayOut(song, view, EngravingMetrics{}).notes;
  };
  const auto shortSong = laidOut(400);
  const auto longSong = laidOut(20000);
  EXPECT_EQ(shortSong.size(), longSong.size());
  ASSERT_FALSE(longSong.empty());
  EXPECT_EQ(shortSong.front().index, longSong.front().index);
  EXPECT_LT(longSong.size(), 80u); // 1200 px of eighths at 22 px each, plus the edges
}

} // namespace
} // namespace pipora
