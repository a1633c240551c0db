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

struct SmfReadResult {
  // Empty when the whole file was read; otherwise what stopped the reading. The notes
  // imported before the failure stay in the song.
  std::string error;
  // The event log, Shift-JIS text with CR LF line ends, complete up to where reading stopped.
  QByteArray log;
  // Every tempo event, in file order: where it stands and its quarters per minute.
  struct Tempo {
    std::int64_t tick = 0;
    double rate = 0;
  };
  std::vector<Tempo> tempos;
  // The latest running time of any event.
  std::int64_t endTick = 0;
};

// The file's tempo: the rate that holds for the most ticks up to the file's end (120 without
// a tempo event, as the standard says). Tempo events of several tracks are taken together.
double LongestHeldRate(const SmfReadResult &read);

// The tempo step nearest to `quartersPerMinute` by the import's thresholds 135.85, 112.95
// and 97.6 (each belongs to the slower step).
TempoChoice TempoChoiceForRate(double quartersPerMinute);

// Running time after a delta-time: 480 ticks per quarter, the total rounded (halves to even)
// at every event. `division` must be positive.
std::int64_t AdvanceRunningTime(std::int64_t runningTime, std::uint32_t delta,
                                std::int32_t division);

// Parses `bytes`: note events go to `notes` (a MidiImporter fills the song's parts, whose
// notes must already be emptied with EmptyPartsForImport), tempo, program changes and the
// first track name go to `song`. Never throws, never reads outside `bytes`. A file that
// ends inside an event contributes nothing of that event.
SmfReadResult ReadSmf(std::span<const std::uint8_t> bytes, Song &song, NoteEventSink &notes,
                      const MidiImportOptions &options);

} // namespace pipora
