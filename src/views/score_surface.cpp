#include "views/score_surface.h"

#include "platform/ui/virtual_keys.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

namespace pipora {

ScoreSurface::ScoreSurface(QWidget *parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Picture1"));
  setFocusPolicy(Qt::StrongFocus);
  setAcceptDrops(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void ScoreSurface::fitImage() {
  const QSize want = size().expandedTo(QSize(1, 1));
  if (image_.size() == want)
    return;
  image_ = QImage(want, QImage::Format_RGB32);
  image_.fill(Qt::white);
}

void ScoreSurface::paintEvent(QPaintEvent *event) {
  QPainter p(this);
  p.fillRect(event->rect(), Qt::white);
  p.drawImage(event->rect().topLeft(), image_, event->rect());
}

int ScoreKeyCode(int qtKey, Qt::KeyboardModifiers modifiers) {
  // The "#" of Shift+3 is still key 3 for the shortcut table.
  if (qtKey == Qt::Key_NumberSign && (modifiers & Qt::ShiftModifier))
    return '3';
  return VirtualKeyOf(qtKey, (modifiers & Qt::KeypadModifier) != 0);
}

void ScoreSurface::keyPressEvent(QKeyEvent *event) {
  const int code = ScoreKeyCode(event->key(), event->modifiers());
  emit keyDown(code, ModifierMaskOf(event->modifiers()));
  event->accept();
}

bool ScoreSurface::focusNextPrevChild(bool) {
  return false; // Tab stays on the surface like every other key
}

void ScoreSurface::focusInEvent(QFocusEvent *event) {
  QWidget::focusInEvent(event);
  emit focusChanged(true);
}

void ScoreSurface::focusOutEvent(QFocusEvent *event) {
  QWidget::focusOutEvent(event);
  emit focusChanged(false);
}

void ScoreSurface::dragEnterEvent(QDragEnterEvent *event) {
  if (event->mimeData()->hasUrls())
    event->acceptProposedAction();
}

void ScoreSurface::dropEvent(QDropEvent *event) {
  QStringList paths;
  for (const QUrl &url : event->mimeData()->urls())
    if (url.isLocalFile())
      paths << url.toLocalFile();
  if (!paths.isEmpty()) {
    event->acceptProposedAction();
    emit filesDropped(paths);
  }
}

} // namespace pipora
