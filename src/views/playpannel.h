#pragma once
// Placeholder until the window is built; its owner replaces this file whole.
#include "model/song.h"

#include <QWidget>

namespace pipora {

class playpannel : public QWidget {
  Q_OBJECT
public:
  explicit playpannel(Song &song, QWidget *parent = nullptr);

private:
  Song &song_;
};

} // namespace pipora
