#pragma once
// The engraved drawing of one part, laid out for the part of the song in view: heads, stems
// and flags, beams, triplet brackets, accidentals, do-re-mi labels and room for accidentals
// after bar lines. Pure arithmetic on the score lists: the x of every element stays the x of
// its start tick, the head the one of its staff position; nothing here draws.
#include "editing/engraving/accidentals.h"
#include "editing/engraving/beam_groups.h"
#include "editing/engraving/staff_band.h"
#include "editing/score_geometry.h"
#include "model/song.h"

#include <array>
#include <vector>

namespace pipora {

// Sizes of the drawn symbols, in pixels (one staff space is 12).
struct EngravingMetrics {
  double headLeft = 2;   // the head's left edge right of the element's x
  double headWidth = 14; // of a black head
  double stemWidth = 1.3;
  int stemLength = 42;   // three and a half spaces from the head's centre
  int shortestStem = 30; // of a beamed note, to the nearest beam
  int beamThickness = 5; // toward the heads
  int beamDistance = 8;  // from one beam's outer edge to the next one's
  int stubLength = 8;    // a sixteenth's part beam beside an eighth
  int accidentalGap = 1; // between an accidental and its head
  int barLineRoom = 3;   // between a bar line and an accidental after it
  std::array<int, 4> accidentalWidth = {0, 8, 7, 7}; // by Accidental
  std::array<int, 12> labelWidth{};                  // of the do-re-mi label of each pitch class
};

struct EngravingView {
  int quarterWidth = kDefaultQuarterWidth;
  int staffDistance = kDefaultStaffDistance;
  int scrollX = 0;
  int width = 0;
  bool labels = true;
};

// Offsets are pixels below the part's top edge; x values are surface x.
struct EngravedNote {
  int index = 0; // in the part's score list
  int start = 0; // tick
  int x = 0;     // the element's x (its glyph cell's left edge)
  bool isNote = false;
  double staffPosition = 0;
  int headCentre = 0;
  bool stemDown = false;
  bool hasStem = false; // halves and shorter
  double stemX = 0;     // left edge of the stem
  double stemTip = 0;   // where the stem ends: at the beam, or its free end
  int flags = 0;        // drawn on a lone note only
  int beams = 0;        // beams the note carries in its group
  int group = -1;       // index into EngravedPart::groups
  Accidental accidental = Accidental::None;
  double accidentalLeft = 0;
  bool labelShown = false;
  int labelX = 0;
};

// One beam as the line of its outer edge between two stems; it is `thickness` pixels thick
// toward the heads (downward when `downward`).
struct BeamLine {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool downward = true;
};

struct EngravedGroup {
  int first = 0; // indices into EngravedPart::notes
  int last = 0;
  bool stemDown = false;
  bool triplet = false;
};

// A triplet bracket: a line at y from x0 to x1 with hooks down to hookY, "3" over its middle.
struct TupletMark {
  double x0 = 0, x1 = 0;
  int y = 0;
  int hookY = 0;
  double numeralX = 0;
};

struct EngravedPart {
  StaffBand band;
  std::vector<EngravedNote> notes; // in score order, elements in view and their groups
  std::vector<EngravedGroup> groups;
  std::vector<BeamLine> beams;
  std::vector<TupletMark> tuplets;
};

EngravedPart LayOutPart(const Song &song, int part, const EngravingView &view,
                        const StaffLabelTable &table, const EngravingMetrics &metrics);

// The x of the bar line at barTick: `defaultX`, moved left when the part's note starting on
// that bar carries an accidental, so that the accidental keeps its room after the line.
double BarLineX(const EngravedPart &part, int barTick, double defaultX,
                const EngravingMetrics &metrics);

// Where the stem of a lone note ends: three and a half spaces from the head (more with two
// flags), and never short of the staff's middle line.
double FreeStemTip(int headCentre, bool stemDown, int flags, const EngravingMetrics &metrics);

} // namespace pipora
