#include "formats/midi/export_events.h"

#include "formats/midi/event_log.h"
#include "model/vocabulary.h"

#include <algorithm>
#include <cstdint>
#include <limits>
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

void SortExportEvents(std::vector<ExportEvent> &events) {
  // A selection sort is quadratic; a tournament tree finds the same "first smallest event
  // from p on" in logarithmic time, and the same swaps give the same order. A leaf holds its
  // event's time and position as one key, so that a match is one comparison and a tie goes
  // to the left, and a match whose winner stays the same ends the climb.
  const std::size_t n = events.size();
  if (n < 2)
    return;
  std::size_t leaves = 1;
  while (leaves < n)
    leaves <<= 1;
  constexpr std::uint64_t kPlaced = std::numeric_limits<std::uint64_t>::max();
  const auto keyOf = [&](std::size_t position) {
    // Flipping the sign bit orders negative times (a pick-up) before the others.
    const auto time = static_cast<std::uint32_t>(events[position].time) ^ 0x8000'0000u;
    return std::uint64_t{time} << 32 | position;
  };
  std::vector<std::uint64_t> tree(2 * leaves, kPlaced);
  for (std::size_t i = 0; i < n; ++i)
    tree[leaves + i] = keyOf(i);
  for (std::size_t node = leaves - 1; node >= 1; --node)
    tree[node] = std::min(tree[2 * node], tree[2 * node + 1]);
  const auto set = [&](std::size_t position, std::uint64_t key) {
    std::size_t node = leaves + position;
    tree[node] = key;
    for (node /= 2; node >= 1; node /= 2) {
      const std::uint64_t winner = std::min(tree[2 * node], tree[2 * node + 1]);
      if (tree[node] == winner)
        break;
      tree[node] = winner;
    }
  };
  for (std::size_t p = 0; p < n; ++p) {
    const auto smallest = static_cast<std::size_t>(tree[1] & 0xFFFF'FFFFu);
    if (smallest != p) {
      std::swap(events[p], events[smallest]);
      set(smallest, keyOf(smallest));
    }
    set(p, kPlaced);
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
