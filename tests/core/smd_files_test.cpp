// The SMD file layer: opening into a song, saving with the tone store, undo snapshots.
#include "session/failure_text.h"
#include "session/smd_files.h"
#include "session/tone_store.h"
#include "smd_bytes.h"

#include "model/vocabulary.h"
#include "platform/files/file_io.h"
#include "platform/ini/ini_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include <optional>
#include <string>
#include <vector>

namespace pipora {
namespace {

using test::Expected;
using test::ExpectNotes;
using test::kEnd;
using test::kStart;

Song SongWith(int part, const std::vector<std::pair<int, std::string>> &notes) {
  Song song;
  for (const auto &[number, length] : notes)
    InsertNote(song, part, song.part(part).count, number, length, PitchNameOf(number));
  return song;
}

std::string Frame(const std::string &body) {
  return "\x1b$D" + body + "\x0f";
}

class OpenSmdFileTest : public testing::Test {
protected:
  QString write(const QString &name, const QByteArray &bytes) {
    const QString path = dir_.filePath(name);
    EXPECT_TRUE(WriteFileAtomically(path, bytes).ok());
    return path;
  }

  // A song with something in every slot that reading may or may not replace.
  static Song Existing() {
    Song song;
    InsertNote(song, 1, 0, 62, "4", "D");
    InsertNote(song, 17, 0, 64, "8", "E");
    InsertNote(song, 18, 0, 65, "2", "F");
    song.part(18).scoreHeader.partNumber = 1;
    song.part(3).volume = 7;
    song.part(2).tone = 40;
    song.title = "old";
    song.fileName = "old.smd";
    song.dirty = true;
    song.currentPart = 5;
    song.ticksPerBeat = 240;
    song.beatsPerMeasure = 3;
    RecalcTimes(song);
    BuildScoreList(song);
    return song;
  }

  QTemporaryDir dir_;
};

TEST_F(OpenSmdFileTest, LoadsTheFirstLineAndCleansTheSong) {
  for (const char *ending : {"\r\n", "\n", "\r"}) {
    SCOPED_TRACE(ending);
    const QString path =
        write("a.smd", "abc" + kStart + "!$65" + kEnd + ending + "garbage\x1b$D%\x0f");
    Song song = Existing();
    Result<OpenOutcome> opened = OpenSmdFile(song, path);
    ASSERT_TRUE(opened.ok()) << opened.error();
    EXPECT_EQ(*opened, OpenOutcome::Loaded);
    EXPECT_EQ(song.title, "abc");
    ExpectNotes(song.part(1), {{60, "4", "C"}, {60, "8", "C"}});
    EXPECT_EQ(song.part(1).notes[1].start, 480);
    // The command-line tool reads the same bytes through the same layer, into a new song.
    const Result<Song> decoded = DecodeSmdBytes(*ReadWholeFile(path));
    ASSERT_TRUE(decoded.ok()) << decoded.error();
    EXPECT_EQ(decoded->title, "abc");
    ExpectNotes(decoded->part(1), {{60, "4", "C"}, {60, "8", "C"}});
    EXPECT_EQ(song.part(1).score[1].start, 480);
    EXPECT_EQ(song.part(1).scoreHeader.count, 2);
    ExpectNotes(song.part(17), {});
    EXPECT_EQ(song.part(3).volume, 4);
    EXPECT_EQ(song.part(2).tone, 40);
    // The backup slot and the current part belong to the editor, not to the file.
    ExpectNotes(song.part(18), {{65, "2", "F"}});
    EXPECT_EQ(song.part(18).scoreHeader.partNumber, 1);
    EXPECT_EQ(song.currentPart, 5);
    EXPECT_EQ(song.ticksPerBeat, 480);
    EXPECT_EQ(song.beatsPerMeasure, 4);
    EXPECT_EQ(song.fileName, path.toStdString());
    EXPECT_FALSE(song.dirty);
  }
}

TEST_F(OpenSmdFileTest, EighteenthPartReplacesTheBackupSlotCleanly) {
  QByteArray line;
  for (int n = 1; n <= 18; ++n)
    line += kStart + "6" + kEnd;
  line += "\x1b"; // a cut-off start is ignored
  Song song = Existing();
  ASSERT_TRUE(OpenSmdFile(song, write("b.smd", line)).ok());
  ExpectNotes(song.part(18), {{60, "4", "C"}});
  EXPECT_EQ(song.part(18).scoreHeader.partNumber, 0);
  ExpectNotes(song.part(17), {{60, "4", "C"}});
}

TEST_F(OpenSmdFileTest, DamagedFileLeavesTheSongAsItWas) {
  const QString path = write("bad.smd", "new" + kStart + "66\"" + kEnd + kStart + "\"");
  Song song = Existing();
  Result<OpenOutcome> opened = OpenSmdFile(song, path);
  ASSERT_FALSE(opened.ok());
  // The decoder says where the damage starts: the second part's cut-off octave word.
  EXPECT_EQ(opened.failure().offset, std::optional<std::int64_t>(13));
  EXPECT_EQ(song.title, "old");
  ExpectNotes(song.part(1), {{62, "4", "D"}});
  ExpectNotes(song.part(17), {{64, "8", "E"}});
  EXPECT_EQ(song.part(3).volume, 7);
  EXPECT_EQ(song.fileName, "old.smd");
  EXPECT_TRUE(song.dirty);
  EXPECT_EQ(song.ticksPerBeat, 240);
}

TEST_F(OpenSmdFileTest, MissingFileGivesTheReadFailureText) {
  Song song = Existing();
  const QString path = dir_.filePath("none.smd");
  Result<OpenOutcome> opened = OpenSmdFile(song, path);
  ASSERT_FALSE(opened.ok());
  const std::string text = FileFailureText(path, opened.failure(), FileAccess::Read);
  const std::size_t first = text.find('\n');
  const std::size_t second = text.find('\n', first + 1);
  EXPECT_EQ(text.substr(0, first), path.toStdString());
  EXPECT_GT(second, first + 1); // a description between the two line breaks
  EXPECT_EQ(text.substr(second + 1), "ファイルの読み込みに失敗しました。");
  EXPECT_EQ(song.fileName, "old.smd");
  ExpectNotes(song.part(1), {{62, "4", "D"}});
}

TEST_F(OpenSmdFileTest, EmptyFirstLineOnlyTakesTheFileName) {
  const QString path = write("empty.smd", "\r\n" + kStart + "6" + kEnd);
  Song song = Existing();
  Result<OpenOutcome> opened = OpenSmdFile(song, path);
  ASSERT_TRUE(opened.ok());
  EXPECT_EQ(*opened, OpenOutcome::EmptyFile);
  EXPECT_EQ(song.fileName, path.toStdString());
  EXPECT_TRUE(song.dirty);
  ExpectNotes(song.part(1), {{62, "4", "D"}});

  song.fileName = "old.smd";
  ASSERT_TRUE(OpenSmdFile(song, path, {.snapshotMode = true}).ok());
  EXPECT_EQ(song.fileName, "old.smd");
}

TEST_F(OpenSmdFileTest, SnapshotModeKeepsFileNameAndDirtyFlag) {
  const QString path = write("pipora3.tmp", kStart + "6" + kEnd + "\r\n");
  Song song = Existing();
  ASSERT_TRUE(OpenSmdFile(song, path, {.snapshotMode = true}).ok());
  ExpectNotes(song.part(1), {{60, "4", "C"}});
  EXPECT_EQ(song.fileName, "old.smd");
  EXPECT_TRUE(song.dirty);
}

TEST_F(OpenSmdFileTest, TonesComeFromTheStoreOnlyWhenAsked) {
  const QString path = write("tones.smd", kStart + "6" + kEnd);
  IniFile store;
  store.setValue(ToneSection(path), "1", "19");
  store.setValue(ToneSection(path), "16", "73");
  store.setValue("/other.smd", "2", "5");
  ASSERT_TRUE(store.save(ToneStorePath()).ok());

  Song song = Existing();
  ASSERT_TRUE(OpenSmdFile(song, path).ok());
  EXPECT_EQ(song.part(1).tone, 0);

  ASSERT_TRUE(OpenSmdFile(song, path, {.isSaveTone = true}).ok());
  EXPECT_EQ(song.part(1).tone, 19);
  EXPECT_EQ(song.part(16).tone, 73);
  EXPECT_EQ(song.part(2).tone, 40); // no entry: the current tone stays
  QFile::remove(ToneStorePath());
}

class SaveSmdFileTest : public testing::Test {
protected:
  QString path(const QString &name) const { return dir_.filePath(name); }
  QTemporaryDir dir_;
};

TEST_F(SaveSmdFileTest, WritesCleansAndReadsBack) {
  Song song = SongWith(1, {{60, "4"}});
  song.dirty = true;
  const Status saved = SaveSmdFile(song, path("a.smd"), false);
  ASSERT_TRUE(saved.ok()) << saved.error();
  EXPECT_FALSE(song.dirty);
  Result<QByteArray> bytes = ReadWholeFile(path("a.smd"));
  ASSERT_TRUE(bytes.ok());
  EXPECT_EQ(bytes->toStdString(), Frame("!$6") + "\r\n");
  EXPECT_FALSE(QFile::exists(ToneStorePath()));
}

TEST_F(SaveSmdFileTest, RefusedSongLeavesTheOldFileAndStaysDirty) {
  ASSERT_TRUE(WriteFileAtomically(path("a.smd"), "old contents").ok());
  Song song = SongWith(2, {{60, "4"}, {100, "4"}});
  song.dirty = true;
  const Status saved = SaveSmdFile(song, path("a.smd"), true);
  ASSERT_FALSE(saved.ok());
  EXPECT_EQ(saved.error(), kCannotHandleNote);
  EXPECT_TRUE(song.dirty);
  EXPECT_EQ(*ReadWholeFile(path("a.smd")), "old contents");
  EXPECT_FALSE(QFile::exists(ToneStorePath()));
}

TEST_F(SaveSmdFileTest, FailedWriteGivesTheSaveFailureText) {
  Song song = SongWith(1, {{60, "4"}});
  song.dirty = true;
  const QString target = path("missing/dir/a.smd");
  const Status saved = SaveSmdFile(song, target, false);
  ASSERT_FALSE(saved.ok());
  const std::string text = FileFailureText(target, saved.failure(), FileAccess::Write);
  const std::size_t first = text.find('\n');
  const std::size_t second = text.find('\n', first + 1);
  EXPECT_EQ(text.substr(0, first), target.toStdString());
  EXPECT_GT(second, first + 1);
  EXPECT_EQ(text.substr(second + 1), kWriteFailedMessage);
  EXPECT_TRUE(song.dirty);
}

// After "上書きしますか" Yes the save still replaces regular files only: a FIFO or a device
// node at the name stays what it was and the song stays unsaved.
TEST_F(SaveSmdFileTest, AFifoOrADeviceIsNotReplaced) {
  const QByteArray fifo = QFile::encodeName(path("fifo.smd"));
  ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
  ASSERT_TRUE(QFile::link("/dev/null", path("null.smd")));
  for (const QByteArray &target : {fifo, QFile::encodeName(path("null.smd"))}) {
    Song song = SongWith(1, {{60, "4"}});
    song.dirty = true;
    const Status saved = SaveSmdFile(song, QFile::decodeName(target), false);
    ASSERT_FALSE(saved.ok()) << target.toStdString();
    EXPECT_EQ(saved.error(), kNotRegularFileMessage);
    EXPECT_TRUE(song.dirty);
  }
  struct stat info;
  ASSERT_EQ(::stat(fifo.constData(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  ASSERT_EQ(::stat("/dev/null", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
}

// Every name keeps tones of its own: characters Shift-JIS cannot hold are not lost, and a
// name with a line break or "]" cannot write into another file's section.
TEST_F(SaveSmdFileTest, EveryFileNameKeepsItsOwnTones) {
  const QStringList names = {"other.smd",
                             "a\n[" + path("other.smd") + "]\n1=99\n.smd",
                             QString::fromUtf8("Müller😀.smd"),
                             "M?ller?.smd",
                             "100%.smd",
                             "100%25.smd",
                             QString::fromUtf8("曲.smd")};
  for (int i = 0; i < names.size(); ++i) {
    Song song = SongWith(1, {{60, "4"}});
    song.part(1).tone = 20 + i;
    ASSERT_TRUE(SaveTones(song, path(names[i])).ok());
  }
  for (int i = 0; i < names.size(); ++i) {
    Song song;
    LoadTones(song, path(names[i]));
    EXPECT_EQ(song.part(1).tone, 20 + i) << names[i].toStdString();
  }
  EXPECT_EQ(ToneSection(path(QString::fromUtf8("曲.smd"))), path(QString::fromUtf8("曲.smd")));
}

// Two editors saving different songs at once both keep their sections: every save, with its
// clefs or only its tones, reads and writes the store under one lock.
struct ConcurrentSaveRow {
  const char *name;
  bool processes;  // two processes (editors), else two threads
  bool wholeSaves; // SaveSmdFile with tones and clefs; else SaveTones alone
};

class ConcurrentToneSaves : public SaveSmdFileTest,
                            public testing::WithParamInterface<ConcurrentSaveRow> {};

TEST_P(ConcurrentToneSaves, KeepEverySection) {
  constexpr int kRounds = 40;
  const ConcurrentSaveRow &row = GetParam();
  // True when every save of the round succeeded.
  const auto saveMany = [&](const QString &prefix) {
    bool ok = true;
    for (int i = 0; i < kRounds; ++i) {
      Song song = SongWith(1, {{60, "4"}});
      song.part(1).tone = i;
      song.display.clefs[1] = i % 2 ? Clef::Bass : Clef::Treble;
      const QString file = path(prefix + QString::number(i) + ".smd");
      std::string storeFault;
      ok &= row.wholeSaves ? SaveSmdFile(song, file, *EncodeSmd(song), true, &storeFault).ok() &&
                                 storeFault.empty()
                           : SaveTones(song, file).ok();
    }
    return ok;
  };
  if (row.processes) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
      ::_exit(saveMany(QStringLiteral("b")) ? 0 : 1);
    EXPECT_TRUE(saveMany(QStringLiteral("a")));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  } else {
    bool firstOk = false, secondOk = false;
    std::thread first([&] { firstOk = saveMany(QStringLiteral("a")); });
    std::thread second([&] { secondOk = saveMany(QStringLiteral("b")); });
    first.join();
    second.join();
    EXPECT_TRUE(firstOk && secondOk);
  }
  for (const QString prefix : {"a", "b"})
    for (int i = 0; i < kRounds; ++i) {
      const QString file = path(prefix + QString::number(i) + ".smd");
      Song song;
      song.part(1).tone = -1;
      LoadTones(song, file);
      EXPECT_EQ(song.part(1).tone, i) << prefix.toStdString() << i;
      if (row.wholeSaves) {
        LoadScoreDisplay(song, file);
        EXPECT_EQ(song.display.clefs[1], i % 2 ? Clef::Bass : Clef::Treble)
            << prefix.toStdString() << i;
      }
    }
}

INSTANTIATE_TEST_SUITE_P(Editors, ConcurrentToneSaves,
                         testing::Values(ConcurrentSaveRow{"ThreadsSavingTones", false, false},
                                         ConcurrentSaveRow{"ThreadsSavingSongs", false, true},
                                         ConcurrentSaveRow{"ProcessesSavingTones", true, false},
                                         ConcurrentSaveRow{"ProcessesSavingSongs", true, true}),
                         [](const testing::TestParamInfo<ConcurrentSaveRow> &info) {
                           return std::string(info.param.name);
                         });

// A store that cannot be written does not fail the save; the reason reaches the caller.
TEST_F(SaveSmdFileTest, AToneStoreThatCannotBeWrittenIsTold) {
  QFile::remove(ToneStorePath());
  ASSERT_TRUE(QDir().mkdir(ToneStorePath())); // a folder where the store should be
  Song song = SongWith(1, {{60, "4"}});
  song.dirty = true;
  std::string storeFault;
  const Result<QByteArray> text = EncodeSmd(song);
  ASSERT_TRUE(text);
  EXPECT_TRUE(SaveSmdFile(song, path("t.smd"), *text, true, &storeFault).ok());
  EXPECT_FALSE(song.dirty);
  EXPECT_FALSE(storeFault.empty());
  // A snapshot holds the melody alone: the store is none of its business.
  song.fileName = FileNameBytes(path("t.smd")).toStdString();
  EXPECT_TRUE(WriteSmdSnapshot(song, path("snapshot.tmp")).ok());
  ASSERT_TRUE(QDir().rmdir(ToneStorePath()));
}

// A save killed before its rename leaves a hidden temporary; the next save into the folder
// removes those of this user's old enough that no running save can own them.
struct LeftoverRow {
  const char *name;
  const char *fileName;
  int minutesOld;
  bool link; // a link of that name (to a file elsewhere)
  bool removed;
};

class LeftoverTemporaries : public SaveSmdFileTest,
                            public testing::WithParamInterface<LeftoverRow> {};

TEST_P(LeftoverTemporaries, GoAtTheNextSaveOnlyWhenOldAndOurs) {
  const LeftoverRow &row = GetParam();
  const QString leftover = path(row.fileName);
  QTemporaryDir elsewhere;
  const QString target = elsewhere.filePath("kept.smd");
  ASSERT_TRUE(WriteFileAtomically(target, "kept").ok());
  if (row.link)
    ASSERT_TRUE(QFile::link(target, leftover));
  else
    ASSERT_TRUE(WriteFileAtomically(leftover, "half a song").ok());
  const QDateTime then = QDateTime::currentDateTime().addSecs(-60 * row.minutesOld);
  const timespec times[2] = {{then.toSecsSinceEpoch(), 0}, {then.toSecsSinceEpoch(), 0}};
  ASSERT_EQ(
      ::utimensat(AT_FDCWD, QFile::encodeName(leftover).constData(), times, AT_SYMLINK_NOFOLLOW),
      0);
  Song song = SongWith(1, {{60, "4"}});
  ASSERT_TRUE(SaveSmdFile(song, path("song.smd"), false).ok());
  EXPECT_EQ(!QFileInfo(leftover).exists() && !QFileInfo(leftover).isSymLink(), row.removed);
  EXPECT_EQ(*ReadWholeFile(target), "kept");
}

INSTANTIATE_TEST_SUITE_P(
    Names, LeftoverTemporaries,
    testing::Values(
        LeftoverRow{"OldOfThisVersion", ".pipora-abcdefgh1234.tmp", 30, false, true},
        LeftoverRow{"OldOfAnEarlierVersion", ".song.smd.abcdefgh1234.tmp", 30, false, true},
        LeftoverRow{"OldOfAnotherFile", ".other.mid.0123456789ab.tmp", 30, false, true},
        LeftoverRow{"RecentMayBeASaveRunningNow", ".pipora-abcdefgh1234.tmp", 2, false, false},
        LeftoverRow{"NotHidden", "song.smd.abcdefgh1234.tmp", 30, false, false},
        LeftoverRow{"NotOurRandomPart", ".song.smd.backup.tmp", 30, false, false},
        LeftoverRow{"ALinkOfThatName", ".pipora-abcdefgh1234.tmp", 30, true, false}),
    [](const testing::TestParamInfo<LeftoverRow> &info) { return std::string(info.param.name); });

TEST_F(SaveSmdFileTest, TonesAreStoredUnderTheFilePathWhenAsked) {
  Song song = SongWith(1, {{60, "4"}});
  for (int n = 1; n <= kUserParts; ++n)
    song.part(n).tone = n + 10;
  IniFile existing;
  existing.setValue("pipora", "keep", "me");
  ASSERT_TRUE(existing.save(ToneStorePath()).ok());

  ASSERT_TRUE(SaveSmdFile(song, path("t.smd"), true).ok());
  Result<IniFile> store = IniFile::Load(ToneStorePath());
  ASSERT_TRUE(store.ok());
  for (int n = 1; n <= kUserParts; ++n)
    EXPECT_EQ(store->readInt(ToneSection(path("t.smd")), QString::number(n), -1), n + 10);
  EXPECT_EQ(store->readString("pipora", "keep", ""), "me");

  // And they come back on the next open.
  Song other;
  ASSERT_TRUE(OpenSmdFile(other, path("t.smd"), {.isSaveTone = true}).ok());
  EXPECT_EQ(other.part(7).tone, 17);
  QFile::remove(ToneStorePath());
}

TEST_F(SaveSmdFileTest, SnapshotsFailWithoutWritingAndLeaveDirtyAlone) {
  Song song = SongWith(1, {{60, "4"}});
  song.dirty = true;
  EXPECT_TRUE(WriteSmdSnapshot(song, path("pipora1.tmp")).ok());
  EXPECT_TRUE(song.dirty);
  EXPECT_EQ(ReadWholeFile(path("pipora1.tmp"))->toStdString(), Frame("!$6") + "\r\n");

  InsertNote(song, 1, 1, 20, "4", "G#");
  EXPECT_FALSE(WriteSmdSnapshot(song, path("pipora2.tmp")).ok());
  EXPECT_FALSE(QFile::exists(path("pipora2.tmp")));
  EXPECT_FALSE(WriteSmdSnapshot(song, path("no/such/dir/pipora2.tmp")).ok());
}

// A snapshot is the SMD text alone: the tone store is written when a tone changes, not per
// edit. The text written comes back, so that the song is encoded once per change.
TEST_F(SaveSmdFileTest, SnapshotsLeaveTheToneStoreAlone) {
  Song song = SongWith(1, {{60, "4"}});
  song.part(1).tone = 33;
  song.fileName = path("named.smd").toStdString();
  const Result<QByteArray> written = WriteSmdSnapshot(song, path("pipora1.tmp"));
  ASSERT_TRUE(written.ok());
  EXPECT_EQ(*written, *ReadWholeFile(path("pipora1.tmp")));
  EXPECT_FALSE(QFile::exists(ToneStorePath()));
}

} // namespace
} // namespace pipora
