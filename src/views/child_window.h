#pragma once
// Common behaviour of the frame's child windows: a mouse moving over the window snaps
// its position to the grid, and the window finds its own frame in the MDI area to show
// and activate itself. (Closing only hides a child; the frame sees to that.)
#include "views/app_context.h"

#include <QWidget>

class QMdiSubWindow;

namespace pipora {

// Window positions snap to this many pixels: 16 with the grid option on, else 1.
int GridStep(const Settings &settings);

class ChildWindow : public QWidget {
  Q_OBJECT
public:
  ChildWindow(AppContext &ctx, const QString &name, QWidget *parent);

  AppContext &context() { return ctx_; }

  // The frame calls these when the user moves between its child windows.
  virtual void activated() {}
  virtual void deactivated() {}

  // The sub-window frame around this window in the MDI area, or null.
  QMdiSubWindow *subWindow() const;
  bool isShownInFrame() const;
  // Shows the sub-window and makes it the active one.
  void showInFrame();
  // Makes the (shown) sub-window the active one.
  void activateInFrame();
  // Rounds the sub-window's position to the grid.
  void snapToGrid();

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
  // Snaps on mouse moves over `control` (and the window itself).
  void watchForSnapping(QWidget *control);

  AppContext &ctx_;
};

} // namespace pipora
