#pragma once
// The two raster operations the score surface needs besides plain painting:
// copying a glyph cell with a bitwise AND, and inverting pixels (drawing twice restores).
#include <QImage>
#include <QPoint>
#include <QRect>

namespace pipora {

// dst &= src over the cell, clipped to dst. Both images are Format_RGB32.
void AndCopy(QImage &dst, QPoint at, const QImage &src, const QRect &cell);
// Inverts the pixels of rect (clipped to dst); an empty or negative rect inverts nothing.
void InvertRect(QImage &dst, const QRect &rect);

} // namespace pipora
