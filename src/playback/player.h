#pragma once
// The player: plays the song through the MIDI output in real time (all parts, one part,
// or from a measure before the cursor), loops at the end until stopped, and sounds the
// 500 ms note preview while notes are entered.
//
// Timing: instead of a busy loop the player sleeps on a WakeTimer until the next element
// is due (or the next 30 ms display step), then runs passes until nothing more is due.
// Everything runs on the thread that owns the timers (the user-interface thread).
#include "model/song.h"
#include "playback/clock.h"
#include "playback/midi_output.h"
#include "playback/play_run.h"
#include "playback/player_host.h"
#include "playback/wake_timer.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace pipora {

inline constexpr double kPreviewMs = 500.0;
inline constexpr double kDisplayStepMs = 30.0;

// What the windows' settings and selection say about a play, asked for when it matters.
struct PlayerOptions {
  bool isTick = false;      // the position as measure, beat and tick; else as time
  bool isPreview = true;    // entered notes sound
  int selectedElement = -1; // the source list's selected element, -1 for the part's cursor
};

class Player {
public:
  // playTimer drives the play loop, previewTimer ends a note preview. Both must
  // run on the same clock.
  // The player reads the song: where it plays from is its own, never the song's cursor.
  Player(const Song &song, MidiOutput &midi, PlayerHost &host, MsClock clock,
         std::unique_ptr<WakeTimer> playTimer, std::unique_ptr<WakeTimer> previewTimer);
  ~Player();
  Player(const Player &) = delete;
  Player &operator=(const Player &) = delete;

  // The play menu's commands. Measure play plays `part` (1..16; any other: part 1) from a
  // measure before its cursor.
  void playAll();
  void playSolo();
  void playMeasure(int part);
  void stop();

  // Starts a run over the parts whose bits are set (bit n = part n); does nothing when
  // every part is empty. Returns at once: the run goes on from the play timer.
  void playParts(std::uint32_t playMask);
  // Ends the run and gives the interface back (panel buttons, menus, bars, line).
  void stopSong();

  // Sounds key k in part a for 500 ms (when the preview setting is on).
  void previewNote(int part, int key);
  // What the preview timer does when 500 ms passed without a preview: releases every preview note,
  // then resets and closes the device.
  void endPreview();

  bool playing() const { return playing_; }
  double msPerTick() const { return msPerTick_; }
  int markerTick() const { return markerTick_; }
  int previewKey(int part) const;
  // The stopped position text of the source editor's selected element.
  std::string stoppedPositionText() const;
  // The current running position text (what the panel shows while playing).
  std::string runningPositionText(double now) const;

  // Off: the song is played once through, its last notes released, and the run stops
  // by itself (the command-line tool's render and play).
  void setLoop(bool loop) { loop_ = loop; }
  // Called after a run that does not loop reaches the end of the song.
  void setFinishedHandler(std::function<void()> handler) { finished_ = std::move(handler); }
  // Called before a play reads the song: the note lists, title and tempo made current.
  void setPrepareHandler(std::function<void()> handler) { prepare_ = std::move(handler); }
  // Told whenever playing starts (true) or stops (false): the windows lock their controls.
  void setPlayingHandler(std::function<void(bool)> handler) {
    playingChanged_ = std::move(handler);
  }
  void setOptionsSource(std::function<PlayerOptions()> source) { options_ = std::move(source); }

  WakeTimer &playTimer() { return *playTimer_; }
  WakeTimer &previewTimer() { return *previewTimer_; }
  const PlayRun *run() const { return run_.get(); }

private:
  // The bars as the MIDI output's level meters: a level shows within the bar's maximum.
  class Bars final : public LevelMeters {
  public:
    explicit Bars(PlayerHost &host) : host_(host) { maximum_.fill(kIdleMaximum); }
    int meterMaximum(int part) const override;
    void setMeterValue(int part, int value) override;
    void show(int part, int value, int maximum);

    static constexpr int kIdleMaximum = 8;
    static constexpr int kPlayingMaximum = 100;

  private:
    PlayerHost &host_;
    std::array<int, kUserParts + 1> maximum_{};
  };

  PlayerOptions options() const { return options_ ? options_() : PlayerOptions{}; }
  // The volume 0..8 of a part, as its bar shows it while idle.
  int volumeOf(int part) const;
  int programOf(int part) const;
  void prepare();
  void setPlaying(bool playing);
  void startPlayAll(std::uint32_t mask);
  // Play all over note lists already brought up to date.
  void startPrepared(std::uint32_t mask);
  void onPlayWake();
  void onPreviewTimer();
  void updatePlayLine(double now);
  void armPlayTimer(double now);
  void cancelPreview();

  const Song &song_;
  MidiOutput &midi_;
  PlayerHost &host_;
  Bars bars_;
  MsClock clock_;
  std::unique_ptr<WakeTimer> playTimer_;
  std::unique_ptr<WakeTimer> previewTimer_;

  bool playing_ = false;
  bool loop_ = true;
  double msPerTick_;
  int markerTick_ = -10000;
  // Where a measure play starts: a measure before the cursor. Unset: from the cursor.
  std::optional<std::int32_t> startTick_;
  long long lastDisplayStep_ = 0;
  std::array<int, kUserParts + 1> previewKeys_{};
  std::unique_ptr<PlayRun> run_;
  std::function<void()> finished_;
  std::function<void()> prepare_;
  std::function<void(bool)> playingChanged_;
  std::function<PlayerOptions()> options_;
};

} // namespace pipora
