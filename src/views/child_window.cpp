#include "views/child_window.h"

#include "views/window_arrangement.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace pipora {

int GridStep(const Settings &settings) {
  return settings.isGrid ? 16 : 1;
}

ChildWindow::ChildWindow(AppContext &ctx, const QString &name, QWidget *parent)
    : QWidget(parent), ctx_(ctx) {
  setObjectName(name);
  setMouseTracking(true);
}

QMdiSubWindow *ChildWindow::subWindow() const {
  return qobject_cast<QMdiSubWindow *>(parentWidget());
}

bool ChildWindow::isShownInFrame() const {
  const QMdiSubWindow *sub = subWindow();
  return sub && !sub->isHidden();
}

void ChildWindow::showInFrame() {
  QMdiSubWindow *sub = subWindow();
  if (!sub)
    return;
  sub->show();
  show();
  activateInFrame();
}

void ChildWindow::activateInFrame() {
  QMdiSubWindow *sub = subWindow();
  if (sub && sub->mdiArea())
    sub->mdiArea()->setActiveSubWindow(sub);
}

void ChildWindow::snapToGrid() {
  QMdiSubWindow *sub = subWindow();
  if (!sub || sub->isMinimized() || sub->isMaximized())
    return;
  const int g = GridStep(ctx_.settings);
  if (g <= 1)
    return;
  const QPoint p = sub->pos();
  const QPoint snapped(RoundToStep(p.x(), g), RoundToStep(p.y(), g));
  if (snapped != p)
    sub->move(snapped);
}

void ChildWindow::watchForSnapping(QWidget *control) {
  control->setMouseTracking(true);
  control->installEventFilter(this);
}

bool ChildWindow::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::MouseMove)
    snapToGrid();
  return QWidget::eventFilter(watched, event);
}

} // namespace pipora
