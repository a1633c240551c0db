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

namespace pipora {

// The value is the event log, Shift-JIS text with CR LF line ends, complete up to where
// reading stopped; the error says what stopped it (the notes imported before stay in the song).
using SmfRead = Report<QByteArray>;

// The tempo step nearest to `quartersPerMinute` by the import's thresholds 135.85, 112.95
// and 97.6 (each belongs to the slower step).
TempoChoice TempoChoiceForRate(double quartersPerMinute);

// Running time after a delta-time: kTicksPerQuarter ticks per quarter, the total rounded
// (halves to even) at every event. `division` must be positive.
std::int64_t AdvanceRunningTime(std::int64_t runningTime, std::uint32_t delta,
                                std::int32_t division);

// Parses `bytes`: note events go to `notes`, tempo, program changes and the first track name
// go to `song` (smf_import.h has the whole import into a new song). Never throws, never reads
// outside `bytes`. A file that ends inside an event contributes nothing of that event.
SmfRead ReadSmf(std::span<const std::uint8_t> bytes, Song &song, NoteEventSink &notes,
                const MidiImportOptions &options);

} // namespace pipora
