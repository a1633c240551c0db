#include "formats/midi/export_events.h"

#include "formats/midi/event_log.h"
#include "model/vocabulary.h"

#include <algorithm>
#include <array>
#include <cstdint>
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

// Indices of the events in order of time, equal times in list order: a radix sort of the
// times, eleven bits a pass, only as many passes as the span of the times needs.
std::vector<std::uint32_t> IndicesByTime(const std::vector<ExportEvent> &events) {
  const auto [low, high] = std::minmax_element(
      events.begin(), events.end(),
      [](const ExportEvent &a, const ExportEvent &b) { return a.time < b.time; });
  const std::int64_t base = low->time;
  const auto span = static_cast<std::uint64_t>(std::int64_t{high->time} - base);
  const std::size_t n = events.size();
  // Each entry: the time after `base` above, the index below.
  std::vector<std::uint64_t> keys(n), spare(n);
  for (std::size_t i = 0; i < n; ++i)
    keys[i] = static_cast<std::uint64_t>(events[i].time - base) << 32 | i;
  constexpr int kBits = 11;
  for (int shift = 32; (span >> (shift - 32)) != 0; shift += kBits) {
    std::array<std::uint32_t, (1u << kBits) + 1> start{};
    for (const std::uint64_t key : keys)
      ++start[((key >> shift) & ((1u << kBits) - 1)) + 1];
    for (std::size_t d = 1; d < start.size(); ++d)
      start[d] += start[d - 1];
    for (const std::uint64_t key : keys)
      spare[start[(key >> shift) & ((1u << kBits) - 1)]++] = key;
    keys.swap(spare);
  }
  std::vector<std::uint32_t> indices(n);
  for (std::size_t i = 0; i < n; ++i)
    indices[i] = static_cast<std::uint32_t>(keys[i]);
  return indices;
}

} // namespace

void SortExportEvents(std::vector<ExportEvent> &events) {
  // The selection sort takes the first smallest event from position p on and swaps it with
  // the event at p, which moves that one to where the smallest was. All events of the
  // smallest time remaining are taken before any later one, and in the order of the
  // positions they hold when the first of them is taken: only the event at p moves, and an
  // event of that time at p would itself be the one taken. So the events of each time are
  // ordered by their positions at that moment, and only the moves are replayed.
  const std::size_t n = events.size();
  if (n < 2)
    return;
  const std::vector<std::uint32_t> byTime = IndicesByTime(events);
  std::vector<std::uint32_t> positionOf(n); // of each event in the list as it stands
  std::vector<std::uint32_t> eventAt(n);    // the event at each position
  for (std::uint32_t i = 0; i < n; ++i)
    positionOf[i] = eventAt[i] = i;
  std::vector<std::uint32_t> group;
  std::vector<ExportEvent> sorted;
  sorted.reserve(n);
  for (std::size_t first = 0; first < n;) {
    const std::int32_t time = events[byTime[first]].time;
    std::size_t last = first + 1;
    while (last < n && events[byTime[last]].time == time)
      ++last;
    group.assign(byTime.begin() + static_cast<std::ptrdiff_t>(first),
                 byTime.begin() + static_cast<std::ptrdiff_t>(last));
    if (group.size() > 1)
      std::sort(group.begin(), group.end(),
                [&](std::uint32_t a, std::uint32_t b) { return positionOf[a] < positionOf[b]; });
    for (const std::uint32_t taken : group) {
      const auto p = static_cast<std::uint32_t>(sorted.size());
      const std::uint32_t from = positionOf[taken];
      if (from != p) {
        const std::uint32_t moved = eventAt[p];
        eventAt[from] = moved;
        positionOf[moved] = from;
      }
      sorted.push_back(events[taken]);
    }
    first = last;
  }
  events.swap(sorted);
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
