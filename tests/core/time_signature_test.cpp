// The options dialog's time signature and anacrusis boxes: what is taken, what is refused
// with a message naming the box, and what OK does to the song.
#include "model/song.h"
#include "model/vocabulary.h"
#include "views/options/time_signature.h"
#include "views/position_text.h"

#include <gtest/gtest.h>

#include <string>

namespace pipora {
namespace {

struct EntryRow {
  const char *name;
  const char *numerator;
  int denominatorIndex;
  const char *anacrusis;
  int beatsPerMeasure; // expected; 0: refused
  int ticksPerBeat;
  int anacrusisTicks;
  const char *messageHas; // part of the refusal
};

class TimeSignatureBoxes : public ::testing::TestWithParam<EntryRow> {};

TEST_P(TimeSignatureBoxes, AreReadOrRefused) {
  const EntryRow &row = GetParam();
  const Result<TimeSignatureEntry> entry =
      ReadTimeSignatureEntry(QString::fromUtf8(row.numerator), row.denominatorIndex,
                             QString::fromUtf8(row.anacrusis), /*present=*/4);
  if (row.beatsPerMeasure == 0) {
    ASSERT_FALSE(entry);
    EXPECT_NE(entry.error().find(row.messageHas), std::string::npos) << entry.error();
    return;
  }
  ASSERT_TRUE(entry) << entry.error();
  EXPECT_EQ(entry.value().beatsPerMeasure.value_or(4), row.beatsPerMeasure);
  EXPECT_EQ(entry.value().ticksPerBeat, row.ticksPerBeat);
  EXPECT_EQ(entry.value().anacrusis, row.anacrusisTicks);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TimeSignatureBoxes,
    ::testing::Values(
        EntryRow{"SixEighths", "6", 1, "0", 6, 240, 0, ""},
        EntryRow{"Sixteenths", "3", 0, "0", 3, 120, 0, ""},
        EntryRow{"Halves", "2", 3, "0", 2, 960, 0, ""},
        EntryRow{"HalfBeatPickUp", "4", 2, "240", 4, 480, 240, ""},
        EntryRow{"BlanksAroundNumbers", " 3 ", 2, " 480 ", 3, 480, 480, ""},
        EntryRow{"ZeroNumeratorKeepsTheSongs", "0", 2, "0", 4, 480, 0, ""},
        EntryRow{"NegativeNumeratorKeepsTheSongs", "-3", 2, "0", 4, 480, 0, ""},
        EntryRow{"PickUpOfAWholeMeasure", "3", 2, "1440", 3, 480, 1440, ""},
        EntryRow{"LettersInTheNumerator", "abc", 2, "0", 0, 0, 0, "分子"},
        EntryRow{"FractionInTheNumerator", "2.5", 2, "0", 0, 0, 0, "分子"},
        EntryRow{"EmptyNumerator", "", 2, "0", 0, 0, 0, "分子"},
        EntryRow{"FullWidthDigits", "４", 2, "0", 0, 0, 0, "分子"},
        EntryRow{"NumeratorBeyondSixteenBits", "70000", 2, "0", 0, 0, 0, "分子"},
        EntryRow{"LettersInThePickUp", "4", 2, "x", 0, 0, 0, "アウフタクト"},
        EntryRow{"FractionInThePickUp", "4", 2, "240.5", 0, 0, 0, "アウフタクト"},
        EntryRow{"NegativePickUp", "4", 2, "-240", 0, 0, 0, "アウフタクト"},
        EntryRow{"PickUpLongerThanAMeasure", "4", 2, "1921", 0, 0, 0, "1小節（1920）"},
        EntryRow{"PickUpMeasuredInTheNewSignature", "6", 1, "1441", 0, 0, 0, "1小節（1440）"}),
    [](const ::testing::TestParamInfo<EntryRow> &info) { return std::string(info.param.name); });

Song SongWithNotes() {
  Song song;
  for (int part : {1, 2, 16}) {
    InsertNote(song, part, 0, 60, "4", "C");
    InsertNote(song, part, 1, 62, "4", "D");
  }
  RecalcTimes(song);
  BuildScoreList(song);
  return song;
}

TEST(TimeSignatureApply, PickUpStartsEveryPartBeforeTickZero) {
  Song song = SongWithNotes();
  ApplyTimeSignatureEntry(song, {4, 480, 240});
  for (int part = 1; part <= kUserParts; ++part) {
    EXPECT_EQ(song.part(part).notes.front().start, -240) << part;
    EXPECT_EQ(song.part(part).score.front().start, -240) << part;
  }
  // The notes after the first follow.
  EXPECT_EQ(song.part(2).notes[1].start, 240);
  EXPECT_EQ(AnacrusisOf(song), 240);
}

TEST(TimeSignatureApply, SixEighthsPutTick1440AtMeasure2Beat1) {
  Song song;
  for (int i = 0; i < 4; ++i)
    InsertNote(song, 1, i, 60, "4", "C"); // 4 quarters: 1440 ticks before the 4th element
  RecalcTimes(song);
  ApplyTimeSignatureEntry(song, {6, 240, 0});
  EXPECT_EQ(song.ticksPerBeat, 240);
  EXPECT_EQ(song.beatsPerMeasure, 6);
  ASSERT_EQ(song.part(1).notes[3].start, 1440);
  EXPECT_EQ(SourcePositionText(song, 1, 3, true, MinutesForm::FromSongStart).toStdString(),
            "02:1:00");
}

TEST(TimeSignatureApply, NumeratorLeftOutKeepsTheSongs) {
  Song song = SongWithNotes();
  song.beatsPerMeasure = 3;
  ApplyTimeSignatureEntry(song, {std::nullopt, 960, 0});
  EXPECT_EQ(song.beatsPerMeasure, 3);
  EXPECT_EQ(song.ticksPerBeat, 960);
}

TEST(TimeSignatureApply, DenominatorChoicesMapToTheirBeats) {
  EXPECT_EQ(DenominatorIndexOf(120), 0);
  EXPECT_EQ(DenominatorIndexOf(240), 1);
  EXPECT_EQ(DenominatorIndexOf(480), 2);
  EXPECT_EQ(DenominatorIndexOf(960), 3);
  EXPECT_EQ(DenominatorIndexOf(100), 2); // anything else shows as quarter notes
}

} // namespace
} // namespace pipora
