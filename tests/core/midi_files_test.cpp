#include "session/midi_files.h"

#include "formats/midi/smf_import.h"

#include "model/vocabulary.h"
#include "platform/files/program_directory.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pipora {
namespace {

QByteArray ReadAll(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString &path, const QByteArray &bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

void Fill(Song &song, int part, std::initializer_list<std::pair<int, const char *>> notes) {
  for (const auto &[number, length] : notes)
    InsertNote(song, part, song.part(part).count, number, length, PitchNameOf(number));
  RecalcTimes(song);
}

std::vector<std::pair<int, std::string>> NotesOf(const Song &song, int part) {
  std::vector<std::pair<int, std::string>> notes;
  for (std::int32_t i = 0; i < song.part(part).count; ++i) {
    const NoteEntry &e = song.part(part).notes[static_cast<std::size_t>(i)];
    notes.emplace_back(e.noteNumber, e.length);
  }
  return notes;
}

double Half() {
  return 0.5;
}

class MidiFiles : public ::testing::Test {
protected:
  QString path(const QString &name) const { return dir.filePath(name); }
  QTemporaryDir dir;
};

TEST(WithLastThreeReplaced, SwapsExtension) {
  EXPECT_EQ(WithLastThreeReplaced("/a/song.mid", "smd"), "/a/song.smd");
  EXPECT_EQ(WithLastThreeReplaced("/a/song.smz", "mid"), "/a/song.mid");
  EXPECT_EQ(WithLastThreeReplaced("ab", "mid"), "mid");
}

TEST_F(MidiFiles, UnopenableFileLeavesTheSongAsItWas) {
  Song song;
  Fill(song, 2, {{60, "4"}});
  song.fileName = "old.smd";
  song.dirty = true;
  const Result<MidiImportReport> result = ImportMidiFile(song, path("missing.mid"), {});
  ASSERT_FALSE(result.ok());
  EXPECT_FALSE(result.error().empty());
  EXPECT_EQ(NotesOf(song, 2), (std::vector<std::pair<int, std::string>>{{60, "4"}}));
  EXPECT_EQ(song.fileName, "old.smd");
  EXPECT_TRUE(song.dirty);
}

TEST_F(MidiFiles, ExportThenImportKeepsNotesTempoTitleAndTones) {
  const struct {
    TempoChoice tempo;
  } tempos[] = {
      {TempoChoice::Fast}, {TempoChoice::Normal}, {TempoChoice::SomewhatSlow}, {TempoChoice::Slow}};
  for (const auto &row : tempos) {
    Song song;
    song.setTempo(row.tempo);
    song.title = "夏の歌";
    song.part(1).tone = 73;
    song.part(5).tone = 0;
    Fill(song, 1, {{60, "4"}, {0, "8"}, {62, "83"}, {64, "83"}, {65, "83"}, {67, "2_"}, {67, "2"}});
    Fill(song, 5, {{48, "16"}, {50, "8"}});
    ASSERT_TRUE(ExportMidiFile(song, path("out.mid"), Half).ok());

    Song back;
    const Result<MidiImportReport> result = ImportMidiFile(back, path("out.mid"), {});
    ASSERT_TRUE(result.ok()) << result.error();
    ASSERT_TRUE(result->complete()) << result->error->text();
    EXPECT_EQ(back.tempo, row.tempo);
    EXPECT_EQ(back.title, "夏の歌");
    EXPECT_EQ(back.part(1).tone, 73);
    // The gate gap of 20 ticks snaps away; the tie comes back as tied pieces.
    EXPECT_EQ(NotesOf(back, 1),
              (std::vector<std::pair<int, std::string>>{
                  {60, "4"}, {0, "8"}, {62, "83"}, {64, "83"}, {65, "83"}, {67, "2_"}, {67, "2"}}));
    EXPECT_EQ(NotesOf(back, 5), (std::vector<std::pair<int, std::string>>{{48, "16"}, {50, "8"}}));
  }
}

TEST_F(MidiFiles, ImportWritesEventLogAndRepeatsIt) {
  Song song;
  Fill(song, 3, {{72, "4"}});
  ASSERT_TRUE(ExportMidiFile(song, path("a.mid"), Half).ok());
  EXPECT_EQ(ReadAll(ProgramFile("pipora3.log")),
            "Wait\t0\r\nNoteOn\t3\t72\t100\r\nWait\t460\r\nNoteOn\t3\t72\t0\r\n");

  Song first;
  ASSERT_TRUE(ImportMidiFile(first, path("a.mid"), {})->complete());
  const QByteArray log = ReadAll(ProgramFile("pipora.log"));
  EXPECT_TRUE(log.startsWith("Header \r\nFormat0 \r\nNumOfTrack1 \r\nTimeBase480 \r\nTrack Size"));
  EXPECT_TRUE(log.contains("1:1:0:NoteOn CH3 72 109 \r\n"));
  EXPECT_TRUE(log.endsWith("EndOfTrack 0\r\n"));
  Song second;
  ASSERT_TRUE(ImportMidiFile(second, path("a.mid"), {})->complete());
  EXPECT_EQ(ReadAll(ProgramFile("pipora.log")), log);
}

// Both programs import through ImportMidiBytes: the command line's new song and the editor's
// replaced one hold the same notes; only the editor keeps the volumes of the song it replaces.
TEST_F(MidiFiles, TheCommandLineAndTheEditorImportTheSameNotes) {
  Song song;
  Fill(song, 3, {{72, "4"}, {74, "8"}});
  ASSERT_TRUE(ExportMidiFile(song, path("a.mid"), Half).ok());
  Song edited;
  edited.part(3).volume = 2;
  ASSERT_TRUE(ImportMidiFile(edited, path("a.mid"), {}).ok());
  const Report<Song> fresh = ImportMidiBytes(ReadAll(path("a.mid")), {});
  ASSERT_TRUE(fresh.complete());
  EXPECT_EQ(NotesOf(fresh.value, 3), NotesOf(edited, 3));
  EXPECT_EQ(fresh.value.part(3).volume, kDefaultVolume);
  EXPECT_EQ(edited.part(3).volume, 2);
  EXPECT_EQ(QString::fromStdString(edited.fileName), path("a.smd"));
}

// A piece at 60 per minute plays nearest at 121.7 with every length doubled; with chords
// shared out it is read at twice its times, so its thirty-second keeps its place as a sixteenth
// (and rests one after it), where doubling the lengths read at x1 could not.
TEST_F(MidiFiles, ASlowFileIsReadAtTwiceItsTimes) {
  const QByteArray file = QByteArray::fromHex("4D546864000000060000000101E0"
                                              "4D54726B00000025"
                                              "00FF51030F4240"
                                              "00903C64"
                                              "8360903C00"
                                              "00903E64"
                                              "3C903E00"
                                              "3C904064"
                                              "8360904000"
                                              "00FF2F00");
  MidiImportOptions options;
  options.chords = ChordHandling::Spread;
  options.writeEventLog = false;
  const Report<Song> read = ImportMidiBytes(file, options);
  ASSERT_TRUE(read.complete());
  EXPECT_EQ(read.value.tempo, TempoChoice::Normal);
  EXPECT_EQ(NotesOf(read.value, 1), (std::vector<std::pair<int, std::string>>{
                                        {60, "2"}, {62, "16"}, {0, "16"}, {64, "2"}}));
}

// One half note at 60 per minute (tempo 1,000,000 us per quarter, 480 per quarter).
QByteArray SlowHalfNoteFile() {
  return QByteArray::fromHex("4D546864000000060000000101E0"
                             "4D54726B00000014"
                             "00FF51030F4240"
                             "00903C64"
                             "8740903C00"
                             "00FF2F00");
}

// Read at twice its times the half note becomes two tied halves, more than the part may hold:
// the file, which fits at its own times, is read at them rather than refused.
TEST_F(MidiFiles, ASlowFileThatOutgrowsAPartAtTwiceItsTimesIsReadAtThem) {
  const QByteArray file = SlowHalfNoteFile();
  MidiImportOptions options;
  options.chords = ChordHandling::Spread;
  options.writeEventLog = false;
  options.maxPartElements = 1;
  LengthScale readAt = LengthScale::Double;
  const Report<Song> read =
      ImportSmf(std::span(reinterpret_cast<const std::uint8_t *>(file.constData()),
                          static_cast<std::size_t>(file.size())),
                options, Song(), nullptr, nullptr, &readAt);
  ASSERT_TRUE(read.complete()) << read.error->message;
  EXPECT_EQ(readAt, LengthScale::One);
  EXPECT_EQ(NotesOf(read.value, 1), (std::vector<std::pair<int, std::string>>{{60, "2"}}));
}

// Keeping the last note, the half note at 60 per minute would be doubled into two tied halves,
// more than the part may hold: the speed is chosen without doubling, and says so.
TEST_F(MidiFiles, ASlowFileThatOutgrowsAPartWhenDoubledIsNotDoubled) {
  const QByteArray file = SlowHalfNoteFile();
  MidiImportOptions options;
  options.chords = ChordHandling::Last;
  options.writeEventLog = false;
  options.maxPartElements = 1;
  ImportReport report;
  options.report = &report;
  const Report<Song> read = ImportMidiBytes(file, options);
  ASSERT_TRUE(read.complete());
  EXPECT_EQ(report.speed.scale, LengthScale::One);
  EXPECT_EQ(read.value.tempo, report.speed.tempo);
  EXPECT_EQ(NotesOf(read.value, 1), (std::vector<std::pair<int, std::string>>{{60, "2"}}));
}

TEST_F(MidiFiles, DamagedFileKeepsNotesReadBeforeTheError) {
  // A quarter note, then a delta-time of five bytes.
  WriteAll(path("bad.mid"), QByteArray::fromHex("4D546864000000060000000101E0 4D54726B00000020"
                                                "00903C64 836080 3C00 8181818100 90"));
  Song song;
  song.part(2).volume = 7;
  const Result<MidiImportReport> result = ImportMidiFile(song, path("bad.mid"), {});
  ASSERT_TRUE(result.ok());
  EXPECT_FALSE(result->complete());
  EXPECT_EQ(NotesOf(song, 1), (std::vector<std::pair<int, std::string>>{{60, "4"}}));
  EXPECT_TRUE(song.part(1).notes[1].isEndMarker());
  EXPECT_EQ(song.part(2).volume, 7);
}

// Cut in its first track's header, a file holds none of its song: the song stays. Cut in an
// event, the notes before stay and the report says the file was cut.
TEST_F(MidiFiles, AFileCutShortIsRefusedOrReported) {
  const QByteArray header = QByteArray::fromHex("4D546864000000060000000101E0");
  WriteAll(path("cut18.mid"), header + "MTrk");
  WriteAll(path("cut22.mid"), header + QByteArray::fromHex("4D54726B00000016"));
  WriteAll(path("cutlater.mid"), header + QByteArray::fromHex("4D54726B0000001600903C6483608"
                                                              "03C000090"));
  for (const char *name : {"cut18.mid", "cut22.mid"}) {
    Song song;
    Fill(song, 2, {{60, "4"}});
    song.fileName = "old.smd";
    const Result<MidiImportReport> result = ImportMidiFile(song, path(name), {});
    EXPECT_FALSE(result.ok()) << name;
    EXPECT_EQ(NotesOf(song, 2), (std::vector<std::pair<int, std::string>>{{60, "4"}})) << name;
    EXPECT_EQ(song.fileName, "old.smd") << name;
  }
  Song song;
  const Result<MidiImportReport> result = ImportMidiFile(song, path("cutlater.mid"), {});
  ASSERT_TRUE(result.ok());
  EXPECT_TRUE(result->complete());
  ASSERT_EQ(result->warnings.size(), 1u);
  EXPECT_NE(result->warnings[0].find("途中で切れています"), std::string::npos);
  EXPECT_EQ(NotesOf(song, 1), (std::vector<std::pair<int, std::string>>{{60, "4"}}));
}

TEST_F(MidiFiles, OversizedFileIsRefusedBeforeReadingAndTheSongStays) {
  QFile file(path("huge.mid"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  // Sparse: the size is what counts.
  ASSERT_TRUE(file.resize(kMaxSongFileBytes + 1));
  file.close();
  Song song;
  Fill(song, 1, {{60, "4"}});
  const Result<MidiImportReport> result = ImportMidiFile(song, path("huge.mid"), {});
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(NotesOf(song, 1), (std::vector<std::pair<int, std::string>>{{60, "4"}}));
}

TEST_F(MidiFiles, FailedExportKeepsExistingFile) {
  Song song;
  Fill(song, 1, {{60, "4"}});
  WriteAll(path("keep.mid"), "old");
  // A directory in the way of the temporary file's rename: the target is not a file.
  ASSERT_TRUE(QDir(dir.path()).mkdir("taken.mid"));
  EXPECT_FALSE(ExportMidiFile(song, path("taken.mid"), Half).ok());
  EXPECT_FALSE(ExportMidiFile(song, path("no/such/dir/x.mid"), Half).ok());
  EXPECT_EQ(ReadAll(path("keep.mid")), "old");
  ASSERT_TRUE(ExportMidiFile(song, path("keep.mid"), Half).ok());
  EXPECT_TRUE(ReadAll(path("keep.mid")).startsWith("MThd"));
}

TEST_F(MidiFiles, EventListDumpWritesTabSeparatedLines) {
  Song song;
  Fill(song, 2, {{64, "8"}, {0, "8"}, {65, "4_"}, {65, "4"}});
  ASSERT_TRUE(WriteEventListLog(song).ok());
  EXPECT_EQ(ReadAll(ProgramFile("pipora.log")),
            "0\t2\t64\t100\r\n220\t2\t64\t0\r\n480\t2\t65\t100\r\n1420\t2\t65\t0\r\n");
}

} // namespace
} // namespace pipora
