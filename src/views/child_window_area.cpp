#include "views/child_window_area.h"

#include "views/child_window.h"
#include "views/player/player_panel.h"
#include "views/property/property_window.h"
#include "views/score/score_editor_window.h"
#include "views/source/source_editor_window.h"
#include "views/window_arrangement.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>

#include <cmath>
#include <vector>

namespace pipora {
namespace {

// The property window's width and the player panel's side as the design lays them out.
constexpr int kPropertyDesignWidth = 380;
constexpr int kPanelDesignSize = 100;

} // namespace

ChildWindowArea::ChildWindowArea(AppContext &ctx, QMainWindow &frame,
                                 std::function<bool()> mayClose)
    : ctx_(ctx), frame_(frame), mayClose_(std::move(mayClose)) {
  mdi_ = new QMdiArea(&frame);
  mdi_->setObjectName("MDIClient");
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->viewport()->installEventFilter(this);
  frame.setCentralWidget(mdi_);

  // The order decides the initial stacking: the score editor ends on top.
  player_ = new PlayerPanel(ctx_, nullptr);
  addChild(player_, "Player");
  props_ = new PropertyWindow(ctx_, nullptr);
  addChild(props_, "PropertyWindow");
  source_ = new SourceEditorWindow(ctx_, nullptr);
  addChild(source_, "SourceEditor");
  score_ = new ScoreEditorWindow(ctx_, nullptr);
  addChild(score_, "ScoreEditor");
  placeDesignLayout();
  connect(mdi_, &QMdiArea::subWindowActivated, this, &ChildWindowArea::onSubWindowActivated);
}

// --- child windows -----------------------------------------------------------------

QMdiSubWindow *ChildWindowArea::addChild(QWidget *child, const QString &caption) {
  QMdiSubWindow *sub = mdi_->addSubWindow(child);
  sub->setObjectName(child->objectName() + "Frame");
  sub->setWindowTitle(caption);
  child->setWindowTitle(caption);
  // Child windows hide instead of closing (eventFilter).
  sub->setAttribute(Qt::WA_DeleteOnClose, false);
  sub->installEventFilter(this);
  return sub;
}

QSize ChildWindowArea::naturalSize(const QWidget *child) const {
  if (child == props_)
    return {kPropertyDesignWidth, PropertyWindow::designHeight()};
  if (child == player_)
    return {kPanelDesignSize, kPanelDesignSize};
  return subWindowOf(child)->size();
}

void ChildWindowArea::placeDesignLayout() {
  const QSize area = mdi_->viewport()->size().isValid() && mdi_->viewport()->width() > 100
                         ? mdi_->viewport()->size()
                         : kDesignFrameSize - QSize(8, 60);
  const int propWidth = kPropertyDesignWidth;
  const int propHeight = PropertyWindow::designHeight();
  const int panel = kPanelDesignSize;
  subWindowOf(score_)->setGeometry(0, 0, area.width() - propWidth, area.height() * 3 / 5);
  subWindowOf(source_)->setGeometry(0, area.height() * 3 / 5, area.width() - propWidth,
                                    area.height() * 2 / 5);
  subWindowOf(props_)->setGeometry(area.width() - propWidth, panel, propWidth, propHeight);
  subWindowOf(player_)->setGeometry(area.width() - panel - 1, 0, panel, panel);
}

QMdiSubWindow *ChildWindowArea::subWindowOf(const QWidget *child) const {
  if (!child)
    return nullptr;
  for (QMdiSubWindow *sub : mdi_->subWindowList())
    if (sub->widget() == child)
      return sub;
  return nullptr;
}

bool ChildWindowArea::isChildVisible(const QWidget *child) const {
  const QMdiSubWindow *sub = subWindowOf(child);
  return sub && !sub->isHidden();
}

void ChildWindowArea::setChildVisible(QWidget *child, bool visible) {
  QMdiSubWindow *sub = subWindowOf(child);
  if (!sub)
    return;
  if (visible) {
    sub->show();
    child->show();
    mdi_->setActiveSubWindow(sub);
  } else {
    sub->hide();
  }
  emit visibilityChanged();
}

QWidget *ChildWindowArea::childWindow(std::optional<WindowId> id) const {
  if (!id)
    return nullptr;
  switch (*id) {
  case WindowId::ScoreEditor:
    return score_;
  case WindowId::SourceEditor:
    return source_;
  case WindowId::Player:
    return player_;
  case WindowId::Property:
    return props_;
  case WindowId::Main:
    break;
  }
  return nullptr;
}

void ChildWindowArea::focusActiveWindow(std::optional<WindowId> id) {
  QWidget *target = childWindow(id);
  if (!target || !isChildVisible(target))
    target = isChildVisible(score_) ? score_ : nullptr;
  if (!target)
    return;
  mdi_->setActiveSubWindow(subWindowOf(target));
  // The frame follows the keyboard focus: it has to move into the window too.
  if (target == source_)
    source_->focusList();
  else
    target->setFocus(Qt::OtherFocusReason);
}

void ChildWindowArea::onSubWindowActivated(QMdiSubWindow *sub) {
  // A null window means the frame itself lost the focus to another program or a dialog;
  // the active child stays the same for the program's purposes.
  if (!sub)
    return;
  QWidget *now = sub->widget();
  if (now == activeChild_)
    return;
  QWidget *previous = activeChild_;
  activeChild_ = now;
  // Windows placed while the program starts are not "activated" by the user: the
  // ActiveWindow setting read from the file must survive until the first song exists.
  if (ctx_.startingUp)
    return;
  if (auto *child = qobject_cast<ChildWindow *>(previous))
    child->deactivated();
  if (auto *child = qobject_cast<ChildWindow *>(now))
    child->activated();
}

// --- grid and arrangement ----------------------------------------------------------

void ChildWindowArea::tile() {
  ctx_.settings.isGrid = false;
  std::vector<ArrangedWindow> windows;
  for (QWidget *child : {static_cast<QWidget *>(score_), static_cast<QWidget *>(source_),
                         static_cast<QWidget *>(player_), static_cast<QWidget *>(props_)}) {
    QMdiSubWindow *sub = subWindowOf(child);
    if (sub->isMinimized() || sub->isMaximized())
      return;
    if (sub->isHidden())
      continue;
    ArrangedWindow w;
    w.kind = child == props_    ? ArrangedKind::Property
             : child == player_ ? ArrangedKind::Panel
                                : ArrangedKind::Editor;
    w.geometry = sub->geometry();
    w.id = child;
    w.natural = naturalSize(child);
    windows.push_back(w);
  }
  for (const ArrangedWindow &w : TileLayout(windows, mdi_->viewport()->size()))
    subWindowOf(static_cast<const QWidget *>(w.id))->setGeometry(w.geometry);
}

// The dock below the windows (the problem list) takes height from them: a window it would
// push past the edge (its close button under the scroll bar) is shrunk or moved into view
// while the dock is shown, and gets its place back when the dock goes, unless the user
// moved it meanwhile.
void ChildWindowArea::keepWindowsInReach() {
  if (!dock_ || (!dock_->isVisible() && fittedForDock_.isEmpty()))
    return;
  const QSize area = mdi_->viewport()->size();
  for (QMdiSubWindow *sub : mdi_->subWindowList()) {
    if (sub->isHidden() || sub->isMinimized() || sub->isMaximized())
      continue;
    const auto fitted = fittedForDock_.constFind(sub);
    const QRect own = fitted != fittedForDock_.cend() && fitted->second == sub->geometry()
                          ? fitted->first
                          : sub->geometry();
    const QRect inReach = dock_->isVisible() ? FitInside(own, area, sub->minimumSizeHint()) : own;
    if (inReach != own)
      fittedForDock_.insert(sub, {own, inReach});
    else
      fittedForDock_.remove(sub);
    if (inReach != sub->geometry())
      sub->setGeometry(inReach);
  }
}

void ChildWindowArea::cascade() {
  std::vector<QWidget *> order;
  if (ctx_.session.editedLists() == EditedLists::Score)
    order = {source_, player_, props_, score_};
  else if (source_->listHasFocus())
    order = {player_, props_, score_, source_};
  else
    order = {score_, source_, player_, props_};
  const QSize area = mdi_->viewport()->size();
  QPoint at(0, 0);
  for (QWidget *child : order) {
    QMdiSubWindow *sub = subWindowOf(child);
    if (sub->isHidden())
      continue;
    if (sub->isMinimized() || sub->isMaximized())
      sub->showNormal();
    QRect g = sub->geometry();
    g.moveTopLeft(at);
    if (child != props_)
      g.setSize(QSize(static_cast<int>(std::lround(area.width() * 0.8)),
                      static_cast<int>(std::lround(area.height() * 0.8))));
    sub->setGeometry(g);
    sub->raise();
    const int titleBar = sub->height() - child->height();
    at += QPoint(titleBar, titleBar);
  }
}

// --- layout to and from the settings -----------------------------------------------

void ChildWindowArea::storeLayout(Settings &settings) const {
  auto store = [&](WindowId id, const QWidget *w, bool isFrame) {
    WindowLayout &l = settings.window(id);
    const QWidget *frame = isFrame ? w : subWindowOf(w);
    if (!frame)
      return;
    // The frame is stored and restored by its inner geometry alone: its outer position
    // depends on decorations a window manager adds only once the window is shown, so mixing
    // the two made the window creep by the title bar's height at every start.
    const QRect g =
        frame->isMaximized() || frame->isMinimized() ? frame->normalGeometry() : frame->geometry();
    if (g.isValid()) {
      l.left = g.left();
      l.top = g.top();
      l.width = g.width();
      l.height = g.height();
    }
    l.state = frame->isMinimized() ? 1 : frame->isMaximized() ? 2 : 0;
    l.visible = isFrame ? true : !frame->isHidden();
  };
  store(WindowId::Main, &frame_, true);
  store(WindowId::SourceEditor, source_, false);
  store(WindowId::Player, player_, false);
  store(WindowId::Property, props_, false);
  store(WindowId::ScoreEditor, score_, false);
}

void ChildWindowArea::applyLayout(const Settings &settings) {
  auto apply = [&](WindowId id, QWidget *frame) {
    const WindowLayout &l = settings.window(id);
    if (l.state == 0 && l.width > 0 && l.height > 0)
      frame->setGeometry(l.left, l.top, l.width, l.height);
    if (l.state == 1)
      frame->setWindowState(frame->windowState() | Qt::WindowMinimized);
    else if (l.state == 2)
      frame->setWindowState(frame->windowState() | Qt::WindowMaximized);
  };
  apply(WindowId::Main, &frame_);
  apply(WindowId::SourceEditor, subWindowOf(source_));
  apply(WindowId::Player, subWindowOf(player_));
  apply(WindowId::Property, subWindowOf(props_));
  apply(WindowId::ScoreEditor, subWindowOf(score_));
}

bool ChildWindowArea::eventFilter(QObject *watched, QEvent *event) {
  // A child window shown or hidden by itself: the View menu item follows.
  if ((event->type() == QEvent::Show || event->type() == QEvent::Hide) &&
      qobject_cast<QMdiSubWindow *>(watched))
    emit visibilityChanged();
  if (event->type() == QEvent::Close && !mayClose_()) {
    // A child window's close box hides it; the View menu item follows.
    if (auto *sub = qobject_cast<QMdiSubWindow *>(watched)) {
      event->ignore();
      sub->hide();
      emit visibilityChanged();
      return true;
    }
  }
  if (watched == mdi_->viewport() && event->type() == QEvent::Resize)
    keepWindowsInReach();
  if (watched == mdi_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (!mdi_->viewport()->childAt(mouse->position().toPoint())) {
      emit backgroundDoubleClicked();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

} // namespace pipora
