#pragma once
// Reading SMD melody files (*.smd, *.smz) and starting a new song.
//
// Only the first line of a file counts: the title up to the first ESC "$D", then one
// frame per part. Parts fill the song's parts in file order, from the first; a 17th and 18th part
// go to the clipboard and backup slots, a 19th is damage.
#include "model/result.h"
#include "model/song.h"

#include <QByteArray>
#include <QString>

namespace pipora {

// New's resets: the user's parts and the clipboard emptied, volumes 4, current part 1, tempo
// normal, 4/4 at 480 ticks, title empty, lists rebuilt. Outside snapshot mode the file name is
// cleared and the song is clean. The backup slot is kept. Asking to save first and
// restarting the undo history belong to the caller.
void NewSong(Song &song, bool snapshotMode = false);

struct SmdDocument {
  Song song;         // title, tempo, volumes and note lists as read (every slot)
  int partCount = 0; // part frames found in the file, 0..18
};

// Limits far above any real ringtone (a few kilobytes, a few hundred notes a part), so that
// a damaged or hostile file is refused with a message instead of running start ticks past
// what a 32-bit tick count holds: a part of kMaxSmdPartElements halves lasts 96 million ticks.
inline constexpr qsizetype kMaxSmdLineBytes = qsizetype{1} << 20; // 1 MB
inline constexpr int kMaxSmdPartElements = 100'000;

// Decodes the first line of an SMD file into a fresh document. Nothing is validated
// beyond what decoding needs and the limits above; failures carry the position of the damage.
// `capacity` is the shared list capacity to start from (it only grows).
Result<SmdDocument> DecodeSmd(const QByteArray &line, int capacity = kInitialCapacity);

// Puts a decoded document in place of the song's melody: title, tempo, volumes, parts
// 1 to 17 (and 18 when the file had an 18th part), 4/4 at 480 ticks; then RecalcTimes
// and BuildScoreList. Tones, the current part, the file name and dirty are left alone.
void ReplaceMelody(Song &song, SmdDocument &&document);

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

// Reads an SMD file into the song. The song changes only when the file was read and
// decoded completely; otherwise it stays as it was and the error message is the full
// text to show: path, line break, the error's description, line break,
// "ファイルの読み込みに失敗しました。". Outside snapshot mode a loaded song takes the
// path as its file name and becomes clean.
Result<OpenOutcome> OpenSmdFile(Song &song, const QString &path, const OpenOptions &options = {});

// The full failure text of a read: path, description, the fixed message, one per line.
std::string ReadFailureText(const QString &path, const std::string &description);

} // namespace pipora
