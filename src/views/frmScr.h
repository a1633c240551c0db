#pragma once
// Placeholder until the window is built; its owner replaces this file whole.
#include "views/app_context.h"

#include <QWidget>

namespace pipora {

class frmScr : public QWidget {
  Q_OBJECT
public:
  explicit frmScr(AppContext &ctx, QWidget *parent = nullptr);

private:
  AppContext &ctx_;
};

} // namespace pipora
