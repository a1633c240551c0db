#include "platform/ui/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace pipora {

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 64})
    icon.addPixmap(QPixmap::fromImage(ProgramIconImage(size)));
  return icon;
}

// share/icons/piporapad.svg is this drawing on a 32-unit square.
QImage ProgramIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(236, 96, 140));
    p.drawRoundedRect(QRectF(1 * s, 1 * s, 30 * s, 30 * s), 6 * s, 6 * s);
    // Note head, stem and flag in white.
    p.setBrush(Qt::white);
    p.save();
    p.translate(12 * s, 23 * s);
    p.rotate(-20);
    p.drawEllipse(QPointF(0, 0), 5 * s, 3.6 * s);
    p.restore();
    p.drawRect(QRectF(15.6 * s, 6 * s, 2 * s, 17 * s));
    QPainterPath flag;
    flag.moveTo(17.6 * s, 6 * s);
    flag.cubicTo(19 * s, 11 * s, 25 * s, 11 * s, 23 * s, 18 * s);
    flag.cubicTo(23 * s, 13 * s, 20 * s, 12.5 * s, 17.6 * s, 12 * s);
    flag.closeSubpath();
    p.drawPath(flag);
  }
  return image;
}

} // namespace pipora
