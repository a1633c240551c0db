#include "editing/score_keys.h"
#include "model/song.h"
#include "model/vocabulary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pipora {
namespace {

constexpr int kNone = 0;

class ScoreKeys : public ::testing::Test {
protected:
  Song song;
  StaffLabelTable table = DefaultStaffLabels();
  ScoreKeyOptions options;

  ScoreKeyOutcome press(int key, int shift = kNone) {
    return HandleScoreKey(song, key, shift, options, table);
  }
  void type(const char *keys) {
    for (const char *k = keys; *k; ++k)
      press(*k);
  }
  Part &part(int p = 1) { return song.part(p); }
  ScoreHeader &header(int p = 1) { return song.part(p).scoreHeader; }
  std::vector<int> numbers(int p = 1) {
    std::vector<int> out;
    for (int i = 0; i < header(p).count; ++i)
      out.push_back(part(p).score[static_cast<std::size_t>(i)].noteNumber);
    return out;
  }
  std::vector<std::string> lengths(int p = 1) {
    BuildNoteList(song);
    std::vector<std::string> out;
    for (int i = 0; i < part(p).count; ++i)
      out.emplace_back(part(p).notes[static_cast<std::size_t>(i)].length);
    return out;
  }
  // Part p holding these notes with these lengths, score lists current, cursor at the end.
  void load(int p, std::initializer_list<std::pair<int, const char *>> notes) {
    for (const auto &[n, len] : notes)
      InsertNote(song, p, song.part(p).count, n, len, PitchNameOf(n));
    song.part(p).cursor = song.part(p).count;
    RecalcTimes(song);
    BuildScoreList(song);
  }
  void setCursor(int c, int p = 1) { header(p).cursor = c; }
};

TEST_F(ScoreKeys, FirstLetterIsC4Quarter) {
  const ScoreKeyOutcome out = press('C');
  EXPECT_EQ(part().notes[0].pitch, "C4"); // until the next BuildNoteList
  EXPECT_EQ(numbers(), std::vector<int>({60}));
  EXPECT_EQ(lengths(), std::vector<std::string>({"4"}));
  EXPECT_EQ(header().cursor, 1);
  EXPECT_TRUE(out.changed);
  EXPECT_TRUE(out.snapshot);
  EXPECT_TRUE(out.dirty);
  EXPECT_EQ(out.preview, 60);
}

TEST_F(ScoreKeys, OctaveAfterARestComesFromTheNoteBefore) {
  load(1, {{67, "8"}, {0, "8"}}); // G4, rest
  press('C');
  EXPECT_EQ(numbers(), std::vector<int>({67, 0, 60}));
  EXPECT_EQ(lengths().back(), "8"); // the length of the rest before
}

TEST_F(ScoreKeys, OctaveFollowsTheNoteBeforeTheCursor) {
  load(1, {{84, "16"}}); // C6
  press('E');
  EXPECT_EQ(numbers().back(), 88);
  setCursor(0);
  press('E'); // at the start: octave 4 and length "4"
  EXPECT_EQ(numbers().front(), 64);
  EXPECT_EQ(lengths().front(), "4");
}

TEST_F(ScoreKeys, AccidentalFromTheNearestNoteOfTheSameSyllable) {
  load(1, {{66, "4"}, {64, "4"}}); // F#4 then E4
  press('F');
  EXPECT_EQ(numbers().back(), 66); // E in between has another syllable
  song.currentPart = 2;
  load(2, {{70, "4"}}); // Bb4
  press('B');
  EXPECT_EQ(numbers(2).back(), 70);
  press('C');
  EXPECT_EQ(numbers(2).back(), 60); // C takes B4's octave number: C4, natural
}

TEST_F(ScoreKeys, RestCountsAsDoForTheAccidentalSearch) {
  load(1, {{61, "4"}, {0, "4"}}); // C#4, rest
  press('C');
  EXPECT_EQ(numbers().back(), 60); // the rest reads as "ド" and stops the search
}

// A letter typed with the entry options on and off: its octave and its accidental.
struct LetterRow {
  const char *name;
  std::vector<int> before; // quarter notes already in part 1, cursor after them
  char letter;
  bool nearestOctave;
  bool keyAndBar;
  int keyFifths;
  int expected;
};

class LetterEntryRules : public ScoreKeys, public ::testing::WithParamInterface<LetterRow> {};

TEST_P(LetterEntryRules, OctaveAndAccidental) {
  const LetterRow &row = GetParam();
  for (int n : row.before)
    InsertNote(song, 1, part().count, n, "4", PitchNameOf(n));
  part().cursor = part().count;
  RecalcTimes(song);
  BuildScoreList(song);
  setCursor(part().count);
  options.letters.nearestOctave = row.nearestOctave;
  options.letters.keyAndBarAccidentals = row.keyAndBar;
  options.letters.keyFifths = row.keyFifths;
  press(row.letter);
  EXPECT_EQ(numbers().back(), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LetterEntryRules,
    ::testing::Values(
        // B after D5: the previous note's octave gives B5, a sixth up; the nearest, B4.
        LetterRow{"previousOctaveOff", {74}, 'B', false, false, 0, 83},
        LetterRow{"nearestOctaveOn", {74}, 'B', true, false, 0, 71},
        LetterRow{"nearestOctaveOnGoesUp", {71}, 'C', true, false, 0, 72},
        LetterRow{"nearestOctaveOffStaysBelow", {71}, 'C', false, false, 0, 60},
        LetterRow{"nearestOctaveAfterARest", {74, 0}, 'B', true, false, 0, 71},
        // F sharp in bar 1, F typed in bar 3: copied across the bars, or the key's F.
        LetterRow{"lastAccidentalCarriesOverBarsOff",
                  {66, 67, 69, 71, 72, 71, 69, 67},
                  'F',
                  false,
                  false,
                  0,
                  66},
        LetterRow{"keyAndBarOnDropsAnEarlierBar",
                  {66, 67, 69, 71, 72, 71, 69, 67},
                  'F',
                  false,
                  true,
                  0,
                  65},
        LetterRow{"keyAndBarOnKeepsTheBarsSharp", {66, 67}, 'F', false, true, 0, 66},
        LetterRow{"keySharpOff", {}, 'F', false, false, 1, 65},
        LetterRow{"keySharpOn", {}, 'F', false, true, 1, 66},
        LetterRow{"naturalInTheBarOn", {65}, 'F', false, true, 1, 65},
        LetterRow{"keyFlatOn", {}, 'B', false, true, -1, 70},
        LetterRow{"bothOn", {74, 73}, 'B', true, true, 2, 71}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ScoreKeys, LettersNeedNoModifierAndNoSelection) {
  press('C', vk::kCtrl);
  EXPECT_TRUE(numbers().empty());
  load(1, {{60, "4"}, {62, "4"}});
  press(vk::Left, vk::kShift);
  press('E');
  EXPECT_EQ(numbers().size(), 2u);
}

TEST_F(ScoreKeys, NoteSnapshotOnlyWithManyUndo) {
  options.isManyUndo = false;
  EXPECT_FALSE(press('D').snapshot);
  EXPECT_TRUE(press('R').snapshot); // rests always take one
  EXPECT_EQ(part().notes[1].pitch, "R0");
}

TEST_F(ScoreKeys, LengthKeysReplaceTheWholeCode) {
  load(1, {{60, "43_"}});
  EXPECT_TRUE(press('8').snapshot);
  EXPECT_EQ(lengths(), std::vector<std::string>({"8"}));
  press(vk::NumpadDigit(6));
  EXPECT_EQ(lengths(), std::vector<std::string>({"16"}));
  press('2', vk::kShift); // modifiers allowed
  EXPECT_EQ(lengths(), std::vector<std::string>({"2"}));
  EXPECT_EQ(header().cursor, 1);
  setCursor(0);
  EXPECT_FALSE(press('4').changed);
  EXPECT_EQ(lengths(), std::vector<std::string>({"2"}));
}

TEST_F(ScoreKeys, TripletKeyTogglesAndKeepsTheTieLast) {
  load(1, {{60, "16"}, {62, "4_"}});
  setCursor(1);
  ScoreKeyOutcome out = press('3');
  EXPECT_FALSE(out.snapshot);
  EXPECT_TRUE(out.dirty);
  EXPECT_EQ(lengths()[0], "163");
  press(vk::NumpadDigit(3), vk::kAlt);
  EXPECT_EQ(lengths()[0], "16");
  setCursor(2);
  press('3');
  EXPECT_EQ(lengths()[1], "43_");
  press('3');
  EXPECT_EQ(lengths()[1], "4_");
}

TEST_F(ScoreKeys, PitchLimitsUnlessNoCheck) {
  load(1, {{89, "4"}});
  press(vk::Up, vk::kAlt); // semitone up
  EXPECT_EQ(numbers(), std::vector<int>({90}));
  ScoreKeyOutcome out = press(vk::Up, vk::kAlt);
  EXPECT_EQ(numbers(), std::vector<int>({90}));
  EXPECT_TRUE(out.snapshot); // taken although nothing changed
  EXPECT_EQ(out.preview, 90);
  options.isNoCheck = true;
  press('3', vk::kShift); // the "#" key
  EXPECT_EQ(numbers(), std::vector<int>({91}));
}

TEST_F(ScoreKeys, SemitoneStepsNeedTheNoteInRange) {
  load(1, {{44, "4"}, {46, "4"}, {45, "4"}});
  setCursor(1);
  press(vk::Up, vk::kAlt);
  EXPECT_EQ(numbers()[0], 44); // 44 is outside although 45 would fit
  setCursor(2);
  press(vk::Down, vk::kAlt);
  EXPECT_EQ(numbers()[1], 45);
  setCursor(3);
  press(vk::Down, vk::kAlt);
  EXPECT_EQ(numbers()[2], 45);
}

TEST_F(ScoreKeys, OctaveDownOnASelectionChangesOnlyWhatFits) {
  load(1, {{50, "4"}, {0, "4"}, {60, "4"}});
  setCursor(0);
  press(vk::End, vk::kShift);
  ASSERT_EQ(header().selLength, 3);
  press(vk::Next); // Page Down
  EXPECT_EQ(numbers(), std::vector<int>({50, 0, 48}));
  press(vk::Prior);
  EXPECT_EQ(numbers(), std::vector<int>({62, 0, 60}));
}

TEST_F(ScoreKeys, PitchChangeAtCursorZeroDoesNothing) {
  load(1, {{60, "4"}});
  setCursor(0);
  const ScoreKeyOutcome out = press(vk::Up, vk::kAlt);
  EXPECT_FALSE(out.snapshot);
  EXPECT_FALSE(out.dirty);
  EXPECT_EQ(numbers(), std::vector<int>({60}));
}

TEST_F(ScoreKeys, ShiftArrowsGrowAndShrinkTheSelection) {
  load(1, {{60, "4"}, {62, "4"}, {64, "4"}, {65, "4"}, {67, "4"}, {69, "4"}});
  setCursor(3);
  press(vk::Right, vk::kShift);
  press(vk::Right, vk::kShift);
  press(vk::Left, vk::kShift);
  EXPECT_EQ(header().selStart, 3);
  EXPECT_EQ(header().selLength, 1);
  EXPECT_EQ(header().cursor, 4);
  // From the left end it grows to the left.
  setCursor(2);
  header().selLength = 0;
  press(vk::Left, vk::kShift);
  press(vk::Left, vk::kShift);
  EXPECT_EQ(header().selStart, 0);
  EXPECT_EQ(header().selLength, 2);
  EXPECT_EQ(header().cursor, 0);
  press(vk::Left, vk::kShift); // at 0: nothing
  EXPECT_EQ(header().selLength, 2);
  press(vk::Right, vk::kShift); // shrink from the left
  EXPECT_EQ(header().selStart, 1);
  EXPECT_EQ(header().selLength, 1);
  press(vk::Right); // to the right end, cleared
  EXPECT_EQ(header().cursor, 2);
  EXPECT_EQ(header().selLength, 0);
}

TEST_F(ScoreKeys, ShiftArrowsStopAtTheEnds) {
  load(1, {{60, "4"}});
  setCursor(1);
  press(vk::Right, vk::kShift);
  EXPECT_EQ(header().selLength, 0);
  setCursor(0);
  press(vk::Left, vk::kShift);
  EXPECT_EQ(header().selLength, 0);
}

TEST_F(ScoreKeys, HomeAndEndSelect) {
  load(1, {{60, "4"}, {62, "4"}, {64, "4"}, {65, "4"}});
  setCursor(2);
  press(vk::Home, vk::kShift);
  EXPECT_EQ(header().selStart, 0);
  EXPECT_EQ(header().selLength, 2);
  EXPECT_EQ(header().cursor, 0);
  press(vk::End, vk::kShift); // from the selection's left end
  EXPECT_EQ(header().selStart, 0);
  EXPECT_EQ(header().selLength, 4);
  EXPECT_EQ(header().cursor, 4);
  press(vk::Home);
  EXPECT_EQ(header().selLength, 0);
  EXPECT_EQ(header().cursor, 0);
  press(vk::End);
  EXPECT_EQ(header().cursor, 4);
  press(vk::Left);
  press(vk::Left, vk::kShift);
  press(vk::Left);
  EXPECT_EQ(header().cursor, 2); // the selection's left end
  EXPECT_EQ(header().selLength, 0);
}

TEST_F(ScoreKeys, CtrlArrowsMoveByBars) {
  // Eight quarters: two bars of 4/4.
  load(1, {{60, "4"}, {60, "4"}, {60, "4"}, {60, "4"}, {60, "4"}, {60, "4"}, {60, "4"}, {60, "4"}});
  setCursor(1);
  press(vk::Right, vk::kCtrl);
  EXPECT_EQ(header().cursor, 5); // tick 480 + 1920
  press(vk::Right, vk::kCtrl);
  EXPECT_EQ(header().cursor, 7); // the last element before the end element
  press(vk::Left, vk::kCtrl);
  EXPECT_EQ(header().cursor, 3); // first at or after 3360 - 1920
  press(vk::Left, vk::kCtrl);
  EXPECT_EQ(header().cursor, 0);
}

TEST_F(ScoreKeys, UpAndDownMoveBetweenPartsByTime) {
  load(1, {{60, "4"}, {60, "4"}, {60, "4"}}); // 0, 480, 960
  load(2, {{60, "2"}, {60, "8"}, {60, "8"}}); // 0, 960, 1200
  setCursor(1, 1);                            // tick 480
  ScoreKeyOutcome out = press(vk::Down);
  EXPECT_EQ(header(1).partNumber, 2);
  EXPECT_EQ(song.currentPart, 2);
  EXPECT_EQ(header(2).cursor, 1); // first at or after 480: tick 960
  setCursor(2, 2);                // tick 1200
  press(vk::Up, vk::kCtrl);
  EXPECT_EQ(header(1).partNumber, 1);
  EXPECT_EQ(header(1).cursor, 2); // last at or before 1200: tick 960
  out = press(vk::Up);
  EXPECT_EQ(out.scroll, VerticalScroll::ToMinimum);
  EXPECT_EQ(header(1).partNumber, 1);
  press(vk::Down, vk::kShift); // Shift and Alt do nothing
  EXPECT_EQ(header(1).partNumber, 1);
  header(1).partNumber = 3; // an empty part: the end element
  press(vk::Down);
  EXPECT_EQ(header(1).partNumber, 4);
  EXPECT_EQ(header(4).cursor, 0);
}

TEST_F(ScoreKeys, DownOnPart16StaysAndScrolls) {
  header(1).partNumber = 16;
  EXPECT_EQ(press(vk::Down).scroll, VerticalScroll::ToMaximum);
  EXPECT_EQ(header(1).partNumber, 16);
}

TEST_F(ScoreKeys, BackspaceDeletesTheNoteBeforeTheCursor) {
  load(1, {{60, "4"}, {62, "8"}, {64, "4"}});
  setCursor(2);
  const ScoreKeyOutcome out = press(vk::Back);
  EXPECT_TRUE(out.snapshot);
  EXPECT_EQ(numbers(), std::vector<int>({60, 64}));
  EXPECT_EQ(header().cursor, 1);
  EXPECT_EQ(part().score[1].start, 480); // later notes moved back
  EXPECT_EQ(part().count, 2);            // the note list follows
  // The backup in part 18 holds the part before the deletion, cursor after the note.
  EXPECT_EQ(song.part(kBackupPart).scoreHeader.count, 3);
  EXPECT_EQ(song.part(kBackupPart).scoreHeader.cursor, 2);
  setCursor(0);
  EXPECT_FALSE(press(vk::Back).snapshot);
  EXPECT_EQ(numbers().size(), 2u);
}

TEST_F(ScoreKeys, BackspaceDeletesTheSelection) {
  load(1, {{60, "4"}, {62, "8"}, {64, "4"}, {65, "2"}});
  setCursor(1);
  press(vk::Right, vk::kShift);
  press(vk::Right, vk::kShift);
  press(vk::Back);
  EXPECT_EQ(numbers(), std::vector<int>({60, 65}));
  EXPECT_EQ(header().selLength, 0);
  EXPECT_EQ(header().cursor, 1);
  EXPECT_EQ(part().score[1].start, 480);
}

TEST_F(ScoreKeys, ShortcutsRunMenuCommands) {
  load(1, {{60, "4"}});
  EXPECT_EQ(press(vk::Right, vk::kAlt).command, ScoreCommand::Longer);
  EXPECT_EQ(press(vk::Left, vk::kAlt).command, ScoreCommand::Shorter);
  EXPECT_EQ(press('T').command, ScoreCommand::Tie);
  EXPECT_EQ(press(vk::Space).command, ScoreCommand::PlayAll);
  EXPECT_EQ(press('S').command, ScoreCommand::SoloPlay);
  EXPECT_EQ(press('M').command, ScoreCommand::MeasurePlay);
  // A shortcut moved onto a letter runs first, then the letter still types.
  options.shortCuts[static_cast<std::size_t>(ShortCutAction::Tie)] = 'C';
  const ScoreKeyOutcome out = press('C');
  EXPECT_EQ(out.command, ScoreCommand::Tie);
  EXPECT_EQ(numbers().size(), 2u);
}

TEST_F(ScoreKeys, WhilePlayingOnlyTheStopKeyCounts) {
  options.playing = true;
  EXPECT_EQ(press(vk::Space).command, ScoreCommand::StopPlay);
  EXPECT_EQ(press('C').command, ScoreCommand::None);
  EXPECT_TRUE(numbers().empty());
  EXPECT_EQ(press(vk::Space, vk::kShift).command, ScoreCommand::StopPlay);
}

TEST_F(ScoreKeys, ModifierKeysAloneMatchNothing) {
  options.shortCuts[0] = 256; // Shift with no key
  const ScoreKeyOutcome out = press(vk::ShiftKey, vk::kShift);
  EXPECT_TRUE(out.feedback);
  EXPECT_TRUE(out.changed == false);
}

TEST_F(ScoreKeys, CursorTimeText) {
  load(1, {{60, "4"}, {60, "4"}, {60, "4"}, {60, "4"}, {60, "4"}, {60, "8"}, {60, "16"}});
  setCursor(7); // tick 480 * 5 + 240 + 120 = 2760
  EXPECT_EQ(CursorTimeText(song, true), "02:2:36");
  song.setTempo(TempoChoice::Fast); // 146 bpm
  // 2760 ticks at 60000/146/480 ms: 2363.0 ms -> 236 cs
  EXPECT_EQ(CursorTimeText(song, false), "0:02:36");
}

} // namespace
} // namespace pipora
