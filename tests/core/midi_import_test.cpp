#include "formats/midi/midi_import.h"

#include "model/vocabulary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace pipora {
namespace {

// A part as "key:code" words, e.g. "60:4 0:8 62:83".
std::string Describe(const Song &song, int part) {
  std::string text;
  const Part &p = song.part(part);
  for (std::int32_t i = 0; i <= p.count; ++i) {
    const NoteEntry &e = p.notes[static_cast<std::size_t>(i)];
    if (e.isEndMarker())
      continue;
    if (!text.empty())
      text += ' ';
    text += std::to_string(e.noteNumber) + ":" + std::string(e.length);
  }
  return text;
}

struct Event {
  int channel;
  int key;
  int velocity;
  std::int64_t time;
};

Song Import(const std::vector<Event> &events, MidiImportOptions options = {}) {
  Song song;
  EmptyPartsForImport(song);
  MidiImporter importer(song, options);
  for (const Event &e : events)
    importer.ImportNoteEvent(e.channel, e.key, e.velocity, e.time);
  AppendEndMarkers(song);
  return song;
}

MidiImportOptions WithoutTriplets() {
  MidiImportOptions options;
  options.triplets = false;
  return options;
}

MidiImportOptions WithoutFolding() {
  MidiImportOptions options;
  options.foldOctaves = false;
  return options;
}

struct CutRow {
  std::int64_t ticks;
  std::vector<std::string_view> pieces;
};

class CutDurationTable : public ::testing::TestWithParam<CutRow> {};

TEST_P(CutDurationTable, CutsIntoTableLengths) {
  EXPECT_EQ(CutDuration(GetParam().ticks), GetParam().pieces) << GetParam().ticks;
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, CutDurationTable,
    ::testing::Values(CutRow{960, {"2"}}, CutRow{480, {"4"}}, CutRow{240, {"8"}},
                      CutRow{120, {"16"}}, CutRow{640, {"23"}}, CutRow{320, {"43"}},
                      CutRow{160, {"83"}}, CutRow{80, {"163"}}, CutRow{1120, {"2_", "83"}},
                      CutRow{600, {"4_", "16"}}, CutRow{1920, {"2_", "2"}},
                      CutRow{1800, {"2_", "4_", "8_", "16"}}, CutRow{360, {"8_", "16"}},
                      CutRow{200, {"16_", "163"}}, CutRow{119, {}}, CutRow{0, {}}, CutRow{-480, {}},
                      // what is left after a tied piece may be a triplet length
                      CutRow{800, {"4_", "43"}}, CutRow{1600, {"2_", "23"}}, CutRow{100, {}},
                      // a tail under a sixteenth goes, and with it the tie that led into it
                      CutRow{520, {"4"}}, CutRow{1000, {"2"}}, CutRow{280, {"8"}}),
    [](const testing::TestParamInfo<CutRow> &info) {
      const std::int64_t t = info.param.ticks;
      return (t < 0 ? "MinusTicks" : "Ticks") + std::to_string(t < 0 ? -t : t);
    });

struct SnapRow {
  std::int64_t ticks;
  std::int64_t lastOn;
  bool triplets;
  std::int64_t snapped;
};

class SnapTable : public ::testing::TestWithParam<SnapRow> {};

TEST_P(SnapTable, SnapsToGrid) {
  const SnapRow &r = GetParam();
  EXPECT_EQ(SnapTime(r.ticks, r.lastOn, r.triplets), r.snapped)
      << r.ticks << " after " << r.lastOn << (r.triplets ? " with triplets" : "");
}

INSTANTIATE_TEST_SUITE_P(Grid, SnapTable,
                         ::testing::Values(SnapRow{59, 0, false, 0}, SnapRow{60, 0, false, 120},
                                           SnapRow{100, 0, false, 120}, SnapRow{160, 0, false, 120},
                                           SnapRow{160, 0, true, 160}, SnapRow{155, 0, true, 160},
                                           SnapRow{320, 0, true, 320}, SnapRow{640, 0, true, 640},
                                           SnapRow{80, 0, true, 80}, SnapRow{480, 320, true, 480},
                                           SnapRow{480, 160, true, 480},
                                           // 200 is no triplet distance: back to sixteenths
                                           SnapRow{200, 0, true, 240}, SnapRow{40, 0, true, 0},
                                           SnapRow{1120, 960, true, 1120},
                                           SnapRow{1119, 960, true, 1120}),
                         [](const testing::TestParamInfo<SnapRow> &info) {
                           const SnapRow &r = info.param;
                           return "Ticks" + std::to_string(r.ticks) + "After" +
                                  std::to_string(r.lastOn) + (r.triplets ? "WithTriplets" : "");
                         });

TEST(FoldKey, FoldsOutsideRangeByOctaves) {
  const std::pair<int, int> rows[] = {{33, 45}, {100, 88},    {44, 56},  {45, 45}, {90, 90},
                                      {91, 79}, {0 + 12, 48}, {127, 79}, {21, 45}, {102, 78}};
  for (const auto &[key, folded] : rows) {
    EXPECT_EQ(FoldKey(key), folded) << key;
    EXPECT_EQ(FoldKey(key) % 12, key % 12) << "pitch class of " << key;
  }
}

TEST(ImportNoteEvent, GapBetweenQuartersBecomesRest) {
  const Song song = Import({{1, 60, 100, 0}, {1, 60, 0, 480}, {1, 62, 100, 960}, {1, 62, 0, 1440}});
  EXPECT_EQ(Describe(song, 1), "60:4 0:4 62:4");
  EXPECT_EQ(song.part(1).notes[1].pitch, "R");
  EXPECT_EQ(song.part(1).notes[2].pitch, "D");
}

TEST(ImportNoteEvent, TripletsKeptOnlyWithTripletOption) {
  const std::vector<Event> triplets = {{1, 60, 100, 0}, {1, 60, 0, 160},   {1, 62, 100, 160},
                                       {1, 62, 0, 320}, {1, 64, 100, 320}, {1, 64, 0, 480}};
  EXPECT_EQ(Describe(Import(triplets), 1), "60:83 62:83 64:83");
  EXPECT_EQ(Describe(Import(triplets, WithoutTriplets()), 1), "60:16 62:8 64:16");
}

TEST(ImportNoteEvent, OverlappingNoteIsCutWhereNextStarts) {
  const Song song = Import({{1, 60, 100, 0}, {1, 64, 100, 240}, {1, 60, 0, 480}, {1, 64, 0, 720}});
  EXPECT_EQ(Describe(song, 1), "60:8 64:4");
}

TEST(ImportNoteEvent, ChordKeepsLastNote) {
  const Song song = Import({{2, 60, 100, 0},
                            {2, 64, 100, 0},
                            {2, 67, 100, 0},
                            {2, 60, 0, 480},
                            {2, 64, 0, 480},
                            {2, 67, 0, 480}});
  EXPECT_EQ(Describe(song, 2), "67:4");
  EXPECT_EQ(song.part(1).count, 0);
}

TEST(ImportNoteEvent, ChordAfterFirstBeatKeepsLastNote) {
  const Song song = Import({{1, 55, 100, 0},
                            {1, 55, 0, 480},
                            {1, 60, 100, 480},
                            {1, 64, 100, 480},
                            {1, 60, 0, 960},
                            {1, 64, 0, 960}});
  EXPECT_EQ(Describe(song, 1), "55:4 64:4");
}

TEST(ImportNoteEvent, OctaveFoldingFollowsOption) {
  const std::vector<Event> events = {
      {1, 33, 100, 0}, {1, 33, 0, 480}, {1, 100, 100, 480}, {1, 100, 0, 960}};
  EXPECT_EQ(Describe(Import(events), 1), "45:4 88:4");
  EXPECT_EQ(Describe(Import(events, WithoutFolding()), 1), "33:4 100:4");
}

TEST(ImportNoteEvent, LateFirstNoteIsPrecededByRest) {
  const Song song = Import({{3, 60, 100, 240}, {3, 60, 0, 480}});
  EXPECT_EQ(Describe(song, 3), "0:8 60:8");
}

TEST(ImportNoteEvent, ShortNotesSnapByStartAndEnd) {
  // 100 ticks snap to one sixteenth.
  EXPECT_EQ(Describe(Import({{1, 60, 100, 0}, {1, 60, 0, 100}}), 1), "60:16");
  // 50 ticks from 0 end at 0: nothing is left of the note.
  EXPECT_EQ(Describe(Import({{1, 60, 100, 0}, {1, 60, 0, 50}}, WithoutTriplets()), 1), "");
  // 50 ticks from 40 to 90 snap to 0 and 120.
  EXPECT_EQ(Describe(Import({{1, 60, 100, 40}, {1, 60, 0, 90}}, WithoutTriplets()), 1), "60:16");
}

TEST(ImportNoteEvent, LongNotesAndRestsAreTiedPieces) {
  const Song song = Import({{1, 60, 100, 1200}, {1, 60, 0, 2640}});
  // 1200 ticks of rest: "2_" "8"; 1440 ticks of note: "2_" "4".
  EXPECT_EQ(Describe(song, 1), "0:2_ 0:8 60:2_ 60:4");
}

TEST(ImportNoteEvent, NoteOffOfOtherKeyIsIgnored) {
  const Song song = Import({{1, 60, 100, 0}, {1, 61, 0, 240}, {1, 60, 0, 480}});
  EXPECT_EQ(Describe(song, 1), "60:4");
}

TEST(ImportNoteEvent, RepeatedNoteOffDoesNotRepeatNote) {
  // A note ended twice (note-on with velocity 0 and an explicit note-off) is one note, and
  // the following note keeps its place.
  const Song song = Import({{1, 60, 100, 0},
                            {1, 60, 0, 480},
                            {1, 60, 0, 480},
                            {1, 60, 0, 960},
                            {1, 62, 100, 960},
                            {1, 62, 0, 1440}});
  EXPECT_EQ(Describe(song, 1), "60:4 0:4 62:4");
}

TEST(ImportNoteEvent, ChannelsAreSeparateParts) {
  const Song song = Import({{1, 60, 100, 0}, {16, 72, 100, 0}, {1, 60, 0, 480}, {16, 72, 0, 960}});
  EXPECT_EQ(Describe(song, 1), "60:4");
  EXPECT_EQ(Describe(song, 16), "72:2");
}

TEST(ImportNoteEvent, SecondTrackOnSameChannelStartsWithRest) {
  Song song;
  EmptyPartsForImport(song);
  MidiImporter importer(song, {});
  importer.ImportNoteEvent(1, 60, 100, 0);
  importer.ImportNoteEvent(1, 60, 0, 480);
  importer.StartTrack();
  // The second track's first note on the same channel continues the part after a rest,
  // not after a repeat of the first track's last key.
  importer.ImportNoteEvent(1, 62, 100, 240);
  importer.ImportNoteEvent(1, 62, 0, 480);
  AppendEndMarkers(song);
  EXPECT_EQ(Describe(song, 1), "60:4 0:8 62:8");
}

// Notes 60 for 0-320, 62 for 840-1320, 64 for 1320-1800: the rest after the lone triplet
// is 520 ticks. Its 40-tick tail is dropped with its tie, so D4 is struck again on export.
TEST(ImportNoteEvent, DroppedTailTakesItsTieAlong) {
  const Song song = Import({{1, 60, 100, 0},
                            {1, 60, 0, 320},
                            {1, 62, 100, 840},
                            {1, 62, 0, 1320},
                            {1, 64, 100, 1320},
                            {1, 64, 0, 1800}});
  EXPECT_EQ(Describe(song, 1), "60:43 0:4 62:4 64:4");
  for (const NoteEntry &e : song.part(1).notes)
    EXPECT_FALSE(IsTied(e.length)) << e.noteNumber << ":" << e.length;
}

// The ticks dropped from one element are added to the next, so they never add up: after
// many lone triplets the notes are still within one dropped tail of their times.
TEST(ImportNoteEvent, DroppedTailsDoNotAddUp) {
  std::vector<Event> events;
  std::int64_t t = 0;
  for (int bar = 0; bar < 20; ++bar) {
    // a lone quarter triplet, then a quarter note 200 ticks later (520 after the start)
    events.push_back({1, 60, 100, t});
    events.push_back({1, 60, 0, t + 320});
    events.push_back({1, 62, 100, t + 840});
    events.push_back({1, 62, 0, t + 1320});
    t += 1920;
  }
  Song song = Import(events);
  RecalcTimes(song);
  const Part &p = song.part(1);
  std::int64_t expectedStart = 0;
  for (std::int32_t i = 0; i < p.count; ++i) {
    const NoteEntry &e = p.notes[static_cast<std::size_t>(i)];
    if (e.noteNumber == 62) {
      EXPECT_LE(std::abs(e.start - (expectedStart + 840)), 40) << "element " << i;
      expectedStart += 1920;
    }
  }
  EXPECT_EQ(expectedStart, 20 * 1920);
}

// Key 0 is a rest and leaves no note-on in an export: the rests between two notes come out
// as one gap cut once, however many key 0 events lie in it.
TEST(ImportNoteEvent, RestsBetweenNotesAreOneGap) {
  std::vector<Event> crowded = {{1, 60, 100, 0}, {1, 60, 0, 480}};
  for (std::int64_t t = 600; t < 20'000; t += 360) {
    crowded.push_back({1, 0, 100, t});
    crowded.push_back({1, 0, 0, t + 200});
  }
  crowded.push_back({1, 64, 100, 20'160});
  crowded.push_back({1, 64, 0, 20'640});
  const std::string plain = Describe(
      Import({{1, 60, 100, 0}, {1, 60, 0, 480}, {1, 64, 100, 20'160}, {1, 64, 0, 20'640}}), 1);
  std::string expected = "60:4";
  for (int i = 0; i < 20; ++i)
    expected += " 0:2_";
  EXPECT_EQ(plain, expected + " 0:4 64:4");
  EXPECT_EQ(Describe(Import(crowded), 1), plain);
  EXPECT_EQ(Describe(Import(crowded, WithoutTriplets()), 1), plain);
}

TEST(ImportReport, RecordsWhatFittingDidToEachNote) {
  ImportReport report;
  MidiImportOptions options;
  options.report = &report;
  const Song song = Import(
      {// snapped: 470 to 480
       {1, 60, 100, 10},
       {1, 60, 0, 470},
       // folded up two octaves
       {1, 30, 100, 480},
       {1, 30, 0, 960},
       // a chord: 64 is dropped, 67 stays
       {1, 64, 100, 960},
       {1, 67, 100, 960},
       {1, 64, 0, 1440},
       {1, 67, 0, 1440},
       // overlap: 69 cut at 1680 by 71, which lasts 600 ticks in tied pieces
       {1, 69, 100, 1440},
       {1, 71, 100, 1680},
       {1, 69, 0, 1920},
       {1, 71, 0, 2280},
       // too short: 40 ticks
       {1, 72, 100, 2400},
       {1, 72, 0, 2440}},
      options);
  EXPECT_EQ(Describe(song, 1), "60:4 54:4 67:4 69:8 71:4_ 71:16 0:16");
  const auto find = [&](ImportChangeKind kind) -> const ImportChange * {
    for (const ImportChange &c : report.changes)
      if (c.kind == kind)
        return &c;
    return nullptr;
  };
  const ImportChange *snapped = find(ImportChangeKind::Snapped);
  ASSERT_NE(snapped, nullptr);
  EXPECT_EQ(snapped->key, 60);
  EXPECT_EQ(snapped->amount, -10);
  EXPECT_EQ(snapped->amount2, 10);
  const ImportChange *folded = find(ImportChangeKind::Folded);
  ASSERT_NE(folded, nullptr);
  EXPECT_EQ(folded->amount, 2);
  EXPECT_EQ(folded->element, 1);
  const ImportChange *chord = find(ImportChangeKind::DroppedChord);
  ASSERT_NE(chord, nullptr);
  EXPECT_EQ(chord->key, 64);
  const ImportChange *cut = find(ImportChangeKind::CutByOverlap);
  ASSERT_NE(cut, nullptr);
  EXPECT_EQ(cut->key, 69);
  EXPECT_EQ(cut->amount, 240);
  EXPECT_EQ(cut->element, 3);
  const ImportChange *split = find(ImportChangeKind::SplitTied);
  ASSERT_NE(split, nullptr);
  EXPECT_EQ(split->key, 71);
  EXPECT_EQ(split->amount, 2);
  const ImportChange *shortNote = find(ImportChangeKind::DroppedShort);
  ASSERT_NE(shortNote, nullptr);
  EXPECT_EQ(shortNote->key, 72);
  EXPECT_EQ(shortNote->amount, 40);
  EXPECT_EQ(report.original.size(), 7u);
  EXPECT_EQ(report.drift[1].notes, 5);
  EXPECT_EQ(report.drift[1].maxAbs, 10);
  EXPECT_NE(ImportReportSummary(report).find("和音の音を削除 1"), std::string::npos);
  // The 10-tick snap only rounds the file's resolution: counted, not listed.
  EXPECT_TRUE(IsMinorChange(*snapped));
  EXPECT_NE(ImportReportSummary(report).find("位置合わせ 1（うち 1 は"), std::string::npos);
  const std::vector<ImportChange> listed = ListedImportChanges(report);
  // Nor are the tied pieces listed: they are how the length is written.
  EXPECT_EQ(listed.size(), report.changes.size() - 2);
  EXPECT_TRUE(std::none_of(listed.begin(), listed.end(), IsMinorChange));
}

TEST(ImportReport, ANoteEndingWhereTheNextBeginsWasNotCut) {
  // The next note-on comes before the note-off of the same moment: nothing is lost.
  for (ChordHandling chords : {ChordHandling::Last, ChordHandling::Spread}) {
    ImportReport report;
    MidiImportOptions options;
    options.chords = chords;
    options.report = &report;
    Song song;
    EmptyPartsForImport(song);
    MidiImporter importer(song, options);
    for (const Event &e : std::vector<Event>{{1, 60, 100, 0},
                                             {1, 62, 100, 480},
                                             {1, 60, 0, 480},
                                             {1, 62, 0, 720},
                                             {1, 64, 100, 720},
                                             {1, 64, 0, 960}})
      importer.ImportNoteEvent(e.channel, e.key, e.velocity, e.time);
    importer.finish();
    AppendEndMarkers(song);
    EXPECT_EQ(Describe(song, 1), "60:4 62:8 64:8");
    EXPECT_EQ(report.count(ImportChangeKind::CutByOverlap), 0u);
  }
}

TEST(ImportReport, ListedByPartThenTimeKeepingTheFileOrderOfOneMoment) {
  ImportReport report;
  const auto change = [&](int part, std::int64_t tick, int key) {
    ImportChange c;
    c.part = part;
    c.tick = tick;
    c.key = key;
    c.kind = ImportChangeKind::Folded;
    report.changes.push_back(c);
  };
  // Two tracks of part 2 give its changes out of time order.
  change(2, 960, 1);
  change(1, 480, 2);
  change(2, 0, 3);
  change(2, 960, 4);
  change(1, 0, 5);
  change(2, 480, 6);
  std::string order;
  for (const ImportChange &c : ListedImportChanges(report))
    order += std::to_string(c.key);
  EXPECT_EQ(order, "523614");
}

TEST(ImportReport, MovedVoicesAreRecordedWithTheirChannelAndPointAtTheirElement) {
  ImportReport report;
  MidiImportOptions options;
  options.chords = ChordHandling::Spread;
  options.report = &report;
  Song song;
  EmptyPartsForImport(song);
  MidiImporter importer(song, options);
  for (int key : {60, 64, 67})
    importer.ImportNoteEvent(1, key, 100, 480);
  for (int key : {60, 64, 67})
    importer.ImportNoteEvent(1, key, 0, 960);
  importer.finish();
  AppendEndMarkers(song);
  EXPECT_EQ(Describe(song, 1) + " | " + Describe(song, 2) + " | " + Describe(song, 3),
            "0:4 67:4 | 0:4 60:4 | 0:4 64:4");
  std::vector<std::string> moved;
  for (const ImportChange &c : report.changes)
    if (c.kind == ImportChangeKind::MovedToPart)
      moved.push_back(std::to_string(c.part) + " " + std::to_string(c.key) + " " +
                      std::to_string(c.element) + " " + ImportChangeText(c));
  EXPECT_EQ(moved, (std::vector<std::string>{"1 60 1 パート 2 へ", "1 64 1 パート 3 へ"}));
  // They sound as the file has them: counted in the summary, not listed one by one.
  const std::vector<ImportChange> listed = ListedImportChanges(report);
  EXPECT_TRUE(std::none_of(listed.begin(), listed.end(), [](const ImportChange &c) {
    return c.kind == ImportChangeKind::MovedToPart;
  }));
  EXPECT_NE(ImportReportSummary(report).find("パートを移動 2（一覧にはありません）"),
            std::string::npos);
}

TEST(MidiImport, FreePartsSoundLikeTheChannelTheirVoicesComeFrom) {
  MidiImportOptions options;
  options.chords = ChordHandling::Spread;
  Song song;
  EmptyPartsForImport(song);
  song.part(1).tone = 40; // the channel's program change
  song.part(2).tone = 7;  // left from the song before
  MidiImporter importer(song, options);
  for (int key : {60, 67})
    importer.ImportNoteEvent(1, key, 100, 0);
  for (int key : {60, 67})
    importer.ImportNoteEvent(1, key, 0, 480);
  importer.ImportNoteEvent(4, 72, 100, 0);
  importer.ImportNoteEvent(4, 72, 0, 480);
  importer.finish();
  EXPECT_EQ(song.part(2).tone, 40);
  EXPECT_EQ(song.part(3).tone, 0); // no voice came to it
}

TEST(ImportReport, ARepeatedNoteBeforeTheOffOfTheOneItEndsStaysWhenSpread) {
  MidiImportOptions options;
  options.chords = ChordHandling::Spread;
  Song song;
  EmptyPartsForImport(song);
  MidiImporter importer(song, options);
  for (const Event &e :
       std::vector<Event>{{1, 72, 100, 0}, {1, 72, 100, 480}, {1, 72, 0, 480}, {1, 72, 0, 960}})
    importer.ImportNoteEvent(e.channel, e.key, e.velocity, e.time);
  importer.finish();
  AppendEndMarkers(song);
  EXPECT_EQ(Describe(song, 1), "72:4 72:4");
}

// Two tracks on one channel sound together: the second is a voice in place, not a continuation
// after the first track's end; a note ending where another starts in the part ends first.
TEST(ImportReport, TwoTracksOfAChannelAreVoicesInPlaceWhenSpread) {
  MidiImportOptions options;
  options.chords = ChordHandling::Spread;
  Song song;
  EmptyPartsForImport(song);
  MidiImporter importer(song, options);
  importer.StartTrack();
  for (const Event &e : std::vector<Event>{{1, 60, 100, 0}, {1, 60, 0, 960}})
    importer.ImportNoteEvent(e.channel, e.key, e.velocity, e.time);
  importer.StartTrack();
  for (const Event &e :
       std::vector<Event>{{1, 72, 100, 480}, {1, 72, 0, 960}, {1, 74, 100, 960}, {1, 74, 0, 1440}})
    importer.ImportNoteEvent(e.channel, e.key, e.velocity, e.time);
  importer.finish();
  AppendEndMarkers(song);
  EXPECT_EQ(Describe(song, 1) + " | " + Describe(song, 2), "60:2 74:4 | 0:4 72:4");
}

// Notes too close for the grid, imported with chords spread: (key, on, off) on channel 1.
struct ShortRunRow {
  const char *name;
  std::vector<std::array<int, 3>> notes;
  std::string part1;
  std::string part2 = {}; // a free part, when the row shows it
};

class ShortRunTable : public ::testing::TestWithParam<ShortRunRow> {};

TEST_P(ShortRunTable, LaysRunsOnTripletSlots) {
  const ShortRunRow &r = GetParam();
  MidiImportOptions options;
  options.chords = ChordHandling::Spread;
  Song song;
  EmptyPartsForImport(song);
  MidiImporter importer(song, options);
  for (const auto &[key, on, off] : r.notes) {
    importer.ImportNoteEvent(1, key, 100, on);
    importer.ImportNoteEvent(1, key, 0, off);
  }
  importer.finish();
  AppendEndMarkers(song);
  EXPECT_EQ(Describe(song, 1) + (r.part2.empty() ? "" : " | " + Describe(song, 2)),
            r.part1 + (r.part2.empty() ? "" : " | " + r.part2));
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ShortRunTable,
    ::testing::Values(
        ShortRunRow{"GraceNoteTakesTheSlotBeforeTheBeat",
                    {{60, 0, 440}, {62, 440, 480}, {64, 480, 960}},
                    "60:8 0:163 0:163 62:163 64:4"},
        ShortRunRow{"ThirtySecondsKeepThreeStartsInFourAndTheRestInAFreePart",
                    {{60, 0, 55},
                     {61, 60, 115},
                     {62, 120, 175},
                     {63, 180, 235},
                     {64, 240, 295},
                     {65, 300, 355},
                     {66, 360, 415},
                     {67, 420, 475},
                     {72, 480, 960}},
                    "60:163 61:163 62:163 63:163 65:163 66:163 72:4",
                    "0:8 64:16 0:16 67:16"},
        ShortRunRow{"StaccatoTripletsKeepEveryNote",
                    {{60, 0, 38},
                     {64, 79, 117},
                     {60, 159, 197},
                     {64, 240, 278},
                     {60, 319, 357},
                     {64, 399, 437},
                     {72, 480, 960}},
                    "60:163 64:163 60:163 64:163 60:163 64:163 72:4"},
        ShortRunRow{"NoteAfterTheRunMovedPastItsEndKeepsASixteenth",
                    {{60, 0, 55}, {62, 60, 115}, {64, 120, 175}, {65, 180, 235}, {67, 960, 1440}},
                    "60:163 62:163 64:163 65:16 0:4_ 0:16 67:4"},
        ShortRunRow{"StaccatoNoteAloneTakesASixteenthFromTheRestAfterIt",
                    {{60, 0, 470}, {62, 470, 509}, {64, 960, 1440}},
                    "60:4 62:16 0:8_ 0:16 64:4"}),
    [](const testing::TestParamInfo<ShortRunRow> &info) { return std::string(info.param.name); });

// A free part taking voices of two tracks takes them in the order of time.
TEST(ImportReport, VoicesOfTwoTracksInOnePartGoInTimeOrder) {
  MidiImportOptions options;
  options.chords = ChordHandling::Spread;
  Song song;
  EmptyPartsForImport(song);
  MidiImporter importer(song, options);
  importer.StartTrack();
  for (const Event &e :
       std::vector<Event>{{1, 60, 100, 960}, {1, 67, 100, 960}, {1, 60, 0, 1440}, {1, 67, 0, 1440}})
    importer.ImportNoteEvent(e.channel, e.key, e.velocity, e.time);
  importer.StartTrack();
  for (const Event &e :
       std::vector<Event>{{2, 50, 100, 0}, {2, 55, 100, 0}, {2, 50, 0, 480}, {2, 55, 0, 480}})
    importer.ImportNoteEvent(e.channel, e.key, e.velocity, e.time);
  importer.finish();
  AppendEndMarkers(song);
  EXPECT_EQ(Describe(song, 3), "50:4 0:4 60:4");
}

TEST(ImportReport, ListsByPartThenPosition) {
  ImportReport report;
  for (const auto &[part, tick] : std::vector<std::pair<int, int>>{{11, 0}, {2, 960}, {2, 0}})
    report.changes.push_back({part, 0, tick, 60, ImportChangeKind::Folded, 1, 0});
  std::vector<std::pair<int, std::int64_t>> order;
  for (const ImportChange &c : ListedImportChanges(report))
    order.emplace_back(c.part, c.tick);
  EXPECT_EQ(order, (std::vector<std::pair<int, std::int64_t>>{{2, 0}, {2, 960}, {11, 0}}));
}

struct TempoSummaryRow {
  const char *name;
  std::vector<double> fileTempos;
  TempoChoice chosen;
  const char *says;
};

class TempoSummary : public testing::TestWithParam<TempoSummaryRow> {};

TEST_P(TempoSummary, NamesTheTempoAndHowMuchFasterOrSlower) {
  ImportReport report;
  report.fileTempos = GetParam().fileTempos;
  report.tempo = GetParam().chosen;
  const std::string text = ImportTempoSummary(report);
  EXPECT_NE(text.find(GetParam().says), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Tempos, TempoSummary,
    testing::Values(
        TempoSummaryRow{"SlowFilePlaysFaster",
                        {84},
                        TempoChoice::Slow,
                        "テンポ「遅い」：ファイルのテンポ 84、テンポ 91 ×1、速さの差 +8.3%。"},
        TempoSummaryRow{"FastFilePlaysSlower", {160}, TempoChoice::Fast, "速さの差 -8.8%"},
        TempoSummaryRow{"NearlyTheSame", {91.2}, TempoChoice::Slow, "速さの差 -0.2%"},
        TempoSummaryRow{"NoTempoEventMeans120",
                        {},
                        TempoChoice::Normal,
                        "ファイルのテンポ 120、テンポ 121.7 ×1、速さの差 +1.4%（ファイルにテンポの"
                        "指定がなく、120 として）"},
        TempoSummaryRow{"SeveralTemposTheLastChose",
                        {120, 84.5},
                        TempoChoice::Slow,
                        "ファイルのテンポ 84.5、テンポ 91 ×1、速さの差 +7.7%（ファイルのテンポは "
                        "84.5～120 の間で 2 回指定され、最後のものを使いました）"}),
    [](const testing::TestParamInfo<TempoSummaryRow> &info) {
      return std::string(info.param.name);
    });

TEST(ImportNoteEvent, AGapPastTheLimitIsRefusedWithoutAppendingIt) {
  Song song;
  EmptyPartsForImport(song);
  MidiImportOptions options;
  options.maxElements = 5000;
  ImportReport report;
  options.report = &report;
  MidiImporter importer(song, options);
  importer.ImportNoteEvent(1, 60, 100, 0);
  importer.ImportNoteEvent(1, 60, 0, 480);
  // A note after about 2^31 ticks of silence: two million rests, far past the limit.
  importer.ImportNoteEvent(1, 62, 100, 2'000'000'000);
  EXPECT_TRUE(importer.full());
  // Later events append nothing, on any channel.
  importer.ImportNoteEvent(1, 62, 0, 2'000'000'480);
  importer.ImportNoteEvent(2, 64, 100, 0);
  importer.ImportNoteEvent(2, 64, 0, 480);
  AppendEndMarkers(song);
  EXPECT_EQ(Describe(song, 1), "60:4");
  EXPECT_EQ(Describe(song, 2), "");
  EXPECT_EQ(song.capacity, kInitialCapacity);
  // Only the note that was appended is in the report.
  EXPECT_EQ(report.drift[1].notes, 1);
  EXPECT_TRUE(report.changes.empty());
}

TEST(ImportNoteEvent, ARefusedGapLeavesTheRestsBeforeItAsTheyWere) {
  Song song;
  EmptyPartsForImport(song);
  MidiImportOptions options;
  options.maxElements = 100;
  MidiImporter importer(song, options);
  // A rest, then a note too short to keep: the gap after it would be cut again from the
  // rest's start, but it is far past the limit.
  importer.ImportNoteEvent(1, 60, 100, 480);
  importer.ImportNoteEvent(1, 60, 0, 490);
  importer.ImportNoteEvent(1, 62, 100, 2'000'000'000);
  EXPECT_TRUE(importer.full());
  AppendEndMarkers(song);
  EXPECT_EQ(Describe(song, 1), "0:4");
}

// A note or rest is appended whole or not at all: whole when its pieces leave room under the
// limit in all, or go past the part's limit, refused (and the import full) otherwise.
struct LimitRow {
  const char *name;
  std::int64_t gapTicks; // silence before a quarter note on channel 1, on the grid
  std::int64_t maxElements;
  std::int64_t maxPartElements = 1'000'000;
};

class ElementLimitTable : public ::testing::TestWithParam<LimitRow> {};

TEST_P(ElementLimitTable, AppendsWholeStretchesOrRefusesThem) {
  const LimitRow &r = GetParam();
  MidiImportOptions options;
  options.triplets = false;
  options.maxElements = r.maxElements;
  options.maxPartElements = r.maxPartElements;
  const std::int64_t fits = std::min(r.maxElements - 1, r.maxPartElements);
  Song song;
  EmptyPartsForImport(song);
  MidiImporter importer(song, options);
  importer.ImportNoteEvent(1, 60, 100, r.gapTicks);
  importer.ImportNoteEvent(1, 60, 0, r.gapTicks + 480);
  const std::vector<std::string_view> rests = CutDuration(r.gapTicks);
  const auto rest = static_cast<std::int64_t>(rests.size());
  std::string expected;
  if (rest > fits) {
    EXPECT_TRUE(importer.full());
  } else {
    for (const std::string_view code : rests)
      expected += "0:" + std::string(code) + " ";
    if (rest + 1 <= fits) {
      expected += "60:4";
      EXPECT_FALSE(importer.full());
    } else {
      EXPECT_TRUE(importer.full()); // the note itself would reach the limit
    }
    if (!expected.empty() && expected.back() == ' ')
      expected.pop_back();
  }
  AppendEndMarkers(song);
  EXPECT_EQ(Describe(song, 1), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Limit, ElementLimitTable,
    ::testing::Values(
        // 10 half notes of rest: tied halves, the last one plain
        LimitRow{"TenRestsAndNoteUnderTwelve", 9600, 12},
        LimitRow{"TenRestsAndNoteReachEleven", 9600, 11}, LimitRow{"TenRestsReachTen", 9600, 10},
        LimitRow{"TenRestsPastNine", 9600, 9},
        // a tail of shorter pieces after the halves
        LimitRow{"HalvesAndTailUnderLimit", 9600 + 840, 15},
        LimitRow{"HalvesAndTailNoteReachesLimit", 9600 + 840, 14},
        LimitRow{"HalvesAndTailReachLimit", 9600 + 840, 13},
        LimitRow{"HalvesAndTailPastLimit", 9600 + 840, 12},
        // just over twice a half note, where counting switches to division
        LimitRow{"JustOverTwoHalvesFit", 1920 + 120, 5},
        LimitRow{"JustOverTwoHalvesRefused", 1920 + 120, 3},
        LimitRow{"ExactlyThreeHalvesRefused", 2880, 3}, LimitRow{"ExactlyThreeHalvesFit", 2880, 5},
        LimitRow{"HugeGapRefused", 120'000'000, 65536}, LimitRow{"NoGapFits", 0, 2},
        LimitRow{"NoGapNoteReachesLimit", 0, 1},
        // a part holds no more than the SMD reader takes, however much room is left in all
        LimitRow{"PartFilledToItsLimit", 9600, 100, 11},
        LimitRow{"NotePastThePartLimit", 9600, 100, 10},
        LimitRow{"RestsPastThePartLimit", 9600, 100, 9},
        LimitRow{"OneLongNoteFillsNoPartPastTheReader", 120'000'000, 2'000'000, 100'000}),
    [](const testing::TestParamInfo<LimitRow> &info) { return std::string(info.param.name); });

// Long rests and notes come out as CutDuration cuts them, with the list capacity that
// appending them one by one gives.
TEST(ImportNoteEvent, LongStretchesAreCutAsNoteByNote) {
  // Around twice a half note, where the leading halves start to go in at once, and longer.
  const std::int64_t stretches[] = {1920, 2040, 2880, 3000, 96'840, 960 * 10'007 + 640};
  for (const std::int64_t gap : stretches) {
    for (const std::int64_t length : stretches) {
      const std::int64_t at = gap / 120 * 120;
      const std::int64_t off = at + length / 120 * 120;
      ImportReport report;
      MidiImportOptions options = WithoutTriplets();
      options.report = &report;
      const Song song = Import({{3, 60, 100, at}, {3, 60, 0, off}}, options);

      Song expected;
      EmptyPartsForImport(expected);
      for (const std::string_view code : CutDuration(at))
        AppendNote(expected, 3, 0, code, "R");
      for (const std::string_view code : CutDuration(off - at))
        AppendNote(expected, 3, 60, code, "C");
      AppendEndMarkers(expected);
      ASSERT_EQ(song.part(3).count, expected.part(3).count) << gap << " then " << length;
      for (std::size_t i = 0; i < song.part(3).notes.size(); ++i) {
        const NoteEntry &a = song.part(3).notes[i];
        const NoteEntry &b = expected.part(3).notes[i];
        ASSERT_TRUE(a.noteNumber == b.noteNumber && a.length == b.length && a.pitch == b.pitch)
            << "element " << i << " of " << gap << " then " << length;
      }
      EXPECT_EQ(song.capacity, expected.capacity) << gap << " then " << length;
      // The report points at the note's first piece and counts its pieces.
      const auto split =
          std::find_if(report.changes.begin(), report.changes.end(),
                       [](const ImportChange &c) { return c.kind == ImportChangeKind::SplitTied; });
      const auto pieces = static_cast<std::int64_t>(CutDuration(off - at).size());
      ASSERT_EQ(split != report.changes.end(), pieces > 1) << gap << " then " << length;
      if (pieces > 1) {
        EXPECT_EQ(split->amount, pieces) << gap << " then " << length;
        EXPECT_EQ(split->element, static_cast<int>(CutDuration(at).size()));
      }
    }
  }
}

TEST(EmptyPartsForImport, LeavesBackupSlotAndAppendsMarkers) {
  Song song;
  AppendNote(song, 18, 60, "4", "C");
  EmptyPartsForImport(song);
  EXPECT_EQ(song.part(1).count, -1);
  EXPECT_TRUE(song.part(17).notes.empty());
  EXPECT_EQ(song.part(18).count, 1);
  AppendEndMarkers(song);
  for (int n = 1; n <= 17; ++n) {
    ASSERT_EQ(song.part(n).count, 0);
    EXPECT_TRUE(song.part(n).notes[0].isEndMarker());
  }
}

} // namespace
} // namespace pipora
