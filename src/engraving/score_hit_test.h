#pragma once
// What lies under a point of the score editor's surface: the part whose band holds it, the
// element the cursor would go to, and the note or rest drawn there. Read from the positions
// the drawing itself uses (the engraved layout, or the classic glyph cells), so that a click
// lands on the note the user sees wherever the layout puts it.
#include "editing/score_geometry.h"
#include "engraving/engraving_layout.h"
#include "model/song.h"

namespace pipora {

struct ScoreHitView {
  EngravingView engraving; // zoom, horizontal scroll and width, as the drawing lays out
  int scrollY = 0;
  bool classic = false; // one glyph cell per note at its start tick
  // Where the engraved drawing put things; laid out afresh for the song when none is given.
  const ScoreSheet *sheet = nullptr;
};

struct ScoreHit {
  int part = 1;
  // The cursor position nearest the point: before the element whose head is closest (the end
  // element counts, so pointing past the last note puts the cursor after it).
  int cursor = 0;
  // The note or rest whose drawing holds the point, -1 for none.
  int element = -1;
};

// The part whose band holds surface y; above the first band part 1, below the last part 16.
int PartAtY(int y, int staffDistance, int scrollY);

ScoreHit HitTestScore(const Song &song, const ScoreHitView &view, const StaffLabelTable &table,
                      const EngravingMetrics &metrics, int x, int y);
// The same within `part`, wherever y is (a drag keeps to the part it started in).
ScoreHit HitTestPart(const Song &song, const ScoreHitView &view, const StaffLabelTable &table,
                     const EngravingMetrics &metrics, int part, int x, int y);

// Surface pixels per semitone when a head is dragged (an octave spans 42 pixels of staff).
inline constexpr double kDragPixelsPerSemitone = 3.5;
inline constexpr int kDragPixelsPerOctave = 42;

// The note number a head dragged `steps` semitones (octaves) from `original` lands on:
// within 45 to 90 unless `isNoCheck`, as the pitch keys keep it; a note the keys could not
// move stays. Rests stay rests.
int DraggedPitch(int original, int steps, bool octaves, bool isNoCheck);
// Steps of a vertical drag by `dy` surface pixels (down is positive, and lowers the pitch).
int DragSteps(int dy, bool octaves);

} // namespace pipora
