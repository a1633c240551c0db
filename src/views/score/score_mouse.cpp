#include "views/score/score_mouse.h"

#include "views/app_context.h"
#include "views/score/score_display_menu.h"
#include "views/score/score_editor_window.h"
#include "views/score/score_surface.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>

#include <cstdlib>
#include <utility>

namespace pipora {
namespace {

// A press becomes a drag once the pointer has moved this far (image pixels).
constexpr int kDragThreshold = 4;

// The Edit menu's commands the surface's menu repeats, in its order; null is a separator.
// The Edit menu's items the context menu repeats; null for a separator.
using Item = QAction *MainActions::*;
constexpr Item kMenuItems[] = {
    &MainActions::cut,
    &MainActions::copy,
    &MainActions::paste,
    &MainActions::remove,
    &MainActions::selectAll,
    nullptr,
    &MainActions::semitoneUp,
    &MainActions::semitoneDown,
    &MainActions::octaveUp,
    &MainActions::octaveDown,
    &MainActions::longer,
    &MainActions::shorter,
    &MainActions::tie,
    nullptr,
    &MainActions::halveAll,
    &MainActions::doubleAll,
    nullptr,
};

// The editing keys of the surface that no menu item carries, for the menu's key list.
constexpr std::pair<const char *, const char *> kEditingKeys[] = {
    {"音符を入れる", "A～G"},
    {"休符を入れる", "R"},
    {"2分・4分・8分・16分音符にする", "2 4 8 6"},
    {"3連符にする・戻す", "3"},
    {"半音上げる", "#"},
    {"カーソルを動かす", "← →"},
    {"1小節ずつ動く", "Ctrl+← →"},
    {"選択する", "Shift+← → Home End"},
    {"前・次のパート", "↑ ↓"},
    {"削除", "Backspace"},
    {"拡大・縮小・元の大きさ", "Ctrl++ - 0"},
    {"音の高さを1オクターブずつ", "Shift+ドラッグ"},
};

// A submenu listing the editing keys, each item showing its key where a shortcut stands.
void AddKeyList(QMenu &menu) {
  QMenu *keys = menu.addMenu(QStringLiteral("キー操作(&Y)"));
  keys->setObjectName(QStringLiteral("KeyListMenu"));
  for (const auto &[what, key] : kEditingKeys) {
    // Readable as a list: the items do nothing when chosen.
    keys->addAction(QString::fromUtf8(what) + QLatin1Char('\t') + QString::fromUtf8(key));
  }
}

bool InSelection(const Song &song, const ScoreHit &hit) {
  if (hit.part != ScoreCurrentPart(song) || hit.element < 0)
    return false;
  const ScoreHeader &h = song.part(hit.part).scoreHeader;
  return h.selLength > 0 && hit.element >= h.selStart && hit.element < h.selStart + h.selLength;
}

} // namespace

ScoreMouse::ScoreMouse(AppContext &ctx, ScoreEditorWindow &window, ScoreSurface &surface)
    : QObject(&window), ctx_(ctx), window_(window), surface_(surface) {
  surface_.setMouseTracking(true);
  surface_.setContextMenuPolicy(Qt::DefaultContextMenu);
  surface_.installEventFilter(this);
}

bool ScoreMouse::eventFilter(QObject *watched, QEvent *event) {
  if (watched != &surface_)
    return false;
  switch (event->type()) {
  case QEvent::MouseButtonPress:
    press(*static_cast<QMouseEvent *>(event));
    return false; // the press still focuses the surface
  case QEvent::MouseMove:
    move(*static_cast<QMouseEvent *>(event));
    return false; // the frame's window grid also follows the pointer
  case QEvent::MouseButtonRelease:
    release();
    return true;
  case QEvent::MouseButtonDblClick:
    doubleClick(*static_cast<QMouseEvent *>(event));
    return true;
  case QEvent::ContextMenu:
    openMenu(*static_cast<QContextMenuEvent *>(event));
    return true;
  case QEvent::Wheel:
    wheel(*static_cast<QWheelEvent *>(event));
    return true;
  case QEvent::Leave:
    hoverText_.clear();
    return false;
  default:
    return false;
  }
}

bool ScoreMouse::isNote(const ScoreHit &hit) const {
  const Part &pt = ctx_.song.part(hit.part);
  return hit.element >= 0 && hit.element < pt.scoreHeader.count &&
         pt.score[static_cast<std::size_t>(hit.element)].noteNumber > 0;
}

void ScoreMouse::press(const QMouseEvent &event) {
  if (event.button() != Qt::LeftButton)
    return;
  const QPoint at = surface_.toScore(event.position());
  const ScoreHit hit = window_.hitAt(at);
  gesture_ = Gesture::None;
  if ((event.modifiers() & Qt::ShiftModifier) && hit.part == ScoreCurrentPart(ctx_.song)) {
    window_.editByPointer(ExtendScoreSelection, hit.cursor);
    return;
  }
  window_.editByPointer(PointScoreCursor, hit.part, hit.cursor, hit.element);
  gesture_ = Gesture::Pressed;
  altAtPress_ = (event.modifiers() & Qt::AltModifier) != 0;
  pressAt_ = at;
  pressHit_ = hit;
}

void ScoreMouse::startGesture(QPoint at) {
  const QPoint d = at - pressAt_;
  if (d.manhattanLength() < kDragThreshold)
    return;
  // Up or down from a head moves its pitch; along the staff selects.
  if (isNote(pressHit_) && std::abs(d.y()) > std::abs(d.x())) {
    gesture_ = Gesture::DraggingPitch;
    const int note = ctx_.song.part(pressHit_.part)
                         .score[static_cast<std::size_t>(pressHit_.element)]
                         .noteNumber;
    drag_ = ScorePitchDrag{pressHit_.part, pressHit_.element, note, note, false};
    // The cursor after the note, where the pitch keys would change it further.
    window_.editByPointer(PointScoreCursor, pressHit_.part, pressHit_.element + 1, -1);
  } else {
    gesture_ = Gesture::Selecting;
  }
}

void ScoreMouse::move(const QMouseEvent &event) {
  if (!(event.buttons() & Qt::LeftButton)) {
    hover(event);
    return;
  }
  const QPoint at = surface_.toScore(event.position());
  if (gesture_ == Gesture::Pressed)
    startGesture(at);
  if (gesture_ == Gesture::Selecting) {
    const ScoreHit hit = window_.hitInPart(pressHit_.part, at);
    const int anchor = pressHit_.element >= 0 ? pressHit_.element : pressHit_.cursor;
    const int to = hit.element >= 0 ? hit.element : hit.cursor;
    window_.editByPointer(SelectScoreElements, anchor, to);
  } else if (gesture_ == Gesture::DraggingPitch) {
    // Alt+drag is the window manager's on many desktops: Shift held while dragging does it too.
    const bool octaves =
        altAtPress_ || (event.modifiers() & (Qt::AltModifier | Qt::ShiftModifier)) != 0;
    const int steps = DragSteps(at.y() - pressAt_.y(), octaves);
    const int note = DraggedPitch(drag_.original, steps, octaves, ctx_.settings.isNoCheck);
    window_.editByPointer(DragScorePitch, drag_, note);
  }
}

void ScoreMouse::release() {
  if (gesture_ == Gesture::DraggingPitch)
    window_.finishPointerEdit(FinishScorePitchDrag(drag_));
  gesture_ = Gesture::None;
}

void ScoreMouse::doubleClick(const QMouseEvent &event) {
  if (event.button() != Qt::LeftButton)
    return;
  gesture_ = Gesture::None;
  const ScoreHit hit = window_.hitAt(surface_.toScore(event.position()));
  window_.editByPointer(PlayScoreFrom, hit.part, hit.cursor);
}

void ScoreMouse::openMenu(const QContextMenuEvent &event) {
  const ScoreHit hit = window_.hitAt(surface_.toScore(event.pos()));
  // A click inside the selection keeps it for the commands; elsewhere the cursor moves first.
  if (!InSelection(ctx_.song, hit))
    window_.editByPointer(PointScoreCursor, hit.part, hit.cursor, -1);
  if (ctx_.actions != nullptr)
    ShowShortcutKeys(*ctx_.actions, ctx_.settings.shortcuts);
  auto *menu = new QMenu(&surface_);
  menu->setObjectName(QStringLiteral("scoreContextMenu"));
  menu->setAttribute(Qt::WA_DeleteOnClose);
  for (const Item name : kMenuItems) {
    if (name == nullptr)
      menu->addSeparator();
    else if (QAction *item = ctx_.action(name))
      menu->addAction(item);
  }
  menu->addSeparator();
  AddScoreDisplayItems(*menu, ctx_, hit.part);
  AddKeyList(*menu);
  menu->addSeparator();
  QAction *play = menu->addAction(QStringLiteral("ここから演奏(&L)"));
  play->setObjectName(QStringLiteral("PlayFromHereItem"));
  connect(play, &QAction::triggered, this,
          [this, hit] { window_.editByPointer(PlayScoreFrom, hit.part, hit.cursor); });
  menu_ = menu;
  menu->popup(event.globalPos());
}

void ScoreMouse::wheel(QWheelEvent &event) {
  if (event.modifiers() & Qt::ControlModifier) {
    const QPoint turn = event.angleDelta();
    const int delta = turn.y() != 0 ? turn.y() : turn.x();
    if (delta != 0)
      window_.zoomScore(delta > 0 ? 1 : -1);
    return;
  }
  // The wheel turns the scroll bars, with Shift the horizontal one.
  QScrollBar *bar = (event.modifiers() & Qt::ShiftModifier) ? window_.horizontalScrollBar()
                                                            : window_.verticalScrollBar();
  QCoreApplication::sendEvent(bar, &event);
}

void ScoreMouse::hover(const QMouseEvent &event) {
  const ScoreHit hit = window_.hitAt(surface_.toScore(event.position()));
  const QString text = QString::fromStdString(
      ScoreElementText(ctx_.song, hit.part, hit.element, ctx_.settings.isTick));
  if (text == hoverText_)
    return;
  hoverText_ = text;
  if (text.isEmpty())
    QToolTip::hideText();
  else
    QToolTip::showText(event.globalPosition().toPoint(), text, &surface_);
}

} // namespace pipora
