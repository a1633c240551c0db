#pragma once
// A player wired to a recording output, a hand-driven clock and hand-fired timers.
#include "model/song.h"
#include "model/vocabulary.h"
#include "platform/midi/recording/recording_midi_backend.h"
#include "playback/player.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace pipora::testing {

// Appends notes (note number, length code) before the part's EndMarker and refreshes ticks.
inline void AddNotes(Song &song, int part, const std::vector<std::pair<int, std::string>> &notes) {
  for (const auto &[note, length] : notes)
    InsertNote(song, part, song.part(part).count, note, length, PitchNameOf(note));
  RecalcTimes(song);
  BuildScoreList(song);
}

struct MeterSample {
  double time;
  int part;
  int value;
};

class RecordingHost : public HeadlessPlayerHost {
public:
  RecordingHost(Song &song, const double &now) : HeadlessPlayerHost(song), now_(now) {}

  void showBar(int part, int value, int maximum) override {
    HeadlessPlayerHost::showBar(part, value, maximum);
    meters.push_back({now_, part, value});
  }
  // What the windows tell a player: the locks it reports, its options, measure play's part.
  void attach(Player &player) {
    player.setPlayingHandler([this](bool playing) { locks.push_back(playing); });
    player.setOptionsSource([this] { return options; });
  }
  void showPosition(const std::string &text) override {
    HeadlessPlayerHost::showPosition(text);
    positions.emplace_back(now_, text);
  }
  void beginPlayLine() override { ++lineBegins; }
  int movePlayLine(int markerTick, int tick) override {
    lineMoves.push_back({now_, markerTick, tick});
    return tick;
  }
  void restartPlayLine() override { restarts.push_back(now_); }
  void endPlayLine(int markerTick) override { lineEnds.push_back(markerTick); }

  struct LineMove {
    double time;
    int from;
    int to;
  };
  std::vector<MeterSample> meters;
  std::vector<bool> locks;
  std::vector<std::pair<double, std::string>> positions;
  std::vector<LineMove> lineMoves;
  std::vector<double> restarts;
  std::vector<int> lineEnds;
  int lineBegins = 0;
  int measurePart = 1;
  PlayerOptions options;

private:
  const double &now_;
};

struct PlayerRig {
  explicit PlayerRig(int devices = 1)
      : midi(std::make_unique<RecordingMidiBackend>([this] { return now; }, devices)),
        host(song, now) {
    recorder = static_cast<RecordingMidiBackend *>(&midi.backend());
    auto playTimer = std::make_unique<ManualWakeTimer>();
    auto previewTimer = std::make_unique<ManualWakeTimer>();
    play = playTimer.get();
    preview = previewTimer.get();
    player = std::make_unique<Player>(
        song, midi, host, [this] { return now; }, std::move(playTimer), std::move(previewTimer));
    host.attach(*player);
  }

  // Advances the clock to `end`, firing every wake-up that falls due on the way.
  void runUntil(double end) {
    for (int guard = 0; guard < 10'000'000; ++guard) {
      const double next = std::min(play->due(), preview->due());
      if (next > end)
        break;
      now = std::max(now, next);
      if (play->due() <= preview->due())
        play->trigger();
      else
        preview->trigger();
    }
    now = std::max(now, end);
  }

  std::vector<RecordedMidiEvent> notes(int channel = 0) const {
    std::vector<RecordedMidiEvent> out;
    for (const auto &e : recorder->messages())
      if ((e.isNoteOn() || e.isNoteOff()) && (channel == 0 || e.channel() == channel))
        out.push_back(e);
    return out;
  }

  double now = 1000;
  Song song;
  MidiOutput midi;
  RecordingHost host;
  RecordingMidiBackend *recorder = nullptr;
  ManualWakeTimer *play = nullptr;
  ManualWakeTimer *preview = nullptr;
  std::unique_ptr<Player> player;
};

} // namespace pipora::testing
