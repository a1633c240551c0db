#pragma once
// The engraved score's pre-drawn symbols: heads without stems, accidentals, flags and the
// time signature's digits, rests and clefs, black on white in cells that the redraw copies with
// AND, and the sizes the layout needs to put stems and beams against them. Each symbol keeps its
// outline too, for drawing onto vector pages.
#include "engraving/accidentals.h"
#include "engraving/engraving_layout.h"
#include "score_drawing/music_symbols.h"

#include <QImage>
#include <QPainterPath>
#include <QRect>

#include <optional>
#include <utility>
#include <vector>

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

  EngravedGlyphs();

  const QImage &sheet() const { return sheet_; }
  // Reference point: the element's x and the head's centre line.
  GlyphCell head(Head head) const;
  // Reference point: the accidental's left edge and its note's line.
  GlyphCell accidental(Accidental a) const;
  // Reference point: the stem's left edge at its free end.
  GlyphCell flag(int flags, bool stemDown) const;
  // Reference point: the digit's left edge and its vertical centre.
  GlyphCell digit(int digit) const;
  // Reference point: the element's x and the staff's top line; by the classic sheet's rows
  // (0 whole ... 4 sixteenth).
  GlyphCell rest(int rowIndex) const;
  // Reference point: the row's start and the staff's top line.
  GlyphCell clef(Clef clef) const;
  // The symbol's outline placed as the cell is: its reference point at the origin.
  QPainterPath outline(const GlyphCell &cell) const;
  // The symbol as a font's glyph, its ink's top-left placed as the cell is (reference point at
  // the origin); nothing for a symbol painted without a font.
  std::optional<std::pair<FontSymbol, QPointF>> glyph(const GlyphCell &cell) const;
  int digitWidth() const { return digitWidth_; }

  // Head and accidental sizes; the label widths are the renderer's to fill.
  const EngravingMetrics &metrics() const { return metrics_; }

private:
  QImage sheet_;
  EngravingMetrics metrics_;
  int digitWidth_ = 12;
  std::vector<QPainterPath> outlines_; // by column, in sheet coordinates
  // By column: the glyph and its ink's top-left in sheet coordinates.
  std::vector<std::pair<FontSymbol, QPointF>> glyphs_;
};

// The right edge of the inked pixels of a cell (cell.left() when it is blank).
int InkRight(const QImage &image, const QRect &cell);

} // namespace pipora
