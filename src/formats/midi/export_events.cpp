#include "formats/midi/export_events.h"

#include "formats/midi/event_log.h"
#include "model/vocabulary.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <utility>

namespace pipora {

int ExportGateTicks(std::string_view code) {
  // A tied note sounds on into the next one: the note-off comes with that one.
  return IsTied(code) ? 0 : GateTicks(code);
}

namespace {

// A tie joins a note to the next element only when that element is the same note: a tie
// into a rest, another pitch or the end of the part ends the note where the tie stands.
bool TiedOn(const NoteEntry &e, const NoteEntry &next) {
  return e.length.tied() && !next.isEndMarker() && next.noteNumber == e.noteNumber;
}

// Ticks after the start at which a note ends when its tie chain stops with it. A length
// outside the table sounds until shortly before the next element, as the player lets it.
int NoteOffTicks(const NoteEntry &e, const NoteEntry &next) {
  if (const LengthCode *row = e.length.row())
    return row->gate(); // a code of the table, tied or not: its untied gate
  std::string_view code = e.length;
  if (code.ends_with('_'))
    code.remove_suffix(1);
  if (const int gate = ExportGateTicks(code); gate > 0)
    return gate;
  return std::max(next.start - e.start - kGateGap, 1);
}

} // namespace

std::vector<ExportEvent> BuildExportEvents(const Song &song) {
  std::vector<ExportEvent> events;
  std::size_t elements = 0;
  for (int n = 1; n <= kUserParts; ++n)
    elements += song.part(n).notes.size();
  events.reserve(2 * elements); // a note-on and a note-off at most per element
  for (int n = 1; n <= kUserParts; ++n) {
    const Part &p = song.part(n);
    const std::int32_t last =
        std::min<std::int32_t>(p.count, static_cast<std::int32_t>(p.notes.size()) - 1);
    for (std::int32_t i = 0; i < last; ++i) {
      const NoteEntry &e = p.notes[static_cast<std::size_t>(i)];
      if (e.noteNumber < 1)
        continue;
      const NoteEntry &next = p.notes[static_cast<std::size_t>(i + 1)];
      const auto part = static_cast<std::int16_t>(n);
      // Every note-on gets its note-off: at the end of its tie chain, or where the chain breaks.
      if (i == 0 || !TiedOn(p.notes[static_cast<std::size_t>(i - 1)], e))
        events.push_back({e.start, part, e.noteNumber, 100});
      if (!TiedOn(e, next))
        events.push_back({e.start + NoteOffTicks(e, next), part, e.noteNumber, 0});
    }
  }
  SortExportEvents(events);
  return events;
}

namespace {

// The longest list of runs merged; a list of more is sorted.
constexpr std::size_t kMaxMergedRuns = 64;
// Marks the first index of each time in the order below, so that the sort need not look
// the times up again; the lists are far shorter than 2^31 events.
constexpr std::uint32_t kFirstOfTime = 0x8000'0000u;

// Indices of the events in order of time, equal times in list order, the first of each
// time marked with kFirstOfTime. The note lists give
// the events part after part, each part in order of time: those runs are merged, with no
// more memory than the indices; a list of many runs is sorted.
std::unique_ptr<std::uint32_t[]> IndicesByTime(const std::vector<ExportEvent> &events) {
  const std::size_t n = events.size();
  // Every index is written below: the array is not zeroed first.
  auto order = std::make_unique_for_overwrite<std::uint32_t[]>(n);
  // A run's head: its time above, its number below, so that equal times take the earlier
  // run first (the earlier in the list).
  struct Head {
    std::int64_t key;
    std::uint32_t next;
    std::uint32_t end;
  };
  std::vector<Head> heads;
  const auto keyOf = [&](std::uint32_t i, std::size_t run) {
    return std::int64_t{events[i].time} * 256 + static_cast<std::int64_t>(run);
  };
  std::uint32_t start = 0;
  for (std::uint32_t i = 1; i <= n && heads.size() <= kMaxMergedRuns; ++i) {
    if (i == n || events[i].time < events[i - 1].time) {
      heads.push_back({keyOf(start, heads.size()), start, i});
      start = i;
    }
  }
  if (heads.size() > kMaxMergedRuns) {
    for (std::uint32_t i = 0; i < n; ++i)
      order[i] = i;
    std::stable_sort(order.get(), order.get() + n, [&](std::uint32_t a, std::uint32_t b) {
      return events[a].time < events[b].time;
    });
    for (std::size_t i = n; i-- > 0;)
      if (i == 0 || events[order[i]].time != events[order[i - 1]].time)
        order[i] |= kFirstOfTime;
    return order;
  }
  // A heap of the heads, smallest key on top.
  const auto later = [](const Head &a, const Head &b) { return a.key > b.key; };
  std::make_heap(heads.begin(), heads.end(), later);
  std::int64_t lastTime = 0;
  for (std::size_t out = 0; out < n; ++out) {
    Head &top = heads.front();
    const auto run = static_cast<std::size_t>(top.key & 255);
    const std::int64_t time = top.key >> 8;
    order[out] = top.next++ | (out == 0 || time != lastTime ? kFirstOfTime : 0);
    lastTime = time;
    if (top.next < top.end) {
      top.key = keyOf(top.next, run);
    } else {
      top = heads.back();
      heads.pop_back();
      if (heads.empty())
        break;
    }
    // Sift the new top down.
    Head *const heap = heads.data();
    const std::size_t size = heads.size();
    std::size_t at = 0;
    for (;;) {
      std::size_t child = 2 * at + 1;
      if (child >= size)
        break;
      if (child + 1 < size && heap[child + 1].key < heap[child].key)
        ++child;
      if (heap[at].key <= heap[child].key)
        break;
      std::swap(heap[at], heap[child]);
      at = child;
    }
  }
  return order;
}

} // namespace

void SortExportEvents(std::vector<ExportEvent> &events) {
  // The selection sort takes the first smallest event from position p on and swaps it with
  // the event at p, which moves that one to where the smallest was. All events of the
  // smallest time remaining are taken before any later one, and in the order of the
  // positions they hold when the first of them is taken: only the event at p moves, and an
  // event of that time at p would itself be the one taken. So the events of each time are
  // ordered by their positions at that moment, and only the swaps are replayed, in place.
  const std::size_t n = events.size();
  if (n < 2)
    return;
  const std::unique_ptr<std::uint32_t[]> byTime = IndicesByTime(events);
  // Of each event (by its first index) its position as it stands, and the event at each
  // position; both filled in below.
  const auto positionOf = std::make_unique_for_overwrite<std::uint32_t[]>(n);
  const auto eventAt = std::make_unique_for_overwrite<std::uint32_t[]>(n);
  for (std::uint32_t i = 0; i < n; ++i)
    positionOf[i] = eventAt[i] = i;
  std::uint32_t p = 0;
  for (std::size_t first = 0; first < n;) {
    byTime[first] &= ~kFirstOfTime;
    std::size_t last = first + 1;
    while (last < n && (byTime[last] & kFirstOfTime) == 0)
      ++last;
    std::uint32_t *const group = byTime.get() + first;
    std::uint32_t *const groupEnd = byTime.get() + last;
    const auto earlier = [&](std::uint32_t a, std::uint32_t b) {
      return positionOf[a] < positionOf[b];
    };
    // Most times hold one or two events: a pair is ordered without a call to sort.
    if (last - first == 2) {
      if (earlier(group[1], group[0]))
        std::swap(group[0], group[1]);
    } else if (last - first > 2) {
      std::sort(group, groupEnd, earlier);
    }
    for (auto it = group; it != groupEnd; ++it, ++p) {
      const std::uint32_t from = positionOf[*it];
      if (from != p) {
        const std::uint32_t moved = eventAt[p];
        std::swap(events[p], events[from]);
        eventAt[from] = moved;
        positionOf[moved] = from;
      }
    }
    first = last;
  }
}

QByteArray EventListText(const std::vector<ExportEvent> &events) {
  EventLog log;
  for (const ExportEvent &e : events) {
    log << e.time << '\t' << int{e.part} << '\t' << int{e.key} << '\t' << int{e.velocity};
    log.endLine();
  }
  return log.take();
}

} // namespace pipora
