// Import -> export -> import: what the import makes of a file, its own export must read back
// as the same notes at the same ticks, with triplet recognition on as well as off.
#include "hex_bytes.h"
#include "midi_round_trip.h"

#include "formats/midi/smf_import.h"
#include "model/smd_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace pipora {
namespace {

using testing::BytesOf;
using testing::ExportBytes;
using testing::ImportBytes;
using testing::SoundingNotes;

struct RoundTripRow {
  const char *name;
  // The file: either hex text of the whole file (spaces allowed), or note events on channel
  // 1 as words "+60@120" (key 60 on at tick 120), "-60@300" (off), "|" (next track).
  const char *file;
  bool triplets;
  // The first import's sounding notes as "start:key:code" words: what the row is about.
  const char *imported;
};

void PutBig(std::vector<std::uint8_t> &bytes, std::uint32_t value, int width) {
  for (int i = width - 1; i >= 0; --i)
    bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A format 1 file at 480 ticks per quarter, one track per "|"-separated group of events.
std::vector<std::uint8_t> FromEvents(std::string_view text) {
  std::vector<std::vector<std::uint8_t>> tracks(1);
  std::uint32_t last = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find(' ', at), text.size());
    const std::string word(text.substr(at, end - at));
    at = end + 1;
    if (word.empty())
      continue;
    if (word == "|") {
      tracks.emplace_back();
      last = 0;
      continue;
    }
    const std::size_t sign = word.find('@');
    const int key = std::stoi(word.substr(1, sign - 1));
    const auto time = static_cast<std::uint32_t>(std::stoul(word.substr(sign + 1)));
    std::vector<std::uint8_t> &track = tracks.back();
    // The delta as a variable-length quantity, most significant group first.
    std::uint32_t delta = time - last;
    std::vector<std::uint8_t> groups{static_cast<std::uint8_t>(delta & 0x7F)};
    while ((delta >>= 7) != 0)
      groups.insert(groups.begin(), static_cast<std::uint8_t>(0x80 | (delta & 0x7F)));
    track.insert(track.end(), groups.begin(), groups.end());
    track.insert(track.end(), {0x90, static_cast<std::uint8_t>(key),
                               static_cast<std::uint8_t>(word[0] == '+' ? 100 : 0)});
    last = time;
  }
  std::vector<std::uint8_t> file = test::HexBytes("4D546864 00000006 0001");
  PutBig(file, static_cast<std::uint32_t>(tracks.size()), 2);
  PutBig(file, 480, 2);
  for (std::vector<std::uint8_t> &track : tracks) {
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
    PutBig(file, 0x4D54726B, 4);
    PutBig(file, static_cast<std::uint32_t>(track.size()), 4);
    file.insert(file.end(), track.begin(), track.end());
  }
  return file;
}

void PrintTo(const RoundTripRow &row, std::ostream *out) {
  *out << row.file << (row.triplets ? " with triplets" : "");
}

class ImportOfExport : public ::testing::TestWithParam<RoundTripRow> {};

TEST_P(ImportOfExport, GivesTheSameNotes) {
  const RoundTripRow &row = GetParam();
  const std::string_view text = row.file;
  const std::vector<std::uint8_t> file =
      text.find('@') != std::string_view::npos ? FromEvents(text) : test::HexBytes(text);
  std::string error;
  const Song first = ImportBytes(file, row.triplets, &error);
  ASSERT_EQ(error, "");
  EXPECT_EQ(SoundingNotes(first), row.imported);
  const QByteArray exported = ExportBytes(first);
  const Song second = ImportBytes(BytesOf(exported), row.triplets, &error);
  ASSERT_EQ(error, "");
  EXPECT_EQ(SoundingNotes(second), SoundingNotes(first));
  EXPECT_EQ(ExportBytes(second).toHex(' ').toStdString(), exported.toHex(' ').toStdString());
}

// Header of a format 0 file at 480 ticks per quarter; the track follows.
#define SMF_HEADER "4D546864 00000006 0000 0001 01E0 "

INSTANTIATE_TEST_SUITE_P(
    Files, ImportOfExport,
    ::testing::Values(
        // Found by fuzzing: key 0 (a rest) from 120, then C4 from 203 to 308. Its start is a
        // sixteenth triplet after the rest's, but the export holds no rest to measure from.
        RoundTripRow{"LoneTripletAfterRestKey",
                     SMF_HEADER "4D54726B 0000000A"
                                "78 90 00 40  53 3C 40  69 3C 00",
                     true, "240:60:163"},
        // Key 0 is a rest: the gap from 0 to the note is cut once, as its export's import does.
        RoundTripRow{"RestKeyDoesNotSplitTheGap", "+0@80 +60@800 -60@1380", true,
                     "840:60:4_ 1320:60:16"},
        // A chord on a triplet position: its notes start together, the last one stays.
        RoundTripRow{"ChordAtTripletPosition", "+60@640 +62@640 -60@1220 -62@1220", true,
                     "640:62:4_ 1120:62:163"},
        RoundTripRow{"RepeatedKeyAtTripletPosition", "+60@640 +60@640 +64@1220", true,
                     "640:60:4_ 1120:60:163"},
        // A key struck again where it started is a chord too, not a step back to the grid.
        RoundTripRow{"RepeatedKeySnappedBack", "+60@1000 +62@1580 +62@1600 +0@1860", true,
                     "960:60:23 1600:62:43"},
        // Key 0 struck with the next note: nothing of it is left to measure from.
        RoundTripRow{"ShortRestBeforeTriplet", "+60@340 +0@500 +64@500 +0@800", true,
                     "360:60:83 520:64:43"},
        // A second track on the channel goes on where the part ends and is snapped on the
        // part's own grid, as one track holding both would be.
        RoundTripRow{"SecondTrackAfterLoneTriplet", "+62@120 | +62@300 -62@780", true, "480:62:4"},
        // Rests at a track's end are cut again with the next track's first gap.
        RoundTripRow{"SecondTrackAfterTrailingRest",
                     "+64@820 +0@1140 -0@1220 | -0@0 +64@0 +64@3360", true,
                     "840:64:43 1160:64:2_ 2120:64:2_ 3080:64:2_ 4040:64:4"},
        RoundTripRow{"RestKeyWithoutTriplets", "+0@80 +60@800 -60@1380", false,
                     "840:60:4_ 1320:60:16"}),
    [](const ::testing::TestParamInfo<RoundTripRow> &info) {
      return std::string(info.param.name);
    });

} // namespace
} // namespace pipora

namespace pipora {
namespace {

// The big export read back: every part at the element limit, exported and imported again
// with each way of taking chords, gives every note back (the reader holds as many events as
// the writer writes for the elements it allows).
class BigExport : public ::testing::TestWithParam<ChordHandling> {};

TEST_P(BigExport, ReadsBackWhole) {
  Song song;
  for (int n = 1; n <= kUserParts; ++n) {
    Part &part = song.part(n);
    NoteEntry note;
    note.noteNumber = static_cast<std::int16_t>(57 + n);
    note.length = "8";
    note.pitch = PitchNameOf(note.noteNumber);
    part.notes.assign(kMaxSmdPartNotes, note);
    part.notes.push_back(MakeEndMarker());
    part.count = kMaxSmdPartNotes;
  }
  RecalcTimes(song);
  ASSERT_TRUE(CheckMidiExport(song));
  const QByteArray exported = ExportBytes(song);
  MidiImportOptions options;
  options.chords = GetParam();
  options.writeEventLog = false;
  const Report<Song> imported = ImportSmf(BytesOf(exported), options, Song{});
  ASSERT_FALSE(imported.error) << imported.error->text();
  for (int n = 1; n <= kUserParts; ++n) {
    int notes = 0;
    const Part &part = imported.value.part(n);
    for (std::int32_t i = 0; i < part.count; ++i)
      notes += part.notes[static_cast<std::size_t>(i)].noteNumber == 57 + n ? 1 : 0;
    EXPECT_EQ(notes, kMaxSmdPartNotes) << "part " << n;
  }
}

INSTANTIATE_TEST_SUITE_P(Chords, BigExport,
                         ::testing::Values(ChordHandling::Last, ChordHandling::Top,
                                           ChordHandling::Spread),
                         [](const ::testing::TestParamInfo<ChordHandling> &info) {
                           switch (info.param) {
                           case ChordHandling::Last:
                             return std::string("Last");
                           case ChordHandling::Top:
                             return std::string("Top");
                           case ChordHandling::Spread:
                             return std::string("Spread");
                           }
                           return std::string("Other");
                         });

} // namespace
} // namespace pipora
