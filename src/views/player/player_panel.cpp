#include "views/player/player_panel.h"

#include "model/keymap.h"
#include "playback/midi_output.h"
#include "playback/player.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

#include <cmath>

namespace pipora {

namespace {

QIcon ButtonIcon(bool play) {
  QPixmap pixmap(64, 64);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(play ? QColor(0, 128, 0) : QColor(40, 40, 40));
  if (play) {
    const QPointF triangle[] = {{18, 12}, {54, 32}, {18, 52}};
    painter.drawPolygon(triangle, 3);
  } else {
    painter.drawRect(16, 16, 32, 32);
  }
  QIcon icon(pixmap);
  return icon;
}

int RoundDesignUnits(double value) {
  return static_cast<int>(std::nearbyint(value));
}

} // namespace

PlayerPanel::PlayerPanel(AppContext &ctx, QWidget *parent)
    : ChildWindow(ctx, "playerPanel", parent) {
  playButton_ = new QToolButton(this);
  playButton_->setObjectName("playButton");
  playButton_->setIcon(ButtonIcon(true));
  stopButton_ = new QToolButton(this);
  stopButton_->setObjectName("stopButton");
  stopButton_->setIcon(ButtonIcon(false));
  // The panel keeps the keyboard: a focused button would take Space as a click.
  playButton_->setFocusPolicy(Qt::NoFocus);
  stopButton_->setFocusPolicy(Qt::NoFocus);
  positionLabel_ = new QLabel(this);
  positionLabel_->setObjectName("positionLabel");
  positionLabel_->setAlignment(Qt::AlignCenter);
  QFont font = positionLabel_->font();
  font.setPointSize(14);
  positionLabel_->setFont(font);
  positionLabel_->installEventFilter(this);
  watchForSnapping(positionLabel_);
  setFocusPolicy(Qt::StrongFocus);

  connect(&ctx.session, &EditorSession::playingChanged, this, &PlayerPanel::setButtons);
  connect(&ctx.session, &EditorSession::positionTextChanged, positionLabel_, &QLabel::setText);

  connect(playButton_, &QToolButton::pressed, this, [this] { pressPlay(); });
  connect(stopButton_, &QToolButton::pressed, this, [this] { pressStop(); });
  setButtons(false);
  positionLabel_->setText(QString::fromStdString(ctx.settings.isTick ? "01:1:00" : "0:00:00"));
  connectMenu();
  resize(100, 100);
}

void PlayerPanel::activated() {
  ctx_.settings.activeWindow = WindowId::Player;
}

Player &PlayerPanel::player() {
  return ctx_.session.player();
}

MidiOutput &PlayerPanel::midi() {
  return ctx_.session.midi();
}

void PlayerPanel::connectMenu() {
  const auto hook = [this](QAction *MainActions::*item, void (Player::*command)()) {
    if (QAction *action = ctx_.action(item))
      connect(action, &QAction::triggered, this, [this, command] { (player().*command)(); });
  };
  hook(&MainActions::playAll, &Player::playAll);
  hook(&MainActions::playSolo, &Player::playSolo);
  hook(&MainActions::stopPlay, &Player::stop);
}

void PlayerPanel::setButtons(bool playing) {
  playButton_->setEnabled(!playing);
  stopButton_->setEnabled(playing);
}

void PlayerPanel::pressPlay() {
  if (QAction *all = ctx_.action(&MainActions::playAll); all && all->isEnabled()) {
    all->trigger();
    return;
  }
  player().playAll();
}

void PlayerPanel::pressStop() {
  if (QAction *stop = ctx_.action(&MainActions::stopPlay)) {
    stop->trigger();
    return;
  }
  player().stop();
}

void PlayerPanel::keyPressEvent(QKeyEvent *event) {
  if (event->text().isEmpty()) {
    ChildWindow::keyPressEvent(event);
    return;
  }
  const int code = event->text().at(0).unicode();
  // Both tests see the state the key found: play and stop may share a key.
  const bool wasPlaying = player().playing();
  if (!wasPlaying && ResolveShortCut(code, ctx_.settings.shortcuts, kPlayAllAction))
    pressPlay();
  if (wasPlaying && ResolveShortCut(code, ctx_.settings.shortcuts, kStopAction))
    pressStop();
}

bool PlayerPanel::eventFilter(QObject *watched, QEvent *event) {
  if (watched == positionLabel_ && event->type() == QEvent::MouseButtonPress) {
    emit positionDisplayPressed();
    return true;
  }
  return ChildWindow::eventFilter(watched, event);
}

int PlayerPanel::designUnitsPerPixel() const {
  const int dpi = logicalDpiX() > 0 ? logicalDpiX() : 96;
  return std::max(1, 1440 / dpi);
}

void PlayerPanel::layoutForDesignSize(int w, int h) {
  const int tpp = designUnitsPerPixel();
  const auto px = [tpp](int designUnits) {
    return RoundDesignUnits(static_cast<double>(designUnits) / tpp);
  };
  positionLabel_->setGeometry(0, positionLabel_->y(), px(w), px(h / 2));
  int side = 0;
  if (h < w) {
    side = h / 2;
    playButton_->setGeometry(px(w / 4 - side / 2), px(h / 2), px(side), px(side));
    stopButton_->setGeometry(px(3 * w / 4 - side / 2), px(h / 2), px(side), px(side));
  } else {
    side = w / 2;
    const int top = 3 * h / 4 - side / 2;
    playButton_->setGeometry(0, px(top), px(side), px(side));
    stopButton_->setGeometry(px(w / 2), px(top), px(side), px(side));
  }
  const int icon = std::max(8, px(side) * 2 / 3);
  playButton_->setIconSize(QSize(icon, icon));
  stopButton_->setIconSize(QSize(icon, icon));
}

void PlayerPanel::resizeEvent(QResizeEvent *event) {
  ChildWindow::resizeEvent(event);
  const int tpp = designUnitsPerPixel();
  layoutForDesignSize(RoundDesignUnits(width() * static_cast<double>(tpp)),
                      RoundDesignUnits(height() * static_cast<double>(tpp)));
}

} // namespace pipora
