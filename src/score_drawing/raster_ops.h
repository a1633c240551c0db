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
// Flips the bits of mask (0xRRGGBB) in every pixel of rect: drawing twice restores, like
// inverting, but white turns into white ^ mask, a colour.
void XorRect(QImage &dst, const QRect &rect, quint32 mask);

} // namespace pipora
