#include "engraving/score_pages.h"

#include <algorithm>
#include <cmath>

namespace pipora {

SystemSlice SystemSliceOf(const ScoreSheet &sheet) {
  int top = sheet.height();
  int bottom = 0;
  for (int p = 1; p <= kUserParts; ++p) {
    const SheetRow &row = sheet.row(p);
    if (!row.shown)
      continue;
    top = std::min(top, row.top + row.band.top);
    bottom = std::max(bottom, row.top + row.band.bottom);
  }
  if (bottom <= top)
    return {0, sheet.height()};
  return {top, bottom - top};
}

int SongEndTick(const Song &song) {
  int end = 0;
  for (int p = 1; p <= kUserParts; ++p) {
    const Part &pt = song.part(p);
    const int count = pt.scoreHeader.count;
    if (count >= 0 && static_cast<int>(pt.score.size()) > count)
      end = std::max(end, pt.score[static_cast<std::size_t>(count)].start);
  }
  return end;
}

namespace {

struct Break {
  double x = 0;
  int tick = 0;
};

// Where each system may end: every bar line after the first note, then the song's end.
std::vector<Break> BreaksOf(const Song &song, const ScoreSheet &sheet, double firstX) {
  std::vector<Break> breaks;
  const int end = SongEndTick(song);
  const int measure = song.measureTicks();
  if (measure > 0)
    for (long long tick = measure; tick < end; tick += measure) {
      const double x = sheet.barLineX(static_cast<int>(tick));
      if (x > firstX)
        breaks.push_back({x, static_cast<int>(tick)});
    }
  breaks.push_back({std::max(firstX, sheet.xOfTick(end)), end});
  return breaks;
}

// Inside a bar wider than the page: left of the last note that still fits (and of its
// accidental), or at the page's edge when none does.
Break InnerBreak(const ScoreSheet &sheet, double start, int room) {
  for (double reach = room; reach > 1; reach /= 2) {
    const int tick = sheet.tickAtX(start + reach);
    const double x = sheet.barLineX(tick);
    if (x > start + 1 && x - start <= room)
      return {x, tick};
  }
  return {start + room, sheet.tickAtX(start + room)};
}

} // namespace

std::vector<ScorePage> PaginateScore(const Song &song, const ScoreSheet &sheet,
                                     const PageArea &area, const EngravingMetrics &metrics) {
  const SystemSlice slice = SystemSliceOf(sheet);
  // The notes start right of the row's clef, key and time signature.
  const int header = sheet.headerWidth();
  const int room = std::max(1, area.width - header);
  std::vector<ScorePage> pages(1);
  int y = area.titleRoom;
  // Where a system taller than a page may go on: between two shown staves.
  std::vector<int> staffEdges;
  for (int p = 1; p <= kUserParts; ++p) {
    const SheetRow &row = sheet.row(p);
    if (row.shown)
      staffEdges.push_back(row.top + row.band.bottom);
  }
  auto placePiece = [&](const PageSystem &system) {
    pages.back().systems.push_back(system);
    pages.back().systems.back().y = y;
    y += system.sliceHeight + area.systemGap;
  };
  auto place = [&](int scrollX, int width, int firstTick) {
    if (y > 0 && y + slice.height > area.height && !pages.back().systems.empty()) {
      pages.emplace_back();
      y = 0;
    }
    PageSystem system{scrollX, width, y, firstTick, slice.scrollY, slice.height};
    const int bottom = slice.scrollY + slice.height;
    while (y + system.sliceHeight > area.height) {
      // The staves that fit what is left of the page; at least one.
      int cut = system.sliceTop;
      for (int edge : staffEdges)
        if (edge > system.sliceTop && edge - system.sliceTop <= area.height - y)
          cut = edge;
      if (cut == system.sliceTop)
        cut = *std::upper_bound(staffEdges.begin(), staffEdges.end(), system.sliceTop);
      if (cut >= bottom)
        break;
      PageSystem piece = system;
      piece.sliceHeight = cut - system.sliceTop;
      placePiece(piece);
      pages.emplace_back();
      y = 0;
      system.sliceTop = cut;
      system.sliceHeight = bottom - cut;
    }
    placePiece(system);
  };

  double start = std::floor(sheet.firstX());
  int startTick = sheet.tickAtX(sheet.firstX());
  const std::vector<Break> breaks = BreaksOf(song, sheet, start);
  std::size_t i = 0;
  bool first = true;
  while (i < breaks.size()) {
    // The first system starts at the first note; later ones at a bar line (or a note), put
    // where the notes' clip begins so that the bar line is not drawn after the time
    // signature.
    const int scrollX = first ? static_cast<int>(start) - header
                              : static_cast<int>(std::ceil(start)) - header + metrics.noteGap;
    first = false;
    if (breaks[i].x - start > room) {
      const Break inner = InnerBreak(sheet, start, room);
      place(scrollX, std::min(static_cast<int>(std::ceil(inner.x - scrollX)) + 1, area.width),
            startTick);
      start = inner.x;
      startTick = inner.tick;
      continue;
    }
    // Take bars while they fit.
    std::size_t last = i;
    while (last + 1 < breaks.size() && breaks[last + 1].x - start <= room)
      ++last;
    const int right = static_cast<int>(std::ceil(breaks[last].x - scrollX)) + 1;
    place(scrollX, std::min(right, area.width), startTick);
    start = breaks[last].x;
    startTick = breaks[last].tick;
    i = last + 1;
  }
  return pages;
}

PaperLayout LayOutPaper(const Song &song, const ScoreSheet &sheet, const PaperSpec &paper,
                        const EngravingMetrics &metrics) {
  constexpr double kStaffUnits = 4.0 * kStaffLineGap;
  const double printableMm = paper.heightMm - 2 * paper.marginMm - paper.footMm;
  const double firstPageMm = std::max(1.0, printableMm - paper.titleMm);
  const double systemUnits = SystemSliceOf(sheet).height;
  // A staff shrinks so that the tallest system fits the first page, but no further than the
  // smallest size read easily (two units spare for rounding the rooms to whole units).
  const double fittingStaffMm = firstPageMm * kStaffUnits / (systemUnits + 2);
  PaperLayout layout;
  layout.staffMm = std::clamp(fittingStaffMm, paper.smallestStaffMm, paper.staffMm);
  layout.unitsPerMm = kStaffUnits / layout.staffMm;
  const double u = layout.unitsPerMm;
  layout.area.width = static_cast<int>((paper.widthMm - 2 * paper.marginMm) * u);
  layout.area.height = static_cast<int>(printableMm * u);
  layout.area.titleRoom = static_cast<int>(std::ceil(paper.titleMm * u));
  layout.area.systemGap = static_cast<int>(std::lround(paper.systemGapMm * u));
  layout.pages = PaginateScore(song, sheet, layout.area, metrics);
  return layout;
}

} // namespace pipora
