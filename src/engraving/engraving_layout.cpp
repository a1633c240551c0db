#include "engraving/engraving_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pipora {
namespace {

constexpr int kHeadHalfHeight = 6;
constexpr int kBracketHook = 6;
// From a head's centre to beyond its accidental, with a pixel of air.
constexpr int kAccidentalClearance = 12;
// A triplet bracket clears the staff and the notes by this much.
constexpr int kBracketClearance = 8;

bool HasStem(int duration) {
  const int row = GlyphRow(duration);
  return row > 0; // halves and shorter; whole notes (row 0) have none
}

int SurfaceX(const ScoreSheet &sheet, int tick, int scrollX) {
  return RoundHalfEven(sheet.xOfTick(tick) - scrollX);
}

// The range of elements whose drawing may reach the surface.
std::pair<int, int> VisibleRange(const Part &pt, const EngravingView &view,
                                 const ScoreSheet &sheet) {
  const int count = pt.scoreHeader.count;
  const int leftTick = sheet.tickAtX(view.scrollX + sheet.headerWidth() - kCellWidth);
  int first = FirstElementAtOrAfter(pt, leftTick) - 1;
  first = std::max(first, 0);
  int last = first;
  while (last < count && SurfaceX(sheet, pt.score[static_cast<std::size_t>(last)].start,
                                  view.scrollX) < view.width + kCellWidth)
    ++last;
  return {first, last};
}

// Measures holding rests only show one whole-bar rest in their middle.
void MarkWholeBarRests(EngravedPart &out, std::span<const ScoreNote> score, int measureTicks,
                       const ScoreSheet &sheet, int scrollX, const EngravingMetrics &m) {
  if (measureTicks <= 0)
    return;
  auto &notes = out.notes;
  for (std::size_t a = 0; a < notes.size();) {
    const int bar = MeasureOfTick(notes[a].start, measureTicks);
    std::size_t b = a;
    bool restsOnly = true;
    while (b < notes.size() && MeasureOfTick(notes[b].start, measureTicks) == bar) {
      restsOnly = restsOnly && notes[b].isRest;
      ++b;
    }
    const long long barStart = static_cast<long long>(bar) * measureTicks;
    const ScoreNote &last = score[static_cast<std::size_t>(notes[b - 1].index)];
    const bool whole = restsOnly && notes[a].start == barStart &&
                       last.start + last.duration == barStart + measureTicks;
    if (whole) {
      for (std::size_t k = a; k < b; ++k)
        notes[k].hidden = true;
      EngravedNote &rest = notes[a];
      rest.hidden = false;
      rest.wholeBarRest = true;
      const double left = sheet.xOfTick(static_cast<int>(barStart)) - scrollX;
      const double right = sheet.barLineX(static_cast<int>(barStart + measureTicks)) - scrollX;
      rest.x = static_cast<int>(std::lround((left + right - m.restWidth) / 2));
    }
    a = b;
  }
}

void LayOutStem(EngravedNote &n, const EngravingMetrics &m) {
  n.stemX = n.stemDown ? n.x + m.headLeft : n.x + m.headLeft + m.headWidth - m.stemWidth;
}

// Stems of a beamed group end on one straight beam: it follows the outer notes by at most one
// staff space, lies flat when an inner note reaches further, and keeps every stem long enough.
void LayOutBeam(EngravedPart &out, const EngravedGroup &g, const EngravingMetrics &m) {
  auto &notes = out.notes;
  const int dir = g.stemDown ? 1 : -1; // from the heads toward the beam
  EngravedNote &a = notes[static_cast<std::size_t>(g.first)];
  EngravedNote &b = notes[static_cast<std::size_t>(g.last)];
  auto towardMiddle = [&](double tip) {
    return g.stemDown ? std::max(tip, double(kMiddleLine)) : std::min(tip, double(kMiddleLine));
  };
  double y0 = towardMiddle(a.headCentre + dir * m.stemLength);
  double y1 = towardMiddle(b.headCentre + dir * m.stemLength);
  double slope = std::clamp(y1 - y0, -double(kStaffLineGap), double(kStaffLineGap));
  for (int k = g.first + 1; k < g.last; ++k) {
    const int h = notes[static_cast<std::size_t>(k)].headCentre;
    const bool beyondBoth = g.stemDown ? h > std::max(a.headCentre, b.headCentre)
                                       : h < std::min(a.headCentre, b.headCentre);
    if (beyondBoth)
      slope = 0;
  }
  const double span = b.stemX - a.stemX;
  auto beamAt = [&](double x) { return span > 0 ? y0 + slope * (x - a.stemX) / span : y0; };
  // Move the whole beam away from the heads until the shortest stem is long enough.
  double shift = 0;
  int beams = 1;
  for (int k = g.first; k <= g.last; ++k)
    beams = std::max(beams, notes[static_cast<std::size_t>(k)].beams);
  for (int k = g.first; k <= g.last; ++k) {
    const EngravedNote &n = notes[static_cast<std::size_t>(k)];
    const double need = m.shortestStem + (n.beams - 1) * m.beamDistance;
    const double have = dir * (beamAt(n.stemX) - n.headCentre);
    shift = std::max(shift, need - have);
    // An accidental under the beam's slant keeps clear of it.
    if (n.accidental != Accidental::None && k != g.first) {
      const double right =
          n.accidentalLeft + m.accidentalWidth[static_cast<std::size_t>(n.accidental)];
      for (double x : {n.accidentalLeft, right}) {
        const double reach =
            dir * (beamAt(x) - n.headCentre) - m.beamThickness - (beams - 1) * m.beamDistance;
        shift = std::max(shift, kAccidentalClearance - reach);
      }
    }
  }
  y0 += dir * shift;
  for (int k = g.first; k <= g.last; ++k) {
    EngravedNote &n = notes[static_cast<std::size_t>(k)];
    n.stemTip = beamAt(n.stemX);
  }
  const bool downward = !g.stemDown; // beams grow from the stem ends toward the heads
  const double right = m.stemWidth;
  auto addBeam = [&](int level, double x0, double x1) {
    const double offset = -dir * level * m.beamDistance;
    out.beams.push_back({x0, beamAt(x0) + offset, x1, beamAt(x1) + offset, downward});
  };
  addBeam(0, a.stemX, b.stemX + right);
  // Second beams over runs of sixteenths; a lone sixteenth gets a part beam toward its
  // neighbour inside the group.
  for (int k = g.first; k <= g.last;) {
    if (notes[static_cast<std::size_t>(k)].beams < 2) {
      ++k;
      continue;
    }
    int end = k;
    while (end + 1 <= g.last && notes[static_cast<std::size_t>(end + 1)].beams >= 2)
      ++end;
    const EngravedNote &s = notes[static_cast<std::size_t>(k)];
    if (end > k) {
      addBeam(1, s.stemX, notes[static_cast<std::size_t>(end)].stemX + right);
    } else {
      const bool left = k == g.last;
      const EngravedNote &other = notes[static_cast<std::size_t>(left ? k - 1 : k + 1)];
      const double room = std::abs(other.stemX - s.stemX) / 2;
      const double length = std::min<double>(m.stubLength, room);
      if (left)
        addBeam(1, s.stemX + right - length, s.stemX + right);
      else
        addBeam(1, s.stemX, s.stemX + length);
    }
    k = end + 1;
  }
}

void LayOutTuplet(EngravedPart &out, int first, const EngravingMetrics &m) {
  const EngravedNote &a = out.notes[static_cast<std::size_t>(first)];
  const EngravedNote &c = out.notes[static_cast<std::size_t>(first + 2)];
  int highest = kStaffTopLine;
  for (int k = first; k <= first + 2; ++k) {
    const EngravedNote &n = out.notes[static_cast<std::size_t>(k)];
    if (!n.isNote)
      continue;
    highest = std::min(highest, n.headCentre - kHeadHalfHeight);
    if (n.hasStem && !n.stemDown)
      highest = std::min(highest, static_cast<int>(std::floor(n.stemTip)));
  }
  TupletMark t;
  t.y = std::max(highest - kBracketClearance - kBracketHook, out.band.top + kLabelLineHeight);
  t.hookY = t.y + kBracketHook;
  t.x0 = a.x + m.headLeft;
  t.x1 = c.x + m.headLeft + m.headWidth;
  t.numeralX = (t.x0 + t.x1) / 2;
  out.tuplets.push_back(t);
}

} // namespace

double FreeStemTip(int headCentre, bool stemDown, int flags, const EngravingMetrics &m) {
  const int length = m.stemLength + (flags > 1 ? (flags - 1) * m.beamDistance / 2 : 0);
  if (stemDown)
    return std::max<double>(headCentre + length, kMiddleLine);
  return std::min<double>(headCentre - length, kMiddleLine);
}

EngravedPart LayOutPart(const Song &song, int part, const EngravingView &view,
                        const StaffLabelTable &table, const EngravingMetrics &metrics) {
  return LayOutPart(song, part, view, SheetFor(song, view, table, metrics), metrics);
}

ScoreSheet SheetFor(const Song &song, const EngravingView &view, const StaffLabelTable &table,
                    const EngravingMetrics &metrics) {
  SheetOptions options;
  options.quarterWidth = view.quarterWidth;
  options.staffDistance = view.staffDistance;
  options.labels = view.labels;
  return ScoreSheet(song, options, table, metrics);
}

bool StemDownAt(double headCentre) {
  return headCentre < kMiddleLine + kStaffLineGap / 2;
}

EngravedPart LayOutPart(const Song &song, int part, const EngravingView &view,
                        const ScoreSheet &sheet, const EngravingMetrics &m) {
  EngravedPart out;
  const SheetRow &row = sheet.row(part);
  out.band = row.band;
  const StaffLabelTable &table = sheet.labels();
  const Part &pt = song.part(part);
  const int count = pt.scoreHeader.count;
  if (!row.shown || count < 0 || static_cast<int>(pt.score.size()) <= count)
    return out;
  const std::span<const ScoreNote> score(pt.score.data(), static_cast<std::size_t>(count) + 1);
  const int measureTicks = song.measureTicks();
  auto [lo, hi] = VisibleRange(pt, view, sheet);
  // Whole measures, so that a measure of rests is known as one.
  auto measureOf = [&](int j) {
    return MeasureOfTick(score[static_cast<std::size_t>(j)].start, measureTicks);
  };
  while (lo > 0 && measureOf(lo - 1) == measureOf(lo))
    --lo;
  while (hi < count && measureOf(hi + 1) == measureOf(hi))
    ++hi;
  const std::vector<BeamGroup> found =
      FindBeamGroups(score, lo, hi, BeamSpanTicks(song), measureTicks);
  if (!found.empty()) {
    lo = std::min(lo, found.front().first);
    hi = std::max(hi, found.back().last);
  }
  if (const int t = TripletGroupStart(score, lo); t >= 0)
    lo = t;
  if (const int t = TripletGroupStart(score, hi); t >= 0)
    hi = t + 2;
  const std::vector<Accidental> accidentals =
      PrintedAccidentals(score, lo, hi, measureTicks, table, sheet.key().fifths);

  double labelRight = -std::numeric_limits<double>::infinity();
  out.notes.reserve(static_cast<std::size_t>(hi - lo + 1));
  for (int j = lo; j <= hi; ++j) {
    const ScoreNote &s = score[static_cast<std::size_t>(j)];
    EngravedNote n;
    n.index = j;
    n.start = s.start;
    n.x = SurfaceX(sheet, s.start, view.scrollX);
    n.isNote = s.noteNumber > 0 && GlyphRow(s.duration) >= 0;
    n.isRest = s.noteNumber == 0 && j < count && GlyphRow(s.duration) >= 0;
    if (n.isNote) {
      n.staffPosition = StaffPosition(s.noteNumber, table);
      n.headCentre = HeadCentreOf(n.staffPosition, row.clef);
      n.stemDown = StemDownAt(n.headCentre);
      n.hasStem = HasStem(s.duration);
      n.beams = BeamCount(s.duration);
      n.flags = n.beams;
      n.accidental = accidentals[static_cast<std::size_t>(j - lo)];
      n.accidentalLeft = n.x + m.headLeft - m.accidentalGap -
                         m.accidentalWidth[static_cast<std::size_t>(n.accidental)];
      LayOutStem(n, m);
      n.stemTip = FreeStemTip(n.headCentre, n.stemDown, n.flags, m);
      const int pitchClass = ((s.noteNumber % 12) + 12) % 12;
      const double labelX = n.x + m.headLeft;
      // One line of labels: a label that would run into the one before stays out, and a
      // tied-over note repeats no syllable.
      if (view.labels && !IsTiedContinuation(score, j) && labelX >= labelRight + 2) {
        n.labelShown = true;
        n.labelX = static_cast<int>(labelX);
        labelRight = labelX + m.labelWidth[static_cast<std::size_t>(pitchClass)];
        n.labelRight = static_cast<int>(std::ceil(labelRight));
      }
    }
    out.notes.push_back(n);
  }

  for (const BeamGroup &bg : found) {
    EngravedGroup g{bg.first - lo, bg.last - lo, false, bg.triplet};
    int highest = std::numeric_limits<int>::max();
    int lowest = std::numeric_limits<int>::min();
    for (int k = g.first; k <= g.last; ++k) {
      const int h = out.notes[static_cast<std::size_t>(k)].headCentre;
      highest = std::min(highest, h);
      lowest = std::max(lowest, h);
    }
    // The note furthest from the middle line decides, as for a single note.
    g.stemDown = StemDownAt((highest + lowest) / 2.0);
    const int groupIndex = static_cast<int>(out.groups.size());
    for (int k = g.first; k <= g.last; ++k) {
      EngravedNote &n = out.notes[static_cast<std::size_t>(k)];
      n.group = groupIndex;
      n.flags = 0;
      n.stemDown = g.stemDown;
      LayOutStem(n, m);
    }
    out.groups.push_back(g);
    LayOutBeam(out, g, m);
  }

  const std::vector<int> &triplets = row.tripletGroups;
  for (auto it = std::lower_bound(triplets.begin(), triplets.end(), lo);
       it != triplets.end() && *it + 2 <= hi; ++it)
    LayOutTuplet(out, *it - lo, m);
  MarkWholeBarRests(out, score, measureTicks, sheet, view.scrollX, m);
  return out;
}

} // namespace pipora
