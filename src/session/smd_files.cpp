#include "session/smd_files.h"

#include "formats/smd/smd_reader.h"
#include "platform/files/file_io.h"
#include "session/tone_store.h"

namespace pipora {

namespace {

// The melody of an SMD file's bytes in place of the song's (ReplaceMelody: its tones, current
// part, file name and dirty flag stay). An empty first line is EmptyFile and changes nothing;
// a damaged one fails and changes nothing.
Result<OpenOutcome> DecodeSmdBytes(const QByteArray &bytes, Song &song) {
  const QByteArray line = FirstLineOf(bytes);
  if (line.isEmpty())
    return OpenOutcome::EmptyFile;
  Result<SmdDocument> document = DecodeSmd(line, song.capacity);
  if (!document)
    return document.failure();
  ReplaceMelody(song, std::move(*document));
  return OpenOutcome::Loaded;
}

} // namespace

Result<Song> DecodeSmdBytes(const QByteArray &bytes) {
  Song song;
  if (Result<OpenOutcome> decoded = DecodeSmdBytes(bytes, song); !decoded)
    return decoded.failure();
  return song;
}

Result<OpenOutcome> OpenSmdFile(Song &song, const QString &path, const OpenOptions &options) {
  Result<QByteArray> line = ReadFirstLine(path, kMaxSmdLineBytes);
  if (!line)
    return line.failure();
  const Result<OpenOutcome> decoded = DecodeSmdBytes(*line, song);
  if (!decoded)
    return decoded.failure();
  if (*decoded == OpenOutcome::EmptyFile) {
    if (!options.snapshotMode)
      song.fileName = FileNameBytes(path).toStdString();
    return OpenOutcome::EmptyFile;
  }
  // A snapshot file has no tones of its own; the current ones stay.
  if (options.isSaveTone && !options.snapshotMode)
    LoadTones(song, path);
  if (!options.snapshotMode) {
    song.display = ScoreDisplay{};
    LoadScoreDisplay(song, path);
  }
  if (!options.snapshotMode) {
    song.fileName = FileNameBytes(path).toStdString();
    song.dirty = false;
  }
  return OpenOutcome::Loaded;
}

Status SaveSmdFile(Song &song, const QString &path, const QByteArray &text, bool isSaveTone) {
  if (Status written = WriteFileAtomically(path, text); !written)
    return written;
  // The melody is safe on disk; a tone store that cannot be written does not undo that.
  if (isSaveTone)
    (void)SaveTones(song, path);
  (void)SaveScoreDisplay(song, path);
  song.dirty = false;
  return Ok{};
}

Status SaveSmdFile(Song &song, const QString &path, bool isSaveTone) {
  DropTripletTies(song);
  const Result<QByteArray> encoded = EncodeSmd(song);
  if (!encoded)
    return encoded.failure();
  return SaveSmdFile(song, path, *encoded, isSaveTone);
}

Status WriteSmdSnapshot(Song &song, const QString &snapshotPath, bool isSaveTone) {
  DropTripletTies(song);
  const Result<QByteArray> encoded = EncodeSmd(song);
  if (!encoded)
    return encoded.failure();
  if (Status written = WriteFileAtomically(snapshotPath, *encoded); !written)
    return written;
  if (isSaveTone && !song.fileName.empty())
    (void)SaveTones(song, FileNameFromBytes(QByteArray::fromStdString(song.fileName)));
  return Ok{};
}

} // namespace pipora
