#pragma once
// The engraved score's pre-drawn symbols: heads without stems, accidentals, flags and the
// time signature's digits, black on white in cells that the redraw copies with AND, and the
// sizes the layout needs to put stems and beams against them.
#include "editing/engraving/accidentals.h"
#include "editing/engraving/engraving_layout.h"

#include <QImage>
#include <QRect>

namespace pipora {

// A symbol's pixels on the sheet and the point inside them that lands on the symbol's
// reference point on the surface.
struct GlyphCell {
  QRect source;
  QPoint hotspot; // relative to source's top-left
};

class EngravedGlyphs {
public:
  // Heads by the classic sheet's rows: whole, half, quarter and shorter.
  enum class Head { Whole, Void, Black };

  // The classic sheet gives the clef's width.
  explicit EngravedGlyphs(const QImage &classicSheet);

  const QImage &sheet() const { return sheet_; }
  // Reference point: the element's x and the head's centre line.
  GlyphCell head(Head head) const;
  // Reference point: the accidental's left edge and its note's line.
  GlyphCell accidental(Accidental a) const;
  // Reference point: the stem's left edge at its free end.
  GlyphCell flag(int flags, bool stemDown) const;
  // Reference point: the digit's left edge and its vertical centre.
  GlyphCell digit(int digit) const;
  int digitWidth() const { return digitWidth_; }
  // Right edge of the treble clef inside the classic sheet's clef cell.
  int clefRight() const { return clefRight_; }

  // Head and accidental sizes; the label widths are the renderer's to fill.
  const EngravingMetrics &metrics() const { return metrics_; }

private:
  QImage sheet_;
  EngravingMetrics metrics_;
  int digitWidth_ = 12;
  int clefRight_ = 40;
};

// The right edge of the inked pixels of a cell (cell.left() when it is blank).
int InkRight(const QImage &image, const QRect &cell);

} // namespace pipora
