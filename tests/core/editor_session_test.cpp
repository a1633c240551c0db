// The editor session without any window: the document commands, their signals, and failures
// that leave the song as it was.
#include "session/editor_session.h"

#include "formats/smd/smd_writer.h"
#include "model/new_song.h"
#include "model/vocabulary.h"
#include "platform/files/file_io.h"
#include "platform/ini/ini_file.h"
#include "platform/midi/null/null_midi_backend.h"
#include "playback/player.h"
#include "session/tone_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace pipora {
namespace {

// Every signal the session sent, in order, as readable words.
class SignalLog {
public:
  explicit SignalLog(EditorSession &session) {
    QObject::connect(&session, &EditorSession::songReplaced, [this] { add("songReplaced"); });
    QObject::connect(&session, &EditorSession::notesChanged,
                     [this](int part) { add("notesChanged " + std::to_string(part)); });
    QObject::connect(&session, &EditorSession::dirtyChanged,
                     [this](bool dirty) { add(dirty ? "dirty" : "clean"); });
    QObject::connect(&session, &EditorSession::pathChanged,
                     [this](const QString &path) { add("path " + path.toStdString()); });
    QObject::connect(&session, &EditorSession::playingChanged,
                     [this](bool playing) { add(playing ? "playing" : "stopped"); });
    QObject::connect(&session, &EditorSession::toneStoreUnavailable,
                     [this](const QString &, const QString &) { add("toneStoreUnavailable"); });
  }
  bool contains(const std::string &word) const {
    return std::find(words_.begin(), words_.end(), word) != words_.end();
  }
  std::vector<std::string> take() { return std::exchange(words_, {}); }

private:
  void add(std::string word) { words_.push_back(std::move(word)); }
  std::vector<std::string> words_;
};

class EditorSessionTest : public testing::Test {
protected:
  EditorSessionTest() : session(dir.path(), std::make_unique<NullMidiBackend>()), log(session) {}
  ~EditorSessionTest() override { QFile::remove(ToneStorePath()); }

  QString path(const QString &name) const { return dir.filePath(name); }
  Song &song() { return session.song(); }
  // An edit as the source editor makes it: into the note lists, then dirty and a snapshot.
  void enter(int part, int number, const char *length) {
    InsertNote(song(), part, song().part(part).count, number, length, PitchNameOf(number));
    session.noteListsChanged();
    session.setDirty(true);
    session.takeSnapshot();
  }
  std::vector<int> numbers(int part) {
    std::vector<int> out;
    for (int i = 0; i < song().part(part).count; ++i)
      out.push_back(song().part(part).notes[static_cast<std::size_t>(i)].noteNumber);
    return out;
  }

  QTemporaryDir dir;
  EditorSession session;
  SignalLog log;
};

TEST_F(EditorSessionTest, StartsAsAnUntitledCleanEmptySongAtSnapshotZero) {
  EXPECT_TRUE(session.path().isEmpty());
  EXPECT_FALSE(session.isDirty());
  EXPECT_EQ(song().part(1).count, 0);
  EXPECT_EQ(session.history().undoIndex(), 0);
  EXPECT_FALSE(session.canUndo());
  EXPECT_FALSE(session.canRedo());
}

TEST_F(EditorSessionTest, SaveAsWritesTheFileTakesItsNameAndCleans) {
  enter(1, 60, "4");
  EXPECT_EQ(log.take(), (std::vector<std::string>{"dirty"}));
  ASSERT_TRUE(session.saveAs(path("a.smd")).ok());
  EXPECT_EQ(log.take(), (std::vector<std::string>{"path " + path("a.smd").toStdString(), "clean"}));
  EXPECT_EQ(session.path(), path("a.smd"));
  EXPECT_FALSE(session.isDirty());
  EXPECT_EQ(ReadWholeFile(path("a.smd"))->toStdString(), "\x1b$D!$6\x0f\r\n");
}

TEST_F(EditorSessionTest, RefusedSaveWritesNothingAndStaysDirty) {
  enter(2, 60, "4");
  enter(2, 100, "4"); // beyond the phone's range: no snapshot, but in the song
  ASSERT_TRUE(WriteFileAtomically(path("a.smd"), "old").ok());
  session.setPath(path("a.smd"));
  log.take();

  const Status check = session.checkSmd();
  ASSERT_FALSE(check.ok());
  EXPECT_EQ(check.failure().place, (NotePlace{2, 1}));
  const Status saved = session.save();
  ASSERT_FALSE(saved.ok());
  EXPECT_EQ(saved.error(), kCannotHandleNote);
  EXPECT_TRUE(session.isDirty());
  EXPECT_EQ(*ReadWholeFile(path("a.smd")), "old");
  EXPECT_TRUE(log.take().empty());
}

// A tone store that cannot be written (a full program folder) is told once, and the song is
// saved all the same.
TEST_F(EditorSessionTest, AToneStoreThatCannotBeWrittenIsToldOnce) {
  DocumentOptions options;
  options.isSaveTone = true;
  session.setOptions(options);
  QFile::remove(ToneStorePath());
  ASSERT_TRUE(QDir().mkdir(ToneStorePath()));
  enter(1, 60, "4");
  ASSERT_TRUE(session.saveAs(path("a.smd")).ok());
  enter(1, 62, "4");
  ASSERT_TRUE(session.save().ok());
  const std::vector<std::string> words = log.take();
  EXPECT_EQ(std::count(words.begin(), words.end(), "toneStoreUnavailable"), 1);
  EXPECT_FALSE(session.isDirty());
  ASSERT_TRUE(QDir().rmdir(ToneStorePath()));
}

TEST_F(EditorSessionTest, FailedWriteKeepsTheSongDirty) {
  enter(1, 60, "4");
  const Status saved = session.saveAs(path("no/such/dir/a.smd"));
  ASSERT_FALSE(saved.ok());
  EXPECT_FALSE(saved.error().empty());
  EXPECT_TRUE(session.isDirty());
  EXPECT_FALSE(log.contains("clean"));
}

TEST_F(EditorSessionTest, OpenReplacesTheSongAndNewEmptiesIt) {
  ASSERT_TRUE(WriteFileAtomically(path("b.smd"), "t\x1b$D!$66\x0f\r\n").ok());
  enter(3, 62, "8");
  log.take();

  ASSERT_TRUE(session.open(path("b.smd")).ok());
  EXPECT_EQ(log.take(), (std::vector<std::string>{"songReplaced",
                                                  "path " + path("b.smd").toStdString(), "clean"}));
  EXPECT_EQ(numbers(1), (std::vector<int>{60, 60}));
  EXPECT_EQ(song().part(3).count, 0);
  EXPECT_EQ(song().title, "t");
  // The score lists are ready for the score editor without a rebuild by hand.
  EXPECT_EQ(song().part(1).scoreHeader.count, 2);

  session.newSong();
  EXPECT_EQ(log.take(), (std::vector<std::string>{"songReplaced", "path "}));
  EXPECT_EQ(song().part(1).count, 0);
  EXPECT_EQ(session.history().undoIndex(), 0);
}

TEST_F(EditorSessionTest, FailedOpenLeavesSongPathAndDirtyAlone) {
  enter(1, 64, "4");
  session.setPath(path("mine.smd"));
  ASSERT_TRUE(WriteFileAtomically(path("bad.smd"), "x\x1b$D6\x1b$D\"").ok());
  log.take();
  for (const QString &name : {QStringLiteral("missing.smd"), QStringLiteral("bad.smd")}) {
    SCOPED_TRACE(name.toStdString());
    const Result<OpenOutcome> opened = session.open(path(name));
    EXPECT_FALSE(opened.ok());
    EXPECT_EQ(numbers(1), (std::vector<int>{64}));
    EXPECT_EQ(session.path(), path("mine.smd"));
    EXPECT_TRUE(session.isDirty());
    EXPECT_TRUE(log.take().empty());
  }
}

TEST_F(EditorSessionTest, UndoAndRedoMoveThroughTheSnapshots) {
  enter(1, 60, "4");
  enter(1, 62, "4");
  enter(1, 64, "4");
  log.take();
  ASSERT_TRUE(session.undo().ok());
  ASSERT_TRUE(session.undo().ok());
  EXPECT_EQ(numbers(1), (std::vector<int>{60}));
  EXPECT_EQ(log.take(), (std::vector<std::string>{"songReplaced", "songReplaced"}));
  ASSERT_TRUE(session.canRedo());
  ASSERT_TRUE(session.redo().ok());
  EXPECT_EQ(numbers(1), (std::vector<int>{60, 62}));
  // Undo does not make the song clean or dirty: the edit that changed it did.
  EXPECT_TRUE(session.isDirty());
  enter(1, 67, "4");
  EXPECT_FALSE(session.canRedo());
}

TEST_F(EditorSessionTest, SaveAsStaysWithTheSongItNamedThroughUndo) {
  enter(1, 60, "4");
  ASSERT_TRUE(session.saveAs(path("x.smd")).ok());
  enter(1, 62, "4");
  ASSERT_TRUE(session.undo().ok());
  EXPECT_EQ(session.path(), path("x.smd"));
}

// Undo and redo across an Open or an import bring back the file name the song had, so that a
// save goes to that file and the one opened since stays as it is.
struct ReplacedSongRow {
  const char *name;
  bool import; // the song is replaced by a MIDI import, else by an Open
};

class UndoAcrossReplacement : public EditorSessionTest,
                              public testing::WithParamInterface<ReplacedSongRow> {};

TEST_P(UndoAcrossReplacement, BringsBackTheFileNameOfTheSong) {
  Song other;
  NewSong(other);
  InsertNote(other, 1, 0, 67, "8", PitchNameOf(67));
  RecalcTimes(other);
  ASSERT_TRUE(WriteFileAtomically(path("b.smd"), "b\x1b$D!$66\x0f\r\n").ok());
  ASSERT_TRUE(ExportMidiFile(other, path("b.mid")).ok());
  const QByteArray bBytes = *ReadWholeFile(path("b.smd"));
  enter(1, 60, "4");
  enter(1, 62, "4");
  ASSERT_TRUE(session.saveAs(path("a.smd")).ok());
  const QString replacement = path(GetParam().import ? "b.mid" : "b.smd");
  ASSERT_TRUE(GetParam().import ? session.importMidi(replacement).ok()
                                : session.open(replacement).ok());
  EXPECT_EQ(session.path(), path("b.smd"));
  log.take();

  ASSERT_TRUE(session.undo().ok());
  EXPECT_EQ(numbers(1), (std::vector<int>{60}));
  EXPECT_EQ(session.path(), path("a.smd"));
  EXPECT_TRUE(session.isDirty()); // neither file holds this song
  EXPECT_EQ(log.take(), (std::vector<std::string>{"songReplaced",
                                                  "path " + path("a.smd").toStdString(), "dirty"}));
  ASSERT_TRUE(session.save().ok());
  EXPECT_EQ(*ReadWholeFile(path("b.smd")), bBytes);
  ASSERT_TRUE(session.redo().ok());
  EXPECT_EQ(numbers(1), (std::vector<int>{60, 62}));
  EXPECT_EQ(session.path(), path("a.smd"));
}

INSTANTIATE_TEST_SUITE_P(Replacements, UndoAcrossReplacement,
                         testing::Values(ReplacedSongRow{"Open", false},
                                         ReplacedSongRow{"MidiImport", true}),
                         [](const testing::TestParamInfo<ReplacedSongRow> &info) {
                           return std::string(info.param.name);
                         });

// A fitting is one undo step, whether the song before it or after it could take a snapshot:
// undo brings back the song before the fitting, not the last song that could be saved.
struct FitUndoRow {
  const char *name;
  bool wholeSong;          // the Edit menu's fitting, else the first problem alone
  bool manyUndo;           // the multi-level undo setting
  std::vector<int> fitted; // part 1 after the fitting
  bool redoable;           // the fitted song took a snapshot that redo brings back
};

class FitUndo : public EditorSessionTest, public testing::WithParamInterface<FitUndoRow> {};

TEST_P(FitUndo, UndoBringsBackTheSongBeforeTheFitting) {
  const FitUndoRow &row = GetParam();
  session.setOptions({.isSaveTone = false, .isManyUndo = row.manyUndo, .import = {}});
  enter(1, 60, "4");
  enter(1, 100, "4"); // from here on the song fails the checks: no more snapshots
  enter(1, 30, "4");
  const std::vector<int> before = numbers(1);
  const std::size_t changes = row.wholeSong ? session.fitForSmd() : session.fitProblemForSmd(1, 1);
  ASSERT_GT(changes, 0u);
  EXPECT_EQ(numbers(1), row.fitted);
  ASSERT_TRUE(session.canUndo());
  log.take();
  ASSERT_TRUE(session.undo().ok());
  EXPECT_EQ(numbers(1), before);
  EXPECT_TRUE(session.isDirty());
  EXPECT_EQ(log.take(), (std::vector<std::string>{"songReplaced"}));
  if (row.redoable) {
    ASSERT_TRUE(session.canRedo());
    ASSERT_TRUE(session.redo().ok());
    EXPECT_EQ(numbers(1), row.fitted);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Fittings, FitUndo,
    testing::Values(FitUndoRow{"WholeSongNowSavable", true, true, {60, 88, 54}, true},
                    FitUndoRow{"OneProblemOfTwoStillUnsavable", false, true, {60, 88, 30}, false},
                    FitUndoRow{"WithSingleStepUndo", false, false, {60, 88, 30}, false}),
    [](const testing::TestParamInfo<FitUndoRow> &info) { return std::string(info.param.name); });

// What an editing command's outcome does to the document, whichever window ran it.
struct ApplyRow {
  const char *name;
  EditOutcome outcome;
  bool dirty;    // the song is marked changed
  int snapshots; // steps added to the history
};

class Apply : public EditorSessionTest, public testing::WithParamInterface<ApplyRow> {};

TEST_P(Apply, MarksAndSnapshotsAsTheOutcomeSays) {
  const ApplyRow &row = GetParam();
  const int before = session.history().undoIndex();
  session.apply(row.outcome);
  EXPECT_EQ(session.isDirty(), row.dirty);
  EXPECT_EQ(session.history().undoIndex(), before + row.snapshots);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, Apply,
    testing::Values(ApplyRow{"Changed", EditOutcome::Changed(), true, 1},
                    ApplyRow{"SnapshotOnly", EditOutcome::SnapshotOnly(), false, 1},
                    ApplyRow{"Unchanged", EditOutcome::Unchanged(), false, 0},
                    ApplyRow{"Refused", EditOutcome::Refused("no"), false, 0}),
    [](const testing::TestParamInfo<ApplyRow> &info) { return std::string(info.param.name); });

TEST_F(EditorSessionTest, AnEditAfterAFittingEndsItsUndo) {
  enter(1, 100, "4");
  ASSERT_GT(session.fitForSmd(), 0u);
  enter(1, 62, "4");
  ASSERT_TRUE(session.undo().ok());
  // The edit's snapshot is undone, not the fitting.
  EXPECT_EQ(numbers(1), (std::vector<int>{88}));
}

TEST_F(EditorSessionTest, UnreadableSnapshotLeavesTheSongAndTheHistory) {
  enter(1, 60, "4");
  enter(1, 62, "4");
  ASSERT_TRUE(QFile::remove(session.undoSnapshotPath()));
  log.take();
  EXPECT_FALSE(session.undo().ok());
  EXPECT_EQ(numbers(1), (std::vector<int>{60, 62}));
  EXPECT_EQ(session.history().undoIndex(), 2);
  EXPECT_TRUE(log.take().empty());
}

TEST_F(EditorSessionTest, SingleStepUndoExchangesWithTheBackupSlot) {
  session.setOptions({.isSaveTone = false, .isManyUndo = false, .import = {}});
  enter(1, 60, "4");
  BackupPart(song(), false);
  enter(1, 62, "4");
  log.take();
  ASSERT_TRUE(session.undo().ok());
  EXPECT_EQ(numbers(1), (std::vector<int>{60}));
  EXPECT_EQ(song().part(1).scoreHeader.count, 1); // the score shows it too
  EXPECT_EQ(log.take(), (std::vector<std::string>{"notesChanged 1"}));
  ASSERT_TRUE(session.undo().ok());
  EXPECT_EQ(numbers(1), (std::vector<int>{60, 62}));
}

TEST_F(EditorSessionTest, ScoreListEditsReachTheFileThroughTheSession) {
  enter(1, 60, "4");
  session.editScoreLists();
  // The score editor changes a note in its own list only.
  song().part(1).score[0].noteNumber = 72;
  session.setPath(path("s.smd"));
  ASSERT_TRUE(session.save().ok());
  EXPECT_EQ(numbers(1), (std::vector<int>{72}));
  session.editNoteLists();
  EXPECT_EQ(session.editedLists(), EditedLists::Notes);
}

// Every save writes the tones when the setting asks for it, and a snapshot is a save.
TEST_F(EditorSessionTest, TonesReachTheToneStoreAfterASnapshot) {
  session.setOptions({.isSaveTone = true, .isManyUndo = true, .import = {}});
  enter(1, 60, "4");
  ASSERT_TRUE(session.saveAs(path("t.smd")).ok());
  song().part(4).tone = 41;
  enter(1, 62, "4");
  Result<IniFile> store = IniFile::Load(ToneStorePath());
  ASSERT_TRUE(store.ok());
  EXPECT_EQ(store->readInt(ToneSection(path("t.smd")), "4", -1), 41);
}

TEST_F(EditorSessionTest, ImportReplacesTheSongAndAFailureKeepsIt) {
  enter(2, 48, "8");
  session.setPath(path("x.smd"));
  ASSERT_TRUE(session.exportMidi(path("x.mid")).ok());
  log.take();

  EXPECT_FALSE(session.importMidi(path("missing.mid")).ok());
  EXPECT_EQ(numbers(2), (std::vector<int>{48}));
  EXPECT_TRUE(log.take().empty());

  session.setPath(path("other.smd"));
  log.take();
  const Result<MidiImportReport> imported = session.importMidi(path("x.mid"));
  ASSERT_TRUE(imported.ok());
  EXPECT_TRUE(imported->complete());
  EXPECT_EQ(numbers(2), (std::vector<int>{48}));
  EXPECT_EQ(session.path(), path("x.smd"));
  EXPECT_FALSE(session.isDirty());
  EXPECT_EQ(log.take(), (std::vector<std::string>{"songReplaced",
                                                  "path " + path("x.smd").toStdString(), "clean"}));
}

TEST_F(EditorSessionTest, PlayingIsAnnouncedWithoutAWindow) {
  enter(1, 60, "4");
  log.take();
  session.player().playAll();
  EXPECT_TRUE(session.isPlaying());
  session.player().stop();
  EXPECT_FALSE(session.isPlaying());
  EXPECT_EQ(log.take(), (std::vector<std::string>{"playing", "stopped"}));
}

TEST_F(EditorSessionTest, ShutDownDeletesSnapshotsAndLogs) {
  enter(1, 60, "4");
  const QString folder = session.history().folder();
  ASSERT_TRUE(QFile::exists(folder + "/pipora1.tmp"));
  ASSERT_TRUE(WriteFileAtomically(path("pipora.log"), "log").ok());
  ASSERT_TRUE(WriteFileAtomically(path("keep.txt"), "mine").ok());
  session.setDirty(false); // the close sequence saved the changes or let them go
  session.shutDown();
  EXPECT_FALSE(QDir(folder).exists());
  EXPECT_FALSE(QFile::exists(path("pipora.log")));
  EXPECT_TRUE(QFile::exists(path("keep.txt")));
}

} // namespace
} // namespace pipora
