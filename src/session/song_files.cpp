#include "session/song_files.h"

#include "formats/musicxml/mxl_archive.h"
#include "formats/smd/smd_writer.h"
#include "platform/files/file_io.h"
#include "session/midi_files.h"
#include "session/musicxml_files.h"
#include "session/smd_files.h"

namespace pipora {
namespace {

std::optional<SongFileKind> KindOfContent(const QByteArray &head) {
  if (head.startsWith("MThd"))
    return SongFileKind::Midi;
  if (LooksLikeZip(head)) // a compressed MusicXML score
    return SongFileKind::MusicXml;
  QByteArray start = head.startsWith("\xEF\xBB\xBF") ? head.mid(3) : head;
  start = start.trimmed();
  if (start.startsWith("<?xml") || start.startsWith("<score-partwise") ||
      start.startsWith("<score-timewise") || start.startsWith("<!DOCTYPE score"))
    return SongFileKind::MusicXml;
  // A part frame is SMD whatever the title before it.
  if (FirstLineOf(head).contains("\x1b$D"))
    return SongFileKind::Smd;
  return std::nullopt;
}

std::optional<SongFileKind> KindOfName(const QByteArray &name) {
  const qsizetype slash = name.lastIndexOf('/');
  const qsizetype dot = name.lastIndexOf('.');
  if (dot <= slash + 1)
    return std::nullopt;
  const QByteArray extension = name.mid(dot + 1).toLower();
  if (extension == "smd" || extension == "smz")
    return SongFileKind::Smd;
  if (extension == "mid" || extension == "midi")
    return SongFileKind::Midi;
  if (extension == "xml" || extension == "musicxml" || extension == "mxl")
    return SongFileKind::MusicXml;
  return std::nullopt;
}

} // namespace

std::optional<SongFileKind> SongFileKindOf(const QByteArray &name, const QByteArray &head) {
  if (const std::optional<SongFileKind> kind = KindOfContent(head))
    return kind;
  if (const std::optional<SongFileKind> kind = KindOfName(name))
    return kind;
  // An empty first line is what SMD writes for an empty song; standard input has no name to
  // go by, and SMD text is what it is given.
  if (FirstLineOf(head).isEmpty() || name.isEmpty())
    return SongFileKind::Smd;
  return std::nullopt;
}

Result<SongFileKind> SongFileKindAt(const QString &path) {
  const Result<QByteArray> head = ReadFirstLine(path, kSongFileHeadBytes);
  if (!head)
    return head.failure();
  const std::optional<SongFileKind> kind = SongFileKindOf(FileNameBytes(path), *head);
  if (!kind)
    return Error{std::string(kNotASongFileMessage)};
  return *kind;
}

Result<DecodedSong> DecodeSongBytes(SongFileKind kind, const QByteArray &bytes,
                                    const MidiImportOptions &import, const Song &kept) {
  DecodedSong decoded;
  decoded.kind = kind;
  switch (kind) {
  case SongFileKind::Smd: {
    Result<Song> song = DecodeSmdBytes(bytes);
    if (!song)
      return song.failure();
    decoded.song = std::move(*song);
    return decoded;
  }
  case SongFileKind::Midi: {
    Report<Song> imported = ImportMidiBytes(bytes, import, kept);
    decoded.song = std::move(imported.value);
    decoded.damage = std::move(imported.error);
    decoded.warnings = std::move(imported.warnings);
    return decoded;
  }
  case SongFileKind::MusicXml: {
    Result<Report<Song>> imported = ImportMusicXmlBytes(bytes, import, kept);
    if (!imported)
      return imported.failure();
    decoded.song = std::move(imported->value);
    decoded.damage = std::move(imported->error);
    return decoded;
  }
  }
  return Error{std::string(kNotASongFileMessage)};
}

Result<QByteArray> EncodeSongBytes(SongFileKind kind, Song &song, bool writeLog) {
  switch (kind) {
  case SongFileKind::Smd:
    return EncodeSmd(song);
  case SongFileKind::Midi:
    RecalcTimes(song);
    return MidiExportBytes(song, RandomVelocitySource(), writeLog);
  case SongFileKind::MusicXml:
    RecalcTimes(song);
    return MusicXmlExportBytes(song, false);
  }
  return Error{std::string(kNotASongFileMessage)};
}

} // namespace pipora
