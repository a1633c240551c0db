#include "formats/midi/export_events.h"

#include "formats/midi/event_log.h"
#include "model/vocabulary.h"

#include <algorithm>
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
  // from p on" in logarithmic time, and the same swaps give the same order.
  const std::size_t n = events.size();
  if (n < 2)
    return;
  std::size_t leaves = 1;
  while (leaves < n)
    leaves <<= 1;
  constexpr std::int64_t kPlaced = std::numeric_limits<std::int64_t>::max();
  std::vector<std::int64_t> time(leaves, kPlaced);
  for (std::size_t i = 0; i < n; ++i)
    time[i] = events[i].time;
  // winner[node]: position of the smallest time below node; the left one on a tie.
  std::vector<std::size_t> winner(2 * leaves);
  for (std::size_t i = 0; i < leaves; ++i)
    winner[leaves + i] = i;
  const auto play = [&](std::size_t node) {
    const std::size_t left = winner[2 * node];
    const std::size_t right = winner[2 * node + 1];
    winner[node] = time[right] < time[left] ? right : left;
  };
  for (std::size_t node = leaves - 1; node >= 1; --node)
    play(node);
  const auto replay = [&](std::size_t position) {
    for (std::size_t node = (leaves + position) / 2; node >= 1; node /= 2)
      play(node);
  };
  for (std::size_t p = 0; p < n; ++p) {
    const std::size_t smallest = winner[1];
    if (smallest != p) {
      std::swap(events[p], events[smallest]);
      time[smallest] = events[smallest].time;
      replay(smallest);
    }
    time[p] = kPlaced;
    replay(p);
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
