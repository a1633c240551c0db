#include "session/musicxml_files.h"

#include "engraving/clefs.h"
#include "engraving/key_signature.h"
#include "formats/musicxml/musicxml_import.h"
#include "formats/musicxml/musicxml_reader.h"
#include "formats/musicxml/musicxml_writer.h"
#include "formats/musicxml/mxl_archive.h"
#include "model/file_messages.h"
#include "platform/files/file_io.h"

#include <QFileInfo>

namespace pipora {

bool LooksLikeMusicXmlFile(const QByteArray &bytes) {
  return LooksLikeZip(bytes) || LooksLikeMusicXml(bytes);
}

Result<Report<Song>> ImportMusicXmlBytes(const QByteArray &bytes, const MidiImportOptions &options,
                                         const Song &kept) {
  QByteArray text = bytes;
  if (LooksLikeZip(bytes)) {
    Result<QByteArray> unpacked = ReadMxlScore(bytes);
    if (!unpacked)
      return unpacked.failure();
    text = std::move(*unpacked);
  }
  const Result<MusicXmlScore> score = ReadMusicXml(text);
  if (!score)
    return score.failure();
  SmfTempoMap tempos;
  LengthScale readAt = LengthScale::One;
  Report<Song> imported = ImportMusicXmlScore(*score, options, kept, &tempos, &readAt);
  imported.value.display.hideEmptyParts = true;
  const LengthScale scale = FitImportedSpeed(imported.value, options, tempos, readAt);
  ApplyScoreLayout(imported.value, *score, scale);
  return imported;
}

Result<MidiImportReport> ImportMusicXmlFile(Song &song, const QString &path,
                                            const MidiImportOptions &options) {
  Result<QByteArray> file = ReadWholeFile(path, kMaxSongFileBytes);
  if (!file)
    return file.failure();
  Result<Report<Song>> imported = ImportMusicXmlBytes(*file, options, song);
  if (!imported)
    return imported.failure();
  song = std::move(imported->value);
  const QString suffix = QFileInfo(path).suffix();
  song.fileName =
      FileNameBytes(suffix.isEmpty() ? path + QStringLiteral(".smd")
                                     : path.chopped(suffix.size()) + QStringLiteral("smd"))
          .toStdString();
  MidiImportReport report;
  report.error = std::move(imported->error);
  return report;
}

Result<QByteArray> MusicXmlExportBytes(const Song &song, bool compressed, const PartNames &names) {
  MusicXmlLayout layout;
  layout.key = KeyOf(song);
  for (int n = 1; n <= kUserParts; ++n)
    layout.clefs[static_cast<std::size_t>(n)] = ClefOf(song, n);
  layout.names = names;
  QByteArray text = EncodeMusicXml(song, layout);
  if (!compressed)
    return text;
  return WriteMxl(text);
}

bool IsCompressedScoreName(const QString &path) {
  return path.endsWith(QStringLiteral(".mxl"), Qt::CaseInsensitive);
}

Status ExportMusicXmlFile(const Song &song, const QString &path, const PartNames &names) {
  const Result<QByteArray> bytes = MusicXmlExportBytes(song, IsCompressedScoreName(path), names);
  if (!bytes)
    return bytes.failure();
  return WriteFileAtomically(path, *bytes);
}

} // namespace pipora
