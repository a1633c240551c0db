#pragma once
// Common behaviour of the frame's child windows: a mouse moving over the window snaps
// its position to the grid. (Closing only hides a child; the frame sees to that.)
#include "views/app_context.h"

#include <QWidget>

namespace pipora {

class ChildWindow : public QWidget {
  Q_OBJECT
public:
  ChildWindow(AppContext &ctx, const QString &name, QWidget *parent);

  AppContext &context() { return ctx_; }

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
  // Snaps on mouse moves over `control` (and the window itself).
  void watchForSnapping(QWidget *control);

  AppContext &ctx_;
};

} // namespace pipora
