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

PlayerWindowHost::PlayerWindowHost(AppContext &ctx, PropertyWindow &props,
                                   SourceEditorWindow &source)
    : ctx_(ctx), props_(props), source_(source) {
  Player &player = ctx_.session.player();
  player.setPrepareHandler([this] { prepareToPlay(); });
  player.setOptionsSource([this] { return options(); });
  playingLocks_ = QObject::connect(&ctx_.session, &EditorSession::playingChanged,
                                   [this](bool playing) { setPlayingLocks(playing); });
  if (QAction *measure = ctx_.action(&MainActions::playMeasure))
    measurePlay_ = QObject::connect(measure, &QAction::triggered, [this] {
      ctx_.session.player().playMeasure(measurePlayPart());
    });
}

PlayerWindowHost::~PlayerWindowHost() {
  Player &player = ctx_.session.player();
  player.setPrepareHandler(nullptr);
  player.setOptionsSource(nullptr);
  QObject::disconnect(playingLocks_);
  QObject::disconnect(measurePlay_);
}

void PlayerWindowHost::showBar(int part, int value, int maximum) {
  QProgressBar *bar = BarOf(props_, part);
  if (!bar)
    return;
  if (bar->maximum() != maximum)
    bar->setMaximum(maximum);
  bar->setValue(value);
}

bool PlayerWindowHost::scoreActive() const {
  return ctx_.session.editedLists() == EditedLists::Score;
}

void PlayerWindowHost::prepareToPlay() {
  ctx_.session.syncNoteLists();
  props_.commitToSong();
}

void PlayerWindowHost::setPlayingLocks(bool playing) {
  for (QMenu *MainMenus::*which :
       {&MainMenus::file, &MainMenus::edit, &MainMenus::view, &MainMenus::help})
    if (QMenu *menu = ctx_.menu(which))
      menu->menuAction()->setEnabled(!playing);
  for (QAction *MainActions::*item :
       {&MainActions::playAll, &MainActions::playSolo, &MainActions::playMeasure})
    if (QAction *action = ctx_.action(item))
      action->setEnabled(!playing);
  props_.setControlsEnabled(!playing);
}

void PlayerWindowHost::showPosition(const std::string &text) {
  ctx_.session.reportPositionText(QString::fromStdString(text));
}

int PlayerWindowHost::measurePlayPart() const {
  if (source_.listHasFocus())
    return ctx_.song.currentPart;
  if (scoreActive())
    return ctx_.song.part(1).scoreHeader.partNumber;
  return 0;
}

PlayerOptions PlayerWindowHost::options() const {
  PlayerOptions options;
  options.isTick = ctx_.settings.isTick;
  options.isPreview = ctx_.settings.isPreview;
  const Part &p = ctx_.song.part(std::clamp(ctx_.song.currentPart, 1, kUserParts));
  if (source_.noteList()->currentRow() >= 0)
    options.selectedElement = std::min(source_.noteList()->currentRow(), p.count);
  return options;
}

} // namespace pipora
