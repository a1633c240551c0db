#include "editing/fit_for_smd.h"

#include "model/save_checks.h"
#include "model/smd_rules.h"
#include "model/source_line.h"
#include "model/vocabulary.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace pipora {
namespace {

constexpr int kSixteenth = kTicksPerQuarter / 4;

// One element on its way through the fitting, with the index it had before.
struct Work {
  int number = 0;
  NoteLength length;
  int orig = 0;
};

NoteLength Untied(NoteLength length) {
  length.setTied(false);
  return length;
}

NoteLength WithTie(NoteLength length, bool tied) {
  length.setTied(tied);
  return length;
}

std::int64_t NearestSixteenth(std::int64_t t) {
  const std::int64_t floor = (t >= 0 ? t : t - (kSixteenth - 1)) / kSixteenth * kSixteenth;
  return t - floor >= kSixteenth / 2 ? floor + kSixteenth : floor;
}

// Plain lengths adding up to `ticks` (a positive multiple of a sixteenth), longest first; a
// remainder below a sixteenth is left out. Counted per length rather than listed, so that a
// long rest needs no memory: halves as many as fit, then at most one of each shorter length.
class PlainPieces {
public:
  explicit PlainPieces(std::int64_t ticks) {
    counts_[0] = ticks / kPlainLengths[0].ticks;
    ticks -= counts_[0] * kPlainLengths[0].ticks;
    size_ = counts_[0];
    for (std::size_t r = 1; r < kPlainLengths.size(); ++r) {
      counts_[r] = ticks >= kPlainLengths[r].ticks ? 1 : 0;
      ticks -= counts_[r] * kPlainLengths[r].ticks;
      size_ += counts_[r];
    }
  }
  std::int64_t size() const { return size_; }
  // The length of the first piece; only when there is one.
  NoteLength first() const {
    std::size_t r = 0;
    while (counts_[r] == 0)
      ++r;
    return NoteLength::OfRow(kPlainLengths[r], false);
  }
  // f(length, last) for each piece in order.
  template <typename F> void forEach(F f) const {
    std::int64_t left = size_;
    for (std::size_t r = 0; r < kPlainLengths.size(); ++r)
      for (std::int64_t c = 0; c < counts_[r]; ++c)
        f(NoteLength::OfRow(kPlainLengths[r], false), --left == 0);
  }

private:
  std::array<std::int64_t, kPlainLengths.size()> counts_{};
  std::int64_t size_ = 0;
};

// Octaves that bring n into [lowest, highest] with the smallest move.
int OctavesInto(int n, int lowest, int highest) {
  if (n < lowest)
    return (lowest - n + 11) / 12;
  if (n > highest)
    return -((n - highest + 11) / 12);
  return 0;
}

// Lists a fitting needs for each part, kept from part to part so that a long song is not
// given fresh memory sixteen times over.
struct FitScratch {
  std::vector<Work> work;
  std::vector<std::int64_t> times;
  std::vector<Work> out;
};

class PartFitter {
public:
  PartFitter(const Part &part, int number, std::vector<FitChange> &changes, FitScratch &scratch)
      : in_(part), number_(number), changes_(changes), firstChange_(changes.size()),
        work_(scratch.work), times_(scratch.times), out_(scratch.out) {
    work_.clear();
    out_.clear();
  }

  void run() {
    prepare();
    // Each element's time before fitting, from the part's start: a length mended by rule 1
    // does not move what follows it.
    times_.assign(work_.size() + 1, 0);
    const std::int64_t origin = at(0).start;
    for (std::size_t j = 0; j < work_.size(); ++j) {
      const bool nextOrig = j + 1 == work_.size() || work_[j + 1].orig != work_[j].orig;
      times_[j + 1] = nextOrig ? at(work_[j].orig + 1).start - origin
                               : times_[j] + LengthTicks(work_[j].length);
    }

    std::size_t j = 0;
    while (j < work_.size()) {
      if (!IsTriplet(work_[j].length)) {
        Work w = work_[j];
        fold(w);
        emitOnTime(j, std::move(w), false);
        ++j;
        continue;
      }
      std::size_t runEnd = j;
      while (runEnd < work_.size() && IsTriplet(work_[runEnd].length))
        ++runEnd;
      std::size_t next = runEnd;
      for (std::size_t i = j; i < runEnd;) {
        if (wholeGroupAt(i, runEnd)) {
          emitGroup({work_[i], work_[i + 1], work_[i + 2]});
          i += 3;
          continue;
        }
        std::size_t k = i + 1;
        while (k < runEnd && !wholeGroupAt(k, runEnd))
          ++k;
        // Rests after the run's last loose notes may complete them too.
        if (const std::size_t after = complete(i, k == runEnd ? work_.size() : k); after > 0) {
          if (after >= runEnd) {
            next = after;
            break;
          }
          i = after;
          continue;
        }
        toPlain(i, k);
        i = k;
      }
      j = next;
    }
  }

  // Points the changes of this part at the elements they gave.
  void locateChanges() const {
    for (std::size_t c = firstChange_; c < changes_.size(); ++c) {
      FitChange &change = changes_[c];
      const auto first = std::lower_bound(out_.begin(), out_.end(), change.element,
                                          [](const Work &w, int orig) { return w.orig < orig; });
      const auto last = std::lower_bound(first, out_.end(), change.element + change.count,
                                         [](const Work &w, int orig) { return w.orig < orig; });
      change.newElement = static_cast<int>(first - out_.begin());
      change.newCount = static_cast<int>(last - first);
    }
  }

  std::vector<Work> &result() { return out_; }

  // The largest move of a note start.
  std::int32_t largestMove() const { return largestMove_; }

private:
  const NoteEntry &at(int i) const { return in_.notes[static_cast<std::size_t>(i)]; }

  FitChange &record(FitChangeKind kind, int orig, int count = 1) {
    FitChange c;
    c.part = number_;
    c.element = orig;
    c.count = count;
    c.tick = at(orig).start;
    c.kind = kind;
    changes_.push_back(c);
    return changes_.back();
  }

  // Rule 1: every length becomes one of the sixteen, no number is negative.
  void prepare() {
    const int count = std::min<int>(in_.count, static_cast<int>(in_.notes.size()) - 1);
    work_.reserve(static_cast<std::size_t>(std::max(count, 0)));
    out_.reserve(static_cast<std::size_t>(std::max(count, 0)) + 16);
    for (int i = 0; i < count; ++i) {
      const NoteEntry &e = at(i);
      int number = e.noteNumber;
      if (number < 0) {
        number = 0;
        record(FitChangeKind::NegativeToRest, i);
      }
      if (IsSmdLength(e.length)) {
        work_.push_back({number, e.length, i});
        continue;
      }
      record(FitChangeKind::LengthMended, i);
      const std::int64_t plays = at(i + 1).start - e.start;
      if (const NoteLength code = NoteLength::FromTicks(static_cast<int>(plays), false);
          plays > 0 && IsSmdLength(code)) {
        work_.push_back({number, code, i});
        continue;
      }
      PlainPieces(std::max<std::int64_t>(NearestSixteenth(plays), kSixteenth))
          .forEach([&](NoteLength piece, bool last) {
            work_.push_back({number, WithTie(piece, number > 0 && !last), i});
          });
    }
  }

  void emit(Work w) {
    // A note's first piece is where it starts now; a note tied on from before starts earlier.
    if (w.number > 0 && w.orig != lastOrig_ && (w.orig == 0 || !IsTied(at(w.orig - 1).length))) {
      const std::int64_t move = std::abs(outTime_ - (at(w.orig).start - at(0).start));
      largestMove_ = std::max(largestMove_, static_cast<std::int32_t>(move));
    }
    lastOrig_ = w.orig;
    outTime_ += LengthTicks(w.length);
    out_.push_back(std::move(w));
  }

  // Rule 6.
  void fold(Work &w) {
    if (w.number <= 0)
      return;
    if (const int octaves = OctavesInto(w.number, kSmdLowestNote, kSmdHighestNote); octaves != 0) {
      w.number += 12 * octaves;
      record(FitChangeKind::Folded, w.orig).octaves = octaves;
    }
  }

  bool wholeGroupAt(std::size_t i, std::size_t runEnd) const {
    if (i + 2 >= runEnd)
      return false;
    const NoteLength base = Untied(work_[i].length);
    return Untied(work_[i + 1].length) == base && Untied(work_[i + 2].length) == base;
  }

  // Rules 2 and 3.
  void emitGroup(std::array<Work, 3> group) {
    for (Work &w : group) {
      if (IsTied(w.length)) {
        w.length = Untied(w.length);
        record(FitChangeKind::TieRemoved, w.orig);
      }
    }
    if (!SpanOfTriplet(group[0].number, group[1].number, group[2].number).fits()) {
      const OctaveWindow *best = nullptr;
      int bestCost = 0;
      for (const OctaveWindow &window : kOctaveWindows) {
        int cost = 0;
        for (const Work &w : group)
          if (w.number > 0)
            cost += std::abs(OctavesInto(w.number, window.lowest, window.highest));
        if (best == nullptr || cost < bestCost) {
          best = &window;
          bestCost = cost;
        }
      }
      for (Work &w : group) {
        if (w.number <= 0)
          continue;
        if (const int octaves = OctavesInto(w.number, best->lowest, best->highest); octaves != 0) {
          w.number += 12 * octaves;
          record(FitChangeKind::MovedIntoWindow, w.orig).octaves = octaves;
        }
      }
    }
    for (Work &w : group)
      emit(std::move(w));
  }

  // Rule 4: one or two triplet notes of one length, then rests (of any length, before
  // `limit`) that give the missing notes and leave whole sixteenths. Returns the index after
  // the rests used, or 0 when the rule does not apply.
  std::size_t complete(std::size_t i, std::size_t limit) {
    const NoteLength base = Untied(work_[i].length);
    std::size_t have = 1;
    if (i + 1 < limit && work_[i + 1].number != 0 && Untied(work_[i + 1].length) == base)
      have = 2;
    const std::int64_t missing = static_cast<std::int64_t>(3 - have) * LengthTicks(base);
    std::int64_t rest = 0;
    std::size_t after = i + have;
    while (after < limit && work_[after].number == 0 && rest < missing) {
      rest += LengthTicks(work_[after].length);
      ++after;
    }
    if (after == i + have || rest < missing || (rest - missing) % kSixteenth != 0)
      return 0;
    const int lastOrig = work_[after - 1].orig;
    record(FitChangeKind::TripletCompleted, work_[i].orig, lastOrig - work_[i].orig + 1);
    std::array<Work, 3> group;
    for (std::size_t g = 0; g < 3; ++g)
      group[g] = g < have ? work_[i + g] : Work{0, base, work_[i + have].orig};
    emitGroup(std::move(group));
    const std::int64_t to = NearestSixteenth(times_[after]);
    if (to > outTime_)
      PlainPieces(to - outTime_).forEach([&](NoteLength piece, bool) {
        emit({0, piece, lastOrig});
      });
    return after;
  }

  // Rule 5.
  void toPlain(std::size_t i, std::size_t k) {
    const std::int64_t driftBefore = outTime_ - times_[i];
    record(FitChangeKind::TripletToPlain, work_[i].orig, work_[k - 1].orig - work_[i].orig + 1);
    // fold() may add changes after this one, so it is found again by its index.
    const std::size_t changeIndex = changes_.size() - 1;
    looseEnd_ = k;
    for (std::size_t q = i; q < k; ++q) {
      Work w = work_[q];
      fold(w);
      emitOnTime(q, std::move(w), true);
    }
    looseEnd_ = 0;
    changes_[changeIndex].shift = static_cast<std::int32_t>((outTime_ - times_[k]) - driftBefore);
  }

  // Whether a note may end at `until` (past its own nearest sixteenth): the rests after it
  // give the time back before the next note, or the part's end, is due. Triplet rests can
  // give time only in the run being made plain; elsewhere they may belong to a group.
  bool restsGiveBack(std::size_t after, std::int64_t until) const {
    std::size_t next = after;
    while (next < work_.size() && work_[next].number == 0 &&
           (!IsTriplet(work_[next].length) || next < looseEnd_))
      ++next;
    return next > after && until <= NearestSixteenth(times_[next]);
  }

  // Element q from where the output stands to its own end: as it is when the output is on
  // time and `plain` is not asked for, else with plain lengths up to its end's nearest
  // sixteenth. A note keeps at least a sixteenth where the rests after it give that back.
  void emitOnTime(std::size_t q, Work w, bool plain) {
    const std::int64_t length = LengthTicks(w.length);
    if (!plain && outTime_ == times_[q] && times_[q + 1] - times_[q] == length) {
      emit(std::move(w));
      return;
    }
    std::int64_t to = NearestSixteenth(times_[q + 1]);
    if (w.number != 0 && to - outTime_ < kSixteenth) {
      if (!restsGiveBack(q + 1, outTime_ + kSixteenth)) {
        record(FitChangeKind::NoteDropped, w.orig);
        return;
      }
      to = outTime_ + kSixteenth;
    }
    if (to <= outTime_) { // a rest whose time the notes before it took
      record(FitChangeKind::TimeGivenBack, w.orig);
      return;
    }
    const PlainPieces pieces(to - outTime_);
    if (!plain && pieces.size() == 1 && pieces.first() == Untied(w.length)) {
      emit(std::move(w));
      return;
    }
    if (!plain)
      record(FitChangeKind::TimeGivenBack, w.orig);
    const bool tiedOn = IsTied(w.length);
    pieces.forEach([&](NoteLength piece, bool last) {
      const bool tied = w.number > 0 && (last ? tiedOn : true);
      emit({w.number, WithTie(piece, tied), w.orig});
    });
  }

  const Part &in_;
  int number_;
  std::vector<FitChange> &changes_;
  std::size_t firstChange_;
  std::vector<Work> &work_;
  std::vector<std::int64_t> &times_; // start of each work element from the part's start
  std::vector<Work> &out_;
  std::int64_t outTime_ = 0;
  int lastOrig_ = -1;
  std::size_t looseEnd_ = 0; // end of the triplet run being made plain
  std::int32_t largestMove_ = 0;
};

} // namespace

std::string_view FitChangeName(FitChangeKind kind) {
  switch (kind) {
  case FitChangeKind::LengthMended:
    return "長さを修正";
  case FitChangeKind::NegativeToRest:
    return "休符に変更";
  case FitChangeKind::TieRemoved:
    return "タイを削除";
  case FitChangeKind::MovedIntoWindow:
    return "オクターブの範囲へ移動";
  case FitChangeKind::TripletCompleted:
    return "3連符を休符で補完";
  case FitChangeKind::TripletToPlain:
    return "3連符を普通の長さに";
  case FitChangeKind::Folded:
    return "オクターブ移動";
  case FitChangeKind::TimeGivenBack:
    return "遅れを戻す";
  case FitChangeKind::NoteDropped:
    return "短すぎて削除";
  }
  return "";
}

namespace {

// Fits elements [from, to) of user part `number` and puts the result in their place; the
// elements after them keep their order (a fitting that changes a duration moves them in
// time, as it would in a fitting of the whole part).
// Returns the largest move of a note start.
std::int32_t FitRange(Part &part, int number, int from, int to, std::vector<FitChange> &changes,
                      FitScratch &scratch) {
  const bool wholePart = from == 0 && to >= part.count;
  // A range is fitted as a part of its own: its elements and an end marker that starts
  // where the element after the range starts.
  Part slice;
  if (!wholePart) {
    slice.notes.assign(part.notes.begin() + from, part.notes.begin() + to);
    slice.notes.push_back(MakeEndMarker());
    slice.notes.back().start = part.notes[static_cast<std::size_t>(to)].start;
    slice.count = to - from;
  }
  const std::size_t firstChange = changes.size();
  // The fitter reads the elements as they are; they are replaced only once it is done.
  PartFitter fitter(wholePart ? part : slice, number, changes, scratch);
  fitter.run();
  fitter.locateChanges();
  const std::int32_t moved = fitter.largestMove();
  for (std::size_t c = firstChange; c < changes.size(); ++c) {
    changes[c].element += from;
    changes[c].newElement += from;
  }
  // The fitter holds its own copies, so the part can be rewritten where it stands (sparing a
  // second list as long).
  std::vector<Work> &elements = fitter.result();
  const auto fresh = static_cast<std::ptrdiff_t>(elements.size());
  const std::ptrdiff_t old = to - from;
  if (fresh > old)
    part.notes.insert(part.notes.begin() + to, static_cast<std::size_t>(fresh - old), NoteEntry{});
  else
    part.notes.erase(part.notes.begin() + from + fresh, part.notes.begin() + to);
  for (std::size_t j = 0; j < elements.size(); ++j) {
    NoteEntry &e = part.notes[static_cast<std::size_t>(from) + j];
    e.noteNumber = static_cast<std::int16_t>(elements[j].number);
    e.length = elements[j].length;
    e.pitch = PitchText::Of(std::max(elements[j].number, 0));
  }
  if (part.cursor >= to) {
    part.cursor += static_cast<std::int32_t>(fresh - old);
  } else if (part.cursor >= from) {
    const auto cursor = std::lower_bound(elements.begin(), elements.end(), part.cursor - from,
                                         [](const Work &w, int orig) { return w.orig < orig; });
    part.cursor = from + static_cast<std::int32_t>(cursor - elements.begin());
  }
  part.count += static_cast<std::int32_t>(fresh - old);
  if (wholePart) {
    part.notes.resize(static_cast<std::size_t>(part.count) + 1);
    part.notes.back() = MakeEndMarker();
  }
  return moved;
}

// Every part keeps the room its longest list needs.
void GrowCapacity(Song &song) {
  for (int n = 1; n <= kPartSlots; ++n)
    while (song.part(n).count + 3 >= song.capacity)
      song.capacity += kCapacityStep;
}

} // namespace

FitResult FitForSmd(const Song &song) {
  FitResult result{song, {}, {}};
  result.changes = FitForSmdInPlace(result.song, &result.moves);
  BuildScoreList(result.song);
  return result;
}

std::vector<FitChange> FitForSmdInPlace(Song &fitted, FitMoves *moves) {
  std::vector<FitChange> changes;
  FitScratch scratch;
  RecalcTimes(fitted);
  for (int n = 1; n <= kUserParts; ++n) {
    Part &part = fitted.part(n);
    if (part.count <= 0)
      continue;
    std::vector<SaveProblem> problems;
    FindPartSaveProblems(part, n, problems, 1);
    if (problems.empty())
      continue;
    const std::int32_t moved = FitRange(part, n, 0, part.count, changes, scratch);
    if (moves != nullptr)
      (*moves)[static_cast<std::size_t>(n)] = moved;
  }
  GrowCapacity(fitted);
  RecalcTimes(fitted);
  return changes;
}

std::pair<int, int> ProblemStretch(const Part &part, const SaveProblem &problem) {
  if (problem.groupStart < 0)
    return {problem.element, problem.element + 1};
  const int count = part.count;
  const auto length = [&](int i) { return part.notes[static_cast<std::size_t>(i)].length; };
  const auto triplet = [&](int i) { return IsTriplet(length(i)); };
  // Where each of the check's groups starts: it takes three elements from each triplet it
  // meets, whatever they are.
  std::vector<int> groupOf(static_cast<std::size_t>(count), -1);
  for (int i = 0; i < count;) {
    if (!triplet(i)) {
      ++i;
      continue;
    }
    for (int k = i; k < std::min(i + 3, count); ++k)
      groupOf[static_cast<std::size_t>(k)] = i;
    i += 3;
  }
  int from = problem.groupStart;
  int to = std::min(std::max(problem.groupStart + 3, problem.element + 1), count);
  for (bool grown = true; grown;) {
    grown = false;
    if (const int g = groupOf[static_cast<std::size_t>(from)]; g >= 0 && g < from) {
      from = g;
      grown = true;
    }
    if (const int g = groupOf[static_cast<std::size_t>(to - 1)];
        g >= 0 && to < std::min(g + 3, count)) {
      to = std::min(g + 3, count);
      grown = true;
    }
    for (; from > 0 && triplet(from - 1) && triplet(from); --from)
      grown = true;
    for (; to < count && triplet(to) && triplet(to - 1); ++to)
      grown = true;
  }
  while (to < count && part.notes[static_cast<std::size_t>(to)].noteNumber == 0 &&
         IsSmdLength(length(to)) && !triplet(to))
    ++to;
  return {from, to};
}

FitResult FitProblemForSmd(const Song &song, int partNumber, int element) {
  FitResult result{song, {}, {}};
  if (partNumber < 1 || partNumber > kUserParts)
    return result;
  Song &fitted = result.song;
  RecalcTimes(fitted);
  Part &part = fitted.part(partNumber);
  std::vector<SaveProblem> problems;
  FindPartSaveProblems(part, partNumber, problems);
  const auto problem = std::find_if(problems.begin(), problems.end(),
                                    [&](const SaveProblem &p) { return p.element == element; });
  if (problem == problems.end())
    return result;
  const auto [from, to] = ProblemStretch(part, *problem);
  FitScratch scratch;
  result.moves[static_cast<std::size_t>(partNumber)] =
      FitRange(part, partNumber, from, to, result.changes, scratch);
  GrowCapacity(fitted);
  RecalcTimes(fitted);
  BuildScoreList(fitted);
  return result;
}

std::string FitChangesText(const std::vector<FitChange> &changes, int ticksPerBeat,
                           int beatsPerMeasure) {
  std::string out;
  for (const FitChange &c : changes) {
    out += std::to_string(c.part) + '\t' + std::to_string(c.element) + '\t' +
           SourceLocation(c.tick, ticksPerBeat, beatsPerMeasure) + '\t' +
           std::string(FitChangeName(c.kind));
    if (c.octaves != 0)
      out +=
          ' ' + std::string(c.octaves > 0 ? "+" : "") + std::to_string(c.octaves) + " オクターブ";
    if (c.kind == FitChangeKind::TripletToPlain)
      out +=
          "、後の音 " + std::string(c.shift > 0 ? "+" : "") + std::to_string(c.shift) + " ティック";
    out += '\n';
  }
  return out;
}

std::string FitMovesText(const FitMoves &moves) {
  std::string out;
  for (int n = 1; n <= kUserParts; ++n)
    if (const std::int32_t moved = moves[static_cast<std::size_t>(n)]; moved > 0)
      out += "パート " + std::to_string(n) + ": 最大 " + std::to_string(moved) + " ティック移動\n";
  return out;
}

} // namespace pipora
