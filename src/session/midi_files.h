#pragma once
// Standard MIDI Files on disk: the import with its event log "pipora.log", the export with
// its writer log "pipora3.log", and the event-list dump. Reading and writing the bytes lives
// in formats/midi; this is where they meet the file system.
//
// Failures carry the system's description; the path and the closing line of a message are
// the caller's to add.
#include "formats/midi/midi_import.h"
#include "formats/midi/smf_reader.h"
#include "formats/midi/smf_writer.h"
#include "model/file_messages.h"
#include "model/result.h"
#include "model/song.h"

#include <QString>

namespace pipora {

// `path` with its last three characters replaced by `extension` ("smd", "mid"), the way
// the program derives one file's name from the other's.
QString WithLastThreeReplaced(const QString &path, const QString &extension);

// What an import that read the file got: `error` says where damage stopped the reading.
using MidiImportReport = Report<Ok>;

// The import both programs use: Standard MIDI File bytes to a new song (ImportSmf, with `kept`
// the song it replaces), and the event log "pipora.log" in the program's directory when the
// options ask for it.
Report<Song> ImportMidiBytes(const QByteArray &bytes, const MidiImportOptions &options,
                             const Song &kept = Song());

// The tempo step and length scale of an imported song, chosen by FitSpeed for the tempo that
// holds longest in `tempos` when the options choose the speed (the report records it). Returns
// the scale of the song's lengths against the file's.
LengthScale FitImportedSpeed(Song &song, const MidiImportOptions &options,
                             const SmfTempoMap &tempos, LengthScale readAt);

// Replaces the song by the one the Standard MIDI File at `path` gives (ImportMidiBytes, keeping
// the volumes, the backup slot and the tempo and tones the file does not set): the file name
// becomes `path` ending in "smd" and the song is not dirty. Damage stops the reading but keeps
// the notes read before it (the report's error); a file cut short is read as far as it goes
// (the report's warnings). A file that cannot be read, is larger than kMaxSongFileBytes, or is
// damaged before its first note, fails and leaves the song as it was.
Result<MidiImportReport> ImportMidiFile(Song &song, const QString &path,
                                        const MidiImportOptions &options);

// The song as the bytes of a Standard MIDI File, once it passed CheckMidiExport (the
// check's failure otherwise), and with `writeLog` the writer log "pipora3.log". The note
// lists' start ticks must be current (RecalcTimes).
Result<QByteArray> MidiExportBytes(const Song &song,
                                   const VelocitySource &velocities = RandomVelocitySource(),
                                   bool writeLog = true);

// Writes the song as a Standard MIDI File at `path` (atomically: an existing file is
// replaced only by a complete one) and the writer log "pipora3.log". The note lists' start
// ticks must be current (RecalcTimes). The dirty flag is not touched. A batch conversion
// passes `writeLog` false.
Status ExportMidiFile(const Song &song, const QString &path,
                      const VelocitySource &velocities = RandomVelocitySource(),
                      bool writeLog = true);

// The event-list dump: the export event list of the song into "pipora.log".
Status WriteEventListLog(const Song &song);

// The message the event-list dump shows when done.
inline constexpr const char *kEventListWrittenMessage =
    "pipora.logにイベントリストを出力しました。";

} // namespace pipora
