#pragma once
// The engraved drawing of one part, laid out for the part of the song in view: heads, stems
// and flags, beams, triplet brackets, accidentals, do-re-mi labels and whole-bar rests.
// Pure arithmetic on the score lists: the x of every element is the sheet's x of its start
// tick, the head the one of its staff position in the part's clef; nothing here draws.
#include "editing/score_geometry.h"
#include "engraving/accidentals.h"
#include "engraving/beam_groups.h"
#include "engraving/engraving_metrics.h"
#include "engraving/score_sheet.h"
#include "engraving/staff_band.h"
#include "model/song.h"

#include <array>
#include <vector>

namespace pipora {

// The part of the sheet in view: surface x = sheet x - scrollX. The zoom makes the sheet
// when none is given (and places the classic drawing).
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
  bool isRest = false; // the end element is neither
  double staffPosition = 0;
  int headCentre = 0;
  bool stemDown = false;
  bool hasStem = false; // halves and shorter
  double stemX = 0;     // left edge of the stem
  double stemTip = 0;   // where the stem ends: at the beam, or its free end
  int flags = 0;        // drawn on a lone note only
  int beams = 0;        // beams the note carries in its group
  int group = -1;       // index into EngravedPart::groups
  // A rest alone in its measure is drawn once as a whole-bar rest in the measure's middle;
  // the other rests of that measure are not drawn.
  bool wholeBarRest = false;
  bool hidden = false;
  Accidental accidental = Accidental::None;
  double accidentalLeft = 0;
  bool labelShown = false;
  int labelX = 0;
  int labelRight = 0;
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
                        const ScoreSheet &sheet, const EngravingMetrics &metrics);

// The same on a sheet laid out for the whole song with the view's zoom.
EngravedPart LayOutPart(const Song &song, int part, const EngravingView &view,
                        const StaffLabelTable &table, const EngravingMetrics &metrics);

// The engraved sheet for the view's zoom.
ScoreSheet SheetFor(const Song &song, const EngravingView &view, const StaffLabelTable &table,
                    const EngravingMetrics &metrics);

// Whether a stem goes down from a head (or a beam from heads whose middle is) at this offset
// below the part's top: from the middle line up.
bool StemDownAt(double headCentre);

// Where the stem of a lone note ends: three and a half spaces from the head (more with two
// flags), and never short of the staff's middle line.
double FreeStemTip(int headCentre, bool stemDown, int flags, const EngravingMetrics &metrics);

} // namespace pipora
