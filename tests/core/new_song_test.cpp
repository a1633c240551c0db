#include "model/new_song.h"

#include <gtest/gtest.h>

namespace pipora {
namespace {

TEST(NewSong, ResetsEverythingButTheBackupSlot) {
  Song song;
  InsertNote(song, 4, 0, 62, "4", "D");
  InsertNote(song, 17, 0, 62, "4", "D");
  InsertNote(song, 18, 0, 62, "4", "D");
  song.part(4).volume = 0;
  song.currentPart = 4;
  song.setTempo(TempoChoice::Fast);
  song.title = "x";
  song.fileName = "x.smd";
  song.dirty = true;
  song.ticksPerBeat = 960;
  song.beatsPerMeasure = 3;

  NewSong(song);
  EXPECT_EQ(song.part(4).count, 0);
  EXPECT_TRUE(song.part(4).notes[0].isEndMarker());
  EXPECT_EQ(song.part(17).count, 0);
  EXPECT_TRUE(song.part(17).notes[0].isEndMarker());
  EXPECT_EQ(song.part(18).count, 1);
  EXPECT_EQ(song.part(4).volume, 4);
  EXPECT_EQ(song.currentPart, 1);
  EXPECT_EQ(song.tempo, TempoChoice::Normal);
  EXPECT_DOUBLE_EQ(song.msPerTick, 60000.0 / 121.7 / 480);
  EXPECT_EQ(song.title, "");
  EXPECT_EQ(song.fileName, "");
  EXPECT_FALSE(song.dirty);
  EXPECT_EQ(song.ticksPerBeat, 480);
  EXPECT_EQ(song.beatsPerMeasure, 4);
  EXPECT_EQ(song.part(4).scoreHeader.count, 0);
  EXPECT_EQ(song.part(4).score.back().noteNumber, -1);

  song.fileName = "kept.smd";
  song.dirty = true;
  NewSong(song, /*snapshotMode=*/true);
  EXPECT_EQ(song.fileName, "kept.smd");
  EXPECT_TRUE(song.dirty);
}

} // namespace
} // namespace pipora
