#pragma once
// Draws the 16 staves of a song's score lists onto an image, the way the score editor shows
// them: glyph cells copied with AND, then staff lines, bars, clefs and labels on top. The
// cursor line and the selection rectangle are inverted pixels, so drawing either twice
// removes it.
#include "editing/score_geometry.h"
#include "model/song.h"

#include <QFont>
#include <QImage>
#include <QRect>

namespace pipora {

// What the drawing depends on besides the song.
struct ScoreViewState {
  int quarterWidth = kDefaultQuarterWidth;
  int staffDistance = kDefaultStaffDistance;
  int scrollX = 0;
  int scrollY = 0;
  bool isBar = true;
  bool isBarNum = true;
  bool isDoReMi = false;
};

class ScoreRenderer {
public:
  ScoreRenderer();

  const QImage &sheet() const { return sheet_; }
  StaffLabelTable &table() { return table_; }
  const StaffLabelTable &table() const { return table_; }
  const QFont &font() const { return font_; }

  // The full redraw. Sets view.scrollX to -48 when the whole song fits the surface's width (further
  // left by a pick-up before tick 0, so that it stays in view), and
  // sets the bracket flags of the triplet groups it draws. Only elements near the visible
  // window are visited.
  void drawNote(QImage &surface, Song &song, ScoreViewState &view) const;

  // The current part's cursor line and selection box, as inverted areas.
  QRect cursorArea(const Song &song, const ScoreViewState &view) const;
  QRect selectionArea(const Song &song, const ScoreViewState &view) const;

private:
  QImage sheet_;
  StaffLabelTable table_;
  QFont font_;
};

} // namespace pipora
