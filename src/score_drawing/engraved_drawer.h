#pragma once
// The engraved drawing: each part shown as a staff with its clef, key and time signature at
// the row's start, beams, accidentals per measure in the key, whole-bar rests and one line of
// do-re-mi labels, clipped to the part's row, and the bar-number ruler pinned above all
// parts. Positions come from the score sheet. The same drawing goes onto the editor's
// surface (symbols copied from pre-drawn cells) or onto a vector page (the font's glyphs, or
// outlines for symbols painted without a font).
#include "editing/score_geometry.h"
#include "engraving/score_sheet.h"
#include "model/song.h"
#include "score_drawing/engraved_glyphs.h"

#include <QFont>
#include <QImage>

class QPainter;

namespace pipora {

struct ScoreViewState;

struct EngravedScoreStyle {
  const EngravedGlyphs &glyphs;
  const QFont &font;
};

// The area to draw: sheet x from scrollX, `width` by `height` pixels.
struct EngravedFrame {
  int scrollX = 0;
  int scrollY = 0;
  int width = 0;
  int height = 0;
  bool ruler = true;         // the bar numbers at the top
  bool bars = true;          // bar lines
  bool labels = true;        // do-re-mi labels
  bool timeSignature = true; // after the clef and key (paper shows it on the first system only)
};

// Draws onto a surface already cleared to white.
void DrawEngravedScore(QImage &surface, const Song &song, const ScoreSheet &sheet,
                       const EngravedFrame &frame, const EngravedScoreStyle &style);
// The same drawing with glyphs and outlines onto any painter (a PDF, SVG or printer page), from its
// origin; nothing outside the frame is drawn.
void PaintEngravedScore(QPainter &painter, const Song &song, const ScoreSheet &sheet,
                        const EngravedFrame &frame, const EngravedScoreStyle &style);

} // namespace pipora
