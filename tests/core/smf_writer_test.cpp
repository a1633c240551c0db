#include "formats/midi/export_events.h"
#include "formats/midi/smf_writer.h"

#include "model/vocabulary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace pipora {
namespace {

std::string HexOf(const QByteArray &bytes) {
  static const char *digits = "0123456789ABCDEF";
  std::string text;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (!text.empty())
      text += ' ';
    text += digits[b >> 4];
    text += digits[b & 15];
  }
  return text;
}

// Notes before the EndMarker, as ("C4" style pitch text, length code) pairs; "R" is a rest.
void Fill(Song &song, int part,
          std::initializer_list<std::pair<const char *, const char *>> notes) {
  for (const auto &[pitch, length] : notes) {
    const int number = std::string(pitch) == "R" ? 0 : NoteNumberFromText(pitch);
    InsertNote(song, part, song.part(part).count, number, length, PitchNameOf(number));
  }
  RecalcTimes(song);
}

double Half() {
  return 0.5;
}

struct VarLenRow {
  std::uint32_t value;
  const char *bytes;
};

class PutVarLenTable : public ::testing::TestWithParam<VarLenRow> {};

TEST_P(PutVarLenTable, WritesSevenBitGroupsMostSignificantFirst) {
  SmfBuffer buffer;
  buffer.PutVarLen(GetParam().value);
  EXPECT_EQ(HexOf(buffer.bytes()), GetParam().bytes);
  EXPECT_EQ(buffer.trackBytes(), static_cast<std::uint32_t>(buffer.bytes().size()));
}

INSTANTIATE_TEST_SUITE_P(
    Values, PutVarLenTable,
    ::testing::Values(VarLenRow{0, "00"}, VarLenRow{20, "14"}, VarLenRow{0x7F, "7F"},
                      VarLenRow{0x80, "81 00"}, VarLenRow{460, "83 4C"}, VarLenRow{0x3FFF, "FF 7F"},
                      VarLenRow{16384, "81 80 00"}, VarLenRow{0x1FFFFF, "FF FF 7F"},
                      VarLenRow{0x200000, "81 80 80 00"}, VarLenRow{0x0FFFFFFF, "FF FF FF 7F"}),
    [](const testing::TestParamInfo<VarLenRow> &info) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "0x%X", info.param.value);
      return std::string("Value") + hex;
    });

struct TempoRow {
  TempoChoice tempo;
  const char *bytes;
};

class PutTempoTable : public ::testing::TestWithParam<TempoRow> {};

std::string TempoName(TempoChoice tempo) {
  static const char *const kNames[] = {"Fast", "Normal", "SomewhatSlow", "Slow"};
  return kNames[static_cast<int>(tempo)];
}

TEST_P(PutTempoTable, WritesMicrosecondsPerQuarter) {
  SmfBuffer buffer;
  buffer.PutTempo(MsPerTick(GetParam().tempo));
  EXPECT_EQ(HexOf(buffer.bytes()), std::string("FF 51 03 ") + GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Steps, PutTempoTable,
                         ::testing::Values(TempoRow{TempoChoice::Fast, "06 45 4F"},
                                           TempoRow{TempoChoice::Normal, "07 85 D8"},
                                           TempoRow{TempoChoice::SomewhatSlow, "08 C9 48"},
                                           TempoRow{TempoChoice::Slow, "0A 0F 8D"}),
                         [](const testing::TestParamInfo<TempoRow> &info) {
                           return TempoName(info.param.tempo);
                         });

TEST(VolumeControllerValue, RoundsHalvesToEven) {
  const int expected[] = {64, 72, 80, 88, 96, 103, 111, 119, 127};
  for (int v = 0; v <= 8; ++v)
    EXPECT_EQ(VolumeControllerValue(v), expected[v]) << v;
}

TEST(EncodeSmf, EmptySongLayout) {
  Song song;
  song.part(3).tone = 19;
  song.part(16).volume = 8;
  const SmfFile file = EncodeSmf(song, Half);
  std::string track = "00 FF 03 00 00 FF 51 03 07 85 D8";
  static const char *digits = "0123456789ABCDEF";
  for (int c = 1; c <= 16; ++c) {
    const std::string ch(1, digits[c - 1]);
    const std::string program = c == 3 ? "13" : "00";
    const std::string volume = c == 16 ? "7F" : "60";
    track +=
        " 00 C" + ch + " " + program + " 00 B" + ch + " 07 " + volume + " 00 B" + ch + " 37 01";
  }
  track += " 14 FF 2F 00";
  const std::size_t trackLength = (track.size() + 1) / 3;
  EXPECT_EQ(trackLength, 11u + 16 * 11 + 4);
  EXPECT_EQ(HexOf(file.bytes),
            "4D 54 68 64 00 00 00 06 00 00 00 01 01 E0 4D 54 72 6B 00 00 00 BF " + track);
  EXPECT_TRUE(file.log.isEmpty());
}

// The note events of the track: what follows the 16 part set-ups, before the end of track.
std::string NoteBytes(const Song &song, const VelocitySource &velocities = Half) {
  const QByteArray bytes = EncodeSmf(song, velocities).bytes;
  const qsizetype notesAt = 14 + 8 + 4 + 7 + 16 * 11; // header, MTrk, title, tempo, set-ups
  return HexOf(bytes.mid(notesAt, bytes.size() - notesAt - 4));
}

TEST(EncodeSmf, QuarterNoteOnAndOffAfterGate) {
  Song song;
  Fill(song, 1, {{"C4", "4"}});
  // r = 0.5 gives velocity 90 + 19 = 109 (0x6D).
  EXPECT_EQ(NoteBytes(song), "00 90 3C 6D 83 4C 90 3C 00");
  EXPECT_EQ(EncodeSmf(song, Half).log,
            "Wait\t0\r\nNoteOn\t1\t60\t100\r\nWait\t460\r\nNoteOn\t1\t60\t0\r\n");
}

TEST(EncodeSmf, VelocityComesFromSourceInRange) {
  Song song;
  Fill(song, 2, {{"D4", "8"}});
  EXPECT_EQ(NoteBytes(song, [] { return 0.0; }), "00 91 3E 5A 81 5C 91 3E 00");
  EXPECT_EQ(NoteBytes(song, [] { return 0.9999999; }), "00 91 3E 7F 81 5C 91 3E 00");
}

TEST(EncodeSmf, TiedNotesSoundOnce) {
  Song song;
  Fill(song, 1, {{"C4", "4_"}, {"C4", "4"}});
  EXPECT_EQ(NoteBytes(song), "00 90 3C 6D 87 2C 90 3C 00"); // off at 940
}

// Deleting a part's first note leaves the part in step with the others: the exported notes
// of both parts start together.
TEST(BuildExportEvents, DeletingTheFirstNoteKeepsThePartInStep) {
  Song song;
  Fill(song, 1, {{"C4", "4"}, {"D4", "8"}, {"E4", "2"}});
  Fill(song, 2, {{"D4", "8"}, {"E4", "2"}});
  ASSERT_TRUE(DeleteNote(song, 1, 0));
  RecalcTimes(song);
  const std::vector<ExportEvent> expected = {{0, 1, 62, 100},  {0, 2, 62, 100},   {220, 1, 62, 0},
                                             {220, 2, 62, 0},  {240, 1, 64, 100}, {240, 2, 64, 100},
                                             {1180, 1, 64, 0}, {1180, 2, 64, 0}};
  EXPECT_EQ(BuildExportEvents(song), expected);
}

TEST(EncodeSmf, RestAddsNoEventButDelta) {
  Song song;
  Fill(song, 1, {{"C4", "4"}, {"R", "4"}, {"D4", "4"}});
  // on 0, off 460, on 960 (delta 500), off 1420 (delta 460)
  EXPECT_EQ(NoteBytes(song), "00 90 3C 6D 83 4C 90 3C 00 83 74 90 3E 6D 83 4C 90 3E 00");
}

TEST(EncodeSmf, LongDeltaTakesThreeBytes) {
  Song song;
  // The next note-on comes 16880 - 460 = 16420 ticks after the note-off.
  Fill(song, 1, {{"C4", "4"}});
  for (int i = 0; i < 16; ++i)
    Fill(song, 1, {{"R", "2"}});
  Fill(song, 1, {{"R", "4"}, {"R", "4"}, {"R", "163"}, {"D4", "4"}});
  EXPECT_EQ(NoteBytes(song), "00 90 3C 6D 83 4C 90 3C 00 81 80 24 90 3E 6D 83 4C 90 3E 00");
}

TEST(EncodeSmf, TitleInShiftJis) {
  Song song;
  song.title = "あいう";
  const QByteArray bytes = EncodeSmf(song, Half).bytes;
  EXPECT_EQ(HexOf(bytes.mid(22, 10)), "00 FF 03 06 82 A0 82 A2 82 A4");
}

TEST(EncodeSmf, AnacrusisStartsFileAtFirstNote) {
  Song song;
  Fill(song, 1, {{"C4", "4"}, {"D4", "4"}});
  song.part(1).notes[0].start = -480;
  RecalcTimes(song);
  // The pickup note starts the file; the distances between events are kept.
  EXPECT_EQ(NoteBytes(song), "00 90 3C 6D 83 4C 90 3C 00 14 90 3E 6D 83 4C 90 3E 00");
}

// A tie into another pitch or a rest breaks the chain: the tied note ends with its own gate
// and the next note is struck.
TEST(BuildExportEvents, TieIntoOtherPitchOrRestEndsTheNote) {
  Song song;
  Fill(song, 1, {{"C4", "4_"}, {"D4", "8"}, {"E4", "4_"}, {"R", "4"}, {"F4", "4"}});
  const std::vector<ExportEvent> expected = {
      {0, 1, 60, 100},   {460, 1, 60, 0},  {480, 1, 62, 100},  {700, 1, 62, 0},
      {720, 1, 64, 100}, {1180, 1, 64, 0}, {1680, 1, 65, 100}, {2140, 1, 65, 0}};
  EXPECT_EQ(BuildExportEvents(song), expected);
}

TEST(BuildExportEvents, TieChainOfOnePitchSoundsOnce) {
  Song song;
  Fill(song, 1, {{"G4", "2_"}, {"G4", "4_"}, {"G4", "8"}});
  const std::vector<ExportEvent> expected = {{0, 1, 67, 100}, {1660, 1, 67, 0}};
  EXPECT_EQ(BuildExportEvents(song), expected);
}

// A tie at the end of a part, and a tied rest before a note: the file "6\"" and the import
// of a rest with a dropped tail used to leave notes hanging or silent.
TEST(BuildExportEvents, EveryNoteOnHasItsNoteOff) {
  struct Row {
    const char *name;
    std::initializer_list<std::pair<const char *, const char *>> notes;
  };
  const Row rows[] = {
      {"tie at the end of the part", {{"C4", "4_"}}},
      {"tied rest before a note", {{"C4", "43"}, {"R", "4_"}, {"D4", "4"}, {"E4", "4"}}},
      {"tie into another pitch", {{"D4", "4_"}, {"E4", "4"}}},
      {"tied triplet into a rest", {{"C4", "83"}, {"D4", "83"}, {"E4", "83_"}, {"R", "8"}}},
      {"unknown length", {{"C4", "4"}, {"D4", "？"}, {"E4", "8"}}},
  };
  for (const Row &row : rows) {
    Song song;
    Fill(song, 1, row.notes);
    int sounding = 0;
    std::map<int, int> open;
    for (const ExportEvent &e : BuildExportEvents(song)) {
      if (e.velocity > 0) {
        EXPECT_EQ(open[e.key]++, 0) << row.name << ": key " << e.key << " struck twice";
        ++sounding;
      } else {
        EXPECT_EQ(open[e.key]--, 1) << row.name << ": key " << e.key << " ended unstruck";
        --sounding;
      }
    }
    EXPECT_EQ(sounding, 0) << row.name;
    int notes = 0;
    for (const auto &[pitch, length] : row.notes)
      notes += std::string(pitch) != "R";
    // Only ties between equal pitches join notes; none of these rows has one.
    int struck = 0;
    for (const ExportEvent &e : BuildExportEvents(song))
      struck += e.velocity > 0;
    EXPECT_EQ(struck, notes) << row.name;
  }
}

TEST(BuildExportEvents, SimultaneousEventsInSelectionOrder) {
  Song song;
  Fill(song, 1, {{"C4", "4"}});
  Fill(song, 2, {{"E4", "8"}, {"E4", "8"}});
  const std::vector<ExportEvent> expected = {{0, 1, 60, 100},   {0, 2, 64, 100}, {220, 2, 64, 0},
                                             {240, 2, 64, 100}, {460, 1, 60, 0}, {460, 2, 64, 0}};
  EXPECT_EQ(BuildExportEvents(song), expected);
  EXPECT_EQ(EventListText(expected).left(24), "0\t1\t60\t100\r\n0\t2\t64\t100\r\n");
}

std::vector<ExportEvent> NaiveSelectionSort(std::vector<ExportEvent> events) {
  for (std::size_t p = 0; p < events.size(); ++p) {
    std::size_t smallest = p;
    for (std::size_t i = p + 1; i < events.size(); ++i)
      if (events[i].time < events[smallest].time)
        smallest = i;
    std::swap(events[p], events[smallest]);
  }
  return events;
}

TEST(SortExportEvents, SwapsEqualTimesLikeSelectionSort) {
  // [X5 Y5 A0]: A is swapped to the front, which moves X behind Y.
  std::vector<ExportEvent> events = {{5, 1, 1, 0}, {5, 2, 2, 0}, {0, 3, 3, 0}};
  SortExportEvents(events);
  EXPECT_EQ(events, (std::vector<ExportEvent>{{0, 3, 3, 0}, {5, 2, 2, 0}, {5, 1, 1, 0}}));
}

// Sixteenths, and times millions of ticks apart (a sort by digits needs all its passes).
std::int32_t Spacing(int round) {
  return round % 3 == 2 ? 1'234'567 : 120;
}

TEST(SortExportEvents, MatchesSelectionSortOnManyTies) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    std::vector<ExportEvent> events(static_cast<std::size_t>(random() % 70));
    for (std::size_t i = 0; i < events.size(); ++i)
      // a pick-up's events start before tick 0
      events[i] = {static_cast<std::int32_t>(random() % 6) * Spacing(round) - 240,
                   static_cast<std::int16_t>(i % 16 + 1), static_cast<std::int16_t>(i), 0};
    std::vector<ExportEvent> sorted = events;
    SortExportEvents(sorted);
    ASSERT_EQ(sorted, NaiveSelectionSort(events)) << "round " << round;
  }
}

TEST(SortExportEvents, MatchesSelectionSortOnMoreRunsThanAreMerged) {
  std::mt19937 random(5);
  std::vector<ExportEvent> events(400);
  for (std::size_t i = 0; i < events.size(); ++i)
    events[i] = {static_cast<std::int32_t>(random() % 9) * 60, 1, static_cast<std::int16_t>(i), 0};
  std::vector<ExportEvent> sorted = events;
  SortExportEvents(sorted);
  EXPECT_EQ(sorted, NaiveSelectionSort(events));
}

TEST(SortExportEvents, MatchesSelectionSortOnLongInterleavedParts) {
  // Parts one after another, each in time order, as the lists give them: a deep tree with
  // the displaced events climbing far.
  std::mt19937 random(11);
  std::vector<ExportEvent> events;
  for (std::int16_t part = 1; part <= 8; ++part) {
    std::int32_t time = -480 * (part % 2);
    for (int i = 0; i < 300; ++i) {
      time += static_cast<std::int32_t>(random() % 4) * 120;
      events.push_back({time, part, static_cast<std::int16_t>(i % 100),
                        static_cast<std::int16_t>(i % 2 ? 0 : 100)});
    }
  }
  std::vector<ExportEvent> sorted = events;
  SortExportEvents(sorted);
  EXPECT_EQ(sorted, NaiveSelectionSort(events));
}

} // namespace
} // namespace pipora
