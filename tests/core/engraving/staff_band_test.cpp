#include "core/engraving/engraving_fixture.h"
#include "editing/engraving/engraving_layout.h"
#include "editing/engraving/staff_band.h"

#include <gtest/gtest.h>

#include <string>

namespace pipora {
namespace {

using engraving_test::SongOf;

constexpr int kStaffBottom = kStaffTopLine + 4 * kStaffLineGap;

class StaffBands : public ::testing::TestWithParam<int> {};

TEST_P(StaffBands, NeighboursTouchAndLabelsSitUnderTheStaff) {
  const int staffDistance = GetParam();
  const StaffBand band = BandOf(staffDistance);
  // Part p + 1's band starts where part p's ends.
  EXPECT_EQ(PartTop(1, staffDistance, 0) + band.bottom, PartTop(2, staffDistance, 0) + band.top);
  EXPECT_LE(band.top, kPartLabelTop); // the "CH n" label is inside
  EXPECT_GT(band.labelTop, kStaffBottom);
  EXPECT_LE(band.labelTop + kLabelLineHeight, band.bottom);
}

INSTANTIATE_TEST_SUITE_P(Heights, StaffBands, ::testing::Values(100, 120, 200),
                         [](const auto &info) { return "rows" + std::to_string(info.param); });

TEST(TimeSignatures, FromBeatsAndBeatLength) {
  Song song;
  ASSERT_TRUE(TimeSignatureOf(song).has_value());
  EXPECT_EQ(TimeSignatureOf(song)->beats, 4);
  EXPECT_EQ(TimeSignatureOf(song)->unit, 4);
  song.beatsPerMeasure = 6;
  song.ticksPerBeat = 240;
  EXPECT_EQ(TimeSignatureOf(song)->unit, 8);
  song.ticksPerBeat = 960;
  EXPECT_EQ(TimeSignatureOf(song)->unit, 2);
  song.ticksPerBeat = 500;
  EXPECT_FALSE(TimeSignatureOf(song).has_value());
  song.ticksPerBeat = 480;
  song.beatsPerMeasure = 0;
  EXPECT_FALSE(TimeSignatureOf(song).has_value());
}

EngravingView ViewAt(int quarterWidth) {
  EngravingView v;
  v.quarterWidth = quarterWidth;
  v.scrollX = -kClefMargin;
  v.width = 1200;
  return v;
}

TEST(LabelLine, AllLabelsOnOneLineWithoutOverlap) {
  EngravingMetrics m;
  m.labelWidth.fill(20);
  // Sixteenths at 12.5 px leave room for every other label of 20 px.
  const Song song =
      SongOf({{60, "16"}, {64, "16"}, {67, "16"}, {72, "16"}, {84, "4"}, {57, "4"}, {62, "4"}});
  const EngravedPart part = LayOutPart(song, 1, ViewAt(50), DefaultStaffLabels(), m);
  double right = -1e9;
  int shown = 0;
  for (const EngravedNote &n : part.notes) {
    if (!n.labelShown)
      continue;
    ++shown;
    EXPECT_GE(n.labelX, right + 2) << n.index;
    EXPECT_EQ(n.labelX, static_cast<int>(n.x + m.headLeft)) << n.index;
    right = n.labelX + 20;
  }
  EXPECT_EQ(shown, 5);
  EXPECT_TRUE(part.notes[0].labelShown);
  EXPECT_FALSE(part.notes[1].labelShown);
  // High and low notes alike label on the band's label line, below every staff line.
  EXPECT_GT(part.band.labelTop, kStaffBottom);
}

TEST(LabelLine, WideSpacingShowsEveryLabelAndTiesRepeatNone) {
  EngravingMetrics m;
  m.labelWidth.fill(20);
  const Song song = SongOf({{60, "8"}, {64, "8_"}, {64, "8"}, {67, "8"}});
  const EngravedPart part = LayOutPart(song, 1, ViewAt(100), DefaultStaffLabels(), m);
  EXPECT_TRUE(part.notes[0].labelShown);
  EXPECT_TRUE(part.notes[1].labelShown);
  EXPECT_FALSE(part.notes[2].labelShown); // tied over
  EXPECT_TRUE(part.notes[3].labelShown);
}

TEST(LabelLine, NoLabelsWhenSwitchedOff) {
  EngravingView view = ViewAt(100);
  view.labels = false;
  const Song song = SongOf({{60, "4"}, {64, "4"}});
  for (const EngravedNote &n :
       LayOutPart(song, 1, view, DefaultStaffLabels(), EngravingMetrics{}).notes)
    EXPECT_FALSE(n.labelShown);
}

TEST(BarLines, AccidentalOnTheFirstNoteGetsRoomAfterTheLine) {
  const EngravingMetrics m;
  const Song song =
      SongOf({{60, "2"}, {60, "2"}, {61, "4"}, {60, "4"}, {60, "2"}, {60, "2"}, {60, "2"}});
  const EngravingView view = ViewAt(50);
  const EngravedPart part = LayOutPart(song, 1, view, DefaultStaffLabels(), m);
  const double plain = 1920.0 * 50 / 480 + kClefMargin - 50 / 20;
  // Bar 2 starts with C#4: the line moves left of the sharp.
  const EngravedNote &sharp = part.notes[2];
  ASSERT_EQ(sharp.accidental, Accidental::Sharp);
  const double x = BarLineX(part, 1920, plain, m);
  EXPECT_LE(x, sharp.accidentalLeft - m.barLineRoom);
  EXPECT_LT(sharp.accidentalLeft, sharp.x + m.headLeft);
  // Bar 3 starts with a plain C4: the line stays.
  EXPECT_DOUBLE_EQ(BarLineX(part, 3840, plain + 200, m), plain + 200);
}

} // namespace
} // namespace pipora
