// Work left unsaved by an editor that ended without its close sequence: the recovery record,
// the search for abandoned snapshot folders, and bringing a song back into a new session.
#include "formats/smd/smd_reader.h"
#include "model/vocabulary.h"
#include "platform/files/file_io.h"
#include "platform/files/program_directory.h"
#include "platform/midi/null/null_midi_backend.h"
#include "session/abandoned_songs.h"
#include "session/editor_session.h"
#include "session/recovery_record.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>

namespace pipora {
namespace {

// --- the record -------------------------------------------------------------------------------

struct RecordRow {
  const char *name;
  QByteArray smdLine;
  QString fileName;
  bool dirty;
};

class RecordRoundTrip : public testing::TestWithParam<RecordRow> {};

TEST_P(RecordRoundTrip, ReadsBackWhatWasWritten) {
  const RecordRow &row = GetParam();
  RecoveryRecord record;
  record.smdLine = row.smdLine;
  record.fileName = row.fileName;
  record.dirty = row.dirty;
  record.changed = QDateTime(QDate(2026, 12, 7), QTime(14, 33, 10, 250), Qt::UTC);
  const Result<RecoveryRecord> read = ParseRecoveryRecord(FormatRecoveryRecord(record));
  ASSERT_TRUE(read) << read.error();
  EXPECT_EQ(read->smdLine, row.smdLine);
  EXPECT_EQ(read->fileName, row.fileName);
  EXPECT_EQ(read->dirty, row.dirty);
  EXPECT_EQ(read->changed, record.changed);
}

INSTANTIATE_TEST_SUITE_P(Records, RecordRoundTrip,
                         testing::Values(RecordRow{"NewSongNeverSaved", "", "", true},
                                         RecordRow{"SavedSongIsClean", "\x1b\x44\x21\x24\x36",
                                                   "/home/u/song.smd", false},
                                         RecordRow{"JapaneseNameWithBlanks", "\x1b\x44",
                                                   QStringLiteral("/tmp/さくら 2.smd"), true},
                                         RecordRow{"NameWithLineBreakEqualsAndPercent", "\x1b\x44",
                                                   QStringLiteral("/tmp/a\nfile=b%41=c.smd"), true},
                                         RecordRow{"NameThatIsNotUtf8KeepsItsBytes", "\x1b\x44",
                                                   FileNameFromBytes("/tmp/caf\xe9.smd"), true}),
                         [](const testing::TestParamInfo<RecordRow> &info) {
                           return std::string(info.param.name);
                         });

struct DamagedRecordRow {
  const char *name;
  QByteArray bytes;
};

class DamagedRecord : public testing::TestWithParam<DamagedRecordRow> {};

TEST_P(DamagedRecord, IsRefused) {
  EXPECT_FALSE(ParseRecoveryRecord(GetParam().bytes));
}

INSTANTIATE_TEST_SUITE_P(
    Records, DamagedRecord,
    testing::Values(DamagedRecordRow{"Empty", ""}, DamagedRecordRow{"SongLineOnly", "\x1b\x44\r\n"},
                    DamagedRecordRow{"NoTime", "x\r\nfile=\r\ndirty=1\r\nother=1\r\n"},
                    DamagedRecordRow{"DirtyFlagNotABoolean",
                                     "x\r\nfile=\r\ndirty=yes\r\nchanged=2026-12-07T14:33:10Z\r\n"},
                    DamagedRecordRow{"TimeUnreadable",
                                     "x\r\nfile=\r\ndirty=1\r\nchanged=yesterday\r\n"}),
    [](const testing::TestParamInfo<DamagedRecordRow> &info) {
      return std::string(info.param.name);
    });

// --- sessions that end ------------------------------------------------------------------------

class CrashRecovery : public testing::Test {
protected:
  QTemporaryDir home;

  void SetUp() override { ASSERT_TRUE(home.isValid()); }

  std::unique_ptr<EditorSession> startEditor(bool manyUndo = true) {
    auto session =
        std::make_unique<EditorSession>(home.path(), std::make_unique<NullMidiBackend>());
    DocumentOptions options;
    options.isManyUndo = manyUndo;
    session->setOptions(options);
    return session;
  }
  // Notes entered as the source editor enters them; `snapshot` as many-level undo does.
  static void enter(EditorSession &session, std::initializer_list<int> numbers, bool snapshot) {
    Song &song = SongUnderTest(session);
    for (int number : numbers) {
      InsertNote(song, 1, song.part(1).count, number, "4", PitchNameOf(number));
      session.noteListsChanged();
      if (snapshot)
        session.takeSnapshot();
      session.setDirty(true);
    }
  }
  // An editor that was killed: its folder stays as it was, the lock of a process that is
  // gone. Shutting down with unsaved work leaves the same folder behind.
  QString abandon(std::unique_ptr<EditorSession> session) {
    const QString folder = session->history().folder();
    session->shutDown();
    session.reset();
    return folder;
  }
  QStringList folders() const {
    return QDir(home.path()).entryList({"pipora-undo-*"}, QDir::Dirs, QDir::Name);
  }
  static std::vector<int> notesOf(const Song &song) {
    std::vector<int> numbers;
    for (int i = 0; i < song.part(1).count; ++i)
      numbers.push_back(song.part(1).notes[static_cast<std::size_t>(i)].noteNumber);
    return numbers;
  }
};

TEST_F(CrashRecovery, RecordFollowsEveryChangeAndTheSave) {
  auto editor = startEditor();
  SongUnderTest(*editor).title = "Sakura";
  enter(*editor, {60, 62}, true);
  ASSERT_TRUE(editor->writeRecoveryRecord());
  Result<QByteArray> bytes = ReadWholeFile(editor->history().recoveryPath());
  ASSERT_TRUE(bytes);
  Result<RecoveryRecord> record = ParseRecoveryRecord(*bytes);
  ASSERT_TRUE(record) << record.error();
  EXPECT_TRUE(record->dirty);
  EXPECT_TRUE(record->fileName.isEmpty());
  Result<SmdDocument> doc = DecodeSmd(record->smdLine);
  ASSERT_TRUE(doc);
  EXPECT_EQ(notesOf(doc->song), (std::vector<int>{60, 62}));
  EXPECT_EQ(doc->song.title, "Sakura");

  ASSERT_TRUE(editor->saveAs(home.filePath("sakura.smd")));
  ASSERT_TRUE(editor->writeRecoveryRecord());
  record = ParseRecoveryRecord(*ReadWholeFile(editor->history().recoveryPath()));
  ASSERT_TRUE(record);
  EXPECT_FALSE(record->dirty);
  EXPECT_EQ(record->fileName, home.filePath("sakura.smd"));
}

TEST_F(CrashRecovery, WithoutManyLevelUndoTheRecordStillHoldsEveryNote) {
  auto editor = startEditor(false);
  enter(*editor, {64, 65, 67}, false);
  ASSERT_TRUE(editor->writeRecoveryRecord());
  // No snapshot beyond the empty song of New: the record is the only copy of the notes.
  EXPECT_EQ(QDir(editor->history().folder()).entryList({"pipora*.tmp"}, QDir::Files).size(), 1);
  abandon(std::move(editor));

  std::vector<AbandonedSong> found = ClaimAbandonedSongs(home.path());
  ASSERT_EQ(found.size(), 1u);
  auto next = startEditor(false);
  ASSERT_TRUE(next->recover(found[0]));
  EXPECT_EQ(notesOf(next->song()), (std::vector<int>{64, 65, 67}));
}

TEST_F(CrashRecovery, RecoveredSongIsDirtyWithItsFileNameAndAFreshHistory) {
  auto editor = startEditor();
  SongUnderTest(*editor).title = "Habanera";
  ASSERT_TRUE(editor->saveAs(home.filePath("habanera.smd")));
  enter(*editor, {69, 71}, true);
  const QString dead = abandon(std::move(editor));

  std::vector<AbandonedSong> found = ClaimAbandonedSongs(home.path());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].folder, dead);
  EXPECT_EQ(found[0].title, "Habanera");
  EXPECT_EQ(found[0].fileName, home.filePath("habanera.smd"));
  EXPECT_LE(found[0].changed.secsTo(QDateTime::currentDateTimeUtc()), 60);

  auto next = startEditor();
  ASSERT_TRUE(next->recover(found[0]));
  EXPECT_EQ(notesOf(next->song()), (std::vector<int>{69, 71}));
  EXPECT_TRUE(next->isDirty());
  EXPECT_EQ(next->path(), home.filePath("habanera.smd"));
  EXPECT_FALSE(next->canUndo());
  // Killed again, it is offered with the time of the user's change, not of the recovery.
  ASSERT_TRUE(next->writeRecoveryRecord());
  EXPECT_EQ(ParseRecoveryRecord(*ReadWholeFile(next->history().recoveryPath()))->changed,
            found[0].changed);
  // The song is safe in the new editor's record before the old folder goes.
  const Result<RecoveryRecord> mine =
      ParseRecoveryRecord(*ReadWholeFile(next->history().recoveryPath()));
  ASSERT_TRUE(mine);
  EXPECT_TRUE(mine->dirty);
  EXPECT_EQ(notesOf(DecodeSmd(mine->smdLine)->song), (std::vector<int>{69, 71}));
  EXPECT_TRUE(DiscardAbandonedSong(found[0]));
  EXPECT_FALSE(QFileInfo::exists(dead));
}

// What a start-up finds in each kind of folder an editor can leave.
enum class Left { UnsavedSong, SavedSong, UntouchedSong, OldSnapshotsWithNotes, OldEmptySnapshot };
struct LeftRow {
  const char *name;
  Left left;
  bool offered;
};

class AbandonedFolder : public CrashRecovery, public testing::WithParamInterface<LeftRow> {};

TEST_P(AbandonedFolder, IsOfferedOnlyWhenItHoldsUnsavedWork) {
  const LeftRow &row = GetParam();
  auto editor = startEditor();
  switch (row.left) {
  case Left::UnsavedSong:
    enter(*editor, {60}, true);
    break;
  case Left::SavedSong:
    enter(*editor, {60}, true);
    ASSERT_TRUE(editor->saveAs(home.filePath("saved.smd")));
    break;
  case Left::UntouchedSong:
    break;
  case Left::OldSnapshotsWithNotes:
  case Left::OldEmptySnapshot:
    // A folder from before there were records: snapshots only.
    if (row.left == Left::OldSnapshotsWithNotes)
      enter(*editor, {60}, true);
    editor->setDirty(true); // kept at the end
    break;
  }
  const QString dead = abandon(std::move(editor));
  if (row.left == Left::OldSnapshotsWithNotes || row.left == Left::OldEmptySnapshot) {
    ASSERT_TRUE(QFile::remove(QDir(dead).filePath(kRecoveryFileName)));
  }
  if (!QFileInfo::exists(dead)) {
    // A clean exit takes its folder along; there is nothing to find.
    EXPECT_FALSE(row.offered);
    return;
  }

  std::vector<AbandonedSong> found = ClaimAbandonedSongs(home.path());
  EXPECT_EQ(found.size(), row.offered ? 1u : 0u);
  // Offered folders stay until answered; the others are gone already.
  EXPECT_EQ(QFileInfo::exists(dead), row.offered);
  if (row.offered && !found.empty()) {
    EXPECT_EQ(found[0].folder, dead);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Folders, AbandonedFolder,
    testing::Values(LeftRow{"UnsavedSong", Left::UnsavedSong, true},
                    LeftRow{"SavedSong", Left::SavedSong, false},
                    LeftRow{"UntouchedSong", Left::UntouchedSong, false},
                    LeftRow{"OldSnapshotsWithNotes", Left::OldSnapshotsWithNotes, true},
                    LeftRow{"OldEmptySnapshot", Left::OldEmptySnapshot, false}),
    [](const testing::TestParamInfo<LeftRow> &info) { return std::string(info.param.name); });

TEST_F(CrashRecovery, RunningEditorsAreNeverOfferedNorRemoved) {
  auto running = startEditor();
  enter(*running, {60, 64}, true);
  ASSERT_TRUE(running->writeRecoveryRecord());
  EXPECT_TRUE(ClaimAbandonedSongs(home.path()).empty());
  EXPECT_TRUE(QFileInfo::exists(running->history().recoveryPath()));
  EXPECT_TRUE(running->undo()); // its snapshots are all there
}

TEST_F(CrashRecovery, ANormalExitLeavesOtherEditorsUnsavedWorkAlone) {
  auto killed = startEditor();
  enter(*killed, {60}, true);
  const QString dead = abandon(std::move(killed));
  auto other = startEditor();
  enter(*other, {62}, true);
  other->setDirty(false); // the user answered No to saving
  const QString own = other->history().folder();
  other->shutDown();
  EXPECT_FALSE(QFileInfo::exists(own));
  EXPECT_TRUE(QFileInfo::exists(dead));
}

TEST_F(CrashRecovery, SongsAreOfferedNewestFirstAndAClaimedOneToNobodyElse) {
  auto older = startEditor();
  enter(*older, {60}, true);
  const QString olderFolder = abandon(std::move(older));
  QThread::msleep(20);
  auto newer = startEditor();
  enter(*newer, {62}, true);
  const QString newerFolder = abandon(std::move(newer));

  std::vector<AbandonedSong> found = ClaimAbandonedSongs(home.path());
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].folder, newerFolder);
  EXPECT_EQ(found[1].folder, olderFolder);
  // Another editor starting while these are offered sees neither.
  EXPECT_TRUE(ClaimAbandonedSongs(home.path()).empty());
  ReleaseAbandonedSong(found[1]);
  std::vector<AbandonedSong> again = ClaimAbandonedSongs(home.path());
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again[0].folder, olderFolder);
}

TEST_F(CrashRecovery, SongThatCannotBeReadChangesNothing) {
  auto editor = startEditor();
  enter(*editor, {60}, true);
  const QString dead = abandon(std::move(editor));
  std::vector<AbandonedSong> found = ClaimAbandonedSongs(home.path());
  ASSERT_EQ(found.size(), 1u);
  ASSERT_TRUE(QFile::remove(found[0].songFile)); // gone, as on a disk that failed
  auto next = startEditor();
  enter(*next, {67}, true);
  EXPECT_FALSE(next->recover(found[0]));
  EXPECT_EQ(notesOf(next->song()), (std::vector<int>{67}));
  EXPECT_TRUE(QFileInfo::exists(dead));
}

// A save that is killed half way leaves the song's last change in the record: it is written
// before the save creates its first file, even when the change and the save come in one event.
TEST_F(CrashRecovery, TheRecordHoldsTheLastChangeBeforeASaveBegins) {
  auto editor = startEditor();
  enter(*editor, {60, 62}, true); // the record's write is still pending
  const QString record = editor->history().recoveryPath();
  QList<QByteArray> recordAtEachCreate;
  SetWriteFaultHook([&](WriteStep step, int) {
    if (step == WriteStep::Create) {
      const Result<QByteArray> now = ReadWholeFile(record);
      recordAtEachCreate << (now ? *now : QByteArray());
    }
    return 0;
  });
  const Status saved = editor->saveAs(home.filePath("song.smd"));
  SetWriteFaultHook({});
  ASSERT_TRUE(saved);
  ASSERT_FALSE(recordAtEachCreate.isEmpty());
  // What a kill at the song file's creation would have left.
  const Result<RecoveryRecord> left = ParseRecoveryRecord(recordAtEachCreate.last());
  ASSERT_TRUE(left) << left.error();
  EXPECT_TRUE(left->dirty);
  EXPECT_EQ(notesOf(DecodeSmd(left->smdLine)->song), (std::vector<int>{60, 62}));
}

// Links where an editor's folder, or something in it, was: never followed, only the link goes.
struct LinkRow {
  const char *name;
  bool linkIsTheFolder; // else a link inside an abandoned folder
};

class LinkedSnapshotFolder : public CrashRecovery, public testing::WithParamInterface<LinkRow> {};

TEST_P(LinkedSnapshotFolder, OnlyTheLinkGoes) {
  QTemporaryDir music;
  const QString unsaved = QStringLiteral("\x1b$D!$6\x0f\r\nfile=\r\ndirty=1\r\n"
                                         "changed=2026-12-07T14:33:10Z\r\n");
  ASSERT_TRUE(WriteFileAtomically(music.filePath("recovery.smd"), unsaved.toLatin1()));
  ASSERT_TRUE(WriteFileAtomically(music.filePath("pipora1.tmp"), "\x1b$D!$6\x0f"));
  ASSERT_TRUE(WriteFileAtomically(music.filePath("tune.smd"), "mine"));
  ASSERT_TRUE(QDir(music.path()).mkdir("album"));
  ASSERT_TRUE(WriteFileAtomically(music.filePath("album/a.smd"), "mine too"));
  QString link = home.filePath("pipora-undo-music");
  if (!GetParam().linkIsTheFolder) {
    auto editor = startEditor();
    enter(*editor, {60}, true);
    link = QDir(abandon(std::move(editor))).filePath("music");
  }
  ASSERT_TRUE(QFile::link(music.path(), link));

  std::vector<AbandonedSong> found = ClaimAbandonedSongs(home.path());
  // Declined (as --recovery discard and No do; accepting discards the folder the same way).
  for (AbandonedSong &song : found)
    EXPECT_TRUE(DiscardAbandonedSong(song));
  EXPECT_EQ(found.size(), GetParam().linkIsTheFolder ? 0u : 1u);
  EXPECT_FALSE(QFileInfo(link).isSymLink());
  EXPECT_TRUE(folders().isEmpty());
  EXPECT_EQ(QDir(music.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
            (QStringList{"album", "pipora1.tmp", "recovery.smd", "tune.smd"}));
  EXPECT_EQ(*ReadWholeFile(music.filePath("album/a.smd")), "mine too");
}

INSTANTIATE_TEST_SUITE_P(Links, LinkedSnapshotFolder,
                         testing::Values(LinkRow{"LinkNamedAsAFolder", true},
                                         LinkRow{"LinkInsideAnAbandonedFolder", false}),
                         [](const testing::TestParamInfo<LinkRow> &info) {
                           return std::string(info.param.name);
                         });

// The snapshots, the record and the lock are this user's alone, and so is a program folder an
// earlier version left open to others.
TEST_F(CrashRecovery, SnapshotFilesAndTheProgramFolderAreTheUsersAlone) {
  QTemporaryDir programHome;
  const QByteArray before = qgetenv("PIPORAPAD_HOME");
  qputenv("PIPORAPAD_HOME", programHome.path().toUtf8());
  ASSERT_TRUE(QFile::setPermissions(
      programHome.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                              QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                              QFileDevice::ReadOther | QFileDevice::ExeOther));
  {
    EditorSession editor(ProgramDirectory(), std::make_unique<NullMidiBackend>());
    enter(editor, {60}, true);
    ASSERT_TRUE(editor.writeRecoveryRecord());
    const QDir folder(editor.history().folder());
    const auto mode = [](const QString &path) {
      struct stat info {};
      return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0u;
    };
    EXPECT_EQ(mode(programHome.path()), 0700u);
    EXPECT_EQ(mode(folder.path()), 0700u);
    const QStringList files = folder.entryList(QDir::Files);
    EXPECT_TRUE(files.contains("owner.lock") && files.contains("recovery.smd") &&
                files.contains("pipora1.tmp"))
        << files.join(' ').toStdString();
    for (const QString &name : files)
      EXPECT_EQ(mode(folder.filePath(name)), 0600u) << name.toStdString();
  }
  qputenv("PIPORAPAD_HOME", before);
}

} // namespace
} // namespace pipora
