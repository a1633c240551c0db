#include "formats/midi/short_runs.h"

#include <algorithm>
#include <array>

namespace pipora {
namespace {

constexpr std::int64_t kSlotTicks = 80;              // a sixteenth triplet
constexpr std::int64_t kGroupTicks = 3 * kSlotTicks; // a whole group of them
constexpr std::int64_t kSixteenthTicks = 120;
constexpr std::int64_t kReachTicks = kSixteenthTicks / 2; // how far a start may move
constexpr std::int64_t kChordTicks = 30;                  // starts this close are one chord

std::int64_t NearestSixteenth(std::int64_t t) {
  return (t + kReachTicks) / kSixteenthTicks * kSixteenthTicks;
}

// Parts no note uses, each with the time it is free again.
struct FreeParts {
  std::vector<int> parts;
  std::vector<std::int64_t> busyUntil;
};

// One part's notes, `ids` in order of start.
void PlaceInPart(std::vector<SplitNote> &notes, const std::vector<int> &ids, int scale,
                 RunSlots &slots, FreeParts &free) {
  const auto note = [&](std::size_t i) -> SplitNote & {
    return notes[static_cast<std::size_t>(ids[i])];
  };
  // The grid times of note i, made when first asked for.
  const auto grid = [&](std::size_t i) -> SlotTimes & {
    if (slots.of.empty())
      slots.of.assign(notes.size(), -1);
    std::int32_t &index = slots.of[static_cast<std::size_t>(ids[i])];
    if (index < 0) {
      index = static_cast<std::int32_t>(slots.times.size());
      slots.times.emplace_back();
    }
    return slots.times[static_cast<std::size_t>(index)];
  };
  const auto at = [&](std::size_t i) { return note(i).on * scale; };
  std::int64_t lastEnd = 0; // where the last run's slots ended: the next begins there at once
  std::size_t floor = 0;    // the note after the last run: notes before it are laid out
  std::vector<std::int64_t> slotOf;
  // Notes starting together are a chord, not a run: the chord's own rule keeps one of them.
  const auto follows = [&](std::size_t k) {
    return at(k + 1) - at(k) < kShortRunTicks && at(k + 1) - at(k) >= kChordTicks;
  };
  for (std::size_t i = 0; i + 1 < ids.size();) {
    if (!follows(i)) {
      ++i;
      continue;
    }
    // The run is i up to the note before `next`, which keeps its start on the sixteenth grid.
    std::size_t next = i + 1;
    while (next + 1 < ids.size() && follows(next))
      ++next;
    const std::int64_t end = NearestSixteenth(at(next));
    std::int64_t span = std::max<std::int64_t>(end - NearestSixteenth(at(i)), 1);
    span = (span + kGroupTicks - 1) / kGroupTicks * kGroupTicks;
    while (end - span < lastEnd && span > kGroupTicks)
      span -= kGroupTicks;
    const std::int64_t from = end - span;
    if (from < lastEnd || from < 0) {
      i = next;
      continue;
    }
    // Notes just before the run that start within reach of its first slot take slots too.
    std::size_t first = i;
    while (first > floor && at(first - 1) >= from - kReachTicks)
      --first;
    // Each slot takes the first note left that can start there: the most starts kept.
    slotOf.assign(next - first, -1);
    std::size_t q = first;
    for (std::int64_t slot = from; slot < end && q < next; slot += kSlotTicks) {
      while (q < next && at(q) < slot - kReachTicks)
        ++q;
      if (q < next && at(q) <= slot + kReachTicks)
        slotOf[q++ - first] = slot;
    }
    // A run no denser than the slots that still loses a note is left to the grid as it is.
    const auto kept = std::count_if(slotOf.begin(), slotOf.end(), [](auto s) { return s >= 0; });
    if (kept < static_cast<std::ptrdiff_t>(next - first) &&
        at(next) - at(first) >= kSlotTicks * static_cast<std::int64_t>(next - first)) {
      i = next;
      continue;
    }
    if (first > 0 && note(first - 1).off * scale > from) {
      SlotTimes &before = grid(first - 1);
      if (before.off < 0 || before.off > from)
        before.off = from;
    }
    for (std::size_t k = first; k < next; ++k) {
      if (slotOf[k - first] < 0) {
        const std::int64_t on = NearestSixteenth(at(k));
        std::size_t f = 0;
        while (f < free.parts.size() && free.busyUntil[f] > on)
          ++f;
        if (f == free.parts.size()) {
          note(k).part = 0;
          note(k).noSlot = true;
          continue;
        }
        note(k).part = free.parts[f];
        free.busyUntil[f] = on + kSixteenthTicks;
        grid(k).on = on;
        grid(k).off = on + kSixteenthTicks;
        continue;
      }
      SlotTimes &t = grid(k);
      t.on = slotOf[k - first];
      t.off = t.on + kSlotTicks;
      t.from = from;
    }
    grid(next).on = end;
    grid(next).from = from;
    // Moved past its own end, the note after the run keeps a sixteenth, or a slot when the
    // note after it comes sooner.
    if (note(next).off * scale < end + kSixteenthTicks) {
      const bool room = next + 1 == ids.size() || at(next + 1) >= end + kReachTicks;
      grid(next).off = end + (room ? kSixteenthTicks : kSlotTicks);
    }
    lastEnd = end;
    floor = next;
    i = next;
  }
  // A note alone that snapping would shrink to nothing keeps a sixteenth of the rest after it.
  for (std::size_t k = 0; k < ids.size(); ++k) {
    const SplitNote &n = note(k);
    const std::int64_t on = NearestSixteenth(n.on * scale);
    if (n.part == 0 || (n.off - n.on) * scale >= kReachTicks ||
        (!slots.of.empty() && slots.of[static_cast<std::size_t>(ids[k])] >= 0) ||
        (k + 1 < ids.size() && at(k + 1) < on + kSixteenthTicks - kReachTicks) ||
        (k > 0 && at(k - 1) >= on))
      continue;
    grid(k).on = on;
    grid(k).off = on + kSixteenthTicks;
  }
}

} // namespace

RunSlots PlaceShortRuns(std::vector<SplitNote> &notes, int timeScale,
                        const std::vector<int> &freeParts) {
  FreeParts free{freeParts, std::vector<std::int64_t>(freeParts.size(), 0)};
  std::array<std::vector<int>, 17> parts;
  std::array<std::size_t, 17> counts{};
  for (const SplitNote &n : notes)
    if (n.part >= 1 && n.part <= 16)
      ++counts[static_cast<std::size_t>(n.part)];
  for (std::size_t p = 1; p < parts.size(); ++p)
    parts[p].reserve(counts[p]);
  for (std::size_t i = 0; i < notes.size(); ++i)
    if (notes[i].part >= 1 && notes[i].part <= 16)
      parts[static_cast<std::size_t>(notes[i].part)].push_back(static_cast<int>(i));
  RunSlots slots;
  for (std::vector<int> &ids : parts) {
    const auto earlier = [&](int a, int b) {
      return notes[static_cast<std::size_t>(a)].on < notes[static_cast<std::size_t>(b)].on;
    };
    // A part holding one track's notes has them in order already.
    if (!std::is_sorted(ids.begin(), ids.end(), earlier))
      std::stable_sort(ids.begin(), ids.end(), earlier);
    PlaceInPart(notes, ids, timeScale, slots, free);
  }
  return slots;
}

} // namespace pipora
