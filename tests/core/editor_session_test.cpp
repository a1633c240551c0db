// The editor session without any window: the document commands, their signals, and failures
// that leave the song as it was.
#include "session/editor_session.h"

#include "editing/key_inference.h"
#include "formats/smd/smd_writer.h"
#include "model/new_song.h"
#include "model/vocabulary.h"
#include "platform/files/file_io.h"
#include "platform/ini/ini_file.h"
#include "platform/midi/null/null_midi_backend.h"
#include "playback/player.h"
#include "session/abandoned_songs.h"
#include "session/tone_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
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
  Song &song() { return SongUnderTest(session); }
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
  // Away from what its file holds (here: the empty new song) the song stays changed.
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

// New, Open, an import and a recovery start the history with the song as it then is: the
// first edit after them is one undo step of its own, undo never leaves that song nor brings
// back the one before, and undo back to what the file holds makes the song clean.
enum class Replacement { New, Open, MidiImport, Recovery };

struct BoundaryRow {
  const char *name;
  Replacement by;
  std::vector<int> replaced; // part 1 right after the replacement
  bool cleanAtStart;         // undo to that state finds the song clean
};

class HistoryBoundary : public EditorSessionTest, public testing::WithParamInterface<BoundaryRow> {
protected:
  void replace(Replacement by) {
    switch (by) {
    case Replacement::New:
      session.newSong();
      return;
    case Replacement::Open:
      ASSERT_TRUE(session.open(path("b.smd")).ok());
      return;
    case Replacement::MidiImport:
      ASSERT_TRUE(session.importMidi(path("b.mid")).ok());
      return;
    case Replacement::Recovery: {
      AbandonedSong abandoned;
      abandoned.songFile = path("b.smd");
      abandoned.fileName = path("b.smd");
      ASSERT_TRUE(session.recover(abandoned).ok());
      return;
    }
    }
  }
};

TEST_P(HistoryBoundary, UndoStopsAtTheSongAsItWasThen) {
  const BoundaryRow &row = GetParam();
  Song other;
  NewSong(other);
  InsertNote(other, 1, 0, 60, "4", PitchNameOf(60));
  InsertNote(other, 1, 1, 60, "4", PitchNameOf(60));
  RecalcTimes(other);
  ASSERT_TRUE(WriteFileAtomically(path("b.smd"), "b\x1b$D!$66\x0f\r\n").ok());
  ASSERT_TRUE(ExportMidiFile(other, path("b.mid")).ok());
  const QByteArray bBytes = *ReadWholeFile(path("b.smd"));
  enter(1, 64, "4");
  ASSERT_TRUE(session.saveAs(path("a.smd")).ok());
  const QByteArray aBytes = *ReadWholeFile(path("a.smd"));
  enter(1, 65, "4"); // changed and then let go by the replacement
  replace(row.by);
  EXPECT_EQ(numbers(1), row.replaced);
  EXPECT_FALSE(session.canUndo());

  enter(1, 67, "4");
  std::vector<int> edited = row.replaced;
  edited.push_back(67);
  ASSERT_TRUE(session.canUndo());
  log.take();
  ASSERT_TRUE(session.undo().ok());
  EXPECT_EQ(numbers(1), row.replaced); // the first edit is a step of its own
  EXPECT_EQ(session.isDirty(), !row.cleanAtStart);
  if (row.cleanAtStart) {
    EXPECT_TRUE(log.contains("clean"));
  }
  EXPECT_FALSE(session.canUndo());
  ASSERT_TRUE(session.undo().ok()); // nothing older: neither a.smd nor its discarded change
  EXPECT_EQ(numbers(1), row.replaced);
  EXPECT_NE(session.path(), path("a.smd"));

  ASSERT_TRUE(session.redo().ok());
  EXPECT_EQ(numbers(1), edited);
  EXPECT_TRUE(session.isDirty());
  EXPECT_FALSE(session.canRedo());
  EXPECT_EQ(*ReadWholeFile(path("a.smd")), aBytes);
  EXPECT_EQ(*ReadWholeFile(path("b.smd")), bBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Replacements, HistoryBoundary,
    testing::Values(BoundaryRow{"New", Replacement::New, {}, true},
                    BoundaryRow{"Open", Replacement::Open, {60, 60}, true},
                    BoundaryRow{"MidiImport", Replacement::MidiImport, {60, 60}, true},
                    BoundaryRow{"Recovery", Replacement::Recovery, {60, 60}, false}),
    [](const testing::TestParamInfo<BoundaryRow> &info) { return std::string(info.param.name); });

// Undo and redo across a save: back at what the file holds the song is clean again.
TEST_F(EditorSessionTest, UndoBackToTheSavedStateIsClean) {
  enter(1, 60, "4");
  enter(1, 62, "4");
  ASSERT_TRUE(session.saveAs(path("s.smd")).ok());
  ASSERT_TRUE(session.undo().ok());
  EXPECT_TRUE(session.isDirty());
  ASSERT_TRUE(session.redo().ok());
  EXPECT_FALSE(session.isDirty());
  ASSERT_TRUE(session.undo().ok());
  enter(1, 64, "4"); // the saved state cannot be redone any more
  ASSERT_TRUE(session.undo().ok());
  EXPECT_EQ(numbers(1), (std::vector<int>{60}));
  EXPECT_TRUE(session.isDirty());
}

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

// The key the score is written in: found once the notes are enough to tell it, then kept.
struct KeptKeyRow {
  const char *name;
  std::vector<int> first; // quarter notes entered one by one
  std::optional<KeySignature> afterFirst;
  std::vector<int> then; // entered after them
  std::optional<KeySignature> afterThen;
};

class KeptKey : public EditorSessionTest, public testing::WithParamInterface<KeptKeyRow> {};

TEST_P(KeptKey, FoundOnceAndKeptAcrossEdits) {
  const KeptKeyRow &row = GetParam();
  for (int n : row.first)
    enter(1, n, "4");
  EXPECT_EQ(song().display.key, row.afterFirst);
  for (int n : row.then)
    enter(1, n, "4");
  EXPECT_EQ(song().display.key, row.afterThen);
  // What the notes alone would say now, for the rows where it differs from the kept key.
  if (std::string(row.name) == "keptAcrossAnEditThatChangesTheGuess") {
    EXPECT_NE(InferKey(WeightsOfNoteLists(song()), song().measureTicks()), row.afterThen);
  }
}

const std::vector<int> kCMajorTune = {60, 62, 64, 65, 67, 65, 64, 62, 60, 64, 67, 72};
const std::vector<int> kGMajorTune = {67, 71, 74, 78, 79, 78, 76, 74, 66, 67, 71, 74,
                                      78, 66, 67, 74, 78, 79, 66, 67, 71, 66, 67, 79};

INSTANTIATE_TEST_SUITE_P(
    Rows, KeptKey,
    testing::Values(KeptKeyRow{"keptAcrossAnEditThatChangesTheGuess", kCMajorTune,
                               KeySignature{0, false}, kGMajorTune, KeySignature{0, false}},
                    // Eight notes of C, C sharp and D: no key holds them, no signature.
                    KeptKeyRow{"tinyChromaticSongHasNoSignature",
                               {60, 61, 62, 61, 60, 61, 62, 60},
                               KeySignature{0, false},
                               {},
                               KeySignature{0, false}},
                    KeptKeyRow{"tooFewNotesWaitForMore",
                               {67, 71, 74},
                               std::nullopt,
                               kGMajorTune,
                               KeySignature{1, false}}),
    [](const testing::TestParamInfo<KeptKeyRow> &info) { return std::string(info.param.name); });

TEST_F(EditorSessionTest, UndoKeepsTheKeyAndAnOpenedFileKeepsItsOwn) {
  for (int n : kGMajorTune)
    enter(1, n, "4");
  ASSERT_EQ(song().display.key, (KeySignature{1, false}));
  ASSERT_TRUE(session.saveAs(path("g.smd")));
  ASSERT_TRUE(session.undo());
  EXPECT_EQ(song().display.key, (KeySignature{1, false}));
  // The user's choice goes with the file and comes back with it, whatever the notes say.
  session.edit([](Song &s) {
    s.display.key = KeySignature{-2, true};
    return EditOutcome::Changed();
  });
  ASSERT_TRUE(session.save());
  session.newSong();
  EXPECT_EQ(song().display.key, std::nullopt);
  ASSERT_TRUE(session.open(path("g.smd")));
  EXPECT_EQ(song().display.key, (KeySignature{-2, true}));
}

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

// With the setting on, the tone store keeps a file's tones: written by a save and when a tone
// changes, not by every edit (five typed notes used to rewrite it five times).
TEST_F(EditorSessionTest, TheToneStoreIsWrittenWhenAToneChanges) {
  session.setOptions({.isSaveTone = true, .isManyUndo = true, .import = {}});
  enter(1, 60, "4");
  ASSERT_TRUE(session.saveAs(path("t.smd")).ok());
  ASSERT_TRUE(QFile::remove(ToneStorePath()));
  enter(1, 62, "4");
  EXPECT_FALSE(QFile::exists(ToneStorePath()));
  session.setTone(4, 41);
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

// A full disk when a snapshot or the recovery record is written: the user is told once per
// run that unsaved work could not be brought back after a crash, with the system's reason.
TEST_F(EditorSessionTest, ARecoveryFaultIsToldOnce) {
  QStringList told;
  QObject::connect(&session, &EditorSession::recoveryUnavailable,
                   [&told](const QString &reason) { told << reason; });
  SetWriteFaultHook([](WriteStep step, int) { return step == WriteStep::Rename ? ENOSPC : 0; });
  enter(1, 60, "4");
  EXPECT_FALSE(session.writeRecoveryRecord().ok());
  enter(1, 62, "4");
  SetWriteFaultHook({});
  EXPECT_EQ(told, QStringList({QString::fromStdString(std::strerror(ENOSPC))}));
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
