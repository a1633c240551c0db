#include "views/child_window.h"

#include "views/main_window.h"

#include <QEvent>

namespace pipora {

ChildWindow::ChildWindow(AppContext &ctx, const QString &name, QWidget *parent)
    : QWidget(parent), ctx_(ctx) {
  setObjectName(name);
  setMouseTracking(true);
}

void ChildWindow::watchForSnapping(QWidget *control) {
  control->setMouseTracking(true);
  control->installEventFilter(this);
}

bool ChildWindow::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::MouseMove && ctx_.frame)
    ctx_.frame->snapToGrid(this);
  return QWidget::eventFilter(watched, event);
}

} // namespace pipora
