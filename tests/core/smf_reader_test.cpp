#include "formats/midi/smf_reader.h"
#include "hex_bytes.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <sstream>

#include <string>
#include <vector>

namespace pipora {
namespace {

constexpr auto &Hex = test::HexBytes;

std::vector<std::uint8_t> Concat(std::vector<std::uint8_t> a, const std::vector<std::uint8_t> &b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<std::uint8_t> Header(int format, int tracks, int division) {
  return {'M',
          'T',
          'h',
          'd',
          0,
          0,
          0,
          6,
          0,
          static_cast<std::uint8_t>(format),
          0,
          static_cast<std::uint8_t>(tracks),
          static_cast<std::uint8_t>(division >> 8),
          static_cast<std::uint8_t>(division)};
}

std::vector<std::uint8_t> Track(const std::vector<std::uint8_t> &events) {
  const auto n = events.size();
  std::vector<std::uint8_t> bytes = {'M',
                                     'T',
                                     'r',
                                     'k',
                                     static_cast<std::uint8_t>(n >> 24),
                                     static_cast<std::uint8_t>(n >> 16),
                                     static_cast<std::uint8_t>(n >> 8),
                                     static_cast<std::uint8_t>(n)};
  return Concat(bytes, events);
}

// What a read gave, as text: the error's message ("" for a complete read) and the log.
struct ReadText {
  std::string error;
  QByteArray log;
  std::vector<std::string> warnings;
};

struct Read {
  Song song;
  ReadText result;
  std::vector<std::string> lines; // log lines decoded to UTF-8, without CR LF
};

Read ReadBytes(const std::vector<std::uint8_t> &bytes, MidiImportOptions options = {}) {
  Read r;
  EmptyPartsForImport(r.song);
  r.song.title.clear();
  MidiImporter importer(r.song, options);
  const SmfRead read = ReadSmf(bytes, r.song, importer, options);
  r.result = {read.error ? read.error->text() : std::string(), read.value, read.warnings};
  AppendEndMarkers(r.song);
  QStringDecoder decoder("CP932");
  const QString log = decoder.decode(r.result.log);
  for (const QString &line : log.split("\r\n"))
    r.lines.push_back(line.toStdString());
  if (!r.lines.empty() && r.lines.back().empty())
    r.lines.pop_back();
  return r;
}

std::vector<std::string> CodesOf(const Song &song, int part) {
  std::vector<std::string> codes;
  for (std::int32_t i = 0; i < song.part(part).count; ++i)
    codes.push_back(std::to_string(song.part(part).notes[static_cast<std::size_t>(i)].noteNumber) +
                    ":" + std::string(song.part(part).notes[static_cast<std::size_t>(i)].length));
  return codes;
}

TEST(ReadSmf, LogsHeaderTrackAndEventsExactly) {
  const auto file = Concat(Header(1, 1, 480), Track(Hex("00 C0 05"
                                                        "00 FF 03 06 4D 65 6C 6F 64 79"
                                                        "00 FF 51 03 07 A1 20"
                                                        "00 FF 58 04 04 02 18 08"
                                                        "00 FF 59 02 00 00"
                                                        "00 FF 54 05 00 00 00 00 00"
                                                        "8F 00 90 3C 64" // delta 1920
                                                        "81 70 80 3C 40" // delta 240
                                                        "00 FF 2F 00")));
  const Read r = ReadBytes(file);
  EXPECT_TRUE(r.result.error.empty()) << r.result.error;
  const std::vector<std::string> expected = {"Header ",
                                             "Format1 ",
                                             "NumOfTrack1 ",
                                             "TimeBase480 ",
                                             "Track Size" + std::to_string(file.size() - 22) + " ",
                                             "1:1:0:ProgramChange CH1 5 ",
                                             "テキストなど（3）Melody",
                                             "Tempo120 ",
                                             "拍子 ",
                                             "調 ",
                                             "SMPTEオフセット ",
                                             "2:1:0:NoteOn CH1 60 100 ",
                                             "NoteOff CH1 60 64 ",
                                             "EndOfTrack 0"};
  EXPECT_EQ(r.lines, expected);
  EXPECT_EQ(r.song.title, "Melody");
  EXPECT_EQ(r.song.part(1).tone, 5);
  EXPECT_EQ(r.song.tempo, TempoChoice::Normal);
  EXPECT_EQ(CodesOf(r.song, 1), (std::vector<std::string>{"0:2_", "0:2", "60:8"}));
}

// What the reader hands to the import, before any fitting.
class RecordingSink final : public NoteEventSink {
public:
  void ImportNoteEvent(int channel, int key, int velocity, std::int64_t time) override {
    events.push_back(std::to_string(channel) + "/" + std::to_string(key) + "/" +
                     std::to_string(velocity) + "@" + std::to_string(time));
  }
  void StartTrack() override { events.push_back("track"); }
  std::vector<std::string> events;
};

TEST(ReadSmf, HandsRawNoteEventsToTheImport) {
  // Division 384: deltas 1, 1, 1, 1 land on 1, 2, 3, 4; note-off velocities are not passed,
  // a note-on of velocity 0 is passed as it stands; a second track starts at 0 again.
  const auto file =
      Concat(Concat(Header(1, 2, 384), Track(Hex("00 95 3C 64 01 85 3C 40 01 95 3E 00 01 3E 7F "
                                                 "01 3E 00 00 FF 2F 00"))),
             Track(Hex("83 00 9F 7F 01 00 FF 2F 00")));
  Song song;
  RecordingSink sink;
  const SmfRead result = ReadSmf(file, song, sink, {});
  EXPECT_TRUE(result.complete());
  EXPECT_EQ(sink.events,
            (std::vector<std::string>{"track", "6/60/100@0", "6/60/0@1", "6/62/0@2", "6/62/127@3",
                                      "6/62/0@4", "track", "16/127/1@480"}));
}

TEST(ReadSmf, SpreadChordsTakeTheFileTimesWithoutAddedRoundings) {
  // The same deltas of 1 at division 384: 1.25, 2.5, 3.75 and 5, each rounded once.
  const auto file = Concat(Header(0, 1, 384), Track(Hex("00 95 3C 64 01 3C 00 01 3E 64 01 3E 00 "
                                                        "01 3C 64 00 FF 2F 00")));
  Song song;
  RecordingSink sink;
  MidiImportOptions options;
  options.chords = ChordHandling::Spread;
  ReadSmf(file, song, sink, options);
  EXPECT_EQ(sink.events, (std::vector<std::string>{"track", "6/60/100@0", "6/60/0@1", "6/62/100@2",
                                                   "6/62/0@4", "6/60/100@5"}));
}

// Found by fuzzing: a key byte with its eighth bit set imported as key 187, which the
// export then wrote as another note.
TEST(ReadSmf, DataBytesKeepSevenBits) {
  const auto file = Concat(Header(0, 1, 480), Track(Hex("00 90 BB E4 83 60 80 BB 00 00 FF 2F 00")));
  Song song;
  RecordingSink sink;
  ReadSmf(file, song, sink, {});
  EXPECT_EQ(sink.events, (std::vector<std::string>{"track", "1/59/100@0", "1/59/0@480"}));
}

TEST(ReadSmf, ProgramChangesReachPartTonesAndListener) {
  MidiImportOptions options;
  std::vector<std::pair<int, int>> heard;
  options.onProgramChange = [&](int channel, int program) { heard.emplace_back(channel, program); };
  const Read r = ReadBytes(
      Concat(Header(0, 1, 480), Track(Hex("00 C0 49 00 CF 7F 83 60 C0 00 00 FF 2F 00"))), options);
  EXPECT_EQ(heard, (std::vector<std::pair<int, int>>{{1, 73}, {16, 127}, {1, 0}}));
  EXPECT_EQ(r.song.part(1).tone, 0); // the last one read wins
  EXPECT_EQ(r.song.part(16).tone, 127);
  EXPECT_EQ(r.lines[7], "1:2:0:ProgramChange CH1 0 ");
}

TEST(ReadSmf, HeaderLinesOnlyForWhatIsThere) {
  // Format 2 writes no format line; a file without a header chunk is refused unlogged.
  Read r = ReadBytes(Concat(Header(2, 1, 480), Track(Hex("00 FF 2F 00"))));
  EXPECT_EQ(r.lines, (std::vector<std::string>{"Header ", "NumOfTrack1 ", "TimeBase480 ",
                                               "Track Size4 ", "EndOfTrack 0"}));
  r = ReadBytes(Track(Hex("00 FF 2F 00")));
  EXPECT_TRUE(r.lines.empty());
  EXPECT_NE(r.result.error.find("MThd"), std::string::npos) << r.result.error;
}

TEST(ReadSmf, PositionPrefixIsMeasureBeatTick) {
  // 2400 ticks: measure 2, beat 2, tick 0.
  const auto file = Concat(Header(0, 1, 480), Track(Hex("92 60 90 3C 64  00 FF 2F 00")));
  const Read r = ReadBytes(file);
  ASSERT_GE(r.lines.size(), 6u);
  EXPECT_EQ(r.lines[5], "2:2:0:NoteOn CH1 60 100 ");
  EXPECT_EQ(r.lines[1], "Format0 ");
}

TEST(ReadSmf, DeltaTimesScaleTo480PerQuarter) {
  // Division 96: a delta of 96 is a quarter note.
  Read r = ReadBytes(Concat(Header(0, 1, 96), Track(Hex("00 90 3C 64 60 3C 00 00 FF 2F 00"))));
  EXPECT_EQ(CodesOf(r.song, 1), (std::vector<std::string>{"60:4"}));
  // Division 384: four deltas of 1 give 1, 2, 3 and 4 (1.25 per step, the total rounded).
  std::int64_t running = 0;
  for (const std::int64_t expected : {1, 2, 3, 4}) {
    running = AdvanceRunningTime(running, 1, 384);
    EXPECT_EQ(running, expected);
  }
  // Stepwise rounding of the running total, halves to even.
  EXPECT_EQ(AdvanceRunningTime(0, 1, 960), 0); // 0.5 -> 0
  EXPECT_EQ(AdvanceRunningTime(0, 3, 960), 2); // 1.5 -> 2
  EXPECT_EQ(AdvanceRunningTime(0, 96, 96), 480);
  EXPECT_EQ(AdvanceRunningTime(7, 0x0FFFFFFF, 1), 7 + std::int64_t{0x0FFFFFFF} * 480);
}

TEST(ReadSmf, RunningStatusRepeatsChannelMessage) {
  // A note-on, then "60 0" without status: a note-off of key 60 on the same channel.
  const Read r =
      ReadBytes(Concat(Header(0, 1, 480), Track(Hex("00 93 3C 64 83 60 3C 00 00 FF 2F 00"))));
  EXPECT_EQ(CodesOf(r.song, 4), (std::vector<std::string>{"60:4"}));
  EXPECT_EQ(r.lines[6], "1:2:0:NoteOn CH4 60 0 ");
}

TEST(ReadSmf, DataByteAfterMetaIsSkipped) {
  // After a meta event there is no running status: the data byte 3C is skipped.
  const Read r =
      ReadBytes(Concat(Header(0, 1, 480), Track(Hex("00 90 3C 64 00 FF 01 00 00 3C 00 90 3E 64 "
                                                    "83 60 80 3E 00 00 FF 2F 00"))));
  EXPECT_TRUE(r.result.error.empty());
  EXPECT_EQ(CodesOf(r.song, 1), (std::vector<std::string>{"62:4"}));
}

struct TempoRow {
  double rate;
  TempoChoice choice;
};

class TempoThresholds : public ::testing::TestWithParam<TempoRow> {};

TEST_P(TempoThresholds, ChoosesStep) {
  EXPECT_EQ(TempoChoiceForRate(GetParam().rate), GetParam().choice) << GetParam().rate;
}

INSTANTIATE_TEST_SUITE_P(
    Steps, TempoThresholds,
    ::testing::Values(TempoRow{200, TempoChoice::Fast}, TempoRow{136, TempoChoice::Fast},
                      TempoRow{135.86, TempoChoice::Fast}, TempoRow{135.85, TempoChoice::Normal},
                      TempoRow{120, TempoChoice::Normal}, TempoRow{112.96, TempoChoice::Normal},
                      TempoRow{112.95, TempoChoice::SomewhatSlow},
                      TempoRow{97.61, TempoChoice::SomewhatSlow}, TempoRow{97.6, TempoChoice::Slow},
                      TempoRow{40, TempoChoice::Slow}),
    [](const testing::TestParamInfo<TempoRow> &info) {
      std::ostringstream rate;
      rate << info.param.rate;
      std::string name = "Rate" + rate.str();
      std::replace(name.begin(), name.end(), '.', '_');
      return name;
    });

TEST(ReadSmf, TempoEventsSetSongTempoLastWins) {
  // 441176 us = 136.0 per minute (Fast), then 600000 us = 100 (SomewhatSlow).
  const Read r =
      ReadBytes(Concat(Header(0, 1, 480), Track(Hex("00 FF 51 03 06 BB 58 00 FF 51 03 09 27 C0 "
                                                    "00 FF 2F 00"))));
  EXPECT_EQ(r.lines[5], "Tempo136.000145066821 ");
  EXPECT_EQ(r.lines[6], "Tempo100 ");
  EXPECT_EQ(r.song.tempo, TempoChoice::SomewhatSlow);
  EXPECT_DOUBLE_EQ(r.song.msPerTick, 1.199616122840691);
}

TEST(ReadSmf, FirstNonEmptyTrackNameBecomesTitle) {
  // Shift-JIS "メロディ" then a second name that must not replace it.
  const auto file =
      Concat(Concat(Header(1, 2, 480), Track(Hex("00 FF 03 00 00 FF 03 08 83 81 83 8D 83 66 83 42 "
                                                 "00 FF 2F 00"))),
             Track(Hex("00 FF 03 06 4D 65 6C 6F 64 79 00 FF 2F 00")));
  const Read r = ReadBytes(file);
  EXPECT_EQ(r.song.title, "メロディ");
  EXPECT_EQ(r.lines[6], "テキストなど（3）メロディ");
}

TEST(ReadSmf, UnknownMetaContinuesAfterItsData) {
  const Read r = ReadBytes(Concat(
      Header(0, 1, 480), Track(Hex("00 FF 21 01 00 00 90 3C 64 83 60 80 3C 00 00 FF 2F 00"))));
  EXPECT_TRUE(r.result.error.empty());
  EXPECT_EQ(CodesOf(r.song, 1), (std::vector<std::string>{"60:4"}));
}

TEST(ReadSmf, SystemExclusiveIsSkippedToItsEnd) {
  const Read r = ReadBytes(
      Concat(Header(0, 1, 480), Track(Hex("00 90 3C 64 00 F0 03 01 02 F7 83 60 3C 00 FF 2F 00"))));
  // No running status after a system-exclusive event: 3C is skipped, the note never ends.
  EXPECT_EQ(CodesOf(r.song, 1), (std::vector<std::string>{}));
  const Read withStatus = ReadBytes(Concat(
      Header(0, 1, 480), Track(Hex("00 90 3C 64 00 F0 03 01 02 F7 83 60 80 3C 00 00 FF 2F 00"))));
  EXPECT_EQ(CodesOf(withStatus.song, 1), (std::vector<std::string>{"60:4"}));
}

TEST(ReadSmf, GarbageBetweenTracksIsSkippedToNextTrack) {
  auto file = Concat(Header(1, 2, 480), Track(Hex("00 FF 2F 00")));
  file = Concat(file, Hex("01 02 03 4D 54 72"));
  file = Concat(file, Track(Hex("00 91 40 64 83 60 81 40 00 00 FF 2F 00")));
  const Read r = ReadBytes(file);
  EXPECT_EQ(CodesOf(r.song, 2), (std::vector<std::string>{"64:4"}));
}

TEST(ReadSmf, SameBytesGiveSameLogAndSong) {
  const auto file = Concat(Header(0, 1, 120), Track(Hex("00 C2 10 00 92 48 50 78 82 48 00 "
                                                        "00 FF 03 02 41 42 00 FF 2F 00")));
  const Read a = ReadBytes(file);
  const Read b = ReadBytes(file);
  EXPECT_EQ(a.result.log, b.result.log);
  EXPECT_EQ(CodesOf(a.song, 3), CodesOf(b.song, 3));
  EXPECT_EQ(a.song.title, "AB");
}

// A silence of a million rests after a quarter note: the read stops at the note-on after it
// with the message, and the song keeps the quarter note without any of the rests.
TEST(ReadSmf, AGapPastTheElementLimitStopsAtItsEvent) {
  const auto file = Concat(Header(0, 1, 120), Track(Hex("00 90 3C 64 78 80 3C 00 "
                                                        "FF FF FF 7F 90 3E 64 00 FF 2F 00")));
  const Read r = ReadBytes(file);
  EXPECT_EQ(r.result.error, "音符が多すぎます（37 バイト目）");
  EXPECT_EQ(CodesOf(r.song, 1), (std::vector<std::string>{"60:4"}));
}

struct DamagedRow {
  const char *name;
  std::vector<std::uint8_t> bytes;
  bool failsWithMessage;
  std::vector<std::string> notesOfPart1;
  // The file ends before its track does: what was read is kept and the cut is told.
  bool warnsOfCut = false;
};

// Test names show the row's name rather than the row's bytes.
void PrintTo(const DamagedRow &row, std::ostream *out) {
  *out << row.name;
}

class DamagedInput : public ::testing::TestWithParam<DamagedRow> {};

TEST_P(DamagedInput, StopsCleanlyKeepingWhatWasRead) {
  const DamagedRow &row = GetParam();
  const Read r = ReadBytes(row.bytes);
  EXPECT_EQ(!r.result.error.empty(), row.failsWithMessage) << row.name << ": " << r.result.error;
  EXPECT_EQ(CodesOf(r.song, 1), row.notesOfPart1) << row.name;
  EXPECT_EQ(r.result.warnings.size(), row.warnsOfCut ? 1u : 0u) << row.name;
}

const std::vector<std::uint8_t> kQuarterThenMore =
    Concat(Header(0, 1, 480), Hex("4D 54 72 6B 00 00 00 40  00 90 3C 64 83 60 80 3C 00"));

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedInput,
    ::testing::Values(
        DamagedRow{"empty", {}, true, {}},
        DamagedRow{"garbage", Hex("00 01 02 03 FF FF 90 90 4D 54"), true, {}},
        DamagedRow{"header only", Header(0, 1, 480), true, {}},
        DamagedRow{"truncated header", Hex("4D 54 68 64 00 00 00 06 00 00 00"), true, {}},
        DamagedRow{"header length under 6", Hex("4D 54 68 64 00 00 00 04 00 00 00 01"), true, {}},
        DamagedRow{
            "division 32768", Concat(Header(0, 1, 0x8000), Track(Hex("00 FF 2F 00"))), true, {}},
        DamagedRow{"division 0 with a delta",
                   Concat(Header(0, 1, 0), Track(Hex("00 90 3C 64 83 60 80 3C 00"))),
                   true,
                   {}},
        DamagedRow{
            "no header, zero deltas", Track(Hex("00 90 3C 64 00 80 3C 00 00 FF 2F 00")), true, {}},
        // Chunk length past the end: the track is read up to the end of the file.
        DamagedRow{"track length past end", kQuarterThenMore, false, {"60:4"}, true},
        DamagedRow{
            "ends inside a note-off",
            Concat(Header(0, 1, 480), Hex("4D 54 72 6B 00 00 00 10 00 90 3C 64 83 60 80 3C")),
            false,
            {},
            true},
        DamagedRow{"ends inside a delta-time",
                   Concat(Header(0, 1, 480), Hex("4D 54 72 6B 00 00 00 10 00 90 3C 64 83")),
                   false,
                   {},
                   true},
        DamagedRow{"delta-time of five bytes",
                   Concat(Header(0, 1, 480),
                          Track(Hex("00 90 3C 64 83 60 80 3C 00 81 81 81 81 00 90 3E 64"))),
                   true,
                   {"60:4"}},
        DamagedRow{"running status with no status before",
                   Concat(Header(0, 1, 480), Track(Hex("00 3C 00 90 3C 64 83 60 80 3C 00"))),
                   false,
                   {"60:4"}},
        DamagedRow{"meta length past end",
                   Concat(Header(0, 1, 480),
                          Track(Hex("00 90 3C 64 83 60 80 3C 00 00 FF 03 8F FF FF 7F 41 42"))),
                   false,
                   {"60:4"},
                   true},
        DamagedRow{"meta length of five bytes",
                   Concat(Header(0, 1, 480), Track(Hex("00 FF 03 FF FF FF FF 7F"))),
                   true,
                   {}},
        DamagedRow{"sysex without end",
                   Concat(Header(0, 1, 480), Track(Hex("00 F0 01 02 03"))),
                   false,
                   {},
                   true},
        // Cut in the first track's header: nothing of the song is there.
        DamagedRow{"cut after MTrk", Concat(Header(0, 1, 480), Hex("4D 54 72 6B")), true, {}},
        DamagedRow{"cut in the track length",
                   Concat(Header(0, 1, 480), Hex("4D 54 72 6B 00 00")),
                   true,
                   {}},
        DamagedRow{"cut after the track length",
                   Concat(Header(0, 1, 480), Hex("4D 54 72 6B 00 00 00 16")),
                   true,
                   {}},
        DamagedRow{"an empty first track is whole",
                   Concat(Header(0, 1, 480), Hex("4D 54 72 6B 00 00 00 00")),
                   false,
                   {}},
        DamagedRow{
            "cut in the second track's header",
            Concat(Concat(Header(1, 2, 480), Track(Hex("00 90 3C 64 83 60 80 3C 00 00 FF 2F 00"))),
                   Hex("4D 54 72 6B 00")),
            false,
            {"60:4"},
            true},
        DamagedRow{"whole but without an end of track",
                   Concat(Header(0, 1, 480), Track(Hex("00 90 3C 64 83 60 80 3C 00"))),
                   false,
                   {"60:4"}},
        DamagedRow{"tempo of zero",
                   Concat(Header(0, 1, 480), Track(Hex("00 FF 51 03 00 00 00"))),
                   true,
                   {}},
        DamagedRow{"running time past 32 bits",
                   Concat(Header(0, 1, 1), Track(Hex("FF FF FF 7F 90 3C 64 FF FF FF 7F 80 3C 00"))),
                   true,
                   {}}),
    [](const auto &info) {
      std::string name;
      for (const char c : std::string(info.param.name))
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

} // namespace
} // namespace pipora
