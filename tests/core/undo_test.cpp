#include "editing/backup_exchange.h"
#include "editing/score_keys.h"
#include "model/new_song.h"
#include "model/song.h"
#include "platform/files/file_io.h"
#include "platform/files/temporary_files.h"
#include "session/abandoned_songs.h"
#include "session/undo_history.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace pipora {
namespace {

class Undo : public ::testing::Test {
protected:
  QTemporaryDir home;
  Song song;
  UndoHistory history{home.path()};
  StaffLabelTable table = DefaultStaffLabels();

  void SetUp() override {
    ASSERT_TRUE(home.isValid());
    NewSong(song);
    history.restart();
    history.takeSnapshot(song, true);
  }
  // Types a note in the score editor and takes the snapshot it asks for.
  void type(char letter) {
    const ScoreKeyOutcome out = HandleScoreKey(song, letter, 0, {}, table);
    if (out.snapshot)
      history.takeSnapshot(song, true);
  }
  int notes(int part = 1) const { return song.part(part).scoreHeader.count; }
};

TEST_F(Undo, ThreeNotesUndoTwiceRedoThenANewNoteEndsRedo) {
  type('C');
  type('D');
  type('E');
  EXPECT_EQ(history.undoIndex(), 3);
  ASSERT_TRUE(history.undo(song));
  ASSERT_TRUE(history.undo(song));
  EXPECT_EQ(notes(), 1);
  EXPECT_EQ(song.part(1).score[0].noteNumber, 60);
  EXPECT_TRUE(history.canRedo());
  ASSERT_TRUE(history.redo(song));
  EXPECT_EQ(notes(), 2);
  type('G');
  EXPECT_EQ(notes(), 3);
  EXPECT_FALSE(history.canRedo());
  ASSERT_TRUE(history.redo(song));
  EXPECT_EQ(notes(), 3); // nothing happened
  EXPECT_EQ(song.part(1).score[2].noteNumber, 67);
}

TEST_F(Undo, UndoToTheEmptySongRemovesTheFirstNote) {
  type('C');
  ASSERT_TRUE(history.undo(song));
  EXPECT_EQ(notes(), 0);
  EXPECT_EQ(song.part(1).count, 0);
}

TEST_F(Undo, UndoAtSnapshotZeroDoesNothing) {
  EXPECT_FALSE(history.canUndo());
  ASSERT_TRUE(history.undo(song));
  EXPECT_EQ(history.undoIndex(), 0);
}

// The snapshots stay under the disk cap: the oldest go first, the newest always stays, and
// undo at the oldest kept says the earlier ones are gone.
TEST_F(Undo, TheDiskCapDropsTheOldestSnapshotsAndUndoSaysSo) {
  type('C');
  const qint64 cap = 3 * QFileInfo(history.snapshotPath(1)).size();
  history.setDiskCap(cap);
  for (const char letter : {'D', 'E', 'F', 'G'})
    type(letter);
  qint64 used = 0;
  for (int i = 0; i <= 5; ++i)
    used += QFileInfo(history.snapshotPath(i)).size(); // 0 for those gone
  EXPECT_LE(used, cap);
  EXPECT_FALSE(QFile::exists(history.snapshotPath(0)));
  EXPECT_TRUE(QFile::exists(history.snapshotPath(5)));
  int steps = 0;
  Status undone = Ok{};
  while ((undone = history.undo(song)).ok() && steps < 10)
    ++steps;
  EXPECT_EQ(undone.error(), kOldestUndoGoneMessage);
  EXPECT_GE(steps, 1);
  EXPECT_LT(steps, 5);
  EXPECT_EQ(notes(), 5 - steps); // the song stays at the oldest snapshot kept
  ASSERT_TRUE(history.redo(song));
  EXPECT_EQ(notes(), 6 - steps);
}

// A snapshot the disk refuses is a fault to tell; a song the save checks refuse is not.
TEST_F(Undo, ASnapshotWriteFaultIsKeptToBeTold) {
  SetWriteFaultHook([](WriteStep step, int) { return step == WriteStep::Rename ? ENOSPC : 0; });
  type('C');
  SetWriteFaultHook({});
  EXPECT_EQ(history.writeFault(), std::strerror(ENOSPC));
  type('D');
  EXPECT_TRUE(history.writeFault().empty());
}

TEST_F(Undo, RestoresTheCurrentPartAndCursor) {
  type('C');
  type('D');
  song.part(1).scoreHeader.cursor = 1;
  HandleScoreKey(song, vk::Down, 0, {}, table); // to part 2, cursor 0
  type('A');                                    // snapshot 3 in part 2
  ASSERT_TRUE(history.undo(song));
  EXPECT_EQ(song.currentPart, 1);
  EXPECT_EQ(song.part(1).scoreHeader.partNumber, 1);
  EXPECT_EQ(song.part(1).scoreHeader.cursor, 2);
  ASSERT_TRUE(history.redo(song));
  EXPECT_EQ(song.currentPart, 2);
  EXPECT_EQ(song.part(2).scoreHeader.cursor, 1);
}

TEST_F(Undo, AnUnsavableNoteTakesNoSnapshot) {
  type('C');
  ScoreKeyOptions noCheck;
  noCheck.isNoCheck = true;
  for (int i = 0; i < 4; ++i) // C4 + 48 = 108: outside what SMD holds
    HandleScoreKey(song, vk::Prior, 0, noCheck, table);
  history.takeSnapshot(song, true);
  EXPECT_EQ(history.undoIndex(), 1);
  EXPECT_FALSE(QFile::exists(history.snapshotPath(2)));
  ASSERT_TRUE(history.undo(song)); // back to the empty song, the last savable state before
  EXPECT_EQ(notes(), 0);
}

TEST_F(Undo, UndoReloadsTitleTempoAndEmptiesTheClipboard) {
  song.title = "テスト";
  song.setTempo(TempoChoice::Slow);
  type('C');
  InsertNote(song, kClipboardPart, 0, 60, "4", "C");
  song.beatsPerMeasure = 3;
  type('D');
  ASSERT_TRUE(history.undo(song));
  EXPECT_EQ(song.title, "テスト");
  EXPECT_EQ(song.tempo, TempoChoice::Slow);
  EXPECT_EQ(song.part(kClipboardPart).count, 0);
  EXPECT_EQ(song.beatsPerMeasure, 4);
}

TEST_F(Undo, AnUnreadableSnapshotLeavesSongAndHistory) {
  type('C');
  type('D');
  ASSERT_TRUE(QFile::remove(history.snapshotPath(1)));
  const Status s = history.undo(song);
  EXPECT_FALSE(s);
  EXPECT_FALSE(s.error().empty());
  EXPECT_EQ(history.undoIndex(), 2);
  EXPECT_EQ(notes(), 2);
}

TEST_F(Undo, TwoHistoriesKeepTheirSnapshotsApart) {
  type('C');
  UndoHistory other(home.path());
  Song second;
  NewSong(second);
  other.restart();
  other.takeSnapshot(second, true); // its own snapshot 0, then 1
  other.takeSnapshot(second, true);
  EXPECT_NE(other.folder(), history.folder());
  ASSERT_TRUE(history.undo(song));
  EXPECT_EQ(notes(), 0);
  ASSERT_TRUE(history.redo(song)); // our snapshot 1 survived the other's snapshots
  EXPECT_EQ(notes(), 1);
}

TEST_F(Undo, DiscardRemovesTheFolder) {
  type('C');
  const QString folder = history.folder();
  ASSERT_TRUE(QDir(folder).exists());
  EXPECT_TRUE(QDir(home.path()).entryList({"pipora-undo-*"}, QDir::Dirs).size() == 1);
  history.discard();
  EXPECT_FALSE(QDir(folder).exists());
}

TEST_F(Undo, AbandonedFoldersWithNothingUnsavedGoRunningOnesStay) {
  type('C');
  // A folder left by an editor that crashed: its lock names a process that is gone, and its
  // only snapshot is the empty song.
  QDir(home.path()).mkdir("pipora-undo-crashed");
  QFile lock(home.filePath("pipora-undo-crashed/owner.lock"));
  ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
  lock.write("999999999\nghost\n" + QSysInfo::machineHostName().toUtf8() + "\n");
  lock.close();
  QFile snapshot(home.filePath("pipora-undo-crashed/pipora3.tmp"));
  ASSERT_TRUE(snapshot.open(QIODevice::WriteOnly));
  snapshot.close();
  UndoHistory other(home.path()); // another editor still running
  EXPECT_TRUE(ClaimAbandonedSongs(home.path()).empty());
  EXPECT_FALSE(QDir(home.filePath("pipora-undo-crashed")).exists());
  EXPECT_TRUE(QDir(history.folder()).exists());
  EXPECT_TRUE(QDir(other.folder()).exists());
  EXPECT_TRUE(QFile::exists(history.snapshotPath(1)));
}

TEST(SingleStepUndo, ExchangeTwiceIsRedo) {
  Song song;
  StaffLabelTable table = DefaultStaffLabels();
  for (char c : {'C', 'D', 'E'})
    HandleScoreKey(song, c, 0, {}, table);
  HandleScoreKey(song, vk::Back, 0, {}, table); // deletes E, backup holds C D E
  ASSERT_EQ(song.part(1).scoreHeader.count, 2);
  EXPECT_EQ(ExchangeWithBackup(song, true), 1);
  EXPECT_EQ(song.part(1).scoreHeader.count, 3);
  EXPECT_EQ(song.part(1).score[2].noteNumber, 64);
  EXPECT_EQ(song.part(1).scoreHeader.cursor, 3);
  EXPECT_EQ(ExchangeWithBackup(song, true), 1);
  EXPECT_EQ(song.part(1).scoreHeader.count, 2);
  // With the note lists: the same exchange.
  BuildNoteList(song);
  BackupPart(song, false);
  DeleteNote(song, 1, 0);
  EXPECT_EQ(ExchangeWithBackup(song, false), 1);
  EXPECT_EQ(song.part(1).count, 2);
  EXPECT_EQ(song.part(1).notes[0].noteNumber, 60);
}

TEST(SingleStepUndo, NothingBackedUpDoesNothing) {
  Song song;
  EXPECT_EQ(ExchangeWithBackup(song, true), 0);
}

TEST(TemporaryFiles, DeletesSnapshotsAndLogsOnly) {
  QTemporaryDir dir;
  const QStringList gone = {"pipora0.tmp", "pipora12.tmp", "pipora.log",
                            "pipora3.log", "pipora.tmp",   "PIPORA5.TMP"};
  const QStringList kept = {"pipora.ini", "pipora.ton", "other.tmp", "pipora.chm"};
  for (const QString &name : gone + kept) {
    QFile f(dir.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  EXPECT_EQ(DeleteTemporaryFiles(dir.path()), gone.size());
  for (const QString &name : gone)
    EXPECT_FALSE(QFile::exists(dir.filePath(name))) << name.toStdString();
  for (const QString &name : kept)
    EXPECT_TRUE(QFile::exists(dir.filePath(name))) << name.toStdString();
}

} // namespace
} // namespace pipora
