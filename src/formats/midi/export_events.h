#pragma once
// The song as a timed list of note-ons and note-offs: what Standard MIDI File writing
// sends, and what the event-list dump shows.
#include "model/song.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace pipora {

struct ExportEvent {
  std::int32_t time = 0; // ticks of kTicksPerQuarter
  std::int16_t part = 0; // 1..16, also the MIDI channel
  std::int16_t key = 0;
  std::int16_t velocity = 0; // 100 note-on, 0 note-off

  friend bool operator==(const ExportEvent &, const ExportEvent &) = default;
};

// Note-offs come a gate after the note's start: the length minus 20 ticks. Tied codes have
// none: the last note of a tie chain ends it. 0 for codes without a note-off.
int ExportGateTicks(std::string_view code);

// Note-ons and note-offs of the user's parts from the note lists (start ticks as RecalcTimes
// left them), sorted by time. Rests add nothing; a note tied from the same note before it is
// not struck again, and every note-on has its note-off: at the end of the tie chain, or at
// the element where a tie leads into a rest, another pitch or the end of the part.
std::vector<ExportEvent> BuildExportEvents(const Song &song);

// Sorts by time exactly as a selection sort that swaps the first smallest later event into
// place does; files written before rely on the order of simultaneous events it gives.
void SortExportEvents(std::vector<ExportEvent> &events);

// One line per event: time TAB part TAB key TAB velocity, CR LF ended.
QByteArray EventListText(const std::vector<ExportEvent> &events);

} // namespace pipora
