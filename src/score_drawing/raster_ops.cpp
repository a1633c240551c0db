#include "score_drawing/raster_ops.h"

#include <algorithm>

namespace pipora {

void AndCopy(QImage &dst, QPoint at, const QImage &src, const QRect &cell) {
  const int x0 = std::max(0, at.x());
  const int y0 = std::max(0, at.y());
  const int x1 = std::min(dst.width(), at.x() + cell.width());
  const int y1 = std::min(dst.height(), at.y() + cell.height());
  if (x0 >= x1 || y0 >= y1)
    return;
  const int srcDx = cell.x() - at.x();
  const int srcDy = cell.y() - at.y();
  uchar *const dstBits = dst.bits();
  const qsizetype dstStride = dst.bytesPerLine();
  const uchar *const srcBits = src.constBits();
  const qsizetype srcStride = src.bytesPerLine();
  for (int y = y0; y < y1; ++y) {
    auto *d = reinterpret_cast<quint32 *>(dstBits + y * dstStride);
    const auto *s = reinterpret_cast<const quint32 *>(srcBits + (y + srcDy) * srcStride);
    for (int x = x0; x < x1; ++x)
      d[x] &= s[x + srcDx];
  }
}

void InvertRect(QImage &dst, const QRect &rect) {
  XorRect(dst, rect, 0x00FFFFFFu);
}

void XorRect(QImage &dst, const QRect &rect, quint32 mask) {
  mask &= 0x00FFFFFFu;
  const QRect r = rect.normalized().intersected(dst.rect());
  if (r.isEmpty())
    return;
  uchar *const bits = dst.bits();
  const qsizetype stride = dst.bytesPerLine();
  for (int y = r.top(); y <= r.bottom(); ++y) {
    auto *d = reinterpret_cast<quint32 *>(bits + y * stride);
    for (int x = r.left(); x <= r.right(); ++x)
      d[x] ^= mask;
  }
}

} // namespace pipora
