#include "views/player_window_host.h"

#include "views/property/property_window.h"
#include "views/source/source_editor_window.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>

#include <algorithm>

namespace pipora {

namespace {
QProgressBar *BarOf(PropertyWindow &props, int part) {
  if (part < 1 || part > kUserParts)
    return nullptr;
  return props.bar(part);
}
} // namespace

double PlayerWindowHost::barValue(int part) const {
  if (QProgressBar *bar = BarOf(props_, part))
    return bar->value();
  return part >= 1 && part <= kUserParts ? ctx_.song.part(part).volume : 0;
}

void PlayerWindowHost::setBarValue(int part, int value) {
  if (QProgressBar *bar = BarOf(props_, part))
    bar->setValue(value);
}

int PlayerWindowHost::barMaximum(int part) const {
  if (QProgressBar *bar = BarOf(props_, part))
    return bar->maximum();
  return 8;
}

void PlayerWindowHost::setBarMaximum(int part, int maximum) {
  if (QProgressBar *bar = BarOf(props_, part))
    bar->setMaximum(maximum);
}

int PlayerWindowHost::program(int part) const {
  if (part < 1 || part > kUserParts)
    return 0;
  // The song carries the live tones (start-up copies them from the settings, the tone
  // store and the options dialog change them there).
  return std::clamp(ctx_.song.part(part).tone, 0, 127);
}

std::optional<TempoChoice> PlayerWindowHost::selectedTempo() const {
  const int choice = props_.tempoChoice();
  if (choice < 0 || choice > 3)
    return std::nullopt;
  return static_cast<TempoChoice>(choice);
}

bool PlayerWindowHost::scoreActive() const {
  return ctx_.session.editedLists() == EditedLists::Score;
}

void PlayerWindowHost::prepareNoteLists() {
  ctx_.session.syncNoteLists();
  // The title text and the tempo buttons go into the song when play starts.
  props_.commitToSong();
}

void PlayerWindowHost::setPlayingLocks(bool playing) {
  if (ctx_.menuBar) {
    for (const char *name : {"FileMenu", "EditMenu", "ViewMenu", "HelpMenu"})
      if (auto *menu = ctx_.menuBar->findChild<QMenu *>(QString::fromLatin1(name)))
        menu->menuAction()->setEnabled(!playing);
  }
  for (const char *item : {"AllPlayItem", "SoloPlayItem", "MeasurePlayItem"})
    if (QAction *action = ctx_.action(item))
      action->setEnabled(!playing);
  props_.setControlsEnabled(!playing);
}

void PlayerWindowHost::showPosition(const std::string &text) {
  ctx_.session.reportPositionText(QString::fromStdString(text));
}

void PlayerWindowHost::beginPlayLine() {
  if (playLine_)
    playLine_->beginPlayLine();
}

int PlayerWindowHost::movePlayLine(int markerTick, int tick) {
  return playLine_ ? playLine_->movePlayLine(markerTick, tick) : tick;
}

void PlayerWindowHost::restartPlayLine() {
  if (playLine_)
    playLine_->restartPlayLine();
}

void PlayerWindowHost::endPlayLine(int markerTick) {
  if (playLine_)
    playLine_->endPlayLine(markerTick);
}

int PlayerWindowHost::measurePlayPart() const {
  if (source_.listHasFocus())
    return ctx_.song.currentPart;
  if (scoreActive())
    return ctx_.song.part(1).scoreHeader.partNumber;
  return 0;
}

int PlayerWindowHost::selectedSourceElement() const {
  const Part &p = ctx_.song.part(std::clamp(ctx_.song.currentPart, 1, kUserParts));
  if (source_.noteList()->currentRow() >= 0)
    return std::min(source_.noteList()->currentRow(), p.count);
  return p.cursor;
}

} // namespace pipora
