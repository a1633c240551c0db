#include "views/score/score_surface.h"

#include "platform/ui/virtual_keys.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

#include <cmath>
#include <utility>

namespace pipora {

ScoreSurface::ScoreSurface(QWidget *parent) : QWidget(parent) {
  setObjectName(QStringLiteral("scoreSurface"));
  setFocusPolicy(Qt::StrongFocus);
  setAcceptDrops(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void ScoreSurface::setScale(double scale) {
  scale_ = scale > 0 ? scale : 1.0;
  fitImage();
}

QPoint ScoreSurface::toScore(QPointF widgetPoint) const {
  return QPoint(static_cast<int>(std::floor(widgetPoint.x() / scale_)),
                static_cast<int>(std::floor(widgetPoint.y() / scale_)));
}

void ScoreSurface::fitImage() {
  const QSize want = QSize(static_cast<int>(std::ceil(width() / scale_)),
                           static_cast<int>(std::ceil(height() / scale_)))
                         .expandedTo(QSize(1, 1));
  if (image_.size() == want)
    return;
  image_ = QImage(want, QImage::Format_RGB32);
  image_.fill(Qt::white);
}

void ScoreSurface::paintEvent(QPaintEvent *event) {
  QPainter p(this);
  p.fillRect(event->rect(), Qt::white);
  if (scale_ == 1.0) {
    p.drawImage(event->rect().topLeft(), image_, event->rect());
    return;
  }
  p.setRenderHint(QPainter::SmoothPixmapTransform, true);
  p.scale(scale_, scale_);
  const QRectF area(event->rect().x() / scale_, event->rect().y() / scale_,
                    event->rect().width() / scale_, event->rect().height() / scale_);
  const QRect source = area.toAlignedRect().intersected(image_.rect());
  p.drawImage(source.topLeft(), image_, source);
}

int ScoreKeyCode(int qtKey, Qt::KeyboardModifiers modifiers) {
  // With Shift the digit row types symbols; the shortcut table still sees the digit key
  // ("#" of Shift+3 is key 3). US layout, and '"' of the Japanese Shift+2.
  static constexpr std::pair<int, char> kShiftedDigits[] = {
      {Qt::Key_Exclam, '1'},      {Qt::Key_At, '2'},        {Qt::Key_QuoteDbl, '2'},
      {Qt::Key_NumberSign, '3'},  {Qt::Key_Dollar, '4'},    {Qt::Key_Percent, '5'},
      {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'}, {Qt::Key_Asterisk, '8'},
      {Qt::Key_ParenLeft, '9'},   {Qt::Key_ParenRight, '0'}};
  const bool keypad = (modifiers & Qt::KeypadModifier) != 0;
  if ((modifiers & Qt::ShiftModifier) && !keypad)
    for (const auto &[key, digit] : kShiftedDigits)
      if (qtKey == key)
        return digit;
  return VirtualKeyOf(qtKey, keypad);
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
