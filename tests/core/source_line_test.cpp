#include "model/source_line.h"

#include <gtest/gtest.h>

namespace pipora {
namespace {

NoteEntry Entry(std::int32_t start, int number, const char *length, const char *pitch) {
  NoteEntry e;
  e.start = start;
  e.noteNumber = static_cast<std::int16_t>(number);
  e.length = length;
  e.pitch = pitch;
  return e;
}

TEST(SourceListLine, ColumnsForNotesRestsAndTheEndMarker) {
  EXPECT_EQ(SourceListLine(Entry(1440, 61, "4", "C#"), 480, 4), "1:4:0\tC#4\t61\t4");
  EXPECT_EQ(SourceListLine(Entry(2040, 0, "8_", "R"), 480, 4), "2:1:12\tR0\t0\t8_");
  NoteEntry end = MakeEndMarker();
  end.start = 1920 * 3 + 5;
  EXPECT_EQ(SourceListLine(end, 480, 4), "4:1:0\t0\t0\t* End of Track *");
  EXPECT_EQ(SourceListLine(Entry(0, 45, "163", "A"), 480, 4), "1:1:0\tA2\t45\t163");
  EXPECT_EQ(SourceListLine(Entry(0, 11, "4", "B"), 480, 4), "1:1:0\tB-1\t11\t4");
}

TEST(SourceLocation, FollowsTheTimeSignature) {
  EXPECT_EQ(SourceLocation(0, 480, 4), "1:1:0");
  EXPECT_EQ(SourceLocation(1919, 480, 4), "1:4:47");
  EXPECT_EQ(SourceLocation(1920, 480, 4), "2:1:0");
  EXPECT_EQ(SourceLocation(720, 240, 3), "2:1:0");
  EXPECT_EQ(SourceLocation(959, 960, 2), "1:1:95");
}

TEST(SourceOctave, FloorsAndKeepsRestsAtZero) {
  EXPECT_EQ(SourceOctave(60), 4);
  EXPECT_EQ(SourceOctave(59), 3);
  EXPECT_EQ(SourceOctave(0), 0);
  EXPECT_EQ(SourceOctave(120), 9);
}

} // namespace
} // namespace pipora
