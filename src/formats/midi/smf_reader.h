#pragma once
// Walks a Standard MIDI File (format 0 or 1) held in memory: every note event goes to the
// import, tempo, program changes and the first track name go to the song, and every event
// is described in the event log.
#include "formats/midi/midi_import.h"
#include "model/result.h"
#include "model/song.h"

#include <QByteArray>
#include <cstdint>
#include <span>
#include <vector>

namespace pipora {

// The value is the event log, Shift-JIS text with CR LF line ends, complete up to where
// reading stopped; the error says what stopped it (the notes imported before stay in the song).
using SmfRead = Report<QByteArray>;

// The file's tempo events, in file order, and where its last event stands.
struct SmfTempoMap {
  struct Tempo {
    std::int64_t tick = 0;
    double rate = 0; // quarters per minute
  };
  std::vector<Tempo> tempos;
  std::int64_t endTick = 0;
};

// The file's tempo: the rate that holds for the most ticks up to the file's end (120 without
// a tempo event, as the standard says). Tempo events of several tracks are taken together.
double LongestHeldRate(const SmfTempoMap &map);

// The tempo step nearest to `quartersPerMinute` by the import's thresholds 135.85, 112.95
// and 97.6 (each belongs to the slower step).
TempoChoice TempoChoiceForRate(double quartersPerMinute);

// Running time after a delta-time: kTicksPerQuarter ticks per quarter, the total rounded
// (halves to even) at every event. `division` must be positive, `delta` below 2^40.
std::int64_t AdvanceRunningTime(std::int64_t runningTime, std::int64_t delta,
                                std::int32_t division);

// Parses `bytes`: note events go to `notes`, tempo, program changes and the first track name
// go to `song` (smf_import.h has the whole import into a new song). Never throws, never reads
// outside `bytes`. A file that ends inside an event contributes nothing of that event.
// `tempos`, when given, receives the file's tempo events.
SmfRead ReadSmf(std::span<const std::uint8_t> bytes, Song &song, NoteEventSink &notes,
                const MidiImportOptions &options, SmfTempoMap *tempos = nullptr);

} // namespace pipora
