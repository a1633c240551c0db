#pragma once
// The player's host as the session gives it: the windows' host and the score editor's
// play-position line when they are attached, otherwise bars in memory as the command-line
// tool and the tests have them. The player is made once, before any window exists, so it
// talks to this relay and never to a window; the relay is the one step between them.
#include "playback/player_host.h"

namespace pipora {

class PlayerRelay final : public HeadlessPlayerHost {
public:
  explicit PlayerRelay(const Song &song) : HeadlessPlayerHost(song) {}

  // Null detaches them.
  void setView(PlayerHost *view, PlayLineView *line) {
    view_ = view;
    line_ = line;
  }

  void showBar(int part, int value, int maximum) override;
  void showPosition(const std::string &text) override;
  void beginPlayLine() override;
  int movePlayLine(int markerTick, int tick) override;
  void restartPlayLine() override;
  void endPlayLine(int markerTick) override;

private:
  PlayerHost *view_ = nullptr;
  PlayLineView *line_ = nullptr;
};

} // namespace pipora
