#pragma once
// SMD melody files on disk: opening, saving and undo snapshots. Decoding and encoding live
// in formats/smd; this is where the bytes meet the file system and the tone store.
//
// Failures carry the system's (or the decoder's) description and, for damaged files, the
// byte offset; the path and the closing line of a message are the caller's to add.
#include "formats/smd/smd_writer.h"
#include "model/result.h"
#include "model/song.h"

#include <QString>

#include <string>

namespace pipora {

struct OpenOptions {
  // Loading an undo snapshot: file name and dirty flag stay as they are.
  bool snapshotMode = false;
  // Read the tones of the user's parts from the tone store (the `isSaveTone` setting).
  bool isSaveTone = false;
};

enum class OpenOutcome {
  Loaded,    // the song now holds the file
  EmptyFile, // the first line was empty: only the file name changed (outside snapshot mode)
};

// The song the bytes of an SMD file give, the same for both programs: only the first line
// counts, and an empty one is a new song. A damaged line fails with the decoder's message and
// the byte it stopped at.
Result<Song> DecodeSmdBytes(const QByteArray &bytes);
// The same into an existing song (ReplaceMelody: its tones, current part, file name and dirty
// flag stay). An empty first line is EmptyFile and changes nothing; a damaged one fails and
// changes nothing.
Result<OpenOutcome> DecodeSmdBytes(const QByteArray &bytes, Song &song);

// Reads an SMD file into the song. The song changes only when the file was read and
// decoded completely; otherwise it stays as it was. Outside snapshot mode a loaded song
// takes the path as its file name and becomes clean.
Result<OpenOutcome> OpenSmdFile(Song &song, const QString &path, const OpenOptions &options = {});

// Writes an encoded song (EncodeSmd's text) to `path` atomically: the old file stays when
// writing fails. On success the song is clean and, with `isSaveTone`, the tones of the
// user's parts are stored under `path`. The song's file name is left to the caller. A tone
// store that cannot be written does not fail the save: its reason goes to `storeFault`.
Status SaveSmdFile(Song &song, const QString &path, const QByteArray &text, bool isSaveTone,
                   std::string *storeFault = nullptr);

// Encodes and saves in one step (dropping the ties SMD cannot hold, see DropTripletTies); a
// song that fails a check is refused with the check's message and nothing is written.
Status SaveSmdFile(Song &song, const QString &path, bool isSaveTone);

// Writes an undo snapshot: the song's SMD text to `snapshotPath` (after DropTripletTies), and
// returns that text. A song that fails a check or a file that cannot be written fails and
// writes nothing. Tones are no part of a snapshot: the tone store changes when a tone does.
// The dirty flag is not touched.
Result<QByteArray> WriteSmdSnapshot(Song &song, const QString &snapshotPath);

} // namespace pipora
