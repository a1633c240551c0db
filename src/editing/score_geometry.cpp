#include "editing/score_geometry.h"

#include "model/vocabulary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace pipora {
namespace {

// A whole note: the score joins two tied halves (or triplet halves) into one.
constexpr int kWholeTripletTicks = 1280;
constexpr int kWholeGroup = 4;

// The length group of a score duration: 0 sixteenth .. 3 half, 4 whole; -1 for others.
int DurationGroup(int duration) {
  if (duration == kTicksPerWhole || duration == kWholeTripletTicks)
    return kWholeGroup;
  const LengthCode *len = FindLengthByTicks(duration);
  return len ? len->group : -1;
}

int Clamp(int v, ScrollRange r) {
  if (r.minimum >= r.maximum)
    return r.minimum;
  return std::clamp(v, r.minimum, r.maximum);
}

std::string FormatNumber(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

} // namespace

StaffLabelTable DefaultStaffLabels() {
  StaffLabelTable table;
  for (std::size_t pc = 0; pc < table.size(); ++pc)
    table[pc] = {static_cast<float>(kDoReMi[pc].staffOffset), std::string(kDoReMi[pc].name)};
  return table;
}

int PositionOfSyllable(std::string_view label) {
  // The seven plain syllables, do first.
  for (const DoReMiLabel &row : kDoReMi)
    if (!LabelIsSharp(row.name) && !LabelIsFlat(row.name) && label.starts_with(row.name))
      return row.staffOffset;
  return -1;
}

std::string_view SyllableOf(std::string_view label) {
  for (std::string_view mark : {"#", "＃", "b", "ｂ"})
    if (label.ends_with(mark))
      return label.substr(0, label.size() - mark.size());
  return label;
}

bool LabelIsSharp(std::string_view label) {
  return label.find('#') != std::string_view::npos || label.find("＃") != std::string_view::npos;
}

bool LabelIsFlat(std::string_view label) {
  return label.find('b') != std::string_view::npos || label.find("ｂ") != std::string_view::npos;
}

int XOfTick(int tick, int quarterWidth, int scrollX) {
  return RoundHalfEven(tick * static_cast<double>(quarterWidth) / double{kTicksPerQuarter} -
                       scrollX);
}

int PartTop(int part, int staffDistance, int scrollY) {
  return (part - 1) * staffDistance - scrollY;
}

bool IsStemDown(double staffPosition) {
  return staffPosition > 30;
}

int GlyphRow(int duration) {
  const int group = DurationGroup(duration);
  return group < 0 ? -1 : (kWholeGroup - group) * kCellHeight;
}

int SpacingWidth(int duration) {
  switch (duration) {
  case kTicksPerWhole:
  case 1280:
  case 960:
  case 640:
  case kTicksPerQuarter:
    return 48;
  case 320:
    return 32;
  case 240:
    return 24;
  case 160:
    return 16;
  case 120:
  case 80:
    return 8;
  default:
    return 0;
  }
}

bool IsTripletDuration(int duration) {
  if (duration == kWholeTripletTicks)
    return true;
  const LengthCode *len = FindLengthByTicks(duration);
  return len != nullptr && len->triplet;
}

GlyphChoice ChooseGlyph(const ScoreNote &note, const StaffLabelTable &table) {
  GlyphChoice g;
  g.row = GlyphRow(note.duration);
  if (g.row < 0)
    return g;
  g.spacing = SpacingWidth(note.duration);
  if (note.noteNumber <= 0) {
    g.column = kRestColumn;
    return g;
  }
  g.isNote = true;
  g.column = IsTripletDuration(note.duration) ? kTripletColumn : 0;
  const std::string &label = table[static_cast<std::size_t>(PitchClassOf(note.noteNumber))].label;
  if (LabelIsSharp(label))
    g.column += 96;
  else if (LabelIsFlat(label))
    g.column += 192;
  g.staffPosition = StaffPosition(note.noteNumber, table);
  g.stemDown = IsStemDown(g.staffPosition);
  if (g.stemDown)
    g.column += 48;
  return g;
}

int CellTopOffset(const ScoreNote &note, const StaffLabelTable &table) {
  if (note.noteNumber <= 0)
    return kRestCellTop;
  return RoundHalfEven(kCellTopAtMiddleC - StaffPosition(note.noteNumber, table));
}

std::vector<int> LedgerLineOffsets(int noteNumber, double staffPosition) {
  std::vector<int> lines;
  if (noteNumber >= 1 && noteNumber <= 61) {
    const int q = RoundHalfEven(-staffPosition);
    for (int d = 0; d <= q; d += 12)
      lines.push_back(kMiddleCLine + d);
  }
  if (noteNumber >= 80) {
    const int q = RoundHalfEven(staffPosition);
    for (int d = 72; d <= q; d += 12)
      lines.push_back(kMiddleCLine - d);
  }
  return lines;
}

TieArc TieArcFor(int duration, int quarterWidth, bool stemDown) {
  TieArc arc;
  const int d =
      RoundHalfEven(quarterWidth * static_cast<double>(duration) / double{kTicksPerQuarter} + 12);
  arc.radiusX = d / 2;
  arc.centreX = arc.radiusX;
  arc.centreY = 48;
  arc.radiusY = arc.radiusX * std::exp(-0.01 * arc.radiusX);
  arc.startRadians = stemDown ? 0.5 : std::numbers::pi + 0.5;
  arc.spanRadians = std::numbers::pi - 1.0;
  return arc;
}

int FirstElementAtOrAfter(const Part &part, int tick) {
  const auto begin = part.score.begin();
  const auto end = begin + part.scoreHeader.count + 1;
  const auto it =
      std::lower_bound(begin, end, tick, [](const ScoreNote &n, int t) { return n.start < t; });
  return std::min(static_cast<int>(it - begin), part.scoreHeader.count);
}

ScrollRange HorizontalScrollRange(const Song &song, int quarterWidth, int surfaceWidth) {
  auto endTick = [&](int p) {
    const Part &part = song.part(p);
    return static_cast<long long>(
        part.score[static_cast<std::size_t>(part.scoreHeader.count)].start);
  };
  ScrollRange r;
  r.minimum = static_cast<int>(quarterWidth * static_cast<long long>(song.part(1).score[0].start) /
                               kTicksPerQuarter) -
              kClefMargin;
  long long maximum = quarterWidth * endTick(1) / kTicksPerQuarter - surfaceWidth;
  for (int p = 2; p <= kUserParts; ++p)
    maximum = std::max(maximum, quarterWidth * endTick(p) / kTicksPerQuarter - surfaceWidth);
  r.maximum = static_cast<int>(std::min<long long>(maximum, kScrollLimit));
  return r;
}

ScrollRange VerticalScrollRange(int staffDistance, int surfaceHeight) {
  return {0, staffDistance * 15 + 244 - surfaceHeight};
}

int PickupWidth(const Song &song, int quarterWidth) {
  return static_cast<int>(-(quarterWidth * static_cast<long long>(song.part(1).score[0].start)) /
                          kTicksPerQuarter);
}

bool SongFitsWidth(const Song &song, int quarterWidth, int surfaceWidth) {
  const int pickup = PickupWidth(song, quarterWidth);
  for (int p = 1; p <= kUserParts; ++p) {
    const Part &part = song.part(p);
    const long long end = part.score[static_cast<std::size_t>(part.scoreHeader.count)].start;
    if (surfaceWidth < end / kTicksPerQuarter * quarterWidth + pickup + kClefMargin)
      return false;
  }
  return true;
}

int FittedScrollOffset(const Song &song, int quarterWidth) {
  return -PickupWidth(song, quarterWidth) - kClefMargin;
}

namespace {
constexpr std::array kScorePercents = {50, 67, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300};
} // namespace

int ClampedScorePercent(int percent) {
  return std::clamp(percent, kScorePercents.front(), kScorePercents.back());
}

int ZoomedScorePercent(int percent, bool larger) {
  const int p = ClampedScorePercent(percent);
  if (larger) {
    const auto it = std::upper_bound(kScorePercents.begin(), kScorePercents.end(), p);
    return it == kScorePercents.end() ? p : *it;
  }
  const auto it = std::lower_bound(kScorePercents.begin(), kScorePercents.end(), p);
  return it == kScorePercents.begin() ? p : *(it - 1);
}

int ZoomedQuarterWidth(int quarterWidth, bool wider) {
  if (wider)
    return quarterWidth + kZoomStep;
  return quarterWidth > kMinQuarterWidth ? quarterWidth - kZoomStep : kMinQuarterWidth;
}

int ZoomedStaffDistance(int staffDistance, bool wider) {
  if (wider)
    return staffDistance + kZoomStep;
  return staffDistance > kMinStaffDistance ? staffDistance - kZoomStep : staffDistance;
}

int ScaledScrollValue(int value, int oldUnit, int newUnit, ScrollRange range) {
  if (oldUnit == 0)
    return Clamp(value, range);
  return Clamp(RoundHalfEven(value * static_cast<double>(newUnit) / oldUnit), range);
}

std::optional<int> FollowCursorScroll(int tick, int quarterWidth, int scrollX, int surfaceWidth,
                                      ScrollRange range) {
  return FollowCursorScrollAt(tick / double{kTicksPerQuarter} * quarterWidth, kClefMargin, scrollX,
                              surfaceWidth, range);
}

std::optional<int> FollowCursorScrollAt(double along, int margin, int scrollX, int surfaceWidth,
                                        ScrollRange range) {
  const int usable = surfaceWidth - margin;
  const double g = along - margin;
  std::optional<int> value;
  auto setValue = [&](int v) {
    value = v;
    // The scroll bar moves the view only while it has a real range.
    if (range.minimum < range.maximum)
      scrollX = v;
  };
  if (along - scrollX > (usable * 9) / 10 - 1) {
    if (g < range.minimum)
      setValue(range.minimum);
    else if (g > range.maximum)
      setValue(range.maximum);
    else
      setValue(RoundHalfEven(g - usable / 2));
  }
  if (along - scrollX < (usable * 2) / 10 - 1) {
    const double v = g - usable / 2;
    if (v < range.minimum)
      setValue(range.minimum);
    else if (v > range.maximum)
      setValue(range.maximum);
    else
      setValue(RoundHalfEven(v));
  }
  return value;
}

int ScoreCurrentPart(const Song &song) {
  const int p = song.part(1).scoreHeader.partNumber;
  return std::clamp(p == 0 ? 1 : p, 1, kUserParts);
}

std::string ScoreCaption(std::string_view previousCaption, const Song &song) {
  const std::size_t ms = previousCaption.find("ms");
  std::string caption(previousCaption.substr(0, ms));
  const Part &part = song.part(ScoreCurrentPart(song));
  const double beatUnit = song.ticksPerBeat > 0 ? double{kTicksPerWhole} / song.ticksPerBeat : 0.0;
  caption += "ms " + std::to_string(song.beatsPerMeasure) + "/" + FormatNumber(beatUnit) +
             "拍子 [" + std::to_string(part.scoreHeader.cursor) + "/" +
             std::to_string(part.scoreHeader.count) + "]";
  return caption;
}

std::string ScoreCaptionAfterRedraw(int elapsedMs, const Song &song) {
  return ScoreCaption("ScoreEditor " + std::to_string(elapsedMs) + "ms", song);
}

} // namespace pipora
