#include "model/song.h"
#include "model/vocabulary.h"

#include <gtest/gtest.h>

#include <limits>

namespace pipora {
namespace {

void FillPart(Song &song, int part, std::initializer_list<const char *> lengths) {
  for (const char *len : lengths)
    InsertNote(song, part, song.part(part).count, 60, len, "C");
}

TEST(Song, NewSongHasOnlyEndMarkers) {
  Song song;
  for (int n = 1; n <= 17; ++n) {
    EXPECT_EQ(song.part(n).count, 0);
    ASSERT_EQ(song.part(n).notes.size(), 1u);
    EXPECT_TRUE(song.part(n).notes[0].isEndMarker());
  }
  EXPECT_EQ(song.capacity, 10);
  EXPECT_EQ(song.currentPart, 1);
  EXPECT_NEAR(song.msPerTick, 60000.0 / 121.7 / 480.0, 1e-12);
}

TEST(InsertNote, FirstNoteMovesMarkerUp) {
  Song song;
  ASSERT_TRUE(InsertNote(song, 1, 0, 64, "4", "E"));
  EXPECT_EQ(song.part(1).count, 1);
  EXPECT_EQ(song.part(1).notes[0].noteNumber, 64);
  EXPECT_TRUE(song.part(1).notes[1].isEndMarker());
}

TEST(DeleteNote, RefusesEndMarkerAndNegative) {
  Song song;
  FillPart(song, 1, {"4", "8"});
  EXPECT_FALSE(DeleteNote(song, 1, 2));
  EXPECT_FALSE(DeleteNote(song, 1, -1));
  EXPECT_EQ(song.part(1).count, 2);
}

TEST(DeleteNote, ElementZeroKeepsSharedStateUnchanged) {
  Song song;
  song.currentPart = 3;
  for (int n = 1; n <= 3; ++n)
    song.part(n).startTick = -480;
  FillPart(song, 1, {"4", "8", "2"});
  const int capacity = song.capacity;
  ASSERT_TRUE(DeleteNote(song, 1, 0));
  EXPECT_EQ(song.currentPart, 3);
  EXPECT_EQ(song.capacity, capacity);
  EXPECT_EQ(song.part(1).startTick, -480);
  EXPECT_EQ(song.part(1).notes[0].length, "8");
}

// Deleting the first element must not move the part in time: the next element starts where
// the deleted one did, with or without a pick-up before the bar line.
TEST(DeleteNote, FirstElementKeepsThePartsStartTick) {
  for (const int pickup : {0, -480}) {
    SCOPED_TRACE(pickup);
    Song song;
    FillPart(song, 1, {"4", "8", "2"});
    song.part(1).notes[0].start = pickup;
    RecalcTimes(song);
    ASSERT_TRUE(DeleteNote(song, 1, 0));
    RecalcTimes(song);
    EXPECT_EQ(song.part(1).notes[0].start, pickup);
    EXPECT_EQ(song.part(1).notes[1].start, pickup + 240);
    EXPECT_EQ(song.part(1).notes[2].start, pickup + 240 + 960);
  }
}

TEST(EnsureCapacity, EighthNoteGrowsEveryPart) {
  Song song;
  FillPart(song, 2, {"4", "4", "4", "4", "4", "4", "4"});
  EXPECT_EQ(song.capacity, 10);
  FillPart(song, 2, {"4"}); // count 7: 7 + 3 reaches 10
  EXPECT_EQ(song.capacity, 20);
  FillPart(song, 5, {"4"}); // other parts are far below the new capacity
  EXPECT_EQ(song.capacity, 20);
  EnsureCapacity(song, 0);
  EXPECT_EQ(song.capacity, 20);
}

// A song built past the longest tick count stops there instead of wrapping to negative times.
TEST(RecalcTimes, StartTicksSaturateInsteadOfOverflowing) {
  Song song;
  FillPart(song, 1, {"2", "2", "2"});
  const std::int32_t latest = std::numeric_limits<std::int32_t>::max();
  song.part(1).notes[0].start = latest - 1000;
  RecalcTimes(song);
  EXPECT_EQ(song.part(1).notes[1].start, latest - 40);
  EXPECT_EQ(song.part(1).notes[2].start, latest);
  EXPECT_EQ(song.part(1).notes[3].start, latest);
  EXPECT_EQ(song.part(1).notes[3].prevGateEnd, latest);
}

TEST(RecalcTimes, TripletsAndTies) {
  Song song;
  FillPart(song, 1, {"4", "8", "83", "83", "83", "2_", "2"});
  RecalcTimes(song);
  const int starts[] = {0, 480, 720, 880, 1040, 1200, 2160, 3120};
  const int gates[] = {0, 460, 700, 860, 1020, 1180, 2140, 3100};
  for (int i = 1; i <= 7; ++i) {
    EXPECT_EQ(song.part(1).notes[i].start, starts[i]) << i;
    EXPECT_EQ(song.part(1).notes[i].prevGateEnd, gates[i]) << i;
  }
}

TEST(RecalcTimes, UnknownCodeReusesLastRecognisedDuration) {
  Song song;
  FillPart(song, 1, {"8", "？", "4"});
  RecalcTimes(song);
  EXPECT_EQ(song.part(1).notes[1].start, 240);
  EXPECT_EQ(song.part(1).notes[2].start, 480); // "？" lasts as long as the "8" before it
  EXPECT_EQ(song.part(1).notes[3].start, 960);
}

TEST(BuildNoteList, UnknownDurationGivesQuestionMark) {
  Song song;
  FillPart(song, 1, {"4", "4", "4"});
  RecalcTimes(song);
  BuildScoreList(song);
  song.part(1).score[1].duration = 360;
  BuildNoteList(song);
  EXPECT_EQ(song.part(1).notes[1].length, "？");
  EXPECT_EQ(song.part(1).notes[2].start, 960); // advanced by the "4" before the "？"
}

TEST(BuildScoreList, CarriesCursorByStartTick) {
  Song song;
  FillPart(song, 1, {"4", "8", "8", "2"});
  RecalcTimes(song);
  song.part(1).cursor = 2;
  BuildScoreList(song);
  const ScoreHeader &h = song.part(1).scoreHeader;
  EXPECT_EQ(h.count, 4);
  EXPECT_EQ(h.cursor, 2);
  EXPECT_EQ(song.part(1).score[4].noteNumber, -1);
  EXPECT_EQ(song.part(1).score[1].duration, 240);
}

TEST(BuildNoteList, RoundTripKeepsNotesTiesAndCursor) {
  Song song;
  FillPart(song, 4, {"4", "83_", "83", "83", "16"});
  RecalcTimes(song);
  song.currentPart = 4;
  BuildScoreList(song);
  song.part(4).scoreHeader.cursor = 3;
  song.currentPart = 1;
  BuildNoteList(song);
  EXPECT_EQ(song.currentPart, 4);
  EXPECT_EQ(song.part(4).cursor, 3);
  EXPECT_EQ(song.part(4).notes[1].length, "83_");
  EXPECT_EQ(song.part(4).notes[1].pitch, "C");
  EXPECT_TRUE(song.part(4).notes[5].isEndMarker());
  EXPECT_EQ(song.part(4).notes[5].start, 480 + 3 * 160 + 120);
}

TEST(ScoreDelete, LaterStartsMoveBack) {
  Song song;
  FillPart(song, 1, {"4", "8", "2"});
  RecalcTimes(song);
  BuildScoreList(song);
  ScoreDelete(song, 1, 3); // the end element stays
  EXPECT_EQ(song.part(1).scoreHeader.count, 3);
  ScoreDelete(song, 1, 1);
  EXPECT_EQ(song.part(1).scoreHeader.count, 2);
  EXPECT_EQ(song.part(1).score[1].start, 480);
  EXPECT_EQ(song.part(1).score[2].start, 1440);
}

TEST(BackupPart, CopiesCurrentPartAndRecordsItsNumber) {
  Song song;
  song.currentPart = 2;
  FillPart(song, 2, {"4", "8"});
  BackupPart(song, false);
  EXPECT_EQ(song.part(18).count, 2);
  EXPECT_EQ(song.part(18).notes[1].length, "8");
  EXPECT_EQ(song.part(18).scoreHeader.partNumber, 2);
  ResetParts(song);
  EXPECT_EQ(song.part(18).count, 2); // New and Open leave the backup slot alone
}

} // namespace
} // namespace pipora
