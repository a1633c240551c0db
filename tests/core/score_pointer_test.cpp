#include "editing/score_pointer.h"
#include "engraving/score_hit_test.h"
#include "model/virtual_keys.h"

#include <gtest/gtest.h>

namespace pipora {
namespace {

// C4 D4 E4 F#4 G4 A4 B4 C5, quarters, in part 1; part 2 empty.
Song EightNotes() {
  Song song;
  for (int n : {60, 62, 64, 66, 67, 69, 71, 72})
    InsertNote(song, 1, song.part(1).count, n, "4", "");
  RecalcTimes(song);
  BuildScoreList(song);
  return song;
}

ScoreHitView ViewOf(bool classic, int scrollX = -48) {
  ScoreHitView v;
  v.engraving.scrollX = scrollX;
  v.engraving.width = 1000;
  v.classic = classic;
  return v;
}

// Where each drawing puts an element's head: the engraved layout, or the classic cell pushed
// right by an accidental. The hit test must agree with these, whatever the spacing.
struct Point {
  int x = 0, y = 0;
};

Point HeadOf(const Song &song, const ScoreHitView &view, int part, int element) {
  const EngravingMetrics m;
  const StaffLabelTable table = DefaultStaffLabels();
  const ScoreNote &s = song.part(part).score[static_cast<std::size_t>(element)];
  const int top = PartTop(part, view.engraving.staffDistance, view.scrollY);
  if (!view.classic) {
    for (const EngravedNote &n : LayOutPart(song, part, view.engraving, table, m).notes)
      if (n.index == element)
        return {static_cast<int>(n.x + m.headLeft + m.headWidth / 2),
                top + (n.isNote ? n.headCentre : kMiddleCLine - 36)};
    ADD_FAILURE() << "element " << element << " not laid out";
  }
  const int x = XOfTick(s.start, view.engraving.quarterWidth, view.engraving.scrollX);
  const bool accidental = s.noteNumber > 0 && LabelIsSharp(table[PitchClassOf(s.noteNumber)].label);
  const double shift = accidental ? m.accidentalWidth[1] + 1 : 0;
  const double staff = s.noteNumber > 0 ? StaffPosition(s.noteNumber, table) : 36; // middle line
  return {static_cast<int>(x + shift + m.headLeft + m.headWidth / 2),
          top + RoundHalfEven(kMiddleCLine - staff)};
}

TEST(ScoreHitTest, PointsToPartCursorAndElement) {
  struct Row {
    const char *name;
    int part, element; // whose head the point is taken from
    int dx, dy;        // away from that head
    int cursor, hit;
  };
  const Row rows[] = {
      {"the first head", 1, 0, 0, 0, 0, 0},
      {"the third head", 1, 2, 0, 0, 2, 2},
      {"left of the fifth head, nearer it than the fourth", 1, 4, -15, 0, 4, -1},
      {"up the stem of middle C", 1, 0, 6, -30, 0, 0},
      {"above a stem-down C5, off its head", 1, 7, 0, -20, 7, -1},
      {"past the last note", 1, 8, 0, 0, 8, -1},
      {"the staff of the empty second part", 2, 0, 0, 0, 0, -1},
  };
  const Song song = EightNotes();
  const StaffLabelTable table = DefaultStaffLabels();
  for (bool classic : {false, true})
    for (const Row &r : rows) {
      const ScoreHitView view = ViewOf(classic);
      const Point head = HeadOf(song, view, r.part, r.element);
      const ScoreHit hit =
          HitTestScore(song, view, table, EngravingMetrics{}, head.x + r.dx, head.y + r.dy);
      EXPECT_EQ(hit.part, r.part) << r.name << (classic ? " (classic)" : "");
      EXPECT_EQ(hit.cursor, r.cursor) << r.name << (classic ? " (classic)" : "");
      EXPECT_EQ(hit.element, r.hit) << r.name << (classic ? " (classic)" : "");
    }
}

TEST(ScoreHitTest, FollowsTheScrollAndTheAccidental) {
  const Song song = EightNotes();
  const StaffLabelTable table = DefaultStaffLabels();
  const ScoreHitView view = ViewOf(false, 52);
  const Point head = HeadOf(song, view, 1, 3);
  EXPECT_EQ(HitTestScore(song, view, table, {}, head.x, head.y).element, 3);
  // F#4's sharp, left of its head, belongs to it.
  EXPECT_EQ(HitTestScore(song, view, table, {}, head.x - 13, head.y).element, 3);
  // Within a part the vertical position does not matter for the cursor.
  EXPECT_EQ(HitTestPart(song, view, table, {}, 1, head.x, 900).cursor, 3);
}

TEST(ScoreHitTest, PartBands) {
  struct Row {
    int y, scrollY, part;
  };
  // A band starts 64 px below its part's top and is one staff distance high.
  for (const Row &r : {Row{5, 0, 1}, Row{183, 0, 1}, Row{184, 0, 2}, Row{184, 120, 3},
                       Row{50000, 0, 16}, Row{-300, 0, 1}})
    EXPECT_EQ(PartAtY(r.y, 120, r.scrollY), r.part) << r.y << " scrolled " << r.scrollY;
}

TEST(ScorePitchDrag, StepsAndLimits) {
  struct Row {
    const char *name;
    int original, steps;
    bool octaves, noCheck;
    int result;
  };
  for (const Row &r : {
           Row{"three semitones up", 60, 3, false, false, 63},
           Row{"two down", 60, -2, false, false, 58},
           Row{"stops at the top of the range", 88, 5, false, false, 90},
           Row{"stops at the bottom", 47, -5, false, false, 45},
           Row{"a note out of range stays, as the keys leave it", 92, -1, false, false, 92},
           Row{"an octave brings a low note into range", 40, 1, true, false, 52},
           Row{"an octave that would leave the range is not taken", 50, -1, true, false, 50},
           Row{"two octaves up stop at the last that fits", 60, 2, true, false, 84},
           Row{"a rest stays a rest", 0, 4, false, false, 0},
           Row{"without the check past the range", 88, 5, false, true, 93},
           Row{"without the check still a MIDI note", 120, 1, true, true, 127},
       })
    EXPECT_EQ(DraggedPitch(r.original, r.steps, r.octaves, r.noCheck), r.result) << r.name;
  EXPECT_EQ(DragSteps(-7, false), 2);
  EXPECT_EQ(DragSteps(4, false), -1);
  EXPECT_EQ(DragSteps(-42, true), 1);
  EXPECT_EQ(DragSteps(-20, true), 0);
}

TEST(ScorePointer, ClickSelectAndShiftClick) {
  Song song = EightNotes();
  ScoreHeader &h = song.part(1).scoreHeader;
  h.selStart = 1;
  h.selLength = 2;
  // A click in part 2 leaves no selection behind in part 1.
  PointScoreCursor(song, 2, 0, -1);
  EXPECT_EQ(ScoreCurrentPart(song), 2);
  EXPECT_EQ(h.selLength, 0);
  EXPECT_EQ(PointScoreCursor(song, 1, 2, 2).preview, 64);
  EXPECT_EQ(h.cursor, 2);

  struct Row {
    const char *name;
    int selStart, selLength, cursor; // before
    bool shiftClick;                 // else a drag from `a` to `b`
    int a, b;
    int wantStart, wantLength, wantCursor;
  };
  for (const Row &r : {
           Row{"drag right from the third to the sixth", 0, 0, 0, false, 2, 5, 2, 4, 6},
           Row{"drag left", 0, 0, 0, false, 5, 2, 2, 4, 2},
           Row{"drag past the end stops at the last note", 0, 0, 0, false, 0, 8, 0, 8, 8},
           Row{"shift+click right of the cursor takes the clicked note", 0, 0, 2, true, 5, 0, 2, 4,
               6},
           Row{"shift+click left of a selection keeps its left end as the anchor", 2, 4, 6, true, 0,
               0, 0, 2, 0},
           Row{"shift+click on the cursor's own note", 0, 0, 3, true, 3, 0, 3, 1, 4},
       }) {
    h.selStart = r.selStart;
    h.selLength = r.selLength;
    h.cursor = r.cursor;
    if (r.shiftClick)
      ExtendScoreSelection(song, r.a);
    else
      SelectScoreElements(song, r.a, r.b);
    EXPECT_EQ(h.selStart, r.wantStart) << r.name;
    EXPECT_EQ(h.selLength, r.wantLength) << r.name;
    EXPECT_EQ(h.cursor, r.wantCursor) << r.name;
  }
}

TEST(ScorePointer, PitchDragIsOneStepWithTheBackupTakenBeforeIt) {
  Song song = EightNotes();
  ScorePitchDrag drag{1, 2, 64, 64, false};
  EXPECT_FALSE(DragScorePitch(song, drag, 64).changed);
  EXPECT_FALSE(FinishScorePitchDrag(drag).snapshot);
  EXPECT_TRUE(DragScorePitch(song, drag, 65).changed);
  EXPECT_EQ(DragScorePitch(song, drag, 67).preview, 67);
  EXPECT_EQ(song.part(1).score[2].noteNumber, 67);
  EXPECT_EQ(song.part(kBackupPart).score[2].noteNumber, 64);
  const ScoreKeyOutcome done = FinishScorePitchDrag(drag);
  EXPECT_TRUE(done.snapshot && done.dirty);
}

TEST(ScorePointer, HoverTextAndZoomKeys) {
  Song song = EightNotes();
  EXPECT_EQ(ScoreElementText(song, 1, 3, true), "F#4  4  01:4:00");
  EXPECT_EQ(ScoreElementText(song, 1, 8, true), "");
  const ShortCutTable table = kDefaultShortCutTable;
  EXPECT_EQ(ScoreZoomKey(0xBB, vk::kCtrl, table), 1);
  EXPECT_EQ(ScoreZoomKey(0xBB, vk::kCtrl | vk::kShift, table), 1);
  EXPECT_EQ(ScoreZoomKey(0x6D, vk::kCtrl, table), -1);
  EXPECT_EQ(ScoreZoomKey('0', vk::kCtrl, table), 0);
  EXPECT_EQ(ScoreZoomKey('0', 0, table), std::nullopt);
  ShortCutTable taken = table;
  taken[0] = vk::kCtrl * 256 + '0';
  EXPECT_EQ(ScoreZoomKey('0', vk::kCtrl, taken), std::nullopt);
  EXPECT_EQ(ZoomedScorePercent(100, true), 110);
  EXPECT_EQ(ZoomedScorePercent(105, false), 100);
  EXPECT_EQ(ZoomedScorePercent(300, true), 300);
  EXPECT_EQ(ZoomedScorePercent(50, false), 50);
}

} // namespace
} // namespace pipora
