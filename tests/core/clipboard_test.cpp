#include "core/edit_song.h"
#include "editing/clipboard.h"

#include <gtest/gtest.h>

#include <numeric>

namespace pipora {
namespace {

using test::MakeSong;
using test::PartText;
using test::PutScoreCursor;
using test::ScoreText;
using test::SelectScore;

const std::string kFive = "C4:4 D4:8 E4:4_ F4:43 G4:2";

std::vector<int> AllRows(const Song &song, int part) {
  std::vector<int> rows(static_cast<std::size_t>(song.part(part).count) + 1);
  std::iota(rows.begin(), rows.end(), 0);
  return rows;
}

// --- round trips ------------------------------------------------------------------------

TEST(SourceClipboard, SelectAllCopyPasteIntoEmptyPartGivesAnExactCopy) {
  Song song = MakeSong({kFive});
  const std::vector<int> rows = AllRows(song, 1); // the EndMarker row included
  CopySourceRows(song, rows);
  EXPECT_EQ(song.part(kClipboardPart).count, 5);
  EXPECT_EQ(PartText(song, kClipboardPart), kFive);
  song.currentPart = 2;
  const EditOutcome out = PasteSource(song);
  EXPECT_TRUE(out.changed);
  EXPECT_TRUE(out.snapshot);
  EXPECT_EQ(PartText(song, 2), kFive);
  EXPECT_TRUE(song.part(2).notes.back().isEndMarker());
  EXPECT_EQ(song.part(2).cursor, 0);    // the cursor does not move
  EXPECT_EQ(ScoreText(song, 2), kFive); // the score editor sees the paste too
}

TEST(SourceClipboard, PasteAtTheEndDoublesThePart) {
  Song song = MakeSong({kFive});
  CopySourceRows(song, AllRows(song, 1));
  song.part(1).cursor = song.part(1).count;
  PasteSource(song);
  EXPECT_EQ(PartText(song, 1), kFive + " " + kFive);
  EXPECT_EQ(song.part(1).notes[5].start, 480 + 240 + 480 + 320 + 960);
}

TEST(SourceClipboard, CopyKeepsTheOrderOfScatteredRows) {
  Song song = MakeSong({kFive});
  const std::vector<int> rows = {4, 0, 2};
  CopySourceRows(song, rows);
  EXPECT_EQ(PartText(song, kClipboardPart), "C4:4 E4:4_ G4:2");
}

TEST(ScoreClipboard, CopyAtTick1920KeepsTicksRelativeToTheFirstNote) {
  Song song = MakeSong({"C4:4 C4:4 C4:4 C4:4 D4:8 E4:4 F4:2 G4:4"});
  ASSERT_EQ(song.part(1).score[4].start, 1920);
  SelectScore(song, 1, 4, 3, 7);
  CopyScoreSelection(song);
  const Part &clip = song.part(kClipboardPart);
  ASSERT_EQ(clip.scoreHeader.count, 3);
  EXPECT_EQ(clip.score[0].start, 0);
  EXPECT_EQ(clip.score[1].start, 240);
  EXPECT_EQ(clip.score[2].start, 240 + 480);
  EXPECT_EQ(clip.score[3].noteNumber, -1); // the clipboard's end element
  EXPECT_EQ(clip.score[3].start, 240 + 480 + 960);
}

TEST(ScoreClipboard, CopyThenPasteAtTheEndRoundTrips) {
  Song song = MakeSong({kFive});
  SelectAllScore(song);
  EXPECT_EQ(song.part(1).scoreHeader.selLength, 5);
  EXPECT_EQ(song.part(1).scoreHeader.cursor, 0);
  CopyScoreSelection(song);
  SelectScore(song, 1, 0, 0, 5);
  const EditOutcome out = PasteScore(song);
  EXPECT_TRUE(out.changed);
  EXPECT_EQ(PartText(song, 1), kFive + " " + kFive);
  EXPECT_EQ(song.part(1).scoreHeader.cursor, 10); // moved past what was pasted
}

TEST(ScoreClipboard, PasteOverAThreeNoteSelectionReplacesIt) {
  Song song = MakeSong({kFive, "A4:16 B4:16"});
  SelectScore(song, 2, 0, 2, 2);
  CopyScoreSelection(song);
  SelectScore(song, 1, 1, 3, 4);
  PasteScore(song);
  EXPECT_EQ(PartText(song, 1), "C4:4 A4:16 B4:16 G4:2");
  EXPECT_EQ(song.part(1).scoreHeader.cursor, 3);
  EXPECT_EQ(song.part(1).scoreHeader.selLength, 0);
  EXPECT_EQ(song.part(1).notes[3].start, 480 + 240);
}

TEST(ScoreClipboard, ACopyFromTheSourceEditorPastesInTheScoreEditor) {
  Song song = MakeSong({kFive});
  const std::vector<int> rows = {1, 2};
  CopySourceRows(song, rows);
  PutScoreCursor(song, 2, 0);
  PasteScore(song);
  EXPECT_EQ(PartText(song, 2), "D4:8 E4:4_");
  EXPECT_EQ(song.part(2).scoreHeader.cursor, 2);
}

// The score editor pastes into its own part, even when the song's current part is another
// (the source editor last showed it): that part's notes and cursor change, no other's.
TEST(ScoreClipboard, PastesIntoTheScoreEditorsPartNotTheSongsCurrentOne) {
  Song song = MakeSong({kFive, "A4:16 B4:16"});
  const std::vector<int> rows = {0};
  CopySourceRows(song, rows);
  PutScoreCursor(song, 2, 1);
  song.currentPart = 1;
  song.part(1).scoreHeader.cursor = 3;
  PasteScore(song);
  EXPECT_EQ(PartText(song, 2), "A4:16 C4:4 B4:16");
  EXPECT_EQ(song.part(2).scoreHeader.cursor, 2);
  EXPECT_EQ(PartText(song, 1), kFive);
  EXPECT_EQ(song.part(1).scoreHeader.cursor, 3);
}

// --- pasting an empty clipboard ----------------------------------------------------------

struct EmptyPasteRow {
  const char *name;
  bool score;
};
class EmptyClipboardPaste : public ::testing::TestWithParam<EmptyPasteRow> {};

TEST_P(EmptyClipboardPaste, CountsAsAChangeButChangesNothing) {
  Song song = MakeSong({kFive});
  PutScoreCursor(song, 1, 2);
  song.part(1).cursor = 2;
  const EditOutcome out = GetParam().score ? PasteScore(song) : PasteSource(song);
  EXPECT_TRUE(out.changed);
  EXPECT_TRUE(out.snapshot);
  EXPECT_FALSE(out.refused());
  EXPECT_EQ(PartText(song, 1), kFive);
  EXPECT_EQ(ScoreText(song, 1), kFive);
  EXPECT_EQ(song.part(1).scoreHeader.cursor, 2);
}

INSTANTIATE_TEST_SUITE_P(BothEditors, EmptyClipboardPaste,
                         ::testing::Values(EmptyPasteRow{"SourceEditor", false},
                                           EmptyPasteRow{"ScoreEditor", true}),
                         [](const auto &info) { return std::string(info.param.name); });

// --- delete and cut corner cases ---------------------------------------------------------

struct DeleteRow {
  const char *name;
  const char *song;
  bool score;
  std::vector<int> rows;   // source editor: selected rows
  int selStart, selLength; // score editor
  int cursor;
  const char *left;      // the part afterwards
  int cursorAfter;       // source: note-list cursor; score: score cursor
  const char *clipboard; // after a cut, or null when the row deletes
};
class DeleteAndCut : public ::testing::TestWithParam<DeleteRow> {};

TEST_P(DeleteAndCut, LeavesThePartAndCursor) {
  const DeleteRow &r = GetParam();
  Song song = MakeSong({r.song});
  const std::string before = PartText(song, 1);
  const int countBefore = song.part(1).count;
  EditOutcome out;
  if (r.score) {
    SelectScore(song, 1, r.selStart, r.selLength, r.cursor);
    out = r.clipboard ? CutScore(song) : DeleteScore(song);
  } else {
    song.part(1).cursor = r.cursor;
    out = r.clipboard ? CutSourceRows(song, r.rows) : DeleteSourceRows(song, r.rows);
  }
  EXPECT_EQ(PartText(song, 1), r.left);
  EXPECT_EQ(ScoreText(song, 1), r.left);
  EXPECT_EQ(r.score ? song.part(1).scoreHeader.cursor : song.part(1).cursor, r.cursorAfter);
  EXPECT_EQ(song.part(1).scoreHeader.selLength, 0);
  if (r.clipboard) {
    EXPECT_EQ(PartText(song, kClipboardPart), r.clipboard);
  }
  if (out.changed) {
    // Single-step undo can bring the part back.
    EXPECT_EQ(song.part(kBackupPart).scoreHeader.partNumber, 1);
    if (r.score)
      EXPECT_EQ(song.part(kBackupPart).scoreHeader.count, countBefore);
    else
      EXPECT_EQ(PartText(song, kBackupPart), before);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Corners, DeleteAndCut,
    ::testing::Values(
        DeleteRow{"SourceEndMarkerRowOnlyDeletesNothing",
                  "C4:4 D4:8",
                  false,
                  {2},
                  0,
                  0,
                  1,
                  "C4:4 D4:8",
                  1,
                  nullptr},
        DeleteRow{"SourceScatteredRows",
                  "C4:4 D4:8 E4:4_ F4:43 G4:2",
                  false,
                  {3, 1, 5},
                  0,
                  0,
                  4,
                  "C4:4 E4:4_ G4:2",
                  1,
                  nullptr},
        DeleteRow{"SourceAllRowsLeaveTheEndMarker",
                  "C4:4 D4:8",
                  false,
                  {0, 1, 2},
                  0,
                  0,
                  2,
                  "",
                  0,
                  nullptr},
        DeleteRow{"SourceCutCopiesThenDeletes",
                  "C4:4 D4:8 E4:4_",
                  false,
                  {0, 2},
                  0,
                  0,
                  0,
                  "D4:8",
                  0,
                  "C4:4 E4:4_"},
        DeleteRow{"ScoreCursorOnTheEndElementDeletesNothing",
                  "C4:4 D4:8",
                  true,
                  {},
                  0,
                  0,
                  2,
                  "C4:4 D4:8",
                  2,
                  nullptr},
        DeleteRow{"ScoreNoSelectionDeletesTheNoteAtTheCursor",
                  "C4:4 D4:8 E4:2",
                  true,
                  {},
                  0,
                  0,
                  1,
                  "C4:4 E4:2",
                  1,
                  nullptr},
        DeleteRow{"ScoreSelectionGoesAndTheCursorStandsAtItsStart",
                  "C4:4 D4:8 E4:2 F4:16",
                  true,
                  {},
                  1,
                  2,
                  3,
                  "C4:4 F4:16",
                  1,
                  nullptr},
        DeleteRow{"ScoreCutWithoutSelectionDoesNothing",
                  "C4:4 D4:8",
                  true,
                  {},
                  0,
                  0,
                  1,
                  "C4:4 D4:8",
                  1,
                  ""},
        DeleteRow{
            "ScoreCutSelection", "C4:4 D4:8 E4:2", true, {}, 0, 2, 2, "E4:2", 0, "C4:4 D4:8"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ScoreClipboard, CutWithoutSelectionLeavesTheClipboardAndTakesNoSnapshot) {
  Song song = MakeSong({"C4:4 D4:8", "E4:2"});
  SelectScore(song, 2, 0, 1, 1);
  CopyScoreSelection(song);
  PutScoreCursor(song, 1, 1);
  const EditOutcome out = CutScore(song);
  EXPECT_FALSE(out.changed);
  EXPECT_FALSE(out.snapshot);
  EXPECT_EQ(song.part(kClipboardPart).scoreHeader.count, 1);
  EXPECT_EQ(song.part(kClipboardPart).score[0].noteNumber, 64);
}

TEST(ScoreClipboard, DeletingASelectionMovesLaterNotesBackInOneStep) {
  Song song = MakeSong({"C4:4 D4:8 E4:2 F4:16 G4:4"});
  SelectScore(song, 1, 1, 2, 1);
  DeleteScore(song);
  const Part &p = song.part(1);
  EXPECT_EQ(p.score[1].start, 480);
  EXPECT_EQ(p.score[2].start, 600);
  EXPECT_EQ(p.score[3].start, 1080); // the end element
  EXPECT_EQ(p.notes[2].start, 600);
}

// --- limits ------------------------------------------------------------------------------

TEST(ClipboardLimit, APasteThatWouldMakeThePartTooLongIsRefusedAndChangesNothing) {
  Song song = MakeSong({"C4:4 D4:8 E4:2", "F4:4 G4:4"});
  song.currentPart = 2;
  CopySourceRows(song, AllRows(song, 2));
  song.currentPart = 1;
  const EditOutcome source = PasteSource(song, 4);
  EXPECT_TRUE(source.refused());
  EXPECT_EQ(source.message, kPasteTooLongMessage);
  EXPECT_FALSE(source.snapshot);
  EXPECT_EQ(PartText(song, 1), "C4:4 D4:8 E4:2");

  // Over a selection the part only grows by the difference; past the limit the selection
  // stays as it was too.
  SelectScore(song, 1, 0, 1, 1);
  EXPECT_TRUE(PasteScore(song, 3).refused());
  EXPECT_EQ(PartText(song, 1), "C4:4 D4:8 E4:2");
  EXPECT_EQ(song.part(1).scoreHeader.selLength, 1);
  EXPECT_TRUE(PasteScore(song, 4).changed);
  EXPECT_EQ(PartText(song, 1), "F4:4 G4:4 D4:8 E4:2");
}

} // namespace
} // namespace pipora
