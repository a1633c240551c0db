#include "formats/smd/title_conversion.h"
#include "platform/text/cp932.h"

#include <gtest/gtest.h>

namespace pipora {
namespace {

QByteArray Bytes(std::initializer_list<int> values) {
  QByteArray out;
  for (int v : values)
    out += static_cast<char>(v);
  return out;
}

int Code16(const QByteArray &two) {
  return static_cast<unsigned char>(two[0]) * 256 + static_cast<unsigned char>(two[1]);
}

// The textbook JIS X 0208 to Shift_JIS formula, written differently, as the oracle.
int ShiftJisOf(int j1, int j2) {
  const int s1 = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
  int s2;
  if (j1 % 2 == 1)
    s2 = j2 + (j2 >= 0x60 ? 0x20 : 0x1F);
  else
    s2 = j2 + 0x7E;
  return s1 * 256 + s2;
}

TEST(JisPairToShiftJis, EveryPairMatchesTheStandardArithmetic) {
  for (int j1 = 0x21; j1 <= 0x7E; ++j1) {
    for (int j2 = 0x21; j2 <= 0x7E; ++j2) {
      QByteArray out;
      ASSERT_EQ(JisPairToShiftJis(Bytes({j1, j2}), out), 1);
      ASSERT_EQ(Code16(out), ShiftJisOf(j1, j2)) << std::hex << j1 << " " << j2;
    }
  }
}

TEST(JisPairToShiftJis, ConvertsLongerTextsPairByPair) {
  QByteArray out;
  EXPECT_EQ(JisPairToShiftJis(Bytes({0x30, 0x21, 0x24, 0x22, 0x41}), out), 2);
  EXPECT_EQ(out, Bytes({0x88, 0x9F, 0x82, 0xA0}));
}

TEST(GetKana, AddsHalfTheCodeSpace) {
  EXPECT_EQ(static_cast<unsigned char>(getKana(0x31)), 0xB1);
  EXPECT_EQ(static_cast<unsigned char>(getKana(0x21)), 0xA1);
  EXPECT_EQ(static_cast<unsigned char>(getKana(0x5F)), 0xDF);
}

TEST(ConvertTitle, DoubleByteKanaAndPlainText) {
  const struct {
    QByteArray raw;
    QByteArray expected;
  } rows[] = {
      {Bytes({0x1B, 0x24, 0x42, 0x30, 0x21, 0x1B, 0x28, 0x42}), Bytes({0x88, 0x9F})},
      {Bytes({0x1B, 0x24, 0x42, 0x24, 0x22, 0x1B, 0x28, 0x42}), Bytes({0x82, 0xA0})},
      {Bytes({0x0E, 0x31, 0x0F}), Bytes({0xB1})},
      {"abc", "abc"},
      {ToCp932(QStringLiteral("着信メロディ")), ToCp932(QStringLiteral("着信メロディ"))},
      {"", ""},
      // Text around the sequences is copied; unknown escapes are dropped alone.
      {Bytes({'A', 0x1B, 0x24, 0x42, 0x30, 0x21, 0x1B, 0x28, 0x42, 'B'}),
       Bytes({'A', 0x88, 0x9F, 'B'})},
      {Bytes({0x1B, 0x28, 0x4A, 'x'}), "(Jx"},
      {Bytes({0x1B, 0x24, 0x40, 'x'}), "$@x"},
      // Double-byte mode wins over kana mode, and a lone last byte is dropped.
      {Bytes({0x0E, 0x1B, 0x24, 0x42, 0x30, 0x21, 0x30}), Bytes({0x88, 0x9F})},
      {Bytes({0x0E, 0x31, 0x32}), Bytes({0xB1, 0xB2})},
  };
  for (const auto &row : rows)
    EXPECT_EQ(ConvertTitle(row.raw).toHex(' '), row.expected.toHex(' '))
        << row.raw.toHex(' ').constData();
}

TEST(ConvertTitle, JisTitleReadsAsJapaneseText) {
  const QByteArray raw = Bytes({0x1B, 0x24, 0x42, 0x30, 0x21, 0x1B, 0x28, 0x42, 0x0E, 0x31, 0x0F});
  EXPECT_EQ(FromCp932(ConvertTitle(raw)), QStringLiteral("亜ｱ"));
}

TEST(Cp932, RoundTripsJapaneseAndMarksWhatItCannotHold) {
  const QString text = QStringLiteral("着信ﾒﾛﾃﾞｨ abc ①");
  EXPECT_EQ(FromCp932(ToCp932(text)), text);
  EXPECT_TRUE(FitsCp932(text));
  EXPECT_EQ(ToCp932(QStringLiteral("亜")), Bytes({0x88, 0x9F}));
  EXPECT_EQ(ToCp932(std::string_view("ｱ")), Bytes({0xB1}));
  EXPECT_EQ(Cp932ToUtf8(Bytes({0x82, 0xA0})), "あ");
  EXPECT_FALSE(FitsCp932(QStringLiteral("🎵")));
  EXPECT_EQ(ToCp932(QStringLiteral("a🎵b亜")), QByteArray("a?b\x88\x9f"));
}

TEST(Cp932, ByteClasses) {
  EXPECT_TRUE(IsCp932LeadByte(0x81));
  EXPECT_TRUE(IsCp932LeadByte(0x9F));
  EXPECT_TRUE(IsCp932LeadByte(0xE0));
  EXPECT_TRUE(IsCp932LeadByte(0xFC));
  EXPECT_FALSE(IsCp932LeadByte(0x80));
  EXPECT_FALSE(IsCp932LeadByte(0xA0));
  EXPECT_FALSE(IsCp932LeadByte(0xB1));
  EXPECT_FALSE(IsCp932LeadByte(0x41));
  EXPECT_TRUE(IsCp932TrailByte(0x40));
  EXPECT_FALSE(IsCp932TrailByte(0x7F));
  EXPECT_FALSE(IsCp932TrailByte(0x3F));
}

} // namespace
} // namespace pipora
