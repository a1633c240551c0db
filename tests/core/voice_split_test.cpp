// Sharing a channel's voices among parts, and the speed chosen for an imported song.
#include "editing/import_speed.h"
#include "formats/midi/voice_split.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pipora {
namespace {

struct VoiceRow {
  const char *name;
  ChordHandling mode;
  std::vector<int> usedParts; // channels sounding throughout besides the notes' own
  std::vector<SplitNote> notes;
  std::vector<int> parts; // expected, per note; 0 = dropped
};

class VoiceSplit : public ::testing::TestWithParam<VoiceRow> {};

TEST_P(VoiceSplit, GivesEachNoteItsPart) {
  const VoiceRow &row = GetParam();
  std::vector<SplitNote> notes = row.notes;
  for (const int p : row.usedParts)
    notes.push_back({1, p, 40, 0, 100000});
  std::array<bool, 17> used{};
  for (const SplitNote &n : notes)
    used[static_cast<std::size_t>(n.channel)] = true;
  AssignParts(notes, row.mode, used);
  std::vector<int> parts;
  for (std::size_t i = 0; i < row.notes.size(); ++i)
    parts.push_back(notes[i].part);
  EXPECT_EQ(parts, row.parts);
}

// track, channel, key, on, off
SplitNote N(int channel, int key, std::int64_t on, std::int64_t off) {
  return {1, channel, key, on, off};
}

std::vector<int> AllPartsBut10() {
  return {2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16};
}

INSTANTIATE_TEST_SUITE_P(
    Rows, VoiceSplit,
    ::testing::Values(
        // the top note stays, the lowest voice takes the first free part, the inner the next
        VoiceRow{"ThreeNoteChordSpreads",
                 ChordHandling::Spread,
                 {},
                 {N(1, 60, 0, 480), N(1, 64, 0, 480), N(1, 67, 0, 480)},
                 {2, 3, 1}},
        // a voice's short note inside the legato of the note before it takes no time of its
        // own there: the part stays busy until that note ends, so another channel's voice
        // starting under it goes elsewhere
        VoiceRow{"ANoteInsideItsVoicesLegatoKeepsThePartBusyToItsEnd",
                 ChordHandling::Spread,
                 {},
                 {N(1, 72, 0, 960), N(1, 48, 0, 480), N(1, 47, 440, 470), N(2, 80, 0, 960),
                  N(2, 55, 470, 960)},
                 {1, 3, 3, 2, 4}},
        VoiceRow{"ShortLegatoStaysInThePart",
                 ChordHandling::Spread,
                 {},
                 {N(1, 60, 0, 520), N(1, 62, 480, 960)},
                 {1, 1}},
        VoiceRow{"LongOverlapIsAVoice",
                 ChordHandling::Spread,
                 {},
                 {N(1, 60, 0, 700), N(1, 62, 480, 960)},
                 {1, 2}},
        VoiceRow{"HeldBassUnderMovingMelody",
                 ChordHandling::Spread,
                 {2},
                 {N(1, 48, 0, 1920), N(1, 64, 0, 480), N(1, 65, 480, 960), N(1, 67, 960, 1920)},
                 {3, 1, 1, 1}},
        // two tracks on one channel are one stream: the lower note is a voice of it
        VoiceRow{"TwoTracksOfAChannelAreItsVoices",
                 ChordHandling::Spread,
                 {},
                 {SplitNote{1, 1, 72, 0, 480}, SplitNote{2, 1, 60, 0, 960}},
                 {1, 2}},
        // no part is free (part 10 plays drums): only the top note stays
        VoiceRow{"PartsRunOut",
                 ChordHandling::Spread,
                 AllPartsBut10(),
                 {N(1, 60, 0, 480), N(1, 64, 0, 480), N(1, 67, 0, 480)},
                 {0, 0, 1}},
        // a voice's notes go where a part is free at their time
        VoiceRow{"SilentChannelLendsItsPart",
                 ChordHandling::Spread,
                 {3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16},
                 {N(1, 60, 0, 480), N(1, 67, 0, 480), N(2, 50, 960, 1440)},
                 {2, 1, 2}},
        VoiceRow{"VoicesOfTwoChannelsShareAFreePart",
                 ChordHandling::Spread,
                 {4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16},
                 {N(1, 60, 0, 480), N(1, 67, 0, 480), N(2, 50, 960, 1440), N(2, 55, 960, 1440)},
                 {3, 1, 3, 2}},
        VoiceRow{"VoiceMovesWhereItsPartIsTaken",
                 ChordHandling::Spread,
                 {5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16},
                 {N(1, 67, 0, 960), N(1, 60, 480, 960), N(2, 55, 0, 960), N(2, 50, 0, 480),
                  N(2, 52, 480, 960), N(4, 40, 960, 1440)},
                 {1, 3, 2, 3, 4, 4}},
        VoiceRow{"VoiceKeepsItsPartOverALegato",
                 ChordHandling::Spread,
                 {4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16},
                 {N(1, 72, 0, 960), N(1, 60, 0, 500), N(1, 62, 480, 960)},
                 {1, 2, 2}},
        // no part free for all of it: one free for its first eighth, cut where that part's
        // next note of another key starts
        VoiceRow{"VoiceCutWherePartIsFreeOnlyAtItsStart",
                 ChordHandling::Spread,
                 {3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16},
                 {N(1, 72, 0, 960), N(1, 60, 0, 960), N(2, 50, 480, 960)},
                 {1, 2, 2}},
        VoiceRow{"VoiceNotCutByANoteOfItsOwnKey",
                 ChordHandling::Spread,
                 {3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16},
                 {N(1, 72, 0, 960), N(1, 60, 0, 960), N(2, 60, 480, 960)},
                 {1, 0, 2}},
        VoiceRow{"TopKeepsTheHighestNote",
                 ChordHandling::Top,
                 {},
                 {N(1, 60, 0, 480), N(1, 67, 0, 480), N(1, 64, 0, 480), N(1, 72, 960, 1440)},
                 {0, 1, 0, 1}},
        // a chord on channel 10 (kept as drums) spreads too, never into part 10
        VoiceRow{"DrumChordSpreadsOutsidePart10",
                 ChordHandling::Spread,
                 {},
                 {N(10, 36, 0, 120), N(10, 42, 0, 120)},
                 {1, 10}}),
    [](const ::testing::TestParamInfo<VoiceRow> &info) { return std::string(info.param.name); });

struct SpeedRow {
  const char *name;
  double fileRate;
  bool canDouble;
  bool canHalve;
  TempoChoice tempo;
  LengthScale scale;
  double difference;
};

class SpeedChoice : public ::testing::TestWithParam<SpeedRow> {};

TEST_P(SpeedChoice, NearestStepAndScale) {
  const SpeedRow &row = GetParam();
  const ImportSpeed speed = ChooseSpeed(row.fileRate, row.canDouble, row.canHalve);
  EXPECT_EQ(speed.tempo, row.tempo);
  EXPECT_EQ(speed.scale, row.scale);
  EXPECT_NEAR(speed.difference, row.difference, 0.05);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SpeedChoice,
    ::testing::Values(
        SpeedRow{"FugueAt84", 84, true, true, TempoChoice::Slow, LengthScale::One, 8.3},
        SpeedRow{"SixtyDoubles", 60, true, true, TempoChoice::Normal, LengthScale::Double, 1.4},
        SpeedRow{"SixtyWithoutDoubling", 60, false, true, TempoChoice::Slow, LengthScale::One,
                 51.7},
        SpeedRow{"TwoHundredHalves", 200, true, true, TempoChoice::SomewhatSlow, LengthScale::Half,
                 4.2},
        SpeedRow{"MidwayGoesToTheSlowerStep", 97.6, true, true, TempoChoice::Slow, LengthScale::One,
                 -6.8}),
    [](const ::testing::TestParamInfo<SpeedRow> &info) { return std::string(info.param.name); });

TEST(ImportSpeed, SummaryNamesTempoStepScaleAndDifference) {
  EXPECT_EQ(ImportSpeedText(ChooseSpeed(60, true, true)),
            "ファイルのテンポ 60、テンポ 121.7 ×2、速さの差 +1.4%");
}

} // namespace
} // namespace pipora
