#pragma once
// Draws the 16 staves of a song's score lists onto an image, the way the score editor shows
// them: engraved (beams, accidentals per measure, one label line; engraved_drawer.h), or
// classic, one glyph cell per note copied with AND, then staff lines, bars, clefs and labels
// on top. The cursor line and the selection rectangle are pixels flipped by XOR, so drawing
// either twice removes it.
#include "editing/score_geometry.h"
#include "engraving/score_sheet.h"
#include "model/song.h"
#include "score_drawing/engraved_glyphs.h"

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
  // One glyph per note, as before engraving: no beams, accidentals on every note.
  bool isClassicScore = false;
  // Printed: every part without notes is left off, whatever the view shows.
  bool paper = false;
  // Where things go, laid out for the song as it is; made afresh when none is given.
  const ScoreSheet *sheet = nullptr;
};

class ScoreRenderer {
public:
  ScoreRenderer();

  const QImage &sheet() const { return sheet_; }
  StaffLabelTable &table() { return table_; }
  const StaffLabelTable &table() const { return table_; }
  const QFont &font() const { return font_; }
  const EngravedGlyphs &glyphs() const { return engraved_; }

  // The sheet the drawing and the marks use for this song and view.
  ScoreSheet layOut(const Song &song, const ScoreViewState &view) const;
  // Equal for two calls exactly when layOut would give the same sheet.
  std::uint64_t layOutInputs(const Song &song, const ScoreViewState &view) const;
  // The sizes of the engraved symbols, which the hit test lays the score out with.
  const EngravingMetrics &metrics() const { return engraved_.metrics(); }

  // The full redraw. Sets view.scrollX to -48 when the whole song fits the surface's width (further
  // left by a pick-up before tick 0, so that it stays in view). The triplet brackets come from
  // the sheet. Only elements near the visible window are visited.
  void drawNote(QImage &surface, const Song &song, ScoreViewState &view) const;

  // The current part's cursor line and selection box, as areas flipped by XOR with their
  // masks: inverted in the classic drawing; engraved, a blue cursor and a light tint that
  // keeps the notes readable, both kept off the bar-number ruler.
  QRect cursorArea(const Song &song, const ScoreViewState &view) const;
  QRect selectionArea(const Song &song, const ScoreViewState &view) const;
  static quint32 cursorMask(const ScoreViewState &view);
  static quint32 selectionMask(const ScoreViewState &view);

private:
  QImage sheet_;
  EngravedGlyphs engraved_;
  StaffLabelTable table_;
  QFont font_;
};

} // namespace pipora
