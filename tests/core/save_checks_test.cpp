// The checker behind the problem list and the SMD save check.
#include "model/save_checks.h"

#include "formats/midi/smf_writer.h"
#include "formats/smd/smd_reader.h"
#include "formats/smd/smd_writer.h"
#include "model/vocabulary.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace pipora {
namespace {

struct Note {
  int number;
  std::string length;
};

void Fill(Song &song, int part, const std::vector<Note> &notes) {
  for (const Note &n : notes)
    InsertNote(song, part, song.part(part).count, n.number, n.length, PitchNameOf(n.number));
  RecalcTimes(song);
}

TEST(FindSaveProblems, SavableSongHasNone) {
  Song song;
  Fill(song, 1, {{60, "4"}, {0, "8"}, {45, "83"}, {66, "83"}, {0, "83"}, {90, "2_"}, {90, "2"}});
  EXPECT_TRUE(FindSaveProblems(song).empty());
}

TEST(FindSaveProblems, ListsEveryProblemOfEveryPartInOrder) {
  Song song;
  Fill(song, 2, {{44, "4"}, {60, "4"}, {91, "8"}});
  Fill(song, 5, {{60, "83"}, {62, "83"}, {0, "4"}, {50, "43"}, {60, "43"}, {70, "43"}});
  Fill(song, 9, {{60, "？"}});
  const std::vector<SaveProblem> problems = FindSaveProblems(song);
  ASSERT_EQ(problems.size(), 5u);
  const struct {
    int part, element, tick;
    SaveProblemKind kind;
  } expected[] = {{2, 0, 0, SaveProblemKind::NoteNotSavable},
                  {2, 2, 960, SaveProblemKind::NoteNotSavable},
                  {5, 2, 320, SaveProblemKind::TripletNotComplete},
                  {5, 3, 800, SaveProblemKind::TripletTooWide},
                  {9, 0, 0, SaveProblemKind::NoteNotSavable}};
  for (std::size_t i = 0; i < problems.size(); ++i) {
    EXPECT_EQ(problems[i].part, expected[i].part) << i;
    EXPECT_EQ(problems[i].element, expected[i].element) << i;
    EXPECT_EQ(problems[i].tick, expected[i].tick) << i;
    EXPECT_EQ(problems[i].kind, expected[i].kind) << i;
  }
  EXPECT_EQ(problems[2].groupStart, 0);
  EXPECT_EQ(problems[2].message(), kTripletNotComplete);
  EXPECT_EQ(problems[3].message(), kTripletTooWide);
  EXPECT_EQ(problems[0].message(), kCannotHandleNote);
  EXPECT_EQ(FindSaveProblems(song, 2).size(), 2u);
}

// The problem list names every note of a failing triplet group, never the end marker, and
// does not say a save failed.
TEST(ProblemElements, NameTheNotesOfTheGroupAndNeverTheEndMarker) {
  Song song;
  Fill(song, 1, {{60, "4"}, {100, "4"}});
  Fill(song, 2, {{50, "43"}, {60, "43"}, {70, "43"}, {60, "83"}});
  Fill(song, 3, {{60, "83"}, {62, "83"}, {0, "4"}});
  const struct {
    int part;
    std::vector<int> elements;
  } expected[] = {{1, {1}}, {2, {0, 1, 2}}, {2, {3}}, {3, {0, 1, 2}}};
  const std::vector<SaveProblem> problems = FindSaveProblems(song);
  ASSERT_EQ(problems.size(), std::size(expected));
  for (std::size_t i = 0; i < problems.size(); ++i) {
    EXPECT_EQ(problems[i].part, expected[i].part) << i;
    EXPECT_EQ(ProblemElements(song.part(problems[i].part), problems[i]), expected[i].elements) << i;
    EXPECT_FALSE(problems[i].listMessage().ends_with("保存に失敗しました。")) << i;
    EXPECT_TRUE(problems[i].message().starts_with(problems[i].listMessage())) << i;
  }
}

// What is written must open again: a part the reader would refuse is refused on saving and
// on MIDI export, and the longest part that saves reads back.
TEST(FindSaveProblems, APartLongerThanTheReaderTakesIsNotSaved) {
  Song song;
  Part &part = song.part(3);
  NoteEntry note;
  note.noteNumber = 60;
  note.length = "16";
  note.pitch = PitchNameOf(60);
  part.notes.assign(kMaxSmdPartNotes, note);
  part.notes.push_back(MakeEndMarker());
  part.count = kMaxSmdPartNotes;
  RecalcTimes(song);
  const Result<QByteArray> longest = EncodeSmd(song);
  ASSERT_TRUE(longest);
  ASSERT_TRUE(DecodeSmd(*longest));
  EXPECT_TRUE(CheckMidiExport(song));

  InsertNote(song, 3, 0, 0, "4", PitchNameOf(0));
  RecalcTimes(song);
  const std::vector<SaveProblem> problems = FindSaveProblems(song);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].kind, SaveProblemKind::PartTooLong);
  EXPECT_EQ(problems[0].element, kMaxSmdPartNotes);
  EXPECT_EQ(EncodeSmd(song).failure().place, (NotePlace{3, kMaxSmdPartNotes}));
  EXPECT_EQ(CheckMidiExport(song).failure().message, kPartTooLong);
}

TEST(IsSmdLength, AcceptsExactlyTheSixteenCodes) {
  const char *candidates[] = {
      "2",  "4",   "8",   "16",   "23",  "43",   "83",   "163",  "2_", "4_",
      "8_", "16_", "23_", "43_",  "83_", "163_", "",     "1",    "6",  "32",
      "3",  "_",   "4__", "43_3", "？",  "24",   "163x", "16_3", "82", "* End of Track *"};
  for (const char *c : candidates)
    EXPECT_EQ(IsSmdLength(c), IsKnownLength(c) && LengthIndex(c) >= 0) << c;
}

// The list goes on after each problem as the save check would if the song began there:
// cutting the part at the next single note or group after the reported one and saving
// that part alone must report the list's next problem.
std::vector<std::pair<int, int>> ProblemsBySavingSuffixes(const Song &song) {
  std::vector<std::pair<int, int>> found;
  for (int n = 1; n <= kUserParts; ++n) {
    const Part &part = song.part(n);
    if (part.count <= 0)
      continue;
    // Units as the writer walks them: a triplet mark starts a group of three.
    std::vector<int> unitStarts;
    for (int i = 0; i <= part.count;)
      unitStarts.push_back(i),
          i += IsTriplet(part.notes[static_cast<std::size_t>(i)].length) ? 3 : 1;
    std::size_t unit = 0;
    while (unit < unitStarts.size()) {
      const int from = unitStarts[unit];
      if (from >= part.count)
        break;
      Song suffix;
      for (int i = from; i < part.count; ++i) {
        const NoteEntry &e = part.notes[static_cast<std::size_t>(i)];
        InsertNote(suffix, 1, suffix.part(1).count, e.noteNumber, e.length, e.pitch);
      }
      const Result<QByteArray> encoded = EncodeSmd(suffix);
      if (encoded.ok())
        break;
      const int element = from + encoded.failure().place->element;
      found.emplace_back(n, element);
      while (unit < unitStarts.size() && unitStarts[unit] <= element)
        ++unit;
    }
  }
  return found;
}

// Half of the songs use savable notes only, so that both outcomes come up often.
Song RandomSong(std::mt19937 &rng) {
  static const int kNumbers[] = {0,  45, 50, 57, 60, 66, 67, 69, 78,
                                 79, 90, 0,  30, 42, 43, 44, 91, -2};
  static const char *kLengths[] = {"2",  "4",   "8",   "16",  "4_", "8_", "23",  "43",
                                   "83", "163", "43_", "83_", "？", "3",  "83__"};
  Song song;
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const bool clean = pick(0, 1) == 0;
  const int lastNumber = clean ? 10 : static_cast<int>(std::size(kNumbers)) - 1;
  const int lastLength = clean ? 5 : static_cast<int>(std::size(kLengths)) - 1;
  const int parts = pick(1, 4);
  for (int k = 0; k < parts; ++k) {
    const int part = pick(1, kUserParts);
    std::vector<Note> notes;
    const int elements = pick(0, 40);
    while (static_cast<int>(notes.size()) < elements) {
      if (pick(0, 3) == 0) {
        // mostly whole triplet groups, so that the later checks are reached
        const std::string length = kLengths[pick(6, 11)];
        const int low = clean ? 45 + 12 * pick(0, 2) : pick(45, 70);
        for (int i = 0; i < 3; ++i)
          notes.push_back({pick(0, 5) == 0 ? 0 : low + pick(0, clean ? 21 : 24), length});
      } else {
        notes.push_back({kNumbers[pick(0, lastNumber)], kLengths[pick(0, lastLength)]});
      }
    }
    Fill(song, part, notes);
  }
  return song;
}

TEST(FindSaveProblems, AgreesWithTheSaveCheckOnRandomSongs) {
  std::mt19937 rng(20261207);
  int refused = 0;
  for (int round = 0; round < 2000; ++round) {
    const Song song = RandomSong(rng);
    const std::vector<SaveProblem> problems = FindSaveProblems(song);
    Song saved = song;
    const Result<QByteArray> encoded = EncodeSmd(saved);
    ASSERT_EQ(encoded.ok(), problems.empty()) << "round " << round;
    std::vector<std::pair<int, int>> listed;
    for (const SaveProblem &p : problems)
      listed.emplace_back(p.part, p.element);
    if (!encoded.ok()) {
      ++refused;
      const NotePlace first{problems.front().part, problems.front().element};
      EXPECT_EQ(encoded.failure().place, first) << "round " << round;
      EXPECT_EQ(encoded.failure().message, problems.front().message()) << "round " << round;
    }
    ASSERT_EQ(ProblemsBySavingSuffixes(song), listed) << "round " << round;
  }
  // The generator reaches both outcomes often enough to mean something.
  EXPECT_GT(refused, 200);
  EXPECT_LT(refused, 1900);
}

} // namespace
} // namespace pipora
