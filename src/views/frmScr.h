#pragma once
// Placeholder until the window is built; its owner replaces this file whole.
#include "model/song.h"

#include <QWidget>

namespace pipora {

class frmScr : public QWidget {
  Q_OBJECT
public:
  explicit frmScr(Song &song, QWidget *parent = nullptr);

private:
  Song &song_;
};

} // namespace pipora
