#include "formats/smd/smd_code.h"
#include "model/vocabulary.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace pipora {
namespace {

constexpr const char *kBase[] = {"16", "8", "4", "2"};

std::string Code(int c) {
  return std::string(1, static_cast<char>(c));
}

// Every written number 57..78 with every length index, both ways.
TEST(SmdNoteCodes, FullTableEncodesAndDecodesBothWays) {
  for (int m = 57; m <= 78; ++m) {
    for (int k = 0; k < 4; ++k) {
      SCOPED_TRACE(testing::Message() << "m=" << m << " k=" << k);
      int expected = 40 + (m - 57) * 4 + k;
      if (expected == 127)
        expected = 39;
      int state = kOctaveMiddle;
      EXPECT_EQ(EncodeNote(state, m, kBase[k]), Code(expected));
      EXPECT_EQ(state, kOctaveMiddle);
      const DecodedCode d = DecodeCode(Code(expected));
      EXPECT_TRUE(d.isNote);
      EXPECT_EQ(d.consumed, 1);
      EXPECT_EQ(d.writtenNumber, m);
      EXPECT_EQ(d.pitch, PitchNameOf(m));
      EXPECT_EQ(d.length, kBase[k]);
    }
  }
}

TEST(SmdNoteCodes, TripletAndTiedLengthsUseTheirBaseGroup) {
  const char *groups[4][4] = {{"16", "16_", "163", "163_"},
                              {"8", "8_", "83", "83_"},
                              {"4", "4_", "43", "43_"},
                              {"2", "2_", "23", "23_"}};
  for (int k = 0; k < 4; ++k) {
    for (const char *length : groups[k]) {
      SCOPED_TRACE(length);
      int state = kOctaveMiddle;
      std::string expected = Code(52 + k);
      if (IsTied(length))
        expected += '"';
      EXPECT_EQ(EncodeNote(state, 60, length), expected);
      // Rests never carry a tie mark.
      EXPECT_EQ(EncodeNote(state, 0, length), Code('#' + k));
    }
  }
}

TEST(SmdNoteCodes, CodesAboveTheTableDecodeAsFSharp5) {
  for (int c : {124, 125, 126, 39}) {
    const DecodedCode d = DecodeCode(Code(c));
    EXPECT_EQ(d.writtenNumber, 78) << c;
    EXPECT_EQ(d.pitch, "F#") << c;
  }
  EXPECT_EQ(DecodeCode("|").length, "16");
  EXPECT_EQ(DecodeCode("}").length, "8");
  EXPECT_EQ(DecodeCode("~").length, "4");
  EXPECT_EQ(DecodeCode("'").length, "2");
}

TEST(SmdNoteCodes, RestCodes) {
  const struct {
    char code;
    const char *length;
  } rows[] = {{'#', "16"}, {'$', "8"}, {'%', "4"}, {'&', "2"}};
  for (const auto &row : rows) {
    const DecodedCode d = DecodeCode(std::string(1, row.code));
    EXPECT_TRUE(d.isNote);
    EXPECT_EQ(d.writtenNumber, 0);
    EXPECT_EQ(d.pitch, "R");
    EXPECT_EQ(d.length, row.length);
    EXPECT_EQ(d.consumed, 1);
  }
}

TEST(SmdNoteCodes, UnknownLengthsEncodeToNothing) {
  int state = kOctaveMiddle;
  EXPECT_EQ(EncodeNote(state, 60, "？"), "");
  EXPECT_EQ(EncodeNote(state, 60, "* End of Track *"), "");
  EXPECT_EQ(EncodeNote(state, 0, "* End of Track *"), "");
  EXPECT_EQ(EncodeNote(state, 0, "5"), "");
  EXPECT_EQ(EncodeNote(state, 60, ""), "");
}

struct EscapeRow {
  char selector;
  SmdWord word;
  const char *text;
};

class SmdEscapeWords : public testing::TestWithParam<EscapeRow> {};

// Test names allow letters and digits only: the selector bytes are punctuation.
std::string SelectorName(char selector) {
  static const std::pair<char, const char *> kNames[] = {
      {'"', "Quote"},     {'#', "Hash"},       {'$', "Dollar"},     {'%', "Percent"},
      {'&', "Ampersand"}, {'(', "OpenParen"},  {')', "CloseParen"}, {'*', "Asterisk"},
      {'+', "Plus"},      {',', "Comma"},      {'-', "Minus"},      {'/', "Slash"},
      {'.', "Dot"},       {'\'', "Apostrophe"}};
  for (const auto &[c, name] : kNames)
    if (c == selector)
      return name;
  return std::string(1, selector);
}

TEST_P(SmdEscapeWords, DecodeToTheirWordConsumingTwo) {
  const EscapeRow row = GetParam();
  const DecodedCode d = DecodeCode(std::string("!") + row.selector + "6");
  EXPECT_EQ(d.consumed, 2);
  EXPECT_EQ(d.word, row.word);
  EXPECT_EQ(SmdWordText(d.word), row.text);
  EXPECT_FALSE(d.isNote);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SmdEscapeWords,
    testing::Values(EscapeRow{'"', SmdWord::High, "高い"}, EscapeRow{'#', SmdWord::Low, "低い"},
                    EscapeRow{'$', SmdWord::Middle, "まん中"},
                    EscapeRow{'%', SmdWord::SameTriplet, "同音3連符"},
                    EscapeRow{'&', SmdWord::MixedTriplet, "異音3連符"},
                    EscapeRow{'(', SmdWord::Fast, "速い"},
                    EscapeRow{')', SmdWord::Normal, "普通の速さ"},
                    EscapeRow{'*', SmdWord::SomewhatSlow, "やや遅い"},
                    EscapeRow{'+', SmdWord::Slow, "遅い"},
                    EscapeRow{',', SmdWord::SofterTwice, "小さく小さく"},
                    EscapeRow{'-', SmdWord::Softer, "小さく"},
                    EscapeRow{'/', SmdWord::Louder, "大きく"}, EscapeRow{'.', SmdWord::None, ""},
                    EscapeRow{'6', SmdWord::None, ""}, EscapeRow{'\'', SmdWord::None, ""}),
    [](const testing::TestParamInfo<EscapeRow> &info) {
      return std::string("Selector") + SelectorName(info.param.selector);
    });

TEST(DecodeCode, FrameAndTieCodes) {
  DecodedCode d = DecodeCode("\x1b$D6");
  EXPECT_EQ(d.word, SmdWord::Start);
  EXPECT_EQ(SmdWordText(d.word), "開始");
  EXPECT_EQ(d.consumed, 3);

  d = DecodeCode("\x1b$B");
  EXPECT_EQ(d.word, SmdWord::None);
  EXPECT_EQ(d.consumed, 1);
  EXPECT_EQ(DecodeCode("\x1b$").consumed, 1);

  d = DecodeCode("\x0f");
  EXPECT_EQ(SmdWordText(d.word), "終了");
  EXPECT_EQ(d.consumed, 1);

  d = DecodeCode("\"");
  EXPECT_EQ(SmdWordText(d.word), "タイ");
  EXPECT_EQ(d.consumed, 1);
}

TEST(DecodeCode, OtherBytesAreSkipped) {
  for (int c : {0, 1, 10, 13, 14, 32, 127, 0xA1, 0xFF}) {
    const DecodedCode d = DecodeCode(Code(c));
    EXPECT_FALSE(d.isNote) << c;
    EXPECT_EQ(d.word, SmdWord::None) << c;
    EXPECT_EQ(d.consumed, 1) << c;
  }
  // A bang at the very end still claims its selector.
  EXPECT_EQ(DecodeCode("!").consumed, 2);
}

TEST(DecodeCode, DoubleByteCharacterIsSkippedWhole) {
  // 0x88 0x9F is one CP932 character; its second byte must not read as a note.
  const DecodedCode d = DecodeCode("\x88\x9f");
  EXPECT_EQ(d.consumed, 2);
  EXPECT_FALSE(d.isNote);
  // A lead byte with a second byte that cannot end a character stands alone.
  EXPECT_EQ(DecodeCode("\x88\x0f").consumed, 1);
  EXPECT_EQ(DecodeCode("\x88").consumed, 1);
  // Second byte 0x60 would be a note code on its own.
  EXPECT_EQ(DecodeCode("\x82\x60").consumed, 2);
}

struct TransitionRow {
  int before;
  int note;
  const char *emitted;
  int after;
  int written;
};

class EncodeNoteTransitions : public testing::TestWithParam<TransitionRow> {};

std::string OctaveStateName(int state) {
  if (state == kOctaveLow)
    return "FromLow";
  if (state == kOctaveMiddle)
    return "FromMiddle";
  if (state == kOctaveHigh)
    return "FromHigh";
  return "FromState" + std::to_string(state);
}

TEST_P(EncodeNoteTransitions, EmitWordsAndShiftTheNote) {
  const TransitionRow row = GetParam();
  int state = row.before;
  const std::string expected = std::string(row.emitted) + Code(52 + (row.written - 60) * 4 + 2);
  EXPECT_EQ(EncodeNote(state, row.note, "4"), expected);
  EXPECT_EQ(state, row.after);
}

// Each row of the transition table, at both ends of its range of note numbers.
INSTANTIATE_TEST_SUITE_P(Table, EncodeNoteTransitions,
                         testing::Values(TransitionRow{kOctaveMiddle, 56, "!#", kOctaveLow, 68},
                                         TransitionRow{kOctaveMiddle, 45, "!#", kOctaveLow, 57},
                                         TransitionRow{kOctaveMiddle, 57, "", kOctaveMiddle, 57},
                                         TransitionRow{kOctaveMiddle, 78, "", kOctaveMiddle, 78},
                                         TransitionRow{kOctaveMiddle, 79, "!\"", kOctaveHigh, 67},
                                         TransitionRow{kOctaveMiddle, 90, "!\"", kOctaveHigh, 78},
                                         TransitionRow{kOctaveLow, 45, "", kOctaveLow, 57},
                                         TransitionRow{kOctaveLow, 66, "", kOctaveLow, 78},
                                         TransitionRow{kOctaveLow, 67, "!$", kOctaveMiddle, 67},
                                         TransitionRow{kOctaveLow, 78, "!$", kOctaveMiddle, 78},
                                         TransitionRow{kOctaveLow, 79, "!$!\"", kOctaveHigh, 67},
                                         TransitionRow{kOctaveLow, 90, "!$!\"", kOctaveHigh, 78},
                                         TransitionRow{kOctaveHigh, 69, "", kOctaveHigh, 57},
                                         TransitionRow{kOctaveHigh, 90, "", kOctaveHigh, 78},
                                         TransitionRow{kOctaveHigh, 57, "!$", kOctaveMiddle, 57},
                                         TransitionRow{kOctaveHigh, 68, "!$", kOctaveMiddle, 68},
                                         TransitionRow{kOctaveHigh, 56, "!$!#", kOctaveLow, 68},
                                         TransitionRow{kOctaveHigh, 45, "!$!#", kOctaveLow, 57},
                                         TransitionRow{7, 60, "", 7, 60},
                                         TransitionRow{0, 78, "", 0, 78}),
                         [](const testing::TestParamInfo<TransitionRow> &info) {
                           return OctaveStateName(info.param.before) + "Note" +
                                  std::to_string(info.param.note);
                         });

TEST(EncodeNote, ExamplesFromThePhoneFormat) {
  int state = kOctaveMiddle;
  EXPECT_EQ(EncodeNote(state, 60, "4"), "6");
  EXPECT_EQ(EncodeNote(state, 57, "16"), "(");
  EXPECT_EQ(EncodeNote(state, 66 + 12, "2"), "'");
  EXPECT_EQ(EncodeNote(state, 78, "4"), "~");
  EXPECT_EQ(EncodeNote(state, 45, "8"), "!#)");
  EXPECT_EQ(state, kOctaveLow);
  EXPECT_EQ(EncodeNote(state, 67, "4"), "!$R");
  state = kOctaveHigh;
  EXPECT_EQ(EncodeNote(state, 60, "4"), "!$6");
  state = kOctaveLow;
  EXPECT_EQ(EncodeNote(state, 81, "2"), "!$!\"[");
  EXPECT_EQ(state, kOctaveHigh);
  state = kOctaveMiddle;
  EXPECT_EQ(EncodeNote(state, 60, "8_"), "5\"");
  EXPECT_EQ(EncodeNote(state, 0, "8_"), "$");
}

TEST(EncodeNote, UnencodableNoteStillMovesTheOctave) {
  int state = kOctaveMiddle;
  // 91 needs the high window, where it is written as 79: code 130, beyond the alphabet.
  EXPECT_EQ(EncodeNote(state, 91, "16"), "");
  EXPECT_EQ(state, kOctaveHigh);
  state = kOctaveMiddle;
  EXPECT_EQ(EncodeNote(state, 20, "4"), "");
  EXPECT_EQ(state, kOctaveLow);
}

TEST(AppendOctaveMove, WordsBetweenEveryPairOfWindows) {
  const struct {
    int from, to;
    const char *words;
  } rows[] = {{kOctaveMiddle, kOctaveLow, "!#"},  {kOctaveMiddle, kOctaveHigh, "!\""},
              {kOctaveLow, kOctaveMiddle, "!$"},  {kOctaveLow, kOctaveHigh, "!$!\""},
              {kOctaveHigh, kOctaveMiddle, "!$"}, {kOctaveHigh, kOctaveLow, "!$!#"},
              {kOctaveLow, kOctaveLow, ""},       {kOctaveMiddle, kOctaveMiddle, ""}};
  for (const auto &row : rows) {
    std::string out;
    int state = row.from;
    AppendOctaveMove(out, state, row.to);
    EXPECT_EQ(out, row.words) << row.from << "->" << row.to;
    EXPECT_EQ(state, row.to);
  }
}

} // namespace
} // namespace pipora
