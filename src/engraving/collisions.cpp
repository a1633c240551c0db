#include "engraving/collisions.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace pipora {
namespace {

constexpr int kHeadHalf = 5;
constexpr int kAccidentalHalf = 10; // a sharp or natural reaches a space up and down
constexpr int kFlagLength = 30;
constexpr double kBeamSlice = 4;
constexpr int kStaffBottom = kStaffTopLine + 4 * kStaffLineGap;

const char *NameOf(InkBox::Kind kind) {
  static constexpr std::array<const char *, 8> kNames = {"head", "accidental", "stem",  "flag",
                                                         "beam", "rest",       "label", "bar line"};
  return kNames[static_cast<std::size_t>(kind)];
}

// Symbols made to touch: a note's own parts, and stems with the beams of their group.
bool MayTouch(const InkBox &a, const InkBox &b) {
  if (a.owner >= 0 && a.owner == b.owner)
    return true;
  using K = InkBox::Kind;
  const bool stemOrBeamA = a.kind == K::Stem || a.kind == K::Beam;
  const bool stemOrBeamB = b.kind == K::Stem || b.kind == K::Beam;
  return stemOrBeamA && stemOrBeamB && a.group >= 0 && a.group == b.group;
}

} // namespace

std::vector<InkBox> InkBoxes(const EngravedPart &part, const EngravingMetrics &m,
                             const std::vector<double> &barLines) {
  using K = InkBox::Kind;
  std::vector<InkBox> boxes;
  for (std::size_t i = 0; i < part.notes.size(); ++i) {
    const EngravedNote &n = part.notes[i];
    const int owner = static_cast<int>(i);
    if (n.hidden)
      continue;
    if (!n.isNote) {
      // Rests stand in the staff's middle; the end element draws nothing.
      if (n.isRest)
        boxes.push_back({K::Rest, owner, -1, n.x + 4.0, kStaffTopLine + 6.0,
                         n.x + 4.0 + m.restWidth - 2, kStaffBottom - 6.0});
      continue;
    }
    const double headLeft = n.x + m.headLeft;
    boxes.push_back({K::Head, owner, n.group, headLeft, double(n.headCentre - kHeadHalf),
                     headLeft + m.headWidth, double(n.headCentre + kHeadHalf)});
    if (n.accidental != Accidental::None)
      boxes.push_back({K::Accidental, owner, n.group, n.accidentalLeft,
                       double(n.headCentre - kAccidentalHalf),
                       n.accidentalLeft + m.accidentalWidth[static_cast<std::size_t>(n.accidental)],
                       double(n.headCentre + kAccidentalHalf)});
    if (n.hasStem) {
      const double from = n.stemDown ? n.headCentre + 2 : n.headCentre - 2;
      boxes.push_back({K::Stem, owner, n.group, n.stemX, std::min(from, n.stemTip),
                       n.stemX + m.stemWidth, std::max(from, n.stemTip)});
      if (n.flags > 0) {
        const double top = n.stemDown ? n.stemTip - kFlagLength : n.stemTip;
        boxes.push_back(
            {K::Flag, owner, n.group, n.stemX, top, n.stemX + m.flagWidth, top + kFlagLength});
      }
    }
    if (n.labelShown)
      boxes.push_back({K::Label, owner, -1, double(n.labelX), double(part.band.labelTop),
                       double(n.labelRight), double(part.band.labelTop + kLabelLineHeight)});
  }
  for (std::size_t g = 0; g < part.groups.size(); ++g) {
    const EngravedGroup &group = part.groups[g];
    for (const BeamLine &b : part.beams) {
      const EngravedNote &first = part.notes[static_cast<std::size_t>(group.first)];
      const EngravedNote &last = part.notes[static_cast<std::size_t>(group.last)];
      if (b.x0 < first.stemX - 0.5 || b.x1 > last.stemX + m.stemWidth + 0.5)
        continue;
      // A slanted beam as narrow slices, each boxed on its own.
      const double t = b.downward ? m.beamThickness : -m.beamThickness;
      const int slices = std::max(1, static_cast<int>(std::ceil((b.x1 - b.x0) / kBeamSlice)));
      for (int k = 0; k < slices; ++k) {
        const double x0 = b.x0 + (b.x1 - b.x0) * k / slices;
        const double x1 = b.x0 + (b.x1 - b.x0) * (k + 1) / slices;
        auto y = [&](double x) {
          return b.y0 + (b.y1 - b.y0) * (x - b.x0) / std::max(1e-9, b.x1 - b.x0);
        };
        boxes.push_back({K::Beam, -1, static_cast<int>(g), x0,
                         std::min({y(x0), y(x1), y(x0) + t, y(x1) + t}), x1,
                         std::max({y(x0), y(x1), y(x0) + t, y(x1) + t})});
      }
    }
  }
  for (double x : barLines)
    boxes.push_back({K::BarLine, -1, -1, x, double(kStaffTopLine), x + 1, double(kStaffBottom)});
  return boxes;
}

std::vector<std::string> Collisions(const std::vector<InkBox> &input) {
  std::vector<InkBox> boxes = input;
  std::sort(boxes.begin(), boxes.end(),
            [](const InkBox &a, const InkBox &b) { return a.left < b.left; });
  std::vector<std::string> found;
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const InkBox &a = boxes[i];
    for (std::size_t j = i + 1; j < boxes.size() && boxes[j].left < a.right; ++j) {
      const InkBox &b = boxes[j];
      if (b.top >= a.bottom || a.top >= b.bottom || MayTouch(a, b))
        continue;
      found.push_back(std::string(NameOf(a.kind)) + " " + std::to_string(a.owner) + "/" +
                      std::to_string(a.group) + " at x " +
                      std::to_string(static_cast<int>(std::lround(a.left))) + " y " +
                      std::to_string(static_cast<int>(std::lround(a.top))) + " meets " +
                      NameOf(b.kind) + " " + std::to_string(b.owner) + "/" +
                      std::to_string(b.group) + " at x " +
                      std::to_string(static_cast<int>(std::lround(b.left))) + " y " +
                      std::to_string(static_cast<int>(std::lround(b.top))));
    }
  }
  return found;
}

} // namespace pipora
