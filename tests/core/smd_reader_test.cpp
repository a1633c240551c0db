#include "formats/smd/smd_reader.h"
#include "smd_bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pipora {
namespace {

using test::Expected;
using test::ExpectNotes;
using test::kEnd;
using test::kStart;

Song Decode(const QByteArray &line) {
  Result<SmdDocument> doc = DecodeSmd(line);
  EXPECT_TRUE(doc.ok()) << doc.error();
  return doc ? std::move(doc->song) : Song();
}

std::string DecodeError(const QByteArray &line) {
  Result<SmdDocument> doc = DecodeSmd(line);
  EXPECT_FALSE(doc.ok());
  return doc ? std::string() : doc.error();
}

TEST(DecodeSmd, OneQuarterNote) {
  Result<SmdDocument> doc = DecodeSmd(kStart + "!$6" + kEnd);
  ASSERT_TRUE(doc.ok());
  EXPECT_EQ(doc->partCount, 1);
  EXPECT_EQ(doc->song.title, "");
  ExpectNotes(doc->song.part(1), {{60, "4", "C"}});
  for (int n = 2; n <= 18; ++n)
    ExpectNotes(doc->song.part(n), {});
}

TEST(DecodeSmd, Triplets) {
  ExpectNotes(Decode(kStart + "!%5" + kEnd).part(1),
              {{60, "83", "C"}, {60, "83", "C"}, {60, "83", "C"}});
  ExpectNotes(Decode(kStart + "!&(56" + kEnd).part(1),
              {{57, "163", "A"}, {60, "83", "C"}, {60, "43", "C"}});
  // Rests inside triplets, and the octave state applies to triplet notes.
  ExpectNotes(Decode(kStart + "!#!&#6$" + kEnd).part(1),
              {{0, "163", "R"}, {48, "43", "C"}, {0, "83", "R"}});
  // A tie after a triplet ties its last note.
  ExpectNotes(Decode(kStart + "!%6\"" + kEnd).part(1),
              {{60, "43", "C"}, {60, "43", "C"}, {60, "43_", "C"}});
}

TEST(DecodeSmd, OctaveWordsShiftNotesButNotRests) {
  ExpectNotes(Decode(kStart + "!#6" + kEnd).part(1), {{48, "4", "C"}});
  ExpectNotes(Decode(kStart + "!\"6" + kEnd).part(1), {{72, "4", "C"}});
  ExpectNotes(Decode(kStart + "!\"%!$6" + kEnd).part(1), {{0, "4", "R"}, {60, "4", "C"}});
  // Every part starts in the middle window.
  Song song = Decode(kStart + "!#6" + kEnd + kStart + "6" + kEnd);
  ExpectNotes(song.part(2), {{60, "4", "C"}});
}

TEST(DecodeSmd, TieMarksThePreviousElement) {
  ExpectNotes(Decode(kStart + "5\"6" + kEnd).part(1), {{60, "8_", "C"}, {60, "4", "C"}});
  // A second tie mark adds nothing: "8__" would be no length at all.
  ExpectNotes(Decode(kStart + "5\"\"" + kEnd).part(1), {{60, "8_", "C"}});
}

TEST(DecodeSmd, PartsFillSlotsInFileOrder) {
  QByteArray line = "t";
  for (int n = 1; n <= 18; ++n)
    line += kStart + QByteArray(static_cast<qsizetype>(n), '6') + kEnd;
  Result<SmdDocument> doc = DecodeSmd(line);
  ASSERT_TRUE(doc.ok()) << doc.error();
  EXPECT_EQ(doc->partCount, 18);
  for (int n = 1; n <= 18; ++n)
    EXPECT_EQ(doc->song.part(n).count, n) << n;

  line += kStart + "6" + kEnd;
  EXPECT_NE(DecodeError(line).find("パート"), std::string::npos);
}

TEST(DecodeSmd, TempoVolumeAndTitle) {
  Song song = Decode("abc" + kStart + "!+!/!/!$6" + kEnd + kStart + "!-!,6" + kEnd);
  EXPECT_EQ(song.title, "abc");
  EXPECT_EQ(song.tempo, TempoChoice::Slow);
  EXPECT_DOUBLE_EQ(song.msPerTick, 60000.0 / 91 / 480);
  EXPECT_EQ(song.part(1).volume, 6);
  EXPECT_EQ(song.part(2).volume, 1);
  EXPECT_EQ(song.part(3).volume, 4);

  EXPECT_EQ(Decode(kStart + "!(6" + kEnd).tempo, TempoChoice::Fast);
  EXPECT_EQ(Decode(kStart + "!*6" + kEnd).tempo, TempoChoice::SomewhatSlow);
  // The normal word does not undo an earlier tempo.
  EXPECT_EQ(Decode(kStart + "!(6" + kEnd + kStart + "!)6" + kEnd).tempo, TempoChoice::Fast);
  EXPECT_EQ(Decode(kStart + "6" + kEnd).tempo, TempoChoice::Normal);
}

TEST(DecodeSmd, VolumeStaysWithinZeroToEight) {
  EXPECT_EQ(Decode(kStart + "!/!/!/!/!/!/6" + kEnd).part(1).volume, 8);
  EXPECT_EQ(Decode(kStart + "!,!,!,6" + kEnd).part(1).volume, 0);
}

TEST(DecodeSmd, JisTitleIsConverted) {
  Song song = Decode("\x1b$B0!\x1b(B\x0e\x31\x0f" + kStart + "6" + kEnd);
  EXPECT_EQ(song.title, "亜ｱ");
  EXPECT_EQ(Decode("\x88\x9f" + kStart + kEnd).title, "亜");
  EXPECT_EQ(Decode("only a title").title, "only a title");
}

TEST(DecodeSmd, UnknownCodesAreSkipped) {
  ExpectNotes(Decode(kStart + "6 \x01!.\x7f\x1b\x01\x1b$5" + kEnd).part(1),
              {{60, "4", "C"}, {0, "8", "R"}, {60, "8", "C"}});
  // The second byte of a double-byte character is not a note.
  ExpectNotes(Decode(kStart +
                     "\x82\x60"
                     "6" +
                     kEnd)
                  .part(1),
              {{60, "4", "C"}});
}

TEST(DecodeSmd, DamageIsReportedWithItsPosition) {
  const struct {
    QByteArray line;
    const char *what;
  } rows[] = {
      {kStart + "\"6" + kEnd, "4バイト目: タイの前に音符がありません。"},
      {kStart + kEnd + kStart + "\"", "タイ"},
      {kStart + "6!", "エスケープ語"},
      {kStart + "!%", "3連符"},
      {kStart + "!&56", "3連符"},
      {kStart + "!&5!$66", "3連符"},
  };
  for (const auto &row : rows)
    EXPECT_NE(DecodeError(row.line).find(row.what), std::string::npos)
        << row.line.toHex(' ').constData();
}

TEST(DecodeSmd, DamageCarriesItsByteOffset) {
  Result<SmdDocument> doc = DecodeSmd(kStart + "\"6" + kEnd);
  ASSERT_FALSE(doc.ok());
  EXPECT_EQ(doc.failure().offset, 3);
  EXPECT_EQ(doc.failure().message, "タイの前に音符がありません。");
}

// A file far beyond any ringtone is refused before its start ticks could run past what a
// tick count holds; one just inside the limits still reads.
TEST(DecodeSmd, HugeFilesAreRefusedWithAMessage) {
  const QByteArray tooLong = kStart + QByteArray(kMaxSmdLineBytes, '6') + kEnd;
  EXPECT_NE(DecodeError(tooLong).find("ファイルが大きすぎます"), std::string::npos);

  const QByteArray tooManyNotes = kStart + QByteArray(kMaxSmdPartElements + 1, '6') + kEnd;
  Result<SmdDocument> refused = DecodeSmd(tooManyNotes);
  ASSERT_FALSE(refused.ok());
  EXPECT_NE(refused.error().find("パートの音符が多すぎます"), std::string::npos);
  EXPECT_EQ(refused.failure().offset, 3 + kMaxSmdPartElements);

  Result<SmdDocument> longest = DecodeSmd(kStart + QByteArray(kMaxSmdPartElements, '6') + kEnd);
  ASSERT_TRUE(longest.ok()) << longest.error();
  Song &song = longest->song;
  RecalcTimes(song);
  EXPECT_EQ(song.part(1).notes.back().start, std::int32_t{480} * kMaxSmdPartElements);
}

TEST(DecodeSmd, GrowsTheSharedCapacityWithTheLongestPart) {
  Result<SmdDocument> doc = DecodeSmd(kStart + QByteArray(95, '6') + kEnd, 30);
  ASSERT_TRUE(doc.ok());
  EXPECT_GT(doc->song.capacity, 95 + 2);
  EXPECT_EQ((doc->song.capacity - 30) % 10, 0);
}

} // namespace
} // namespace pipora
