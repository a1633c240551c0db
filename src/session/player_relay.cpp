#include "session/player_relay.h"

namespace pipora {

void PlayerRelay::showBar(int part, int value, int maximum) {
  view_ ? view_->showBar(part, value, maximum) : HeadlessPlayerHost::showBar(part, value, maximum);
}

void PlayerRelay::showPosition(const std::string &text) {
  view_ ? view_->showPosition(text) : HeadlessPlayerHost::showPosition(text);
}

void PlayerRelay::beginPlayLine() {
  if (line_)
    line_->beginPlayLine();
}

int PlayerRelay::movePlayLine(int markerTick, int tick) {
  return line_ ? line_->movePlayLine(markerTick, tick) : tick;
}

void PlayerRelay::restartPlayLine() {
  if (line_)
    line_->restartPlayLine();
}

void PlayerRelay::endPlayLine(int markerTick) {
  if (line_)
    line_->endPlayLine(markerTick);
}

} // namespace pipora
