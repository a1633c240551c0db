#pragma once
// Standard MIDI Files on disk: the import with its event log "pipora.log", the export with
// its writer log "pipora3.log", and the event-list dump. Reading and writing the bytes lives
// in formats/midi; this is where they meet the file system.
//
// Failures carry the system's description; the path and the closing line of a message are
// the caller's to add.
#include "formats/midi/midi_import.h"
#include "formats/midi/smf_writer.h"
#include "model/result.h"
#include "model/song.h"

#include <QString>

namespace pipora {

// `path` with its last three characters replaced by `extension` ("smd", "mid"), the way
// the program derives one file's name from the other's.
QString WithLastThreeReplaced(const QString &path, const QString &extension);

// Larger files are refused before reading: a melody file is a few kilobytes, and reading
// one takes memory for the file and a log several times its size.
inline constexpr qint64 kMaxMidiFileBytes = qint64{64} << 20;

// What an import that read the file got: `error` says where damage stopped the reading.
using MidiImportReport = Report<Ok>;

// Replaces the song by the notes of the Standard MIDI File at `path`: the file name becomes
// `path` ending in "smd", the user's parts, the clipboard and the title are emptied, the file is
// read (with tempo, tones and title taken from it) and "pipora.log" is written in the program's
// directory; every part ends with its EndMarker, the score lists are rebuilt and the song
// is not dirty. Damage stops the reading but keeps the notes read before it (the report's
// error). A file that cannot be read, or is too large, fails and leaves the song as it was.
// Volumes, the current part and part 18 are left alone; the caller stores the tones in the
// settings.
Result<MidiImportReport> ImportMidiFile(Song &song, const QString &path,
                                        const MidiImportOptions &options);

// Writes the song as a Standard MIDI File at `path` (atomically: an existing file is
// replaced only by a complete one) and the writer log "pipora3.log". The note lists' start
// ticks must be current (RecalcTimes). The dirty flag is not touched.
Status ExportMidiFile(const Song &song, const QString &path,
                      const VelocitySource &velocities = RandomVelocitySource());

// The event-list dump: the export event list of the song into "pipora.log".
Status WriteEventListLog(const Song &song);

// The message the event-list dump shows when done.
inline constexpr const char *kEventListWrittenMessage =
    "pipora.logにイベントリストを出力しました。";

} // namespace pipora
