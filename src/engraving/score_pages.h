#pragma once
// The score cut into pages for printing and export: systems of whole bars that fit the
// page's width, stacked down the pages. Everything is in the score sheet's units (pixels of
// the editor's surface at 100%), so a page shows exactly what the editor draws.
#include "engraving/score_sheet.h"
#include "model/song.h"

#include <vector>

namespace pipora {

// One system: the sheet from scrollX, `width` units wide, drawn `y` units below the top of
// the page's printable area.
struct PageSystem {
  int scrollX = 0;
  int width = 0;
  int y = 0;
  int firstTick = 0; // of its first bar, or the song's first element
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

} // namespace pipora
