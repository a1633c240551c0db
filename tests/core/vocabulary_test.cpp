#include "model/vocabulary.h"

#include <gtest/gtest.h>

namespace pipora {
namespace {

struct PitchTextCase {
  const char *text;
  int expected;
};

TEST(NoteNumberFromText, TableOfPitchTexts) {
  const PitchTextCase cases[] = {{"C4", 60},  {"A4", 69}, {"B3", 59}, {"C#5", 73}, {"F#6", 90},
                                 {"C9", 120}, {"A2", 45}, {"C0", -1}, {"C#", -1},  {"R", -1},
                                 {"", 0},     {"R4", 0},  {"R1", 0},  {"X4", 0},   {"Db4", 0},
                                 {"G#3", 56}, {"B1", 35}, {"CX", -1}};
  for (const auto &c : cases)
    EXPECT_EQ(NoteNumberFromText(c.text), c.expected) << c.text;
}

TEST(PitchNameOf, SharpsOnlyAndRest) {
  EXPECT_EQ(PitchNameOf(73), "C#");
  EXPECT_EQ(PitchNameOf(0), "R");
  EXPECT_EQ(PitchNameOf(70), "A#");
  EXPECT_EQ(PitchNameOf(71), "B");
  EXPECT_EQ(DoReMiNameOf(65), "ﾌｧ");
  EXPECT_EQ(DoReMiNameOf(63), "ミb");
  EXPECT_EQ(OctaveOf(59), 3);
  EXPECT_EQ(OctaveOf(60), 4);
}

TEST(PitchNameOf, RoundTripsEveryNumberWithItsOctave) {
  for (int n = 12; n <= 127; ++n) {
    const std::string text = PitchNameOf(n) + std::to_string(OctaveOf(n));
    if (OctaveOf(n) >= 1 && OctaveOf(n) <= 9) {
      EXPECT_EQ(NoteNumberFromText(text), n) << text;
    }
  }
}

struct LengthRow {
  const char *code;
  int ticks;
  int gate;
  bool triplet;
  bool tied;
};

TEST(LengthCodes, AllSixteenCodes) {
  const LengthRow rows[] = {
      {"2", 960, 940, false, false},  {"2_", 960, 940, false, true},  {"23", 640, 620, true, false},
      {"23_", 640, 620, true, true},  {"4", 480, 460, false, false},  {"4_", 480, 460, false, true},
      {"43", 320, 300, true, false},  {"43_", 320, 300, true, true},  {"8", 240, 220, false, false},
      {"8_", 240, 220, false, true},  {"83", 160, 140, true, false},  {"83_", 160, 140, true, true},
      {"16", 120, 100, false, false}, {"16_", 120, 100, false, true}, {"163", 80, 60, true, false},
      {"163_", 80, 60, true, true},
  };
  for (const auto &r : rows) {
    EXPECT_EQ(LengthTicks(r.code), r.ticks) << r.code;
    EXPECT_EQ(GateTicks(r.code), r.gate) << r.code;
    EXPECT_EQ(IsTriplet(r.code), r.triplet) << r.code;
    EXPECT_EQ(IsTied(r.code), r.tied) << r.code;
    EXPECT_EQ(LengthCodeFromTicks(r.ticks, r.tied), r.code) << r.code;
  }
}

TEST(LengthCodes, OutsideTheTable) {
  EXPECT_EQ(LengthTicks("？"), 0);
  EXPECT_EQ(LengthTicks("* End of Track *"), 0);
  EXPECT_EQ(LengthTicks("32"), 0);
  // Near misses of the sixteen codes: lengths are read by their shape, so check the edges.
  for (const char *code : {"",  "_",  "3",   "33", "3_",  "13", "1633", "163__", "4__",  "_4",
                           "6", "26", "160", "1",  "16 ", " 4", "43 ",  "8_3",   "2_3_", "４"})
    EXPECT_EQ(LengthTicks(code), 0) << code;
  EXPECT_EQ(LengthCodeFromTicks(360, false), "？");
  EXPECT_EQ(LengthCodeFromTicks(360, true), "？_");
  EXPECT_EQ(LengthCodeFromTicks(320, true), "43_");
}

} // namespace
} // namespace pipora
