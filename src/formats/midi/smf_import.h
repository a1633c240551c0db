#pragma once
// The whole import of a Standard MIDI File, the same for the editor and the command-line tool:
// bytes in, a new song out.
#include "formats/midi/import_report.h"
#include "formats/midi/midi_import.h"
#include "formats/midi/smf_reader.h"
#include "model/result.h"
#include "model/song.h"

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <span>

namespace pipora {

class FileSurvey;

// A Standard MIDI File read into a new song: every channel fitted to its part, each of parts 1
// to 17 ended with its EndMarker, start ticks and score lists built, title, tempo and tones as
// the file gives them. `kept` is the song the import replaces, or a default Song: its tempo and
// tones stand where the file sets none, the volumes of parts without notes and its backup slot
// stay. The report's
// error says what stopped the reading early; the song keeps the notes before it. With
// options.writeEventLog the event log goes to `log`; `tempos`, when given, receives the file's
// tempo events, and `readAt` the scale of the song's times against the file's (×2 for a slow
// file read with chords shared out and its speed chosen, else ×1).
Report<Song> ImportSmf(std::span<const std::uint8_t> bytes, const MidiImportOptions &options,
                       const Song &kept = Song(), QByteArray *log = nullptr,
                       SmfTempoMap *tempos = nullptr, LengthScale *readAt = nullptr);

// Where an import's notes come from: a reading that sends every note event to `sink` in the
// order of its tracks, sets the title, tempo and tones of `song` and gives its tempo events
// to `tempos`. The value is the event log, the error what stopped the reading early.
using NoteSource = std::function<SmfRead(Song &song, NoteEventSink &sink, SmfTempoMap &tempos)>;

// The import of notes from any source into a new song, as ImportSmf does it for a Standard MIDI
// File: the same fitting, voices, report and choice of speed. `fileBytes` is the size of the
// file read, so that the notes held for sharing out chords are not copied as they grow.
// `survey`, a first reading of a MIDI file, moves the notes onto the beat and gives the parts
// their channels' loudness and the file's meter; a source without one (a score) keeps its own.
Report<Song> ImportNotes(const NoteSource &read, std::size_t fileBytes,
                         const MidiImportOptions &options, const Song &kept = Song(),
                         QByteArray *log = nullptr, SmfTempoMap *tempos = nullptr,
                         LengthScale *readAt = nullptr, const FileSurvey *survey = nullptr);

} // namespace pipora
