#include "engraving/score_sheet.h"

#include "engraving/accidentals.h"
#include "engraving/beam_groups.h"
#include "engraving/engraving_layout.h"
#include "engraving/key_signature.h"
#include "model/vocabulary.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <span>
#include <string_view>

namespace pipora {
namespace {

// A triplet bracket with its numeral above the notes.
constexpr int kBracketReach = 26;
// An accidental reaches a space above and below its head; a tie a little more.
constexpr int kAccidentalReach = 11;
constexpr int kTieReach = 15;
constexpr int kBarGap = 6;
// The first row's band starts here; the rows below follow without gaps.
constexpr int kFirstBandTop = kBandTopOffset;
// Room under the last row when scrolled to the end.
constexpr int kBottomRoom = 60;
// Room after the song's end when scrolled to it: the final bar line and a little air.
constexpr int kEndRoom = 24;
// Width of one spacing increment per pixel of quarterWidth.
constexpr double kIncrementPerQuarterWidth = 0.22;
constexpr int kEighth = 240;
// More bars than this are not given columns of their own (a song this long is no score).
constexpr long long kMaxBarColumns = 1 << 22;

int TimeSignatureWidth(const Song &song, const EngravingMetrics &m) {
  const auto sig = TimeSignatureOf(song);
  if (!sig)
    return 0;
  const int digits = std::max(sig->beats >= 10 ? 2 : 1, sig->unit >= 10 ? 2 : 1);
  return digits * (m.digitWidth + 1) + 4;
}

// The most common duration of the song's notes, but no longer than an eighth.
int CommonShortDuration(const Song &song) {
  // Counted by 40-tick units up to a whole note, where every length lies: a long song has
  // a hundred thousand elements and a handful of durations.
  constexpr int kUnit = 40;
  std::array<long long, kTicksPerWhole / kUnit + 1> onGrid{};
  std::map<int, long long> offGrid;
  for (int p = 1; p <= kUserParts; ++p) {
    const Part &part = song.part(p);
    for (int j = 0; j < part.scoreHeader.count; ++j) {
      const int d = part.score[static_cast<std::size_t>(j)].duration;
      if (d <= 0)
        continue;
      if (d % kUnit == 0 && d / kUnit < static_cast<int>(onGrid.size()))
        ++onGrid[static_cast<std::size_t>(d / kUnit)];
      else
        ++offGrid[d];
    }
  }
  for (std::size_t k = 1; k < onGrid.size(); ++k)
    if (onGrid[k] > 0)
      offGrid[static_cast<int>(k) * kUnit] = onGrid[k];
  int best = kEighth;
  long long most = 0;
  for (const auto &[d, n] : offGrid)
    if (n > most) {
      most = n;
      best = d;
    }
  return std::min(best, kEighth);
}

// Merges sorted runs laid end to end in `values` (run k is [bounds[k], bounds[k + 1])) into
// one sorted sequence: each part's start ticks already ascend.
void MergeRuns(std::vector<int> &values, std::vector<std::size_t> bounds) {
  std::vector<int> merged(values.size());
  const auto at = [](std::vector<int> &v, std::size_t i) {
    return v.begin() + static_cast<std::ptrdiff_t>(i);
  };
  while (bounds.size() > 2) {
    std::vector<std::size_t> next{bounds.front()};
    std::size_t k = 0;
    for (; k + 2 < bounds.size(); k += 2) {
      std::merge(at(values, bounds[k]), at(values, bounds[k + 1]), at(values, bounds[k + 1]),
                 at(values, bounds[k + 2]), at(merged, bounds[k]));
      next.push_back(bounds[k + 2]);
    }
    if (k + 1 < bounds.size()) { // a run left without a partner this round
      std::copy(at(values, bounds[k]), at(values, bounds[k + 1]), at(merged, bounds[k]));
      next.push_back(bounds[k + 1]);
    }
    values.swap(merged);
    bounds = std::move(next);
  }
}

// The first index at or after `from` whose value is not below `value`: galloping forward,
// since successive lookups of a part's ascending ticks land close to each other.
std::size_t LowerBoundFrom(const std::vector<int> &values, std::size_t from, int value) {
  std::size_t step = 1;
  std::size_t hi = from;
  while (hi < values.size() && values[hi] < value) {
    from = hi + 1;
    hi += step;
    step *= 2;
  }
  hi = std::min(hi, values.size());
  return static_cast<std::size_t>(
      std::lower_bound(values.begin() + static_cast<std::ptrdiff_t>(from),
                       values.begin() + static_cast<std::ptrdiff_t>(hi), value) -
      values.begin());
}

int HeadOf(const ScoreNote &s, const StaffLabelTable &labels, Clef clef) {
  return HeadCentreOf(StaffPosition(s.noteNumber, labels), clef);
}

} // namespace

// The vertical reach of a part's symbols, by the rules the layout follows: heads with their
// accidentals and ties, stems of lone notes from their heads, beams past the furthest head of
// their group, triplet brackets above.
ScoreSheet::Ink ScoreSheet::InkOf(std::span<const ScoreNote> score,
                                  const std::vector<BeamGroup> &groups,
                                  const std::vector<bool> &beamed, Clef clef,
                                  const EngravingMetrics &m) const {
  Ink ink{kStaffTopLine, kStaffTopLine + 4 * kStaffLineGap};
  const int count = static_cast<int>(score.size()) - 1;
  auto isNote = [&](int j) {
    const ScoreNote &s = score[static_cast<std::size_t>(j)];
    return s.noteNumber > 0 && GlyphRow(s.duration) >= 0;
  };
  for (int j = 0; j < count; ++j) {
    if (!isNote(j))
      continue;
    const ScoreNote &s = score[static_cast<std::size_t>(j)];
    const int head = HeadOf(s, labels_, clef);
    const int reach =
        s.tie != 0 || (j > 0 && score[std::size_t(j - 1)].tie != 0) ? kTieReach : kAccidentalReach;
    int top = head - reach;
    int bottom = head + reach;
    if (GlyphRow(s.duration) > 0 && !beamed[static_cast<std::size_t>(j)]) {
      const bool down = StemDownAt(head);
      const int flags = BeamCount(s.duration);
      const int length = m.stemLength + (flags > 1 ? (flags - 1) * m.beamDistance / 2 : 0);
      if (down)
        bottom = std::max({bottom, head + length, kMiddleLine});
      else
        top = std::min({top, head - length, kMiddleLine});
    }
    if (IsTripletDuration(s.duration))
      top -= kBracketReach;
    ink.top = std::min(ink.top, top);
    ink.bottom = std::max(ink.bottom, bottom);
  }
  for (const BeamGroup &g : groups) {
    int highest = std::numeric_limits<int>::max();
    int lowest = std::numeric_limits<int>::min();
    int beams = 1;
    for (int k = g.first; k <= g.last; ++k) {
      if (!isNote(k))
        continue;
      const int head = HeadOf(score[static_cast<std::size_t>(k)], labels_, clef);
      highest = std::min(highest, head);
      lowest = std::max(lowest, head);
      beams = std::max(beams, BeamCount(score[static_cast<std::size_t>(k)].duration));
    }
    if (highest > lowest)
      continue;
    // The beam may slant by a space and moves out until the shortest stem is long enough.
    const int past = m.shortestStem + (beams - 1) * m.beamDistance + m.beamThickness +
                     kStaffLineGap + (g.triplet ? kBracketReach : 0);
    const int toMiddle = m.stemLength + kStaffLineGap + (beams - 1) * m.beamDistance;
    if ((highest + lowest) / 2.0 < kMiddleLine + kStaffLineGap / 2)
      ink.bottom =
          std::max({ink.bottom, lowest + past, std::min(highest + toMiddle, kMiddleLine + 60)});
    else
      ink.top = std::min({ink.top, highest - past, std::max(lowest - toMiddle, kMiddleLine - 60)});
  }
  return ink;
}

namespace {

// Word-at-a-time mixing (the splitmix64 finaliser over a running sum): fast over a song's
// hundred thousand elements, and any changed field changes the result.
class Fingerprint {
public:
  void add(std::uint64_t word) {
    std::uint64_t z = (state_ += word + 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    state_ = z ^ (z >> 31);
  }
  void add(std::string_view text) {
    add(text.size());
    for (unsigned char c : text)
      add(c);
  }
  std::uint64_t value() const { return state_; }

private:
  std::uint64_t state_ = 0;
};

} // namespace

std::uint64_t SheetInputsFingerprint(const Song &song, const SheetOptions &options,
                                     const StaffLabelTable &table) {
  Fingerprint f;
  f.add(static_cast<std::uint64_t>(options.quarterWidth) << 32 |
        static_cast<std::uint32_t>(options.staffDistance));
  f.add(std::uint64_t{options.paper} << 2 | std::uint64_t{options.proportional} << 1 |
        std::uint64_t{options.labels});
  for (const StaffLabelRow &row : table) {
    f.add(static_cast<std::uint64_t>(std::lround(row.position * 1024.0)));
    f.add(row.label);
  }
  f.add(static_cast<std::uint64_t>(song.beatsPerMeasure) << 16 |
        static_cast<std::uint16_t>(song.ticksPerBeat));
  for (const Clef c : song.display.clefs)
    f.add(static_cast<std::uint64_t>(c));
  f.add(song.display.key ? static_cast<std::uint64_t>(song.display.key->fifths + 100) << 8 |
                               static_cast<std::uint64_t>(song.display.key->minor)
                         : 0);
  f.add(std::uint64_t{song.display.hideEmptyParts});
  f.add(static_cast<std::uint64_t>(ScoreCurrentPart(song)));
  for (int p = 1; p <= kUserParts; ++p) {
    const Part &pt = song.part(p);
    const int count = pt.scoreHeader.count;
    f.add(static_cast<std::uint64_t>(count));
    // Ties change a part's reach only; summed apart to keep one word per element.
    std::uint64_t ties = 0;
    for (int j = 0; j <= count && j < static_cast<int>(pt.score.size()); ++j) {
      const ScoreNote &s = pt.score[static_cast<std::size_t>(j)];
      f.add(static_cast<std::uint64_t>(static_cast<std::uint32_t>(s.start)) << 32 |
            static_cast<std::uint64_t>(static_cast<std::uint16_t>(s.duration)) << 16 |
            static_cast<std::uint16_t>(s.noteNumber));
      ties = ties * 31 + static_cast<std::uint16_t>(s.tie);
    }
    f.add(ties);
  }
  return f.value();
}

bool HasNotes(const Song &song, int part) {
  const Part &pt = song.part(part);
  for (int j = 0; j < pt.scoreHeader.count; ++j)
    if (pt.score[static_cast<std::size_t>(j)].noteNumber > 0)
      return true;
  return false;
}

bool IsEmptyPart(const Song &song, int part) {
  return part != ScoreCurrentPart(song) && !HasNotes(song, part);
}

ScoreSheet::ScoreSheet(const Song &song, const SheetOptions &options, const StaffLabelTable &table,
                       const EngravingMetrics &metrics)
    : proportional_(options.proportional), quarterWidth_(std::max(1, options.quarterWidth)),
      labels_(table) {
  if (!proportional_) {
    key_ = KeyOf(song);
    labels_ = SpelledLabels(table, key_);
  }
  layOutRows(song, options);
  layOutColumns(song, options, metrics);
  for (int p = 1; p <= kUserParts; ++p) {
    const Part &pt = song.part(p);
    const int count = pt.scoreHeader.count;
    if (count >= 0 && static_cast<int>(pt.score.size()) > count)
      rows_[static_cast<std::size_t>(p)].tripletGroups = TripletGroupStarts(
          std::span<const ScoreNote>(pt.score.data(), static_cast<std::size_t>(count) + 1));
  }
}

bool SheetRow::closesTripletGroup(int j) const {
  return std::binary_search(tripletGroups.begin(), tripletGroups.end(), j - 2);
}

void ScoreSheet::layOutRows(const Song &song, const SheetOptions &options) {
  for (int p = 1; p <= kUserParts; ++p) {
    SheetRow &row = rows_[static_cast<std::size_t>(p)];
    if (proportional_) {
      row.top = (p - 1) * options.staffDistance;
      row.band = BandOf(options.staffDistance);
      continue;
    }
    row.clef = ClefOf(song, p);
    row.shown =
        options.paper ? HasNotes(song, p) : !song.display.hideEmptyParts || !IsEmptyPart(song, p);
  }
  // A song without a note still prints its first staff.
  if (options.paper &&
      std::none_of(rows_.begin() + 1, rows_.end(), [](const SheetRow &row) { return row.shown; }))
    rows_[1].shown = true;
  height_ = kUserParts * options.staffDistance + kFirstBandTop + kBottomRoom;
}

void ScoreSheet::stackRows(const SheetOptions &options, const std::vector<Ink> &ink) {
  int bandStart = kFirstBandTop;
  const StaffBand plain = BandOf(options.staffDistance);
  for (int p = 1; p <= kUserParts; ++p) {
    SheetRow &row = rows_[static_cast<std::size_t>(p)];
    if (!row.shown) {
      row.top = bandStart - kBandTopOffset;
      row.band = {kBandTopOffset, kBandTopOffset, kBandTopOffset};
      continue;
    }
    const Ink &used = ink[static_cast<std::size_t>(p)];
    row.band.top = std::min(plain.top, used.top - 2);
    row.band.labelTop = std::max(plain.labelTop, used.bottom + 2);
    row.band.bottom =
        std::max(plain.bottom, row.band.labelTop + (options.labels ? kLabelLineHeight : 0) + 2);
    row.top = bandStart - row.band.top;
    bandStart += row.band.bottom - row.band.top;
  }
  height_ = bandStart + kBottomRoom;
}

void ScoreSheet::layOutColumns(const Song &song, const SheetOptions &options,
                               const EngravingMetrics &m) {
  const int firstStart = song.part(1).score.empty() ? 0 : song.part(1).score[0].start;
  if (proportional_) {
    header_ = kClefMargin;
    firstX_ = xOfTick(firstStart);
    long long end = 0;
    for (int p = 1; p <= kUserParts; ++p) {
      const Part &pt = song.part(p);
      end =
          std::max<long long>(end, pt.score[static_cast<std::size_t>(pt.scoreHeader.count)].start);
    }
    endX_ = xOfTick(static_cast<int>(end));
    return;
  }
  keyX_ = m.clefWidth + 4;
  timeX_ = keyX_ + std::abs(key_.fifths) * m.keyStep + (key_.fifths != 0 ? 4 : 0);
  header_ = timeX_ + TimeSignatureWidth(song, m) + m.noteGap;

  // Every start tick of the parts shown, and the bar ticks in between.
  std::vector<int> ticks;
  std::vector<std::size_t> runs{0};
  int lowest = std::numeric_limits<int>::max();
  int highest = std::numeric_limits<int>::min();
  bool ascending = true;
  for (int p = 1; p <= kUserParts; ++p) {
    if (!rows_[static_cast<std::size_t>(p)].shown)
      continue;
    const Part &pt = song.part(p);
    for (int j = 0; j <= pt.scoreHeader.count; ++j) {
      const int start = pt.score[static_cast<std::size_t>(j)].start;
      ascending = ascending && (j == 0 || ticks.back() <= start);
      ticks.push_back(start);
    }
    runs.push_back(ticks.size());
    lowest = std::min(lowest, pt.score[0].start);
    highest = std::max(highest, pt.score[static_cast<std::size_t>(pt.scoreHeader.count)].start);
  }
  const int measure = song.measureTicks();
  if (ticks.empty()) {
    ticks.push_back(0);
    runs.push_back(1);
    lowest = highest = 0;
  }
  if (measure > 0 && (static_cast<long long>(highest) - lowest) / measure < kMaxBarColumns) {
    for (long long t = std::max(0, lowest / measure * measure); t <= highest; t += measure)
      if (t >= lowest)
        ticks.push_back(static_cast<int>(t));
    runs.push_back(ticks.size());
  }
  if (ascending)
    MergeRuns(ticks, std::move(runs));
  else
    std::sort(ticks.begin(), ticks.end());
  ticks.erase(std::unique(ticks.begin(), ticks.end()), ticks.end());
  ticks_ = std::move(ticks);
  const std::size_t n = ticks_.size();
  xs_.assign(n, 0.0);
  barRoom_.assign(n, 0.0);

  // What each column needs left of its x (accidentals) and, per part, right of it.
  std::vector<double> left(n, 0.0);
  struct Element {
    std::size_t column;
    double right; // ink right of x
  };
  std::vector<std::vector<Element>> elements(kUserParts + 1);
  std::vector<Ink> ink(kUserParts + 1);
  const int beamSpan = BeamSpanTicks(song);
  for (int p = 1; p <= kUserParts; ++p) {
    if (!rows_[static_cast<std::size_t>(p)].shown)
      continue;
    const Part &pt = song.part(p);
    const int count = pt.scoreHeader.count;
    const std::span<const ScoreNote> score(pt.score.data(), static_cast<std::size_t>(count) + 1);
    const std::vector<Accidental> accidentals =
        PrintedAccidentals(score, 0, count, measure, labels_, key_.fifths);
    std::vector<bool> beamed(static_cast<std::size_t>(count) + 1, false);
    const std::vector<BeamGroup> groups = FindBeamGroups(score, 0, count, beamSpan, measure);
    for (const BeamGroup &g : groups)
      for (int k = g.first; k <= g.last; ++k)
        beamed[static_cast<std::size_t>(k)] = true;
    ink[static_cast<std::size_t>(p)] = InkOf(score, groups, beamed, rows_[std::size_t(p)].clef, m);
    auto &list = elements[static_cast<std::size_t>(p)];
    list.reserve(static_cast<std::size_t>(count) + 1);
    std::size_t c = 0;
    for (int j = 0; j <= count; ++j) {
      const ScoreNote &s = score[static_cast<std::size_t>(j)];
      // Starts ascend within a part; one that does not is looked up from the first column.
      c = LowerBoundFrom(ticks_, j > 0 && score[std::size_t(j - 1)].start <= s.start ? c : 0,
                         s.start);
      double right = 0;
      if (j < count && GlyphRow(s.duration) >= 0) {
        if (s.noteNumber > 0) {
          right = m.headLeft + m.headWidth + (GlyphRow(s.duration) == 0 ? 4 : 0);
          const double staff = StaffPosition(s.noteNumber, labels_);
          if (BeamCount(s.duration) > 0 && !beamed[static_cast<std::size_t>(j)] &&
              !IsStemDown(staff))
            right += m.flagWidth;
          const Accidental a = accidentals[static_cast<std::size_t>(j)];
          if (a != Accidental::None)
            left[c] = std::max(left[c], double(m.accidentalWidth[static_cast<std::size_t>(a)] +
                                               m.accidentalGap - m.headLeft));
        } else {
          right = m.restWidth;
        }
      }
      list.push_back({c, right});
    }
  }

  const double unit = quarterWidth_ * kIncrementPerQuarterWidth;
  const double shortest = CommonShortDuration(song);
  // Which parts have an element starting at each column (the first of their elements there):
  // between bar lines only those parts push a column right.
  std::vector<std::uint32_t> startsFrom(n + 1, 0);
  for (int p = 1; p <= kUserParts; ++p) {
    const auto &list = elements[static_cast<std::size_t>(p)];
    for (std::size_t k = 1; k < list.size(); ++k)
      if (list[k - 1].column < list[k].column)
        ++startsFrom[list[k].column + 1];
  }
  for (std::size_t i = 0; i < n; ++i)
    startsFrom[i + 1] += startsFrom[i];
  struct Start {
    int part;
    std::size_t element;
  };
  std::vector<Start> starts(startsFrom[n]);
  {
    std::vector<std::uint32_t> fill(startsFrom.begin(), startsFrom.end() - 1);
    for (int p = 1; p <= kUserParts; ++p) {
      const auto &list = elements[static_cast<std::size_t>(p)];
      for (std::size_t k = 1; k < list.size(); ++k)
        if (list[k - 1].column < list[k].column)
          starts[fill[list[k].column]++] = {p, k};
    }
  }
  std::vector<std::size_t> next(kUserParts + 1, 0); // each part's next element, at bar lines
  int lastGap = -1;
  double lastIncrements = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const bool bar = measure > 0 && ticks_[i] % measure == 0 && i > 0;
    if (bar)
      barRoom_[i] = left[i] + kBarGap;
    double x = 0;
    if (i > 0) {
      // The same few gaps come back all through a song: the logarithm is kept for the last.
      const int gap = ticks_[i] - ticks_[i - 1];
      if (gap != lastGap) {
        lastGap = gap;
        lastIncrements = std::max(1.0, 2.0 + std::log2(gap / shortest));
      }
      x = xs_[i - 1] + unit * lastIncrements;
    }
    // The element before this column in a part must keep clear of what stands here: at a bar
    // line in every part, elsewhere in the parts with an element starting here.
    if (bar) {
      for (int p = 1; p <= kUserParts; ++p) {
        const auto &list = elements[static_cast<std::size_t>(p)];
        std::size_t &k = next[static_cast<std::size_t>(p)];
        while (k < list.size() && list[k].column < i)
          ++k;
        if (k == 0)
          continue;
        const Element &before = list[k - 1];
        x = std::max(x, xs_[before.column] + before.right + m.noteGap + kBarGap + barRoom_[i]);
      }
    } else {
      for (std::uint32_t e = startsFrom[i]; e < startsFrom[i + 1]; ++e) {
        const Start &start = starts[e];
        const Element &before = elements[static_cast<std::size_t>(start.part)][start.element - 1];
        x = std::max(x, xs_[before.column] + before.right + m.noteGap + left[i]);
      }
    }
    xs_[i] = x;
  }
  stackRows(options, ink);
  // Tick 0 (or the first column) at x = 0.
  const double origin = xOfTick(std::max(0, ticks_.front()));
  for (double &x : xs_)
    x -= origin;
  firstX_ = xOfTick(firstStart);
  endX_ = xs_.back();
}

double ScoreSheet::xOfTick(int tick) const {
  const double perTick = quarterWidth_ / double{kTicksPerQuarter};
  if (proportional_ || ticks_.empty())
    return tick * perTick;
  const auto it = std::lower_bound(ticks_.begin(), ticks_.end(), tick);
  if (it == ticks_.end())
    return xs_.back() + (static_cast<double>(tick) - ticks_.back()) * perTick;
  const std::size_t i = static_cast<std::size_t>(it - ticks_.begin());
  if (*it == tick)
    return xs_[i];
  if (i == 0)
    return xs_[0] - (static_cast<double>(ticks_[0]) - tick) * perTick;
  const double f = (static_cast<double>(tick) - ticks_[i - 1]) / (ticks_[i] - ticks_[i - 1]);
  return xs_[i - 1] + f * (xs_[i] - xs_[i - 1]);
}

double ScoreSheet::barLineX(int tick) const {
  if (proportional_ || ticks_.empty())
    return xOfTick(tick);
  const auto it = std::lower_bound(ticks_.begin(), ticks_.end(), tick);
  if (it == ticks_.end() || *it != tick)
    return xOfTick(tick);
  const std::size_t i = static_cast<std::size_t>(it - ticks_.begin());
  return xs_[i] - barRoom_[i];
}

int ScoreSheet::tickAtX(double x) const {
  if (proportional_ || ticks_.empty())
    // Clamped: a scroll far past the song must not overflow the tick.
    return static_cast<int>(
        std::clamp(std::round(x * kTicksPerQuarter / quarterWidth_), -2.0e9, 2.0e9));
  const auto it = std::lower_bound(xs_.begin(), xs_.end(), x);
  if (it == xs_.end())
    return ticks_.back();
  const std::size_t i = static_cast<std::size_t>(it - xs_.begin());
  if (i > 0 && x - xs_[i - 1] < *it - x)
    return ticks_[i - 1];
  return ticks_[i];
}

ScrollRange HorizontalScrollRange(const ScoreSheet &sheet, int surfaceWidth) {
  ScrollRange r;
  r.minimum = FittedScrollOffset(sheet);
  const double maximum = sheet.endX() + (sheet.proportional() ? 0 : kEndRoom) - surfaceWidth;
  r.maximum = static_cast<int>(std::min<double>(maximum, kScrollLimit));
  return r;
}

ScrollRange VerticalScrollRange(const ScoreSheet &sheet, int staffDistance, int surfaceHeight) {
  if (sheet.proportional())
    return VerticalScrollRange(staffDistance, surfaceHeight);
  return {0, sheet.height() - surfaceHeight};
}

bool SongFitsWidth(const ScoreSheet &sheet, int surfaceWidth) {
  return sheet.endX() - sheet.firstX() + sheet.headerWidth() +
             (sheet.proportional() ? 0 : kEndRoom) <=
         surfaceWidth;
}

int FittedScrollOffset(const ScoreSheet &sheet) {
  return static_cast<int>(std::floor(sheet.firstX())) - sheet.headerWidth();
}

std::optional<int> FollowCursorScroll(const ScoreSheet &sheet, int tick, int scrollX,
                                      int surfaceWidth, ScrollRange range) {
  return FollowCursorScrollAt(sheet.xOfTick(tick), sheet.headerWidth(), scrollX, surfaceWidth,
                              range);
}

int PartTop(const ScoreSheet &sheet, int part, int scrollY) {
  return sheet.row(part).top - scrollY;
}

int ScoreSheet::partAtY(int y) const {
  for (int p = 1; p <= kUserParts; ++p) {
    const SheetRow &r = rows_[static_cast<std::size_t>(p)];
    if (r.shown && y >= r.top + r.band.top && y < r.top + r.band.bottom)
      return p;
  }
  return 0;
}

} // namespace pipora
