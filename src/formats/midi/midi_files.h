#pragma once
// The MIDI file commands without their dialogs: what the open-MIDI, save-MIDI and
// event-list commands of the main window (and the command-line tool) call. Every message
// returned is the system-style description only; the caller shows it under the file name
// with "ファイルの読み込みに失敗しました。" or "ファイルの保存に失敗しました。".
#include "formats/midi/midi_import.h"
#include "formats/midi/smf_writer.h"
#include "model/result.h"
#include "model/song.h"

#include <QString>
#include <string>

namespace pipora {

// `path` with its last three characters replaced by `extension` ("smd", "mid"), the way
// the program derives one file's name from the other's.
QString WithLastThreeReplaced(const QString &path, const QString &extension);

// Larger files are refused before reading: a melody file is a few kilobytes, and reading
// one takes memory for the file and a log several times its size.
inline constexpr qint64 kMaxMidiFileBytes = qint64{64} << 20;

struct MidiImportResult {
  // False when the file could not be opened at all: the song is then empty.
  bool opened = true;
  // The error's description; empty when the whole file was read.
  std::string error;
  bool ok() const { return error.empty(); }
};

// Replaces the song by the notes of the Standard MIDI File at `path`: the file name becomes
// `path` ending in "smd", the user's parts, the clipboard and the title are emptied, the file is
// read (with tempo, tones and title taken from it) and "pipora.log" is written in the program's
// directory; every part ends with its EndMarker, the score lists are rebuilt and the song
// is not dirty. An error stops the reading but keeps the notes read before it. Volumes,
// the current part and part 18 are left alone; the caller stores the tones in the settings.
MidiImportResult ImportMidiFile(Song &song, const QString &path, const MidiImportOptions &options);

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
