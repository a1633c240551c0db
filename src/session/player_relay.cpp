#include "session/player_relay.h"

namespace pipora {

double PlayerRelay::barValue(int part) const {
  return view_ ? view_->barValue(part) : HeadlessPlayerHost::barValue(part);
}

void PlayerRelay::setBarValue(int part, int value) {
  view_ ? view_->setBarValue(part, value) : HeadlessPlayerHost::setBarValue(part, value);
}

int PlayerRelay::barMaximum(int part) const {
  return view_ ? view_->barMaximum(part) : HeadlessPlayerHost::barMaximum(part);
}

void PlayerRelay::setBarMaximum(int part, int maximum) {
  view_ ? view_->setBarMaximum(part, maximum) : HeadlessPlayerHost::setBarMaximum(part, maximum);
}

int PlayerRelay::program(int part) const {
  return view_ ? view_->program(part) : HeadlessPlayerHost::program(part);
}

std::optional<TempoChoice> PlayerRelay::selectedTempo() const {
  return view_ ? view_->selectedTempo() : HeadlessPlayerHost::selectedTempo();
}

std::optional<std::string> PlayerRelay::titleText() const {
  return view_ ? view_->titleText() : HeadlessPlayerHost::titleText();
}

void PlayerRelay::prepareNoteLists() {
  view_ ? view_->prepareNoteLists() : HeadlessPlayerHost::prepareNoteLists();
}

void PlayerRelay::setPlayingLocks(bool playing) {
  if (view_)
    view_->setPlayingLocks(playing);
  if (playing_)
    playing_(playing);
}

void PlayerRelay::showPosition(const std::string &text) {
  view_ ? view_->showPosition(text) : HeadlessPlayerHost::showPosition(text);
}

void PlayerRelay::beginPlayLine() {
  if (view_)
    view_->beginPlayLine();
}

int PlayerRelay::movePlayLine(int markerTick, int tick) {
  return view_ ? view_->movePlayLine(markerTick, tick) : tick;
}

void PlayerRelay::restartPlayLine() {
  if (view_)
    view_->restartPlayLine();
}

void PlayerRelay::endPlayLine(int markerTick) {
  if (view_)
    view_->endPlayLine(markerTick);
}

bool PlayerRelay::isTick() const {
  return view_ ? view_->isTick() : HeadlessPlayerHost::isTick();
}

bool PlayerRelay::isPreview() const {
  return view_ ? view_->isPreview() : HeadlessPlayerHost::isPreview();
}

int PlayerRelay::measurePlayPart() const {
  return view_ ? view_->measurePlayPart() : HeadlessPlayerHost::measurePlayPart();
}

int PlayerRelay::selectedSourceElement() const {
  return view_ ? view_->selectedSourceElement() : HeadlessPlayerHost::selectedSourceElement();
}

} // namespace pipora
