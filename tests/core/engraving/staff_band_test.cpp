#include "core/engraving/engraving_fixture.h"
#include "engraving/engraving_layout.h"
#include "engraving/staff_band.h"

#include <gtest/gtest.h>

#include <string>

namespace pipora {
namespace {

using engraving_test::LayOut;
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

EngravingView ViewAt() {
  EngravingView v;
  v.scrollX = -kClefMargin;
  v.width = 1200;
  return v;
}

TEST(LabelLine, AllLabelsOnOneLineWithoutOverlap) {
  EngravingMetrics m;
  m.labelWidth.fill(30);
  // Sixteenths at two spacing increments (22 px) leave room for every other label of 30 px.
  const Song song =
      SongOf({{60, "16"}, {64, "16"}, {67, "16"}, {72, "16"}, {84, "4"}, {57, "4"}, {62, "4"}});
  const EngravedPart part = LayOut(song, ViewAt(), m);
  double right = -1e9;
  int shown = 0;
  for (const EngravedNote &n : part.notes) {
    if (!n.labelShown)
      continue;
    ++shown;
    EXPECT_GE(n.labelX, right + 2) << n.index;
    EXPECT_EQ(n.labelX, static_cast<int>(n.x + m.headLeft)) << n.index;
    right = n.labelX + 30;
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
  const EngravedPart part = LayOut(song, ViewAt(), m, 100);
  EXPECT_TRUE(part.notes[0].labelShown);
  EXPECT_TRUE(part.notes[1].labelShown);
  EXPECT_FALSE(part.notes[2].labelShown); // tied over
  EXPECT_TRUE(part.notes[3].labelShown);
}

TEST(LabelLine, NoLabelsWhenSwitchedOff) {
  EngravingView view = ViewAt();
  view.labels = false;
  const Song song = SongOf({{60, "4"}, {64, "4"}});
  for (const EngravedNote &n : LayOut(song, view, EngravingMetrics{}).notes)
    EXPECT_FALSE(n.labelShown);
}

TEST(BarLines, AccidentalOnTheFirstNoteGetsRoomAfterTheLine) {
  const EngravingMetrics m;
  Song song = SongOf({{60, "2"}, {60, "2"}, {61, "4"}, {60, "4"}, {60, "2"}, {60, "2"}, {60, "2"}});
  song.display.key = KeySignature{};
  const ScoreSheet sheet(song, SheetOptions{}, DefaultStaffLabels(), m);
  EngravingView view = ViewAt();
  view.scrollX = 0;
  const EngravedPart part = LayOutPart(song, 1, view, sheet, m);
  // Bar 2 starts with C#4: the line stands left of the sharp, clear of the half note before.
  const EngravedNote &sharp = part.notes[2];
  ASSERT_EQ(sharp.accidental, Accidental::Sharp);
  EXPECT_LE(sheet.barLineX(1920), sharp.accidentalLeft - m.barLineRoom);
  EXPECT_GE(sheet.barLineX(1920), part.notes[1].x + m.headLeft + m.headWidth + m.noteGap);
  EXPECT_LT(sharp.accidentalLeft, sharp.x + m.headLeft);
  // Bar 3 starts with a plain C4: the line keeps only its gap before the head.
  EXPECT_LT(sheet.barLineX(3840), part.notes[5].x);
  EXPECT_GT(sheet.barLineX(3840), part.notes[5].x - m.accidentalWidth[1]);
}

} // namespace
} // namespace pipora
