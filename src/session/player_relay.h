#pragma once
// The player's host as the session gives it: the windows' host when one is attached,
// otherwise bars in memory as the command-line tool and the tests have them. The player is
// made once, before any window exists, so it talks to this relay and never to a window.
#include "playback/player_host.h"

namespace pipora {

class PlayerRelay final : public HeadlessPlayerHost {
public:
  explicit PlayerRelay(const Song &song) : HeadlessPlayerHost(song) {}

  void setView(PlayerHost *view) { view_ = view; }
  PlayerHost *view() const { return view_; }

  void showBar(int part, int value, int maximum) override;
  void showPosition(const std::string &text) override;
  void beginPlayLine() override;
  int movePlayLine(int markerTick, int tick) override;
  void restartPlayLine() override;
  void endPlayLine(int markerTick) override;

private:
  PlayerHost *view_ = nullptr;
};

} // namespace pipora
