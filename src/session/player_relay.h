#pragma once
// The player's host as the session gives it: the windows' host when one is attached,
// otherwise bars in memory as the command-line tool and the tests have them. The player is
// made once, before any window exists, so it talks to this relay and never to a window.
#include "playback/player_host.h"

#include <functional>

namespace pipora {

class PlayerRelay : public HeadlessPlayerHost {
public:
  explicit PlayerRelay(Song &song) : HeadlessPlayerHost(song) {}

  void setView(PlayerHost *view) { view_ = view; }
  PlayerHost *view() const { return view_; }
  // Told whenever playing starts or stops, with or without a view.
  void setPlayingHandler(std::function<void(bool)> handler) { playing_ = std::move(handler); }

  double barValue(int part) const override;
  void setBarValue(int part, int value) override;
  int barMaximum(int part) const override;
  void setBarMaximum(int part, int maximum) override;
  int program(int part) const override;
  std::optional<TempoChoice> selectedTempo() const override;
  std::optional<std::string> titleText() const override;
  void prepareNoteLists() override;
  void setPlayingLocks(bool playing) override;
  void showPosition(const std::string &text) override;
  void beginPlayLine() override;
  int movePlayLine(int markerTick, int tick) override;
  void restartPlayLine() override;
  void endPlayLine(int markerTick) override;
  bool isTick() const override;
  bool isPreview() const override;
  int measurePlayPart() const override;
  int selectedSourceElement() const override;

private:
  PlayerHost *view_ = nullptr;
  std::function<void(bool)> playing_;
};

} // namespace pipora
