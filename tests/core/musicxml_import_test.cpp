#include "session/musicxml_files.h"

#include "formats/midi/import_report.h"
#include "formats/musicxml/mxl_archive.h"
#include "model/vocabulary.h"
#include "session/midi_files.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <random>
#include <string>

namespace pipora {
namespace {

std::string Score(const std::string &measures, const std::string &attributes) {
  return "<?xml version=\"1.0\"?><score-partwise version=\"4.0\"><part-list>"
         "<score-part id=\"P1\"><part-name>A</part-name></score-part></part-list>"
         "<part id=\"P1\"><measure number=\"1\">" +
         attributes + measures + "</measure></part></score-partwise>";
}

std::string Notes(int count, int duration, const std::string &more = "") {
  std::string out;
  for (int i = 0; i < count; ++i)
    out += "<note><pitch><step>C</step><octave>5</octave></pitch><duration>" +
           std::to_string(duration) + "</duration>" + more + "</note>";
  return out;
}

const std::string kQuarter = "<attributes><divisions>1</divisions></attributes>";

// A part as "key:code" words, rests included.
std::string PartText(const Song &song, int part) {
  std::string text;
  const Part &p = song.part(part);
  for (std::int32_t i = 0; i < p.count; ++i) {
    const NoteEntry &e = p.notes[static_cast<std::size_t>(i)];
    if (!text.empty())
      text += ' ';
    text += std::to_string(e.noteNumber) + ":" + std::string(e.length);
  }
  return text;
}

Song Imported(const std::string &xml, MidiImportOptions options = {},
              ImportReport *report = nullptr) {
  options.writeEventLog = false;
  options.report = report;
  Result<Report<Song>> song = ImportMusicXmlBytes(QByteArray::fromStdString(xml), options);
  EXPECT_TRUE(song) << song.error();
  return song ? song->value : Song();
}

TEST(MusicXmlImport, ChordIsSpreadOverFreeParts) {
  MidiImportOptions options;
  options.chords = ChordHandling::Spread;
  const Song song = Imported(
      Score("<note><pitch><step>C</step><octave>4</octave></pitch><duration>4</duration></note>"
            "<note><chord/><pitch><step>E</step><octave>4</octave></pitch><duration>4</duration></"
            "note>"
            "<note><chord/><pitch><step>G</step><octave>4</octave></pitch><duration>4</duration></"
            "note>",
            kQuarter),
      options);
  EXPECT_EQ(PartText(song, 1), "67:2_ 67:2");
  EXPECT_EQ(PartText(song, 2) + "|" + PartText(song, 3), "60:2_ 60:2|64:2_ 64:2");
}

TEST(MusicXmlImport, ChordKeepsItsLastNoteUnderLast) {
  MidiImportOptions options;
  options.chords = ChordHandling::Last;
  const Song song = Imported(
      Score("<note><pitch><step>C</step><octave>4</octave></pitch><duration>1</duration></note>"
            "<note><chord/><pitch><step>E</step><octave>4</octave></pitch><duration>1</duration></"
            "note>",
            kQuarter),
      options);
  EXPECT_EQ(PartText(song, 1), "64:4");
  EXPECT_EQ(song.part(2).count, 0);
}

TEST(MusicXmlImport, VoicesOfAPartGoToPartsOfTheirOwn) {
  const Song song = Imported(Score(Notes(1, 4, "<voice>1</voice>") +
                                       "<backup><duration>4</duration></backup>"
                                       "<note><pitch><step>A</step><octave>3</octave></pitch>"
                                       "<duration>4</duration><voice>2</voice></note>",
                                   kQuarter));
  EXPECT_EQ(PartText(song, 1), "72:2_ 72:2");
  EXPECT_EQ(PartText(song, 2), "57:2_ 57:2");
}

// A format 0 Standard MIDI File at 480 ticks per quarter: key 72 on channel 1 for each
// (start, end) in ticks.
QByteArray MidiOf(const std::vector<std::pair<int, int>> &notes) {
  QByteArray track;
  int last = 0;
  const auto event = [&](int time, int velocity) {
    int delta = time - last;
    last = time;
    QByteArray groups(1, static_cast<char>(delta & 0x7F));
    while ((delta >>= 7) != 0)
      groups.prepend(static_cast<char>(0x80 | (delta & 0x7F)));
    track += groups;
    track += QByteArray("\x90\x48", 2) + static_cast<char>(velocity);
  };
  for (const auto &[on, off] : notes) {
    event(on, 100);
    event(off, 0);
  }
  track += QByteArray("\x00\xFF\x2F\x00", 4);
  QByteArray file("MThd\0\0\0\x06\0\0\0\x01\x01\xE0", 14);
  file += "MTrk";
  for (int shift : {24, 16, 8, 0})
    file += static_cast<char>((track.size() >> shift) & 0xFF);
  return file + track;
}

struct FitRow {
  const char *name;
  std::string xml;
  std::vector<std::pair<int, int>> midi; // the same notes in a MIDI file
};

class MusicXmlFitting : public ::testing::TestWithParam<FitRow> {};

TEST_P(MusicXmlFitting, FitsAndReportsAsTheMidiImportDoes) {
  ImportReport scoreReport, midiReport;
  const Song song = Imported(GetParam().xml, {}, &scoreReport);
  MidiImportOptions options;
  options.writeEventLog = false;
  options.report = &midiReport;
  const Song midi = ImportMidiBytes(MidiOf(GetParam().midi), options).value;
  EXPECT_EQ(PartText(song, 1), PartText(midi, 1));
  EXPECT_GT(scoreReport.changes.size(), 0u);
  EXPECT_EQ(ImportReportSummary(scoreReport), ImportReportSummary(midiReport));
}

INSTANTIATE_TEST_SUITE_P(
    Notes, MusicXmlFitting,
    ::testing::Values(
        FitRow{
            "ThirtySeconds",
            Score(Notes(4, 1) + Notes(1, 4), "<attributes><divisions>8</divisions></attributes>"),
            {{0, 60}, {60, 120}, {120, 180}, {180, 240}, {240, 480}}},
        FitRow{
            "FiveTuplet",
            Score(Notes(5, 1) + Notes(1, 5), "<attributes><divisions>5</divisions></attributes>"),
            {{0, 96}, {96, 192}, {192, 288}, {288, 384}, {384, 480}, {480, 960}}},
        // A seventh of a quarter is not a whole number of ticks: each time is rounded once.
        FitRow{
            "SeptupletRoundedToTicks",
            Score(
                "<note><pitch><step>C</step><octave>5</octave></pitch><duration>1</duration>"
                "</note><note><pitch><step>C</step><octave>5</octave></pitch><duration>1</duration>"
                "<time-modification><actual-notes>7</actual-notes><normal-notes>4</normal-notes>"
                "</time-modification></note>",
                "<attributes><divisions>7</divisions></attributes>"),
            {{0, 69}, {69, 137}}}),
    [](const ::testing::TestParamInfo<FitRow> &info) { return std::string(info.param.name); });

TEST(MusicXmlImport, GraceNotesAreCountedInTheReport) {
  ImportReport report;
  (void)Imported(
      Score("<note><grace/><pitch><step>D</step><octave>5</octave></pitch></note>" + Notes(1, 1),
            kQuarter),
      {}, &report);
  EXPECT_EQ(report.graceNotesLeftOut, 1);
  EXPECT_NE(ImportReportSummary(report).find("装飾音 1 個は読み込まず"), std::string::npos);
}

TEST(MusicXmlImport, TimeSignaturePickupKeyAndClefReachTheDisplay) {
  MidiImportOptions options;
  options.chooseSpeed = false;
  const Song song = Imported(
      "<score-partwise><work><work-title>Waltz</work-title></work><part-list>"
      "<score-part id=\"P1\"><midi-instrument id=\"I\"><midi-program>41</midi-program>"
      "</midi-instrument></score-part></part-list><part id=\"P1\">"
      "<measure implicit=\"yes\"><attributes><divisions>1</divisions><key><fifths>3</fifths>"
      "</key><time><beats>3</beats><beat-type>4</beat-type></time><clef><sign>F</sign></clef>"
      "</attributes><direction><sound tempo=\"146\"/></direction>" +
          Notes(1, 1) + "</measure><measure>" + Notes(1, 3) + "</measure></part></score-partwise>",
      options);
  EXPECT_EQ(song.title, "Waltz");
  EXPECT_EQ(song.tempo, TempoChoice::Fast);
  EXPECT_EQ(song.part(1).tone, 40);
  EXPECT_EQ(song.beatsPerMeasure, 3);
  EXPECT_EQ(song.ticksPerBeat, 480);
  EXPECT_EQ(song.part(1).notes.front().start, -480);
  EXPECT_EQ(song.part(1).notes[1].start, 0);
  ASSERT_TRUE(song.display.key);
  EXPECT_EQ(song.display.key->fifths, 3);
  EXPECT_EQ(song.display.clefs[1], Clef::Bass);
}

TEST(MusicXmlImport, SixEightCountsEighths) {
  const Song song =
      Imported(Score(Notes(1, 3), "<attributes><divisions>1</divisions><time><beats>6</beats>"
                                  "<beat-type>8</beat-type></time></attributes>"),
               [] {
                 MidiImportOptions o;
                 o.chooseSpeed = false;
                 return o;
               }());
  EXPECT_EQ(song.beatsPerMeasure, 6);
  EXPECT_EQ(song.ticksPerBeat, 240);
}

class MusicXmlFiles : public ::testing::Test {
protected:
  QString write(const QString &name, const QByteArray &bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  QTemporaryDir dir;
};

TEST_F(MusicXmlFiles, MalformedFileIsRefusedAndTheSongStays) {
  Song song;
  InsertNote(song, 1, 0, 60, "4", "C");
  song.title = "kept";
  const QString path = write("bad.musicxml", "<score-partwise>\n<part id=\"P1\">\n<measure>\n");
  MidiImportOptions options;
  options.writeEventLog = false;
  const Result<MidiImportReport> imported = ImportMusicXmlFile(song, path, options);
  ASSERT_FALSE(imported);
  EXPECT_NE(imported.error().find("4行目"), std::string::npos) << imported.error();
  EXPECT_EQ(song.title, "kept");
  EXPECT_EQ(song.part(1).count, 1);
}

TEST_F(MusicXmlFiles, CompressedScoreOpensAndNamesTheSmdFile) {
  const Result<QByteArray> archive =
      WriteMxl(QByteArray::fromStdString(Score(Notes(1, 1), kQuarter)));
  ASSERT_TRUE(archive);
  const QString path = write("tune.mxl", *archive);
  Song song;
  MidiImportOptions options;
  options.writeEventLog = false;
  const Result<MidiImportReport> imported = ImportMusicXmlFile(song, path, options);
  ASSERT_TRUE(imported) << imported.error();
  EXPECT_EQ(PartText(song, 1), "72:4");
  EXPECT_EQ(QString::fromStdString(song.fileName), dir.filePath("tune.smd"));
}

// A random song as the import writes songs: notes and rests of the sixteen lengths, triplets
// in whole groups, ties only between notes of one key, every part in whole measures.
Song RandomSong(std::mt19937 &random) {
  Song song;
  song.title = "Random " + std::to_string(random() % 1000);
  song.setTempo(static_cast<TempoChoice>(random() % 4));
  const int parts = 1 + static_cast<int>(random() % 4);
  for (int n = 1; n <= parts; ++n) {
    Part &p = song.part(n);
    p.tone = static_cast<int>(random() % 128);
    std::int64_t ticks = 0;
    while (ticks < 4 * kTicksPerWhole) {
      const LengthCode &code = kLengthCodes[random() % kLengthCodes.size()];
      const int key = random() % 5 == 0 ? 0 : 45 + static_cast<int>(random() % 46);
      const int repeats = code.triplet ? 3 : 1;
      for (int r = 0; r < repeats; ++r) {
        const bool tie = key != 0 && random() % 6 == 0 && r + 1 == repeats;
        const std::string length = std::string(tie ? code.tied : code.code);
        InsertNote(song, n, p.count, key, length, PitchNameOf(key));
        ticks += code.ticks;
        if (tie) { // tied on to a quarter of the same key
          InsertNote(song, n, p.count, key, "4", PitchNameOf(key));
          ticks += kTicksPerQuarter;
        }
      }
    }
  }
  RecalcTimes(song);
  return song;
}

// Sounding notes as "start:key:ticks", ties joined: the music, however its lengths are cut.
std::string Music(const Song &song) {
  std::string out;
  for (int n = 1; n <= kUserParts; ++n) {
    const Part &p = song.part(n);
    std::int64_t start = -1, ticks = 0;
    int key = 0;
    const auto flush = [&] {
      if (key > 0)
        out += std::to_string(n) + "/" + std::to_string(start) + ":" + std::to_string(key) + ":" +
               std::to_string(ticks) + " ";
      key = 0;
    };
    bool tiedOn = false;
    for (std::int32_t i = 0; i < p.count; ++i) {
      const NoteEntry &e = p.notes[static_cast<std::size_t>(i)];
      if (!(tiedOn && e.noteNumber == key)) {
        flush();
        start = e.start;
        ticks = 0;
        key = e.noteNumber;
      }
      ticks += LengthTicks(e.length.text());
      tiedOn = IsTied(e.length.text());
    }
    flush();
  }
  return out;
}

TEST(MusicXmlRoundTrip, ExportThenImportGivesTheSameSong) {
  std::mt19937 random(39);
  for (int round = 0; round < 40; ++round) {
    Song song = RandomSong(random);
    song.display.key = KeySignature{static_cast<int>(random() % 15) - 7, random() % 2 == 0};
    song.display.clefs[1] = Clef::Bass;
    for (bool compressed : {false, true}) {
      const Result<QByteArray> bytes = MusicXmlExportBytes(song, compressed);
      ASSERT_TRUE(bytes) << bytes.error();
      MidiImportOptions options;
      options.writeEventLog = false;
      options.chooseSpeed = false;
      options.foldOctaves = false;
      const Result<Report<Song>> back = ImportMusicXmlBytes(*bytes, options);
      ASSERT_TRUE(back) << back.error();
      const Song &again = back->value;
      ASSERT_EQ(Music(again), Music(song)) << "round " << round << "\n" << bytes->toStdString();
      EXPECT_EQ(again.title, song.title);
      EXPECT_EQ(again.tempo, song.tempo);
      EXPECT_EQ(again.display.key, song.display.key);
      EXPECT_EQ(again.display.clefs[1], Clef::Bass);
      for (int n = 1; n <= kUserParts; ++n) {
        if (song.part(n).count > 0) {
          EXPECT_EQ(again.part(n).tone, song.part(n).tone) << "part " << n;
        }
      }
    }
  }
}

TEST(MusicXmlRoundTrip, PickupAndTimeSignatureComeBack) {
  Song song;
  song.beatsPerMeasure = 3;
  for (int key : {67, 72, 74, 76})
    InsertNote(song, 1, song.part(1).count, key, "4", PitchNameOf(key));
  song.part(1).notes.front().start = -480;
  RecalcTimes(song);
  const Result<QByteArray> bytes = MusicXmlExportBytes(song, false);
  ASSERT_TRUE(bytes);
  MidiImportOptions options;
  options.writeEventLog = false;
  options.chooseSpeed = false;
  const Result<Report<Song>> back = ImportMusicXmlBytes(*bytes, options);
  ASSERT_TRUE(back) << back.error();
  EXPECT_EQ(back->value.beatsPerMeasure, 3);
  EXPECT_EQ(back->value.part(1).notes.front().start, -480);
  EXPECT_EQ(Music(back->value), Music(song));
}

} // namespace
} // namespace pipora
