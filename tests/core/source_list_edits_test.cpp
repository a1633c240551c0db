#include "core/edit_song.h"
#include "editing/source_list_edits.h"

#include <gtest/gtest.h>

namespace pipora {
namespace {

struct EntryCase {
  const char *name;
  const char *before; // the part ("": an empty part's open line), cursor on its first note
  SourceEntry entry;  // the two boxes
  int rememberedOctave;
  const char *pitch; // the note afterwards
  int noteNumber;
  const char *length;
};

class ReplaceLineRows : public ::testing::TestWithParam<EntryCase> {};

TEST_P(ReplaceLineRows, TakesTheBoxesAndMovesPast) {
  const EntryCase &c = GetParam();
  Song song = test::MakeSong({c.before});
  if (song.part(1).count == 0)
    OpenLineAtEnd(song, 1);
  const EditOutcome outcome = ReplaceLine(song, 1, c.entry, c.rememberedOctave);
  EXPECT_TRUE(outcome.changed);
  EXPECT_FALSE(outcome.snapshot);
  const NoteEntry &e = song.part(1).notes[0];
  EXPECT_EQ(e.pitch, c.pitch);
  EXPECT_EQ(e.noteNumber, c.noteNumber);
  EXPECT_EQ(e.length, c.length);
  EXPECT_EQ(song.part(1).cursor, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ReplaceLineRows,
    ::testing::Values(EntryCase{"FullPitchAndLength", "A5:8", {"C#4", "2"}, 3, "C#", 61, "2"},
                      EntryCase{"OctaveFromTheNote", "A5:8", {"D", ""}, 3, "D", 74, "8"},
                      EntryCase{"RestTakesTheRememberedOctave", "R:8", {"E", "4"}, 3, "E", 52, "4"},
                      EntryCase{"UnknownLengthMarked", "A5:8", {"C4", "5"}, 3, "C", 60, "？"},
                      EntryCase{"EmptyLineBecomesQuarterRest", "", {"", ""}, 4, "R", 0, "4"}),
    [](const ::testing::TestParamInfo<EntryCase> &info) { return std::string(info.param.name); });

TEST(SourceListEdits, CopyBeforeThenTakeBack) {
  Song song = test::MakeSong({"C4:4 D4:8"});
  EXPECT_TRUE(CopyLineBefore(song, 1, 1).changed);
  ASSERT_EQ(song.part(1).count, 3);
  EXPECT_EQ(test::PartText(song, 1), "C4:4 D4:8 D4:8");
  EXPECT_EQ(song.part(1).cursor, 1);
  EXPECT_FALSE(TakeBackLine(song, 1, 0).changed);
  EXPECT_EQ(test::PartText(song, 1), "D4:8 D4:8");
  // The end line opens a copy of the last note, no change until it is entered.
  EXPECT_FALSE(OpenLineAtEnd(song, 1).changed);
  EXPECT_EQ(test::PartText(song, 1), "D4:8 D4:8 D4:8");
}

} // namespace
} // namespace pipora
