#include "model/note_texts.h"

#include "model/song.h"

#include <gtest/gtest.h>

#include <string>

namespace pipora {
namespace {

// What a text becomes in the one-byte length, and what the length then answers.
struct LengthRow {
  const char *name;
  std::string text;
  std::string readBack;
  int ticks;
  bool tied;
  bool triplet;
  bool known;
};

class NoteLengthText : public testing::TestWithParam<LengthRow> {};

TEST_P(NoteLengthText, ReadsBackAndAnswersAsTheText) {
  const LengthRow &row = GetParam();
  const NoteLength length(row.text);
  EXPECT_EQ(std::string_view(length), row.readBack);
  EXPECT_EQ(length.ticks(), row.ticks);
  EXPECT_EQ(length.tied(), row.tied);
  EXPECT_EQ(length.triplet(), row.triplet);
  EXPECT_EQ(IsKnownLength(length), row.known);
  // The fast answers agree with the vocabulary's answers on the text read back.
  EXPECT_EQ(LengthTicks(length), LengthTicks(std::string_view(row.readBack)));
  EXPECT_EQ(GateTicks(length), GateTicks(std::string_view(row.readBack)));
  EXPECT_EQ(LengthIndex(length), LengthIndex(std::string_view(row.readBack)));
  EXPECT_EQ(IsTied(length), IsTied(std::string_view(row.readBack)));
}

const LengthRow kLengthRows[] = {
    {"Half", "2", "2", 960, false, false, true},
    {"HalfTied", "2_", "2_", 960, true, false, true},
    {"Quarter", "4", "4", 480, false, false, true},
    {"EighthTied", "8_", "8_", 240, true, false, true},
    {"Sixteenth", "16", "16", 120, false, false, true},
    {"HalfTriplet", "23", "23", 640, false, true, true},
    {"QuarterTripletTied", "43_", "43_", 320, true, true, true},
    {"EighthTriplet", "83", "83", 160, false, true, true},
    {"SixteenthTripletTied", "163_", "163_", 80, true, true, true},
    {"UnknownMark", "？", "？", 0, false, false, false},
    {"UnknownMarkTied", "？_", "？_", 0, true, false, false},
    {"OtherTextIsUnknown", "5", "？", 0, false, false, false},
    {"OtherTiedTextIsUnknownTied", "32_", "？_", 0, true, false, false},
    {"TieAloneIsUnknownTied", "_", "？_", 0, true, false, false},
    {"EndOfTrack", "* End of Track *", "* End of Track *", 0, false, false, false},
    {"Empty", "", "", 0, false, false, false},
};

INSTANTIATE_TEST_SUITE_P(Texts, NoteLengthText, testing::ValuesIn(kLengthRows),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(NoteLength, FromTicksFindsEveryRowAndMarksTheRest) {
  for (const LengthCode &row : kLengthCodes) {
    EXPECT_EQ(NoteLength::FromTicks(row.ticks, false), row.code);
    EXPECT_EQ(NoteLength::FromTicks(row.ticks, true), row.tied);
  }
  EXPECT_EQ(NoteLength::FromTicks(100, false), "？");
  EXPECT_EQ(NoteLength::FromTicks(0, true), "？_");
}

TEST(NoteLength, SetTiedChangesOnlyTheMark) {
  NoteLength length("43");
  length.setTied(true);
  EXPECT_EQ(length, "43_");
  length.setTied(true);
  EXPECT_EQ(length, "43_") << "a second tie changes nothing";
  length.setTied(false);
  EXPECT_EQ(length, "43");
  NoteLength unknown("？");
  unknown.setTied(true);
  EXPECT_EQ(unknown, "？_");
  NoteLength end = NoteLength::EndOfTrack();
  end.setTied(true);
  EXPECT_TRUE(end.isEndOfTrack()) << "the end of track takes no tie";
}

TEST(NoteLength, EqualLengthsCompareEqualWhateverTheirText) {
  EXPECT_EQ(NoteLength("4"), NoteLength("4"));
  EXPECT_NE(NoteLength("4"), NoteLength("4_"));
  EXPECT_NE(NoteLength("4"), NoteLength("43"));
}

struct PitchRow {
  const char *name;
  std::string text;
  std::string kept;
};

class PitchTextKeeping : public testing::TestWithParam<PitchRow> {};

TEST_P(PitchTextKeeping, KeepsUpToSevenBytesOfWholeCharacters) {
  EXPECT_EQ(std::string_view(PitchText(GetParam().text)), GetParam().kept);
}

const PitchRow kPitchRows[] = {
    {"Sharp", "C#", "C#"},
    {"Rest", "R", "R"},
    {"Empty", "", ""},
    {"SevenBytes", "ABCDEFG", "ABCDEFG"},
    {"LongerIsCut", "ABCDEFGHIJ", "ABCDEFG"},
    // Three bytes a character: two whole ones fit, the third would be cut in half.
    {"WideCharactersAreNotSplit", "ドレミ", "ドレ"},
    {"HalfWidthKanaWithSharp", "ﾌｧ#", "ﾌｧ#"},
};

INSTANTIATE_TEST_SUITE_P(Texts, PitchTextKeeping, testing::ValuesIn(kPitchRows),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(PitchText, OfNamesEveryPitchClassAndTheRest) {
  for (int n = 45; n <= 90; ++n)
    EXPECT_EQ(PitchText::Of(n), PitchNameOf(n)) << n;
  EXPECT_EQ(PitchText::Of(0), "R");
}

TEST(NoteEntry, EndMarkerIsTheEndOfTrackLength) {
  const NoteEntry end = MakeEndMarker();
  EXPECT_TRUE(end.isEndMarker());
  NoteEntry note;
  note.length = "4";
  EXPECT_FALSE(note.isEndMarker());
}

} // namespace
} // namespace pipora
