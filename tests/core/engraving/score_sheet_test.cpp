// Clefs, keys, rows and spacing of the whole score, and the check that nothing collides
// over random songs and the real MIDI corpus.
#include "core/engraving/engraving_fixture.h"
#include "engraving/collisions.h"
#include "engraving/key_signature.h"
#include "session/midi_files.h"

#include <QDirIterator>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace pipora {
namespace {

using engraving_test::ScoreOf;
using engraving_test::SongOf;

Song SongOfParts(std::initializer_list<std::pair<int, std::vector<int>>> parts) {
  Song song;
  for (const auto &[part, numbers] : parts)
    for (int n : numbers)
      InsertNote(song, part, song.part(part).count, n, "4", "");
  RecalcTimes(song);
  BuildScoreList(song);
  return song;
}

struct ClefRow {
  const char *name;
  std::vector<int> notes;
  Clef chosen;
  Clef expected;
};

class Clefs : public ::testing::TestWithParam<ClefRow> {};

TEST_P(Clefs, FewerLedgerLinesTakeTheClefUnlessChosen) {
  Song song = SongOfParts({{1, GetParam().notes}});
  song.display.clefs[1] = GetParam().chosen;
  EXPECT_EQ(ClefOf(song, 1), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Clefs,
    ::testing::Values(
        ClefRow{"melody", {60, 64, 67, 72}, Clef::Automatic, Clef::Treble},
        ClefRow{"cello", {36, 43, 48, 62}, Clef::Automatic, Clef::Bass},
        // C3 and D3 need four ledger lines each under the treble staff; C4
        // and D4 one each over the bass staff.
        ClefRow{"halfAndHalf", {48, 50, 60, 62}, Clef::Automatic, Clef::Bass},
        // Four ledger lines over the bass staff, none on the treble one.
        ClefRow{"mostlyLowButHighReach", {55, 55, 57, 79, 81}, Clef::Automatic, Clef::Treble},
        ClefRow{"tieTakesTreble", {60, 60}, Clef::Automatic, Clef::Treble},
        // Rests need no ledger lines on either staff.
        ClefRow{"melodyWithRests", {72, 0, 0, 0, 0, 76}, Clef::Automatic, Clef::Treble},
        ClefRow{"chosenTreble", {36, 40}, Clef::Treble, Clef::Treble},
        ClefRow{"chosenBass", {72, 76}, Clef::Bass, Clef::Bass}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Clefs, BassClefPutsMiddleCAboveTheStaff) {
  // C4 sits on a ledger line above the bass staff; G2 on its bottom line.
  EXPECT_EQ(HeadCentreOf(0, Clef::Bass), kStaffTopLine - kStaffLineGap);
  EXPECT_EQ(LedgerLines(0, Clef::Bass), std::vector<int>{kStaffTopLine - kStaffLineGap});
  EXPECT_EQ(HeadCentreOf(-60, Clef::Bass), kStaffTopLine + 4 * kStaffLineGap);
  EXPECT_TRUE(LedgerLines(-60, Clef::Bass).empty());
}

struct KeyRow {
  const char *name;
  std::vector<int> notes;
  KeySignature expected;
};

class Keys : public ::testing::TestWithParam<KeyRow> {};

TEST_P(Keys, InferredFromThePitchClasses) {
  EXPECT_EQ(InferKey(SongOfParts({{3, GetParam().notes}})), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Keys,
    ::testing::Values(
        KeyRow{"cMajorScale", {60, 62, 64, 65, 67, 69, 71, 72, 67, 64, 60}, {0, false}},
        // The Fugue's subject: D minor with its raised seventh.
        KeyRow{"dMinor", {62, 64, 65, 67, 69, 70, 61, 62, 69, 65, 62, 57}, {-1, true}},
        KeyRow{"aFlatMajor", {68, 70, 72, 73, 75, 77, 79, 80, 75, 72, 68}, {-4, false}},
        KeyRow{"noNotes", {}, {0, false}},
        // A few white notes typed so far: no signature they do not ask for.
        KeyRow{"twoWhiteNotes", {60, 64}, {0, false}},
        KeyRow{"whiteKeysInAMinor", {69, 72, 76, 69, 64, 69, 71, 69}, {0, true}}),
    [](const auto &info) { return std::string(info.param.name); });

struct SpellingRow {
  const char *name;
  KeySignature key;
  int pitchClass;
  const char *label;
  float position;
};

class Spellings : public ::testing::TestWithParam<SpellingRow> {};

TEST_P(Spellings, FollowTheKey) {
  const StaffLabelTable table = SpelledLabels(DefaultStaffLabels(), GetParam().key);
  const StaffLabelRow &row = table[static_cast<std::size_t>(GetParam().pitchClass)];
  EXPECT_EQ(row.label, GetParam().label);
  EXPECT_EQ(row.position, GetParam().position);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Spellings,
    ::testing::Values(SpellingRow{"aFlatInAFlatMajor", {-4, false}, 8, "ラb", 30},
                      SpellingRow{"dFlatInAFlatMajor", {-4, false}, 1, "レb", 6},
                      SpellingRow{"leadingToneOfDMinor", {-1, true}, 1, "ド#", 0},
                      SpellingRow{"bFlatOfDMinor", {-1, true}, 10, "シb", 36},
                      SpellingRow{"gSharpInEMajor", {4, false}, 8, "ソ#", 24},
                      SpellingRow{"cFlatInGFlatMajor", {-6, false}, 11, "ドb", 42},
                      SpellingRow{"cMajorKeepsTheTable", {0, false}, 3, "ミb", 12}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(KeySignatures, AccidentalsOnlyWhereTheKeyDoesNotGiveThem) {
  // D minor: B flat needs none, B natural a natural, the leading tone C sharp its sharp.
  const Song song = SongOf({{70, "4"}, {71, "4"}, {61, "4"}, {62, "4"}});
  const KeySignature dMinor{-1, true};
  const StaffLabelTable table = SpelledLabels(DefaultStaffLabels(), dMinor);
  EXPECT_EQ(PrintedAccidentals(ScoreOf(song), 0, 3, song.measureTicks(), table, dMinor.fifths),
            (std::vector<Accidental>{Accidental::None, Accidental::Natural, Accidental::Sharp,
                                     Accidental::None}));
}

TEST(SheetRows, GrowForLedgerLinesAndSkipHiddenParts) {
  Song song = SongOfParts({{1, {96, 98, 60}}, {4, {40, 43}}});
  const SheetOptions options;
  const ScoreSheet plain(song, options, DefaultStaffLabels());
  const StaffBand usual = BandOf(options.staffDistance);
  // C7 and D7 in the treble clef need room above the usual band.
  EXPECT_LT(plain.row(1).band.top, usual.top);
  EXPECT_EQ(plain.row(4).clef, Clef::Bass);
  EXPECT_EQ(plain.row(2).top + plain.row(2).band.top, plain.row(1).top + plain.row(1).band.bottom);
  song.display.hideEmptyParts = true;
  const ScoreSheet hidden(song, options, DefaultStaffLabels());
  EXPECT_FALSE(hidden.row(2).shown);
  EXPECT_TRUE(hidden.row(4).shown);
  EXPECT_EQ(hidden.row(4).top + hidden.row(4).band.top,
            hidden.row(1).top + hidden.row(1).band.bottom);
  EXPECT_EQ(hidden.partAtY(hidden.row(4).top + kStaffTopLine), 4);
}

TEST(SheetSpacing, LongerNotesTakeMoreRoomButNotInProportion) {
  const Song song = SongOf({{60, "16"}, {62, "16"}, {64, "8"}, {65, "4"}, {67, "2"}, {69, "4"}});
  const ScoreSheet sheet(song, SheetOptions{}, DefaultStaffLabels());
  auto room = [&](int j) {
    const auto s = ScoreOf(song);
    return sheet.xOfTick(s[std::size_t(j + 1)].start) - sheet.xOfTick(s[std::size_t(j)].start);
  };
  EXPECT_LT(room(0), room(2));
  EXPECT_LT(room(2), room(3));
  EXPECT_LT(room(3), room(4));
  EXPECT_LT(room(4), 4 * room(3)); // a half is not eight sixteenths wide
  EXPECT_GE(room(0), EngravingMetrics{}.headWidth + EngravingMetrics{}.noteGap);
  // The note-spacing command still widens.
  SheetOptions wide;
  wide.quarterWidth = 80;
  EXPECT_GT(ScoreSheet(song, wide, DefaultStaffLabels()).endX(), sheet.endX());
}

TEST(WholeBarRests, OneRestInTheMiddleOfAnEmptyMeasure) {
  const Song song = SongOf({{60, "2"}, {60, "2"}, {0, "2"}, {0, "2"}, {62, "2"}});
  EngravingView view;
  view.width = 2000;
  const EngravedPart part = engraving_test::LayOut(song, view);
  ASSERT_GE(part.notes.size(), 5u);
  EXPECT_TRUE(part.notes[2].wholeBarRest);
  EXPECT_TRUE(part.notes[3].hidden);
  // Between the measure's bar lines, not where the first half rest began.
  EXPECT_GT(part.notes[2].x, part.notes[1].x + 2 * EngravingMetrics{}.headWidth);
  EXPECT_LT(part.notes[2].x, part.notes[4].x - EngravingMetrics{}.headWidth);
  EXPECT_FALSE(part.notes[0].wholeBarRest);
}

TEST(EngravingRange, ElementsUpToTheRightEdgeAreLaidOut) {
  // Sixteenths a head and a gap apart: every one left of the right edge is laid out.
  Song song;
  for (int i = 0; i < 400; ++i)
    AppendNote(song, 1, 60 + i % 12, "16", "");
  RecalcTimes(song);
  BuildScoreList(song);
  const ScoreSheet sheet(song, SheetOptions{}, DefaultStaffLabels());
  EngravingView view;
  view.scrollX = 300;
  view.width = 700;
  const EngravedPart part = LayOutPart(song, 1, view, sheet, EngravingMetrics{});
  ASSERT_FALSE(part.notes.empty());
  int last = -1;
  for (const EngravedNote &n : part.notes)
    last = std::max(last, n.index);
  EXPECT_GE(sheet.xOfTick(ScoreOf(song)[std::size_t(last)].start) - view.scrollX, view.width);
}

TEST(EngravingRange, ABarStartingJustLeftOfTheRightEdgeIsLaidOut) {
  // The visited range is widened to whole measures, so only a measure whose first head lies
  // within a cell left of the edge, after another head, shows whether the edge is counted
  // with its margin.
  Song song;
  for (int i = 0; i < 24; ++i)
    AppendNote(song, 1, 60 + i % 8, "8", "");
  RecalcTimes(song);
  BuildScoreList(song);
  const ScoreSheet sheet(song, SheetOptions{}, DefaultStaffLabels());
  const int thirdBar = 2 * song.measureTicks();
  EngravingView view;
  view.width = static_cast<int>(sheet.xOfTick(thirdBar)) + 5;
  ASSERT_GT(sheet.xOfTick(thirdBar - kTicksPerQuarter / 2), view.width - kCellWidth);
  const EngravedPart part = LayOutPart(song, 1, view, sheet, EngravingMetrics{});
  EXPECT_TRUE(std::any_of(part.notes.begin(), part.notes.end(), [&](const EngravedNote &n) {
    return ScoreOf(song)[static_cast<std::size_t>(n.index)].start == thirdBar;
  }));
}

// Every window of the song laid out as the editor would: no two symbols of a staff overlap
// and nothing leaves the part's row.
// A window keeps its sheet while the fingerprint of what it was laid out from stays the
// same: every input the layout reads must change it, or the score would show stale notes.
struct FingerprintRow {
  const char *name;
  void (*change)(Song &song, SheetOptions &options, StaffLabelTable &table);
};

class SheetFingerprints : public ::testing::TestWithParam<FingerprintRow> {};

TEST_P(SheetFingerprints, ChangeWithEveryInputOfTheLayout) {
  Song song = SongOfParts({{1, {60, 62, 64}}, {2, {48, 50}}});
  SheetOptions options;
  StaffLabelTable table = DefaultStaffLabels();
  const std::uint64_t before = SheetInputsFingerprint(song, options, table);
  EXPECT_EQ(SheetInputsFingerprint(song, options, table), before);
  GetParam().change(song, options, table);
  EXPECT_NE(SheetInputsFingerprint(song, options, table), before);
}

INSTANTIATE_TEST_SUITE_P(
    Layout, SheetFingerprints,
    ::testing::Values(
        FingerprintRow{"APitch", [](Song &s, SheetOptions &,
                                    StaffLabelTable &) { s.part(1).score[1].noteNumber = 63; }},
        FingerprintRow{"ATie", [](Song &s, SheetOptions &,
                                  StaffLabelTable &) { s.part(2).score[0].tie = -1; }},
        FingerprintRow{"ANoteAdded",
                       [](Song &s, SheetOptions &, StaffLabelTable &) {
                         InsertNote(s, 3, 0, 72, "8", "");
                         RecalcTimes(s);
                         BuildScoreList(s);
                       }},
        FingerprintRow{"TheCurrentPart",
                       [](Song &s, SheetOptions &, StaffLabelTable &) {
                         s.part(1).scoreHeader.partNumber = 2;
                       }},
        FingerprintRow{"AChosenClef", [](Song &s, SheetOptions &,
                                         StaffLabelTable &) { s.display.clefs[2] = Clef::Treble; }},
        FingerprintRow{"AChosenKey",
                       [](Song &s, SheetOptions &, StaffLabelTable &) {
                         s.display.key = KeySignature{-2, false};
                       }},
        FingerprintRow{
            "HiddenEmptyParts",
            [](Song &s, SheetOptions &, StaffLabelTable &) { s.display.hideEmptyParts = true; }},
        FingerprintRow{"TheTimeSignature",
                       [](Song &s, SheetOptions &, StaffLabelTable &) { s.beatsPerMeasure = 3; }},
        FingerprintRow{"TheNoteWidth",
                       [](Song &, SheetOptions &o, StaffLabelTable &) { o.quarterWidth += 10; }},
        FingerprintRow{"TheClassicDrawing",
                       [](Song &, SheetOptions &o, StaffLabelTable &) { o.proportional = true; }},
        FingerprintRow{"ALabel",
                       [](Song &, SheetOptions &, StaffLabelTable &t) { t[1].label = "レb"; }}),
    [](const auto &info) { return std::string(info.param.name); });

void ExpectClean(const Song &song, const std::string &name) {
  EngravingMetrics m;
  for (std::size_t c = 0; c < 12; ++c)
    m.labelWidth[c] = c % 2 ? 22 : 14;
  const ScoreSheet sheet(song, SheetOptions{}, DefaultStaffLabels(), m);
  const int width = 1200;
  int reported = 0;
  // Later starts stand further right, whichever parts they are in.
  std::vector<int> starts;
  for (int part = 1; part <= kUserParts; ++part)
    for (int j = 0; j <= song.part(part).scoreHeader.count; ++j)
      starts.push_back(song.part(part).score[static_cast<std::size_t>(j)].start);
  std::sort(starts.begin(), starts.end());
  for (std::size_t k = 1; k < starts.size(); ++k)
    if (starts[k] > starts[k - 1] && !(sheet.xOfTick(starts[k]) > sheet.xOfTick(starts[k - 1])) &&
        ++reported < 5)
      ADD_FAILURE() << name << ": tick " << starts[k] << " is not right of " << starts[k - 1];
  for (int part = 1; part <= kUserParts; ++part) {
    if (!sheet.row(part).shown)
      continue;
    for (double from = sheet.firstX() - sheet.headerWidth(); from < sheet.endX(); from += width) {
      EngravingView view;
      view.scrollX = static_cast<int>(from);
      view.width = width;
      const EngravedPart laid = LayOutPart(song, part, view, sheet, m);
      std::vector<double> bars;
      const int measure = song.measureTicks();
      for (int t = sheet.tickAtX(from) / measure * measure; t >= 0 && measure > 0; t += measure) {
        const double x = sheet.barLineX(t) - view.scrollX;
        if (x > width)
          break;
        if (t > 0)
          bars.push_back(x);
      }
      const std::vector<InkBox> boxes = InkBoxes(laid, m, bars);
      for (const std::string &c : Collisions(boxes))
        if (++reported < 5)
          ADD_FAILURE() << name << " part " << part << " at " << from << ": " << c;
      for (const InkBox &b : boxes)
        if ((b.top < laid.band.top || b.bottom > laid.band.bottom) && ++reported < 5)
          ADD_FAILURE() << name << " part " << part << ": ink at y " << b.top << ".." << b.bottom
                        << " outside the row " << laid.band.top << ".." << laid.band.bottom;
    }
  }
}

TEST(Collisions, RandomSongsEngraveCleanly) {
  std::mt19937 random(26);
  const std::vector<std::string> lengths = {"16", "8", "4", "2", "1", "83", "43", "8.", "4."};
  for (int round = 0; round < 60; ++round) {
    Song song;
    for (int part = 1; part <= 2 + round % 3; ++part) {
      const int low = 30 + static_cast<int>(random() % 40);
      for (int i = 0; i < 120; ++i) {
        const std::string &length = lengths[random() % lengths.size()];
        const int number = random() % 6 == 0 ? 0 : low + static_cast<int>(random() % 30);
        const bool tie = number > 0 && random() % 8 == 0;
        AppendNote(song, part, number, tie ? length + "_" : length, "");
      }
    }
    RecalcTimes(song);
    BuildScoreList(song);
    ExpectClean(song, "random song " + std::to_string(round));
  }
}

TEST(Collisions, CorpusEngravesCleanly) {
  const QString dir = QStringLiteral(PIPORAPAD_SOURCE_DIR) + "/tests/data/midi-corpus";
  QDirIterator it(dir, {"*.mid"}, QDir::Files, QDirIterator::Subdirectories);
  int files = 0;
  while (it.hasNext()) {
    const QString file = it.next();
    Song song;
    if (!ImportMidiFile(song, file, MidiImportOptions{}))
      continue;
    ++files;
    ExpectClean(song, file.toStdString());
  }
  EXPECT_GT(files, 30);
}

} // namespace
} // namespace pipora
