#include "formats/smd/smd_reader.h"
#include "formats/smd/smd_writer.h"
#include "model/file_messages.h"
#include "model/vocabulary.h"

#include <gtest/gtest.h>

#include <ostream>

#include <random>
#include <string>
#include <vector>

namespace pipora {
namespace {

struct Note {
  int number;
  std::string length;
};

// Fills part `n` with the notes, keeping the EndMarker last.
void Fill(Song &song, int n, const std::vector<Note> &notes) {
  for (const Note &note : notes)
    InsertNote(song, n, song.part(n).count, note.number, note.length, PitchNameOf(note.number));
}

Song SongWith(int part, const std::vector<Note> &notes) {
  Song song;
  Fill(song, part, notes);
  return song;
}

std::string Text(const Result<QByteArray> &encoded) {
  return encoded ? encoded->toStdString() : std::string();
}

std::string Frame(const std::string &body) {
  return "\x1b$D" + body + "\x0f";
}

TEST(EncodeSmd, SpecimenSongs) {
  Song song = SongWith(1, {{60, "4"}});
  song.title = "abc";
  EXPECT_EQ(Text(EncodeSmd(song)), "abc" + Frame("!$6") + "\r\n");

  song.part(1).volume = 6;
  song.setTempo(TempoChoice::Slow);
  EXPECT_EQ(Text(EncodeSmd(song)), "abc" + Frame("!+!/!/!$6") + "\r\n");

  song.part(1).volume = 1;
  song.setTempo(TempoChoice::Fast);
  EXPECT_EQ(Text(EncodeSmd(song)), "abc" + Frame("!(!-!-!-!$6") + "\r\n");
  song.setTempo(TempoChoice::SomewhatSlow);
  song.part(1).volume = 4;
  EXPECT_EQ(Text(EncodeSmd(song)), "abc" + Frame("!*!$6") + "\r\n");
}

TEST(EncodeSmd, OctaveWindowsFollowTheNotes) {
  Song song = SongWith(1, {{45, "8"}, {72, "8"}});
  EXPECT_EQ(Text(EncodeSmd(song)), Frame("!$!#)!$e") + "\r\n");
}

TEST(EncodeSmd, EmptyPartsAreLeftOutAndTheEmptySongIsATitle) {
  Song song;
  song.title = "t";
  EXPECT_EQ(Text(EncodeSmd(song)), "t\r\n");
  Fill(song, 2, {{60, "4"}});
  Fill(song, 5, {{0, "8"}, {62, "16_"}, {62, "16"}});
  EXPECT_EQ(Text(EncodeSmd(song)), "t" + Frame("!$6") + Frame("!$$<\"<") + "\r\n");
}

TEST(EncodeSmd, TitleIsWrittenInCp932) {
  Song song;
  song.title = "着メロ";
  EXPECT_EQ(*EncodeSmd(song), QByteArray("\x92\x85\x83\x81\x83\x8d\r\n"));
}

TEST(EncodeSmd, TitleCannotBreakTheLineOrStartAPart) {
  // A JIS title can convert to these bytes; written as they are, the file would read back
  // with its melody cut off or shifted.
  Song song = SongWith(1, {{60, "4"}});
  song.title = "a\r\nb\x1b$Dc";
  EXPECT_EQ(Text(EncodeSmd(song)), "ab$Dc" + Frame("!$6") + "\r\n");
  song.title = "d\x0e"
               "e\x0f"
               "f";
  EXPECT_EQ(Text(EncodeSmd(song)), "def" + Frame("!$6") + "\r\n");
}

// Found by fuzzing: a damaged JIS title converted to shift-out and shift-in bytes, which
// the next reading took for kana shifts, so every save changed the title again.
TEST(EncodeSmd, ADamagedTitleReadsBackAsItWasWritten) {
  const QByteArray damaged("\x1b$B\xe4"
                           "0%\x1b(B\x0e"
                           "1\xf1\xe4\xdb\xbb!%5\"!\"~!,!-!*\x0f");
  Result<SmdDocument> read = DecodeSmd(damaged);
  ASSERT_TRUE(read.ok()) << read.error();
  Song song;
  ReplaceMelody(song, std::move(*read));
  const Result<QByteArray> written = EncodeSmd(song);
  ASSERT_TRUE(written.ok());
  Result<SmdDocument> again = DecodeSmd(written->chopped(2));
  ASSERT_TRUE(again.ok()) << again.error();
  Song reread;
  ReplaceMelody(reread, std::move(*again));
  EXPECT_NE(song.title.find('\x0e'), std::string::npos) << "the title should hold a shift-out";
  EXPECT_EQ(reread.title.find('\x0e'), std::string::npos);
  EXPECT_EQ(Text(EncodeSmd(reread)), Text(written));
}

TEST(EncodeSmd, TripletsUseTheirOwnWindow) {
  Song song = SongWith(1, {{60, "83"}, {64, "83"}, {67, "83"}});
  EXPECT_EQ(Text(EncodeSmd(song)), Frame("!$!&5EQ") + "\r\n");

  // From the low window the group first returns to the middle one.
  song = SongWith(1, {{45, "4"}, {60, "83"}, {64, "83"}, {67, "83"}});
  EXPECT_EQ(Text(EncodeSmd(song)), Frame("!$!#*!$!&5EQ") + "\r\n");

  // A group that only fits the low window; then one that only fits the high one.
  song = SongWith(1, {{45, "163"}, {50, "163"}, {66, "163"}, {80, "43"}, {90, "43"}, {70, "43"}});
  EXPECT_EQ(Text(EncodeSmd(song)), Frame("!$!#!&(<|!$!\"!&V~.") + "\r\n");

  // Rests alone need no window; rests in a group do not count for the range.
  song = SongWith(1, {{0, "23"}, {0, "23"}, {0, "23"}, {0, "43"}, {90, "43"}, {0, "43"}});
  EXPECT_EQ(Text(EncodeSmd(song)), Frame("!$!&&&&!\"!&%~%") + "\r\n");
}

TEST(EncodeSmd, TieOnTheFirstTripletNoteIsNotWrittenAndStaysInTheSong) {
  Song song = SongWith(1, {{60, "43_"}, {60, "43"}, {60, "43"}});
  const Result<QByteArray> encoded = EncodeSmd(song);
  ASSERT_TRUE(encoded.ok());
  EXPECT_EQ(Text(encoded), Frame("!$!&666") + "\r\n");
  EXPECT_EQ(song.part(1).notes[0].length, "43_");
}

TEST(DropTripletTies, TieOnTheFirstTripletNoteIsDroppedFromTheSong) {
  Song song = SongWith(1, {{60, "43_"}, {60, "43"}, {60, "43"}});
  DropTripletTies(song);
  EXPECT_EQ(song.part(1).notes[0].length, "43");
  EXPECT_EQ(Text(EncodeSmd(song)), Frame("!$!&666") + "\r\n");
}

struct CheckRow {
  const char *name;
  std::vector<Note> notes;
  int element;
  std::string_view message;
};

// Test names show the row's name rather than the row's bytes.
void PrintTo(const CheckRow &row, std::ostream *out) {
  *out << row.name;
}

class SaveChecks : public testing::TestWithParam<CheckRow> {};

TEST_P(SaveChecks, RefuseWithPartElementAndMessage) {
  const CheckRow &row = GetParam();
  Song song;
  Fill(song, 1, {{60, "4"}});
  Fill(song, 3, row.notes);
  const Result<QByteArray> encoded = EncodeSmd(song);
  ASSERT_FALSE(encoded.ok());
  ASSERT_TRUE(encoded.failure().place.has_value());
  EXPECT_EQ(*encoded.failure().place, (NotePlace{3, row.element}));
  EXPECT_EQ(encoded.failure().message, row.message);
  // The place goes beside the message, not into it.
  EXPECT_EQ(encoded.error(), row.message);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SaveChecks,
    testing::Values(
        CheckRow{"NoteBelowRange", {{60, "4"}, {44, "4"}}, 1, kCannotHandleNote},
        CheckRow{"NoteAboveRange", {{91, "16"}}, 0, kCannotHandleNote},
        CheckRow{"NoteFarBelow", {{30, "4"}}, 0, kCannotHandleNote},
        CheckRow{"UnknownLength", {{60, "？"}}, 0, kCannotHandleNote},
        CheckRow{"UnknownRestLength", {{0, "5"}}, 0, kCannotHandleNote},
        CheckRow{"OddTripletLength", {{60, "3"}, {60, "3"}, {60, "3"}}, 0, kCannotHandleNote},
        // A note that cannot be written at all is named before the group's range.
        CheckRow{"TripletWithUnwritableNote",
                 {{60, "83"}, {95, "83"}, {60, "83"}},
                 1,
                 kCannotHandleNote},
        CheckRow{
            "TripletLengthsDiffer", {{60, "43"}, {60, "43"}, {60, "4"}}, 2, kTripletNotComplete},
        CheckRow{"TripletOfTwo", {{60, "43"}, {60, "43"}}, 2, kTripletNotComplete},
        CheckRow{"TripletAlone", {{60, "4"}, {60, "83"}}, 2, kTripletNotComplete},
        CheckRow{"TieOnSecondTripletNote",
                 {{60, "43"}, {60, "43_"}, {60, "43"}},
                 1,
                 kTripletNotComplete},
        CheckRow{
            "TieOnThirdTripletNote", {{60, "43"}, {60, "43"}, {60, "43_"}}, 2, kTripletNotComplete},
        CheckRow{"TripletTooWide", {{50, "83"}, {60, "83"}, {70, "83"}}, 0, kTripletTooWide},
        CheckRow{
            "TripletTooWideWithRest", {{0, "83"}, {45, "83"}, {67, "83"}}, 0, kTripletTooWide}),
    [](const testing::TestParamInfo<CheckRow> &info) { return info.param.name; });

TEST(DropTripletTies, FailedCheckStillDropsTheFirstTie) {
  Song song = SongWith(1, {{60, "43_"}, {60, "43"}, {60, "4"}});
  DropTripletTies(song);
  EXPECT_FALSE(EncodeSmd(song).ok());
  EXPECT_EQ(song.part(1).notes[0].length, "43");
}

TEST(EncodeSmd, EdgesOfTheRangeAreSavable) {
  Song song = SongWith(1, {{45, "2"}, {90, "16"}, {45, "163"}, {45, "163"}, {66, "163"}});
  EXPECT_TRUE(EncodeSmd(song).ok());
}

// Savable songs of every kind of note read back to the same note lists.
class RoundTrip : public testing::TestWithParam<unsigned> {};

std::vector<Note> RandomPart(std::mt19937 &rng, int elements) {
  static const char *kPlain[] = {"2", "4", "8", "16"};
  static const char *kTriplet[] = {"23", "43", "83", "163"};
  static const int kWindowLow[] = {45, 57, 69};
  std::vector<Note> notes;
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  while (static_cast<int>(notes.size()) < elements) {
    if (pick(0, 5) == 0) {
      const int low = kWindowLow[pick(0, 2)];
      const std::string length = kTriplet[pick(0, 3)];
      for (int i = 0; i < 3; ++i)
        notes.push_back({pick(0, 4) == 0 ? 0 : pick(low, low + 21), length});
    } else {
      const bool rest = pick(0, 6) == 0;
      std::string length = kPlain[pick(0, 3)];
      // Ties on rests are not stored by the format, so only notes carry them.
      if (!rest && pick(0, 3) == 0)
        length += '_';
      notes.push_back({rest ? 0 : pick(45, 90), length});
    }
  }
  return notes;
}

TEST_P(RoundTrip, SavableSongsReadBackUnchanged) {
  std::mt19937 rng(GetParam());
  Song song;
  song.title = GetParam() % 2 ? "ringtone" : "着信メロディ ｱｲｳ";
  song.setTempo(static_cast<TempoChoice>(GetParam() % 4));
  const int parts = 1 + static_cast<int>(GetParam() % 16);
  for (int n = 1; n <= parts; ++n) {
    Fill(song, n, RandomPart(rng, 1 + static_cast<int>(rng() % 200)));
    song.part(n).volume = static_cast<int>(rng() % 9);
  }
  const Result<QByteArray> encoded = EncodeSmd(song);
  ASSERT_TRUE(encoded.ok()) << encoded.failure().place->part << " "
                            << encoded.failure().place->element << " " << encoded.error();
  ASSERT_TRUE(encoded->endsWith("\r\n"));

  Result<SmdDocument> doc = DecodeSmd(encoded->chopped(2));
  ASSERT_TRUE(doc.ok()) << doc.error();
  const Song &read = doc->song;
  EXPECT_EQ(doc->partCount, parts);
  EXPECT_EQ(read.title, song.title);
  EXPECT_EQ(read.tempo, song.tempo);
  for (int n = 1; n <= kUserParts; ++n) {
    SCOPED_TRACE(n);
    const Part &a = song.part(n);
    const Part &b = read.part(n);
    ASSERT_EQ(a.count, b.count);
    EXPECT_EQ(a.volume, b.volume);
    for (int i = 0; i <= a.count; ++i) {
      const NoteEntry &x = a.notes[static_cast<std::size_t>(i)];
      const NoteEntry &y = b.notes[static_cast<std::size_t>(i)];
      ASSERT_EQ(x.noteNumber, y.noteNumber) << "element " << i;
      ASSERT_EQ(x.length, y.length) << "element " << i;
      ASSERT_EQ(x.pitch, y.pitch) << "element " << i;
    }
  }
  // Writing what was read gives the same bytes again.
  Song again = std::move(doc->song);
  EXPECT_EQ(Text(EncodeSmd(again)), Text(encoded));
}

INSTANTIATE_TEST_SUITE_P(Seeds, RoundTrip, testing::Range(1u, 41u),
                         [](const testing::TestParamInfo<unsigned> &info) {
                           return "Seed" + std::to_string(info.param);
                         });

} // namespace
} // namespace pipora
