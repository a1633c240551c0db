#pragma once
// The score cut into pages for printing and export: systems of whole bars that fit the
// page's width, stacked down the pages. Everything is in the score sheet's units (pixels of
// the editor's surface at 100%), so a page shows exactly what the editor draws.
#include "engraving/score_sheet.h"
#include "model/song.h"

#include <vector>

namespace pipora {

// One system: the sheet from scrollX, `width` units wide, drawn `y` units below the top of
// the page's printable area. A system taller than a page goes on in the next page's piece,
// always between two staves: each piece is the sheet's rows from sliceTop, sliceHeight high.
struct PageSystem {
  int scrollX = 0;
  int width = 0;
  int y = 0;
  int firstTick = 0; // of its first bar, or the song's first element
  int sliceTop = 0;
  int sliceHeight = 0;
};

struct ScorePage {
  std::vector<PageSystem> systems;
};

struct PageArea {
  int width = 0;     // printable width
  int height = 0;    // printable height
  int titleRoom = 0; // kept free at the top of the first page
  int systemGap = 0; // between systems
};

// The rows of the shown parts, from the first one's band top to the last one's band bottom:
// every system is this slice of the sheet.
struct SystemSlice {
  int scrollY = 0;
  int height = 0;
};
SystemSlice SystemSliceOf(const ScoreSheet &sheet);

// The last tick of the song: where the longest part ends.
int SongEndTick(const Song &song);

// Systems break at bar lines; a bar wider than the page is broken between two of its notes. A page
// holds at least one system. Never empty: an empty song gives one page with its clefs.
std::vector<ScorePage> PaginateScore(const Song &song, const ScoreSheet &sheet,
                                     const PageArea &area, const EngravingMetrics &metrics = {});

// A sheet of paper in millimetres and the staff size it prefers.
struct PaperSpec {
  double widthMm = 210;
  double heightMm = 297;
  double marginMm = 15;
  double titleMm = 0; // over the first system; none without a title
  double footMm = 8;  // under the last system, for the page number
  double systemGapMm = 4;
  double staffMm = 6.5; // a staff's height (four spaces) where a system fits the page
  // Many staves shrink down to this before a system would stand taller than the page.
  double smallestStaffMm = 3.6;
};

// The pages at the staff size the song's systems need.
struct PaperLayout {
  double unitsPerMm = 1; // sheet units per millimetre of paper
  double staffMm = 0;
  PageArea area;
  std::vector<ScorePage> pages;
};
PaperLayout LayOutPaper(const Song &song, const ScoreSheet &sheet, const PaperSpec &paper,
                        const EngravingMetrics &metrics = {});

} // namespace pipora
