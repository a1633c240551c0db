// Reading a whole Standard MIDI File into a song: the beat it is moved onto, the part volumes
// its loudness gives, its meter, and what the report says of them.
#include "formats/midi/file_survey.h"
#include "formats/midi/smf_import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace pipora {
namespace {

struct TimedEvent {
  std::int64_t time = 0; // ticks at 480 per quarter
  std::vector<std::uint8_t> bytes;
};

std::vector<TimedEvent> Notes(int channel, int velocity, std::int64_t first, std::int64_t every,
                              int count, int key = 60, std::int64_t length = 480) {
  std::vector<TimedEvent> events;
  const auto ch = static_cast<std::uint8_t>(channel - 1);
  for (int i = 0; i < count; ++i) {
    const std::int64_t on = first + i * every;
    events.push_back({on,
                      {static_cast<std::uint8_t>(0x90 | ch), static_cast<std::uint8_t>(key),
                       static_cast<std::uint8_t>(velocity)}});
    events.push_back(
        {on + length, {static_cast<std::uint8_t>(0x80 | ch), static_cast<std::uint8_t>(key), 0}});
  }
  return events;
}

std::vector<TimedEvent> Join(std::vector<std::vector<TimedEvent>> parts) {
  std::vector<TimedEvent> all;
  for (auto &p : parts)
    all.insert(all.end(), p.begin(), p.end());
  // At one moment settings come first, then note-offs, then note-ons, as sequencers write them.
  const auto rank = [](const TimedEvent &e) {
    const int kind = e.bytes[0] & 0xF0;
    return kind == 0x90 ? 2 : kind == 0x80 ? 1 : 0;
  };
  std::stable_sort(all.begin(), all.end(), [&](const TimedEvent &a, const TimedEvent &b) {
    return a.time != b.time ? a.time < b.time : rank(a) < rank(b);
  });
  return all;
}

TimedEvent Meter(int numerator, int denominatorPower) {
  return {0,
          {0xFF, 0x58, 0x04, static_cast<std::uint8_t>(numerator),
           static_cast<std::uint8_t>(denominatorPower), 24, 8}};
}

TimedEvent Tempo(std::uint32_t microsPerQuarter) {
  return {0,
          {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(microsPerQuarter >> 16),
           static_cast<std::uint8_t>(microsPerQuarter >> 8),
           static_cast<std::uint8_t>(microsPerQuarter)}};
}

TimedEvent Controller(int channel, int controller, int value) {
  return {0,
          {static_cast<std::uint8_t>(0xB0 | (channel - 1)), static_cast<std::uint8_t>(controller),
           static_cast<std::uint8_t>(value)}};
}

// A format 0 file of 480 ticks per quarter holding `events` in their order.
std::vector<std::uint8_t> FileOf(const std::vector<TimedEvent> &events) {
  std::vector<std::uint8_t> track;
  std::int64_t at = 0;
  for (const TimedEvent &e : events) {
    std::uint32_t delta = static_cast<std::uint32_t>(e.time - at);
    at = e.time;
    std::vector<std::uint8_t> varLen{static_cast<std::uint8_t>(delta & 0x7F)};
    while (delta >>= 7)
      varLen.insert(varLen.begin(), static_cast<std::uint8_t>(0x80 | (delta & 0x7F)));
    track.insert(track.end(), varLen.begin(), varLen.end());
    track.insert(track.end(), e.bytes.begin(), e.bytes.end());
  }
  for (const std::uint8_t b : {0x00, 0xFF, 0x2F, 0x00})
    track.push_back(b);
  std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd',  0,    0,   0,   6,   0,
                                    0,   0,   1,   0x01, 0xE0, 'M', 'T', 'r', 'k'};
  const auto n = track.size();
  for (const int shift : {24, 16, 8, 0})
    file.push_back(static_cast<std::uint8_t>(n >> shift));
  file.insert(file.end(), track.begin(), track.end());
  return file;
}

// The part's elements as "key:length" ("0:4" a rest).
std::string Elements(const Song &song, int part, int most = 4) {
  std::string out;
  for (std::int32_t i = 0; i < std::min(song.part(part).count, most); ++i) {
    const NoteEntry &e = song.part(part).notes[static_cast<std::size_t>(i)];
    out += (out.empty() ? "" : " ") + std::to_string(e.noteNumber) + ":" + std::string(e.length);
  }
  return out;
}

struct FileRow {
  const char *name;
  std::vector<TimedEvent> events;
  ChordHandling chords = ChordHandling::Spread;
  std::int64_t shift = 0;
  std::string part1;         // its first elements
  std::vector<int> volumes;  // of parts 1, 2, ... as far as given
  std::pair<int, int> meter; // beats per bar, ticks per beat
  TempoChoice tempo = TempoChoice::Normal;
};

class FileImport : public ::testing::TestWithParam<FileRow> {};

TEST_P(FileImport, ReadsBeatBalanceAndMeter) {
  const FileRow &row = GetParam();
  ImportReport report;
  MidiImportOptions options;
  options.chords = row.chords;
  options.writeEventLog = false;
  options.report = &report;
  const Report<Song> read = ImportSmf(FileOf(row.events), options);
  ASSERT_TRUE(read.complete());
  EXPECT_EQ(report.shift, row.shift);
  EXPECT_EQ(Elements(read.value, 1), row.part1);
  for (std::size_t p = 0; p < row.volumes.size(); ++p) {
    EXPECT_EQ(read.value.part(static_cast<int>(p) + 1).volume, row.volumes[p]) << "part " << p + 1;
    // "最後の音" leaves the volumes as they were and reports none.
    EXPECT_EQ(report.volumes[p + 1], row.chords == ChordHandling::Last ? 0 : row.volumes[p])
        << "part " << p + 1;
  }
  EXPECT_EQ(std::pair(int{read.value.beatsPerMeasure}, int{read.value.ticksPerBeat}), row.meter);
  EXPECT_EQ(read.value.tempo, row.tempo);
  if (row.shift != 0)
    EXPECT_NE(ImportReportSummary(report).find(ImportShiftText(row.shift)), std::string::npos);
}

// Note-ons of 4/4 bars: every beat, and the first beat of each bar twice as often.
std::vector<TimedEvent> BarsOf(int beats, int bars, std::int64_t late) {
  return Join({Notes(1, 100, late, 480, beats * bars, 60, 200),
               Notes(2, 100, late, 480 * beats, bars, 48, 400)});
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FileImport,
    ::testing::Values(
        FileRow{"NotesAllStarting186TicksLateLandOnTheBeat",
                Notes(1, 100, 186, 480, 16),
                ChordHandling::Spread,
                -186,
                "60:4 60:4 60:4 60:4",
                {4},
                {4, 480}},
        // "最後の音" reads the file as it always did: no shift, volumes and meter untouched.
        FileRow{
            "UnderLastNoteTheFileIsReadAsItIs",
            Join({{Meter(3, 2)}, Notes(1, 127, 186, 480, 16, 72), Notes(2, 58, 186, 480, 16, 48)}),
            ChordHandling::Last,
            0,
            "0:8 72:4 72:4 72:4",
            {4, 4},
            {4, 480}},
        FileRow{"NotesOnTheBeatStayWhereTheyAre",
                Notes(1, 100, 0, 480, 16),
                ChordHandling::Spread,
                0,
                "60:4 60:4 60:4 60:4",
                {4},
                {4, 480}},
        FileRow{"NotesJustBeforeTheBeatGetALeadInRest",
                Notes(1, 100, 400, 480, 16),
                ChordHandling::Spread,
                80,
                "0:4 60:4 60:4 60:4",
                {4},
                {4, 480}},
        FileRow{"AHandfulOfLateNotesIsLeftToTheSnapping",
                Notes(1, 100, 186, 480, 4),
                ChordHandling::Spread,
                0,
                "0:8 60:4 60:4 60:4",
                {4},
                {4, 480}},
        FileRow{"ChannelsAtVelocities127And58GiveTwoVolumesInThatOrder",
                Join({Notes(1, 127, 0, 480, 16, 72), Notes(2, 58, 0, 480, 16, 48)}),
                ChordHandling::Spread,
                0,
                "72:4 72:4 72:4 72:4",
                {8, 5},
                {4, 480}},
        FileRow{"TheQuieterChannelFirstIsTheQuieterPart",
                Join({Notes(1, 58, 0, 480, 16, 72), Notes(2, 127, 0, 480, 16, 48)}),
                ChordHandling::Spread,
                0,
                "72:4 72:4 72:4 72:4",
                {5, 8},
                {4, 480}},
        FileRow{"VolumeControllersBeforeTheFirstNoteWeighLikeVelocity",
                Join({{Controller(1, 7, 127), Controller(2, 7, 40), Controller(2, 11, 127)},
                      Notes(1, 100, 0, 480, 16, 72),
                      Notes(2, 100, 0, 480, 16, 48)}),
                ChordHandling::Spread,
                0,
                "72:4 72:4 72:4 72:4",
                {8, 4},
                {4, 480}},
        FileRow{"AThreeFourFileIsBarredInThree",
                Join({{Meter(3, 2)}, Notes(1, 100, 0, 480, 12)}),
                ChordHandling::Spread,
                0,
                "60:4 60:4 60:4 60:4",
                {4},
                {3, 480}},
        FileRow{"ASixEightFileCountsEighths",
                Join({{Meter(6, 3)}, Notes(1, 100, 0, 480, 12)}),
                ChordHandling::Spread,
                0,
                "60:4 60:4 60:4 60:4",
                {4},
                {6, 240}},
        FileRow{"AOneFourFileOfFourBeatBarsIsNotBarredPerBeat",
                Join({{Meter(1, 2)}, BarsOf(4, 6, 0)}),
                ChordHandling::Spread,
                0,
                "60:8 0:8 60:8 0:8",
                {4, 4},
                {4, 480}},
        FileRow{"AOneFourFileOfThreeBeatBarsIsBarredInThree",
                Join({{Meter(1, 2)}, BarsOf(3, 8, 0)}),
                ChordHandling::Spread,
                0,
                "60:8 0:8 60:8 0:8",
                {4, 4},
                {3, 480}},
        FileRow{"AOneEightFileOfThreeBeatBarsFoundOffTheBeat",
                Join({{Meter(1, 3)}, BarsOf(3, 8, 186)}),
                ChordHandling::Spread,
                -186,
                "60:8 0:8 60:8 0:8",
                {4, 4},
                {3, 480}},
        // Two tempo events at one tick: the later one in the file holds.
        FileRow{"OfTwoTemposAtOneTickTheLaterHolds",
                Join({{Tempo(600000), Tempo(410959)}, Notes(1, 100, 0, 480, 4)}),
                ChordHandling::Spread,
                0,
                "60:4 60:4 60:4 60:4",
                {4},
                {4, 480},
                TempoChoice::Fast},
        // A repeated note-on ends the note before; the two note-offs of that moment end both,
        // so a stray note-off later revives neither.
        FileRow{"TwoNoteOffsAtARepeatedNoteEndBothNotes",
                {{0, {0x90, 60, 100}},
                 {480, {0x90, 60, 100}},
                 {480, {0x80, 60, 0}},
                 {480, {0x80, 60, 0}},
                 {960, {0x80, 60, 0}}},
                ChordHandling::Spread,
                0,
                "60:4 60:16",
                {4},
                {4, 480}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(BeatShift, MovesLaterWhenEarlierWouldPassTimeZero) {
  FileSurvey survey;
  for (int i = 0; i < 16; ++i)
    survey.ImportNoteEvent(1, 60, 100, 100 + i * 480);
  // The grid's beat lies 100 ticks in: 100 earlier would do, and the first note allows it.
  EXPECT_EQ(BeatShift(survey), -100);
  FileSurvey late;
  for (int i = 0; i < 16; ++i)
    late.ImportNoteEvent(1, 60, 100, 300 + i * 480);
  EXPECT_EQ(BeatShift(late), 180);
}

TEST(ImportReport, AShiftIsOneLineAndSmallCutsAreCountedNotListed) {
  ImportReport report;
  report.shift = -36;
  report.changes.push_back({1, 1, 0, 60, ImportChangeKind::CutByOverlap, 16, 0});
  report.changes.push_back({1, 2, 480, 60, ImportChangeKind::CutByOverlap, 60, 0});
  const std::string text = ImportReportText(report, 480, 4);
  EXPECT_EQ(text, "曲全体を 36 ティック前へ移動して拍に合わせました\n"
                  "1\t2\t1:2:0\t60\t重なりで短縮 60 ティック\n");
  EXPECT_NE(ImportReportSummary(report).find("重なりで短縮 2（うち 1 は32分音符未満"),
            std::string::npos);
}

} // namespace
} // namespace pipora
