#include "core/player_rig.h"
#include "model/position_text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace pipora {
namespace {

using testing::AddNotes;
using testing::PlayerRig;
using testing::RecordingHost;

constexpr double kNormalMsPerTick = 60000.0 / 121.7 / 480.0;

struct NoteEvent {
  bool on;
  int key;
  double time;
};

std::vector<NoteEvent> Simplify(const std::vector<RecordedMidiEvent> &events) {
  std::vector<NoteEvent> out;
  for (const auto &e : events)
    out.push_back({e.isNoteOn(), e.data1(), e.timeMs});
  return out;
}

TEST(Player, NotesOfAPartAlternateOnOffAtTheirTicks) {
  PlayerRig rig;
  AddNotes(rig.song, 1, {{60, "4"}, {62, "8"}, {64, "4"}});
  rig.player->playAll();
  const double t0 = 1000;
  rig.runUntil(t0 + 1200 * kNormalMsPerTick - 1);
  const auto events = Simplify(rig.notes(1));
  ASSERT_EQ(events.size(), 6u);
  const NoteEvent expected[] = {{true, 60, 0},    {false, 60, 460}, {true, 62, 480},
                                {false, 62, 700}, {true, 64, 720},  {false, 64, 1180}};
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(events[i].on, expected[i].on) << i;
    EXPECT_EQ(events[i].key, expected[i].key) << i;
    EXPECT_NEAR(events[i].time, t0 + expected[i].time * kNormalMsPerTick, 1.0) << i;
  }
}

TEST(Player, PreparationSendsProgramAndExpressionForEveryPart) {
  PlayerRig rig;
  AddNotes(rig.song, 3, {{60, "4"}});
  rig.song.part(3).tone = 19;
  rig.song.part(5).volume = 8;
  rig.player->playAll();
  const auto messages = rig.recorder->messages();
  ASSERT_GE(messages.size(), 17u);
  EXPECT_EQ(messages[0].status(), 0xC2);
  EXPECT_EQ(messages[0].data1(), 19);
  for (int n = 1; n <= 16; ++n) {
    const auto &m = messages[static_cast<std::size_t>(n)];
    EXPECT_EQ(m.status(), 0xB0 + n - 1);
    EXPECT_EQ(m.data1(), 11);
    EXPECT_EQ(m.data2(), n == 5 ? 127 : 96) << n;
  }
}

TEST(Player, TiedSamePitchSoundsAsOneNote) {
  PlayerRig rig;
  AddNotes(rig.song, 1, {{60, "4_"}, {60, "4"}, {62, "4"}});
  rig.player->playAll();
  rig.runUntil(1000 + 1400 * kNormalMsPerTick);
  const auto events = Simplify(rig.notes(1));
  ASSERT_GE(events.size(), 3u);
  EXPECT_TRUE(events[0].on);
  EXPECT_EQ(events[0].key, 60);
  EXPECT_FALSE(events[1].on);
  EXPECT_EQ(events[1].key, 60);
  EXPECT_NEAR(events[1].time, 1000 + 940 * kNormalMsPerTick, 1.0);
  EXPECT_TRUE(events[2].on);
  EXPECT_EQ(events[2].key, 62);
}

TEST(Player, TieBetweenDifferentPitchesPlaysBothNotes) {
  PlayerRig rig;
  AddNotes(rig.song, 1, {{60, "4_"}, {62, "4"}});
  rig.player->playAll();
  rig.runUntil(1000 + 950 * kNormalMsPerTick);
  const auto events = Simplify(rig.notes(1));
  ASSERT_EQ(events.size(), 4u);
  EXPECT_TRUE(events[0].on && events[0].key == 60);
  EXPECT_TRUE(!events[1].on && events[1].key == 60);
  EXPECT_TRUE(events[2].on && events[2].key == 62);
  EXPECT_TRUE(!events[3].on && events[3].key == 62);
}

TEST(Player, LevelMetersFollowNotesAndRestsThenReturnToVolumes) {
  PlayerRig rig;
  AddNotes(rig.song, 1, {{60, "4"}, {0, "4"}, {62, "4"}});
  rig.song.part(1).volume = 8;
  rig.song.part(2).volume = 3;
  rig.midi.setUniformSource([] { return 0.9999; }); // velocity 127
  rig.player->playAll();
  // At start every bar is a level meter reading 0.
  EXPECT_EQ(rig.host.barMaximum(2), 100);
  EXPECT_EQ(rig.host.barValue(2), 0);
  EXPECT_EQ(rig.host.barValue(1), 100); // the first note: volume 8, velocity 127
  rig.runUntil(1000 + 500 * kNormalMsPerTick);
  EXPECT_EQ(rig.host.barValue(1), 0); // the rest
  rig.runUntil(1000 + 980 * kNormalMsPerTick);
  EXPECT_EQ(rig.host.barValue(1), 100);
  rig.player->stop();
  EXPECT_EQ(rig.host.barValue(1), 8);
  EXPECT_EQ(rig.host.barValue(2), 3);
  EXPECT_EQ(rig.host.barMaximum(1), 8);
}

TEST(Player, SoloPlaySoundsOnlyTheCurrentPartButRunsToTheLongestEnd) {
  PlayerRig rig;
  AddNotes(rig.song, 1, {{60, "2"}, {62, "2"}, {64, "2"}});
  AddNotes(rig.song, 2, {{67, "4"}});
  rig.song.currentPart = 2;
  rig.player->playSolo();
  // Program changes still go to every part with notes.
  int programChanges = 0;
  for (const auto &m : rig.recorder->messages())
    programChanges += (m.status() & 0xF0) == 0xC0;
  EXPECT_EQ(programChanges, 2);
  rig.runUntil(1000 + 2800 * kNormalMsPerTick);
  for (const auto &e : rig.notes()) {
    if (e.isNoteOn()) {
      EXPECT_EQ(e.channel(), 2);
    }
  }
  // The second part sounds once, then stays silent until the longest part ends.
  EXPECT_EQ(rig.notes(2).size(), 2u);
  EXPECT_TRUE(rig.host.restarts.empty());
  rig.runUntil(1000 + 2880 * kNormalMsPerTick + 2);
  EXPECT_EQ(rig.host.restarts.size(), 1u);
}

TEST(Player, StartAtCursorSkipsElementsMoreThan200msEarly) {
  PlayerRig rig;
  AddNotes(rig.song, 1, {{60, "4"}, {62, "4"}, {64, "4"}, {65, "4"}, {67, "4"}, {69, "4"}});
  // The second part has a note starting 120 ticks (about 123 ms) before the cursor element.
  AddNotes(rig.song, 2, {{0, "4"}, {0, "4"}, {0, "4"}, {0, "8"}, {0, "16"}, {72, "16"}, {74, "4"}});
  rig.song.part(1).cursor = 4; // tick 1920
  rig.player->playAll();
  rig.runUntil(1000 + 500 * kNormalMsPerTick);
  const auto part1 = rig.notes(1);
  for (const auto &e : part1) {
    if (e.isNoteOn()) {
      EXPECT_GE(e.data1(), 67) << "a note before the cursor sounded";
    }
  }
  ASSERT_FALSE(part1.empty());
  const auto part2 = rig.notes(2);
  std::vector<int> onKeys;
  for (const auto &e : part2)
    if (e.isNoteOn())
      onKeys.push_back(e.data1());
  ASSERT_GE(onKeys.size(), 1u);
  EXPECT_EQ(onKeys[0], 72); // less than 200 ms early: sounds at once
}

TEST(Player, EachSkippedElementDelaysTheRunByOneMillisecond) {
  PlayerRig rig;
  AddNotes(rig.song, 1, {{60, "4"}, {62, "4"}, {64, "4"}, {65, "4"}, {67, "4"}});
  rig.song.part(1).cursor = 4;
  rig.player->playAll();
  rig.runUntil(1100);
  const auto on = rig.notes(1);
  ASSERT_FALSE(on.empty());
  EXPECT_TRUE(on.back().isNoteOn());
  EXPECT_EQ(on.back().data1(), 67);
  const double offset = std::nearbyint(1000 - 1920 * kNormalMsPerTick) + 4;
  EXPECT_DOUBLE_EQ(on.back().timeMs, offset + 1920 * kNormalMsPerTick);
}

TEST(Player, SongEndReleasesEveryPartAndRestartsFromTheFirstElement) {
  PlayerRig rig;
  AddNotes(rig.song, 1, {{60, "4"}, {62, "4_"}, {62, "4"}});
  AddNotes(rig.song, 2, {{48, "2"}});
  rig.song.part(1).cursor = 1; // the restart goes to the song's first element, not here
  rig.player->playAll();
  const double end = rig.player->run()->dueTime(1440);
  rig.runUntil(end + 5);
  ASSERT_EQ(rig.host.restarts.size(), 1u);
  const auto events = rig.recorder->messages();
  // Find the restart: the last note-offs for both parts, then part 1's first note again.
  std::vector<std::pair<int, int>> afterEnd;
  for (const auto &e : events)
    if (e.timeMs > end && (e.isNoteOn() || e.isNoteOff()))
      afterEnd.emplace_back(e.channel(), e.isNoteOn() ? e.data1() : -e.data1());
  const std::vector<std::pair<int, int>> expected = {{1, -62}, {2, -48}, {1, 60}, {2, 48}};
  EXPECT_EQ(afterEnd, expected);
}

TEST(Player, RunningPositionTexts) {
  PlayerRig rig;
  std::vector<std::pair<int, std::string>> notes(80, {60, "2"});
  AddNotes(rig.song, 1, notes);
  rig.player->playAll();
  rig.runUntil(1000 + 65300);
  EXPECT_EQ(rig.host.position(), "1:05:30");
  rig.player->stop();

  PlayerRig tick;
  AddNotes(tick.song, 1, notes);
  tick.host.options.isTick = true;
  tick.player->playAll();
  EXPECT_EQ(tick.host.position(), "01:1:00");
  tick.runUntil(1000 + 2400 * kNormalMsPerTick + 30);
  EXPECT_EQ(tick.host.position().substr(0, 4), "02:2");
}

struct TextCase {
  int value;
  const char *expected;
};

TEST(PositionText, TimeTable) {
  const TextCase cases[] = {
      {0, "0:00:00"}, {6530, "1:05:30"}, {99, "0:00:99"}, {6000, "1:00:00"}, {60000, "10:00:00"}};
  for (const auto &c : cases)
    EXPECT_EQ(TimeText(c.value), c.expected) << c.value;
  EXPECT_EQ(TimeTextSignBlank(0), " 0:00:00");
}

TEST(PositionText, MeasureTable) {
  const TextCase cases[] = {
      {0, "01:1:00"}, {2400, "02:2:00"}, {479, "01:1:47"}, {1920, "02:1:00"}, {-240, "01:1:-24"}};
  for (const auto &c : cases)
    EXPECT_EQ(MeasureText(c.value, 480, 4), c.expected) << c.value;
  EXPECT_EQ(MeasureText(1440, 480, 3), "02:1:00");
}

TEST(Player, StopRestoresInterfaceAndResetsTheDevice) {
  PlayerRig rig;
  AddNotes(rig.song, 1, {{60, "4"}, {62, "4"}});
  rig.player->playAll();
  EXPECT_TRUE(rig.player->playing());
  ASSERT_EQ(rig.host.locks, std::vector<bool>{true});
  rig.runUntil(1200);
  rig.player->stop();
  EXPECT_FALSE(rig.player->playing());
  EXPECT_FALSE(rig.play->active());
  EXPECT_EQ(rig.host.locks, (std::vector<bool>{true, false}));
  EXPECT_EQ(rig.host.lineEnds.size(), 1u);
  EXPECT_EQ(rig.host.position(), "0:00:00"); // the source editor's selected element
  const auto &events = rig.recorder->events();
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events.back().kind, RecordedMidiEvent::Kind::Close);
  EXPECT_EQ(events[events.size() - 2].kind, RecordedMidiEvent::Kind::Reset);
  // Nothing more is sent once stopped.
  const auto count = rig.recorder->events().size();
  rig.runUntil(5000);
  EXPECT_EQ(rig.recorder->events().size(), count);
}

TEST(Player, EmptySongDoesNotStart) {
  PlayerRig rig;
  rig.player->playAll();
  EXPECT_FALSE(rig.player->playing());
  EXPECT_TRUE(rig.host.locks.empty());
  EXPECT_FALSE(rig.play->active());
}

// Measure play starts a measure before the cursor, from its own start: the song's cursor is
// never moved, during the play or after it.
TEST(Player, MeasurePlayInFirstMeasureStartsAtFirstElementAndLeavesTheCursor) {
  PlayerRig rig;
  AddNotes(rig.song, 1, {{60, "4"}, {62, "4"}, {64, "4"}, {65, "4"}, {67, "4"}});
  rig.song.part(1).cursor = 2;
  BuildScoreList(rig.song);
  rig.player->playMeasure(rig.host.measurePart);
  EXPECT_EQ(rig.song.part(1).cursor, 2);
  const auto events = rig.notes(1);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events[0].data1(), 60);
  rig.runUntil(1300);
  rig.player->stop();
  EXPECT_EQ(rig.song.part(1).cursor, 2);
}

TEST(Player, MeasurePlayStartsOneMeasureBeforeTheCursor) {
  PlayerRig rig;
  std::vector<std::pair<int, std::string>> notes;
  for (int i = 0; i < 12; ++i)
    notes.emplace_back(60 + i, "4");
  AddNotes(rig.song, 1, notes);
  rig.song.part(1).cursor = 9; // tick 4320; one measure before is 2400, element 5
  BuildScoreList(rig.song);
  rig.player->playMeasure(rig.host.measurePart);
  EXPECT_EQ(rig.song.part(1).cursor, 9);
  // The first note sounded; the notes before it are only released.
  const auto firstSounded = [&](std::size_t from) {
    const auto events = rig.notes(1);
    for (std::size_t i = from; i < events.size(); ++i)
      if (events[i].isNoteOn() && events[i].data2() > 0)
        return events[i].data1();
    return -1;
  };
  rig.runUntil(rig.now + 50); // each note skipped delays the run by a millisecond
  EXPECT_EQ(firstSounded(0), 65);
  // A plain play after it starts from the cursor again.
  rig.player->stop();
  const std::size_t before = rig.notes(1).size();
  rig.player->playAll();
  rig.runUntil(rig.now + 50);
  EXPECT_EQ(firstSounded(before), 69);
}

struct MeasurePlayFromScoreCase {
  const char *name;
  int scoreCursor;
  int firstSounding;   // note number of the first note-on
  bool measure = true; // measure play, else play all
};

class MeasurePlayFromScore : public ::testing::TestWithParam<MeasurePlayFromScoreCase> {};

TEST_P(MeasurePlayFromScore, StartsFromTheScoreCursor) {
  Song song;
  double now = 1000;
  MidiOutput midi(std::make_unique<RecordingMidiBackend>([&] { return now; }, 1));
  RecordingHost host(song, now);
  auto playTimer = std::make_unique<ManualWakeTimer>();
  ManualWakeTimer *timer = playTimer.get();
  Player player(
      song, midi, host, [&] { return now; }, std::move(playTimer),
      std::make_unique<ManualWakeTimer>());
  // The score editor is active: preparing a play copies its cursor into the note lists.
  player.setPrepareHandler([&song] { BuildNoteList(song); });
  // Sixteen quarters of rising pitch: element i sounds note 60 + i.
  std::vector<std::pair<int, std::string>> notes;
  for (int i = 0; i < 16; ++i)
    notes.emplace_back(60 + i, "4");
  AddNotes(song, 1, notes);
  song.part(1).scoreHeader.partNumber = 1;
  song.part(1).scoreHeader.cursor = GetParam().scoreCursor;
  song.part(1).cursor = 0; // the note list's cursor is stale while the score editor is active
  if (GetParam().measure)
    player.playMeasure(1);
  else
    player.playAll();
  // Elements before the start are skipped one per pass; 50 ms later the first note sounds.
  for (int guard = 0; guard < 1000 && timer->due() <= now + 50; ++guard) {
    now = std::max(now, timer->due());
    timer->trigger();
  }
  const auto &recorder = static_cast<RecordingMidiBackend &>(midi.backend());
  // messages() returns a copy: keep the key, not a pointer into it.
  int firstKey = -1;
  for (const auto &e : recorder.messages())
    if (e.isNoteOn() && e.channel() == 1 && e.data2() > 0) {
      firstKey = e.data1();
      break;
    }
  ASSERT_NE(firstKey, -1);
  EXPECT_EQ(firstKey, GetParam().firstSounding);
  player.stop();
  EXPECT_EQ(song.part(1).cursor, std::min(GetParam().scoreCursor, 16));
}

INSTANTIATE_TEST_SUITE_P(Cursor, MeasurePlayFromScore,
                         ::testing::Values(MeasurePlayFromScoreCase{"TwelfthElement", 11, 60 + 7},
                                           MeasurePlayFromScoreCase{"AtTheEnd", 16, 60 + 12},
                                           MeasurePlayFromScoreCase{"InTheFirstMeasure", 2, 60},
                                           MeasurePlayFromScoreCase{"PlayAllAtTheScoreCursor", 11,
                                                                    60 + 11, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(Player, PlainPlayStopLeavesTheCursorAlone) {
  PlayerRig rig;
  AddNotes(rig.song, 1, {{60, "4"}, {62, "4"}, {64, "4"}});
  rig.song.part(1).cursor = 2;
  BuildScoreList(rig.song);
  rig.song.part(1).cursor = 1; // moved in the source editor since the score list was built
  rig.player->playAll();
  rig.player->stop();
  EXPECT_EQ(rig.song.part(1).cursor, 1);
}

TEST(Player, PlayLineMovesAtMostOncePer30ms) {
  PlayerRig rig;
  std::vector<std::pair<int, std::string>> notes(8, {60, "4"});
  AddNotes(rig.song, 1, notes);
  rig.player->playAll();
  rig.runUntil(3000);
  const auto &moves = rig.host.lineMoves;
  ASSERT_GT(moves.size(), 50u);
  EXPECT_EQ(moves[0].from, -10000);
  for (std::size_t i = 1; i < moves.size(); ++i) {
    EXPECT_GE(moves[i].time - moves[i - 1].time, 30.0 - 1e-9);
    EXPECT_EQ(moves[i].from, moves[i - 1].to);
    EXPECT_GT(moves[i].to, moves[i].from);
  }
}

TEST(Player, WithoutOutputDevicePlaybackStillRunsClockAndDisplay) {
  PlayerRig rig(/*devices=*/0);
  AddNotes(rig.song, 1, {{60, "4"}, {62, "4"}});
  rig.player->playAll();
  EXPECT_TRUE(rig.player->playing());
  rig.runUntil(1500);
  EXPECT_TRUE(rig.recorder->events().empty());
  EXPECT_FALSE(rig.host.lineMoves.empty());
  EXPECT_EQ(rig.host.position(), "0:00:50");
  rig.player->stop();
  EXPECT_FALSE(rig.player->playing());
}

TEST(Player, NothingIsSentBeforeItsDueTime) {
  PlayerRig rig;
  AddNotes(rig.song, 1, {{60, "8"}, {62, "163"}, {64, "163"}, {65, "163"}, {67, "2"}});
  AddNotes(rig.song, 2, {{48, "16"}, {50, "16"}, {52, "4_"}, {52, "8"}});
  rig.player->playAll();
  const PlayRun *run = rig.player->run();
  rig.runUntil(4000);
  // Every note-on of part 1 is at its element's due time exactly (the rig wakes on time).
  const auto &notes = rig.song.part(1).notes;
  std::size_t i = 0;
  for (const auto &e : rig.notes(1)) {
    if (!e.isNoteOn() || i >= 5)
      continue;
    EXPECT_GE(e.timeMs, 1000 + notes[i].start * kNormalMsPerTick - 1) << i;
    ++i;
  }
  EXPECT_EQ(i, 5u);
  (void)run;
}

TEST(Preview, SoundsFor500msThenReleasesResetsAndCloses) {
  PlayerRig rig;
  rig.song.part(2).tone = 40;
  rig.player->previewNote(2, 64);
  EXPECT_EQ(rig.player->previewKey(2), 64);
  EXPECT_EQ(rig.host.barValue(2), 4); // the note's level did not change the volume
  rig.runUntil(1300);
  rig.player->previewNote(2, 65); // within 500 ms: releases the previous note
  rig.runUntil(1799);
  EXPECT_EQ(rig.player->previewKey(2), 65);
  rig.runUntil(1800);
  EXPECT_EQ(rig.player->previewKey(2), 0);
  using K = RecordedMidiEvent::Kind;
  std::vector<std::string> seen;
  for (const auto &e : rig.recorder->events()) {
    if (e.kind == K::Open)
      seen.push_back("open");
    else if (e.kind == K::Close)
      seen.push_back("close");
    else if (e.kind == K::Reset)
      seen.push_back("reset");
    else
      seen.push_back(std::to_string(e.status()) + "/" + std::to_string(e.data1()) + "/" +
                     std::to_string(e.data2() > 0 ? 1 : 0));
  }
  const std::vector<std::string> expected = {"open",     "reset",    "193/40/0", "177/11/1",
                                             "145/64/1", "145/64/0", "145/65/1", "145/65/0",
                                             "reset",    "close"};
  EXPECT_EQ(seen, expected);
  EXPECT_NEAR(rig.recorder->events().back().timeMs, 1800, 1e-9);
}

TEST(Preview, OffSettingSendsNothing) {
  PlayerRig rig;
  rig.host.options.isPreview = false;
  rig.player->previewNote(1, 60);
  EXPECT_TRUE(rig.recorder->events().empty());
  EXPECT_FALSE(rig.preview->active());
}

TEST(Preview, IgnoredWhilePlayingSoTheRunKeepsItsDevice) {
  PlayerRig rig;
  AddNotes(rig.song, 1, {{60, "2"}, {62, "2"}});
  rig.player->playAll();
  rig.player->previewNote(1, 72);
  EXPECT_FALSE(rig.preview->active());
  rig.runUntil(2000);
  EXPECT_TRUE(rig.recorder->isOpen());
}

} // namespace
} // namespace pipora
