#include "views/playpannel.h"

#include "platform/midi/midi_output.h"
#include "playback/player.h"
#include "views/frmScr.h"
#include "views/main.h"
#include "views/play_line.h"
#include "views/srcview.h"

#include <QAction>
#include <QApplication>
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

int RoundTwips(double value) {
  return static_cast<int>(std::nearbyint(value));
}

} // namespace

playpannel::playpannel(AppContext &ctx, QWidget *parent) : ChildWindow(ctx, "playpannel", parent) {
  PlayCommand = new QToolButton(this);
  PlayCommand->setObjectName("PlayCommand");
  PlayCommand->setIcon(ButtonIcon(true));
  StopCommand = new QToolButton(this);
  StopCommand->setObjectName("StopCommand");
  StopCommand->setIcon(ButtonIcon(false));
  // The panel keeps the keyboard: a focused button would take Space as a click.
  PlayCommand->setFocusPolicy(Qt::NoFocus);
  StopCommand->setFocusPolicy(Qt::NoFocus);
  Label1 = new QLabel(this);
  Label1->setObjectName("Label1");
  Label1->setAlignment(Qt::AlignCenter);
  QFont font = Label1->font();
  font.setPointSize(14);
  Label1->setFont(font);
  Label1->installEventFilter(this);
  watchForSnapping(Label1);
  setFocusPolicy(Qt::StrongFocus);

  host_ = std::make_unique<PlayerWindowHost>(ctx);
  host_->setButtonsHandler([this](bool playing) { setButtons(playing); });
  ctx.session.setPlayerView(host_.get());
  ctx.hooks.showPosition = [this](const QString &text) { Label1->setText(text); };

  connect(PlayCommand, &QToolButton::pressed, this, [this] { PlayCommand_MouseDown(); });
  connect(StopCommand, &QToolButton::pressed, this, [this] { StopCommand_MouseDown(); });
  setButtons(false);
  Label1->setText(QString::fromStdString(ctx.settings.isTick ? "01:1:00" : "0:00:00"));
  connectMenu();
  QMetaObject::invokeMethod(
      this, [this] { attachScoreEditor(); }, Qt::QueuedConnection);
  if (ctx.frame)
    connect(ctx.frame, &pipora::main::windowActivated, this, [this](QWidget *child) {
      if (child == this)
        ctx_.settings.ActiveWindow = QStringLiteral("playpannel");
    });
  resize(100, 100);
}

playpannel::~playpannel() {
  ctx_.session.setPlayerView(nullptr);
  host_->setPlayLine(nullptr);
}

Player &playpannel::player() {
  return ctx_.session.player();
}

MidiOutput &playpannel::midi() {
  return ctx_.session.midi();
}

void playpannel::attachScoreEditor() {
  if (playLine_ || !ctx_.score)
    return;
  playLine_ = std::make_unique<PlayLine>(ctx_, *ctx_.score);
  host_->setPlayLine(playLine_.get());
  ctx_.score->previewNote = [this](int part, int key) { player().PreviewNote(part, key); };
  ctx_.score->endPreview = [this] { player().EndPreview(); };
}

void playpannel::connectMenu() {
  const auto hook = [this](const char *item, void (Player::*command)()) {
    if (QAction *action = ctx_.action(item))
      connect(action, &QAction::triggered, this, [this, command] {
        attachScoreEditor();
        (player().*command)();
      });
  };
  hook("AllPlayItem", &Player::AllPlay);
  hook("SoloPlayItem", &Player::SoloPlay);
  hook("MeasurePlayItem", &Player::MeasurePlay);
  hook("StopPlayItem", &Player::StopPlay);
}

void playpannel::setButtons(bool playing) {
  PlayCommand->setEnabled(!playing);
  StopCommand->setEnabled(playing);
}

void playpannel::PlayCommand_MouseDown() {
  if (QAction *all = ctx_.action("AllPlayItem"); all && all->isEnabled()) {
    all->trigger();
    return;
  }
  player().AllPlay();
}

void playpannel::StopCommand_MouseDown() {
  if (QAction *stop = ctx_.action("StopPlayItem")) {
    stop->trigger();
    return;
  }
  player().StopPlay();
}

void playpannel::keyPressEvent(QKeyEvent *event) {
  if (event->text().isEmpty()) {
    ChildWindow::keyPressEvent(event);
    return;
  }
  const int code = event->text().at(0).unicode();
  // Both tests see the state the key found: play and stop may share a key.
  const bool wasPlaying = player().playing();
  if (code == ctx_.settings.ShortCut[kShortCutPlayAll] && !wasPlaying)
    PlayCommand_MouseDown();
  if (code == ctx_.settings.ShortCut[kShortCutStop] && wasPlaying)
    StopCommand_MouseDown();
}

bool playpannel::eventFilter(QObject *watched, QEvent *event) {
  if (watched == Label1 && event->type() == QEvent::MouseButtonPress) {
    Label1_Click();
    return true;
  }
  return ChildWindow::eventFilter(watched, event);
}

void playpannel::Label1_Click() {
  const QString active = ctx_.settings.ActiveWindow;
  pipora::main *frame = ctx_.frame;
  const bool sourceVisible = frame && ctx_.source && frame->isChildVisible(ctx_.source);
  ctx_.session.syncNoteLists();
  if (frame) {
    // The source editor's location column follows the mode, so the mode changes first;
    // the check marks and the display text (minutes with a sign blank) come after the
    // relisting, which would otherwise overwrite the text.
    ctx_.settings.isTick = !ctx_.settings.isTick;
    frame->ViewSrc(ctx_.song.currentPart);
    frame->setChildVisible(ctx_.source, sourceVisible);
    QApplication::processEvents();
    frame->showTimeMode(ctx_.settings.isTick);
    frame->focusActiveWindow(active);
  } else {
    ctx_.settings.isTick = !ctx_.settings.isTick;
    Label1->setText(QString::fromStdString(player().stoppedPositionText()));
  }
}

int playpannel::twipsPerPixel() const {
  const int dpi = logicalDpiX() > 0 ? logicalDpiX() : 96;
  return std::max(1, 1440 / dpi);
}

void playpannel::layoutForTwips(int w, int h) {
  const int tpp = twipsPerPixel();
  const auto px = [tpp](int twips) { return RoundTwips(static_cast<double>(twips) / tpp); };
  Label1->setGeometry(0, Label1->y(), px(w), px(h / 2));
  int side = 0;
  if (h < w) {
    side = h / 2;
    PlayCommand->setGeometry(px(w / 4 - side / 2), px(h / 2), px(side), px(side));
    StopCommand->setGeometry(px(3 * w / 4 - side / 2), px(h / 2), px(side), px(side));
  } else {
    side = w / 2;
    const int top = 3 * h / 4 - side / 2;
    PlayCommand->setGeometry(0, px(top), px(side), px(side));
    StopCommand->setGeometry(px(w / 2), px(top), px(side), px(side));
  }
  const int icon = std::max(8, px(side) * 2 / 3);
  PlayCommand->setIconSize(QSize(icon, icon));
  StopCommand->setIconSize(QSize(icon, icon));
}

void playpannel::resizeEvent(QResizeEvent *event) {
  ChildWindow::resizeEvent(event);
  const int tpp = twipsPerPixel();
  layoutForTwips(RoundTwips(width() * static_cast<double>(tpp)),
                 RoundTwips(height() * static_cast<double>(tpp)));
}

} // namespace pipora
