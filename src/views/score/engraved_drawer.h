#pragma once
// The engraved full redraw: each part's staff with beams, accidentals per measure, one line
// of do-re-mi labels and the time signature after the clef, clipped to the part's band, and
// the bar-number ruler pinned above all parts. The x of every element and the staff
// positions are those of the classic drawing.
#include "editing/score_geometry.h"
#include "model/song.h"
#include "views/score/engraved_glyphs.h"

#include <QFont>
#include <QImage>

namespace pipora {

struct ScoreViewState;

struct EngravedScoreStyle {
  const QImage &classicSheet; // rests and the clef
  const EngravedGlyphs &glyphs;
  const StaffLabelTable &table;
  const QFont &font;
};

// Draws onto a surface already cleared to white; sets the bracket flags of the triplet
// groups it draws, as the classic drawing does.
void DrawEngravedScore(QImage &surface, Song &song, const ScoreViewState &view,
                       const EngravedScoreStyle &style);

} // namespace pipora
