#include "engraving/score_hit_test.h"

#include "model/vocabulary.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <vector>

namespace pipora {
namespace {

constexpr int kLowestNote = kSmdLowestNote;
constexpr int kHighestNote = kSmdHighestNote;
constexpr int kStaffBottomLine = kStaffTopLine + 4 * kStaffLineGap;
// A head is hit a little beyond its ink, so that small heads stay easy to point at.
constexpr int kHeadReach = 7;
constexpr int kSideReach = 2;

// One element as the hit test sees it: where its head is, and the box its drawing covers
// (offsets below the part's top edge).
struct ElementBox {
  int index = 0;
  double centreX = 0; // the head's middle, or the element's x when nothing is drawn
  bool drawn = false;
  double left = 0, right = 0;
  double top = 0, bottom = 0;
};

ElementBox EngravedBox(const EngravedNote &n, const ScoreNote &s, const EngravingMetrics &m) {
  ElementBox b;
  b.index = n.index;
  b.centreX = n.x + m.headLeft + m.headWidth / 2;
  if (GlyphRow(s.duration) < 0)
    return b;
  b.drawn = !n.hidden;
  if (!n.isNote) {
    b.left = n.x;
    b.right = n.x + m.headLeft + m.headWidth;
    b.top = kStaffTopLine;
    b.bottom = kStaffBottomLine;
    return b;
  }
  const double headLeft = n.x + m.headLeft;
  b.left = (n.accidental != Accidental::None ? n.accidentalLeft : headLeft) - kSideReach;
  b.right = headLeft + m.headWidth + kSideReach;
  b.top = n.headCentre - kHeadReach;
  b.bottom = n.headCentre + kHeadReach;
  if (n.hasStem) {
    b.top = std::min(b.top, n.stemTip);
    b.bottom = std::max(b.bottom, n.stemTip);
  }
  return b;
}

std::vector<ElementBox> EngravedBoxes(const Song &song, int part, const ScoreHitView &view,
                                      const ScoreSheet &sheet, const EngravingMetrics &m) {
  const EngravedPart laid = LayOutPart(song, part, view.engraving, sheet, m);
  const std::vector<ScoreNote> &score = song.part(part).score;
  std::vector<ElementBox> boxes;
  boxes.reserve(laid.notes.size());
  for (const EngravedNote &n : laid.notes)
    boxes.push_back(EngravedBox(n, score[static_cast<std::size_t>(n.index)], m));
  return boxes;
}

// The classic drawing: a glyph cell at the start tick's x, an accidental pushing the head
// right, stems of a fixed length.
std::vector<ElementBox> ClassicBoxes(const Song &song, int part, const ScoreHitView &view,
                                     const StaffLabelTable &table, const EngravingMetrics &m) {
  const Part &pt = song.part(part);
  const EngravingView &ev = view.engraving;
  const int count = pt.scoreHeader.count;
  const double leftTick =
      std::floor((ev.scrollX - kCellWidth) * double{kTicksPerQuarter} / ev.quarterWidth);
  int j = std::max(
      0, FirstElementAtOrAfter(pt, static_cast<int>(std::clamp(leftTick, -2.0e9, 2.0e9))) - 1);
  std::vector<ElementBox> boxes;
  for (; j <= count; ++j) {
    const ScoreNote &s = pt.score[static_cast<std::size_t>(j)];
    const int x = XOfTick(s.start, ev.quarterWidth, ev.scrollX);
    const GlyphChoice g = ChooseGlyph(s, table);
    ElementBox b;
    b.index = j;
    b.centreX = x + m.headLeft + m.headWidth / 2;
    if (j < count && g.drawable()) {
      b.drawn = true;
      double headLeft = x + m.headLeft;
      if (g.isNote) {
        const int pitchClass = PitchClassOf(s.noteNumber);
        const std::string &label = table[static_cast<std::size_t>(pitchClass)].label;
        const bool accidental = LabelIsSharp(label) || LabelIsFlat(label);
        if (accidental)
          headLeft += m.accidentalWidth[1] + 1;
        b.centreX = headLeft + m.headWidth / 2;
        const int head = RoundHalfEven(kMiddleCLine - g.staffPosition);
        b.top = head - kHeadReach;
        b.bottom = head + kHeadReach;
        if (GlyphRow(s.duration) > 0) {
          const double tip = FreeStemTip(head, g.stemDown, 0, m);
          b.top = std::min(b.top, tip);
          b.bottom = std::max(b.bottom, tip);
        }
      } else {
        b.top = kStaffTopLine;
        b.bottom = kStaffBottomLine;
      }
      b.left = x - kSideReach;
      b.right = headLeft + m.headWidth + kSideReach;
    }
    boxes.push_back(b);
    if (x >= ev.width + kCellWidth)
      break;
  }
  return boxes;
}

} // namespace

int PartAtY(int y, int staffDistance, int scrollY) {
  if (staffDistance <= 0)
    return 1;
  const StaffBand band = BandOf(staffDistance);
  const int fromFirstBand = y + scrollY - band.top;
  const int part = fromFirstBand < 0 ? 1 : fromFirstBand / staffDistance + 1;
  return std::clamp(part, 1, kUserParts);
}

ScoreHit HitTestScore(const Song &song, const ScoreHitView &view, const StaffLabelTable &table,
                      const EngravingMetrics &metrics, int x, int y) {
  int part = PartAtY(y, view.engraving.staffDistance, view.scrollY);
  if (!view.classic && view.sheet) {
    // The row holding y; above the first shown row its part, below the last its part.
    const int sheetY = y + view.scrollY;
    int first = 0, last = 0;
    for (int p = 1; p <= kUserParts; ++p)
      if (view.sheet->row(p).shown) {
        first = first == 0 ? p : first;
        last = p;
      }
    part = view.sheet->partAtY(sheetY);
    if (part == 0 && first > 0) {
      const SheetRow &top = view.sheet->row(first);
      part = sheetY < top.top + top.band.top ? first : last;
    }
    part = std::max(part, 1);
  }
  return HitTestPart(song, view, table, metrics, part, x, y);
}

ScoreHit HitTestPart(const Song &song, const ScoreHitView &view, const StaffLabelTable &table,
                     const EngravingMetrics &metrics, int part, int x, int y) {
  ScoreHit hit;
  hit.part = std::clamp(part, 1, kUserParts);
  const Part &pt = song.part(hit.part);
  if (view.engraving.quarterWidth <= 0 || pt.scoreHeader.count < 0 ||
      static_cast<int>(pt.score.size()) <= pt.scoreHeader.count)
    return hit;
  std::optional<ScoreSheet> own;
  if (!view.classic && !view.sheet)
    own.emplace(SheetFor(song, view.engraving, table, metrics));
  const ScoreSheet *sheet = view.sheet ? view.sheet : own ? &*own : nullptr;
  const std::vector<ElementBox> boxes = view.classic
                                            ? ClassicBoxes(song, hit.part, view, table, metrics)
                                            : EngravedBoxes(song, hit.part, view, *sheet, metrics);
  const int dy = y - (view.classic ? PartTop(hit.part, view.engraving.staffDistance, view.scrollY)
                                   : PartTop(*sheet, hit.part, view.scrollY));
  double nearest = std::numeric_limits<double>::infinity();
  for (const ElementBox &b : boxes) {
    const double distance = std::abs(x - b.centreX);
    // Of two equally near heads the earlier one wins, as a cursor standing between them would.
    if (distance < nearest) {
      nearest = distance;
      hit.cursor = b.index;
    }
    if (b.drawn && x >= b.left && x <= b.right && dy >= b.top && dy <= b.bottom)
      hit.element = b.index;
  }
  return hit;
}

int DragSteps(int dy, bool octaves) {
  const double unit = octaves ? kDragPixelsPerOctave : kDragPixelsPerSemitone;
  return static_cast<int>(std::lround(-dy / unit));
}

int DraggedPitch(int original, int steps, bool octaves, bool isNoCheck) {
  if (original <= 0 || steps == 0)
    return original;
  const int unit = octaves ? 12 : 1;
  if (isNoCheck)
    return std::clamp(original + steps * unit, 1, 127);
  auto inRange = [](int n) { return n >= kLowestNote && n <= kHighestNote; };
  // Semitone steps move only a note inside the range; an octave step only needs its result
  // there. A drag beyond the range stops at its last step that stays inside.
  if (!octaves && !inRange(original))
    return original;
  const int direction = steps > 0 ? 1 : -1;
  for (int s = steps; s != 0; s -= direction)
    if (inRange(original + s * unit))
      return original + s * unit;
  return original;
}

} // namespace pipora
