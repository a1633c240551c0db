#include "session/midi_files.h"

#include "editing/import_speed.h"
#include "formats/midi/export_events.h"
#include "formats/midi/smf_import.h"
#include "model/file_messages.h"
#include "platform/files/file_io.h"
#include "platform/files/program_directory.h"
#include "platform/files/stale_temporaries.h"
#include "session/song_files.h"

#include <QFileInfo>

#include <algorithm>
#include <span>

namespace pipora {
namespace {

bool HasNotes(const Song &song) {
  for (int n = 1; n <= kUserParts; ++n)
    if (song.part(n).count > 0)
      return true;
  return false;
}

} // namespace

QString WithLastThreeReplaced(const QString &path, const QString &extension) {
  return path.left(std::max<qsizetype>(path.size() - 3, 0)) + extension;
}

Report<Song> ImportMidiBytes(const QByteArray &bytes, const MidiImportOptions &options,
                             const Song &kept) {
  const std::span<const std::uint8_t> span(reinterpret_cast<const std::uint8_t *>(bytes.data()),
                                           static_cast<std::size_t>(bytes.size()));
  QByteArray log;
  SmfTempoMap tempos;
  LengthScale readAt = LengthScale::One;
  Report<Song> imported = ImportSmf(span, options, kept, &log, &tempos, &readAt);
  // An imported song often spreads a few voices over many channels.
  imported.value.display.hideEmptyParts = true;
  (void)FitImportedSpeed(imported.value, options, tempos, readAt);
  // The log only shows what was read; failing to write it does not fail the import.
  if (options.writeEventLog)
    (void)WriteScratchFile(ProgramFile("pipora.log"), log);
  return imported;
}

LengthScale FitImportedSpeed(Song &song, const MidiImportOptions &options,
                             const SmfTempoMap &tempos, LengthScale readAt) {
  if (!options.chooseSpeed)
    return readAt;
  // Doubling keeps every part within what the import itself takes.
  const ImportSpeed speed = FitSpeed(
      song, LongestHeldRate(tempos), readAt,
      static_cast<std::int32_t>(std::min<std::int64_t>(options.maxPartElements, kMaxPartElements)));
  if (options.report != nullptr)
    options.report->speed = speed;
  return speed.scale;
}

Result<MidiImportReport> ImportMidiFile(Song &song, const QString &path,
                                        const MidiImportOptions &options) {
  Result<QByteArray> file = ReadWholeFile(path, kMaxSongFileBytes);
  if (!file)
    return file.failure();
  Report<Song> imported = ImportMidiBytes(*file, options, song);
  // Damage before any note leaves nothing worth the song it would replace.
  if (imported.error && !HasNotes(imported.value))
    return *imported.error;
  song = std::move(imported.value);
  song.fileName = FileNameBytes(WithLastThreeReplaced(path, "smd")).toStdString();
  MidiImportReport report;
  report.error = std::move(imported.error);
  report.warnings = std::move(imported.warnings);
  return report;
}

Result<QByteArray> MidiExportBytes(const Song &song, const VelocitySource &velocities,
                                   bool writeLog) {
  if (Status fits = CheckMidiExport(song); !fits)
    return fits.failure();
  SmfFile smf = EncodeSmf(song, velocities, writeLog);
  if (writeLog)
    (void)WriteScratchFile(ProgramFile("pipora3.log"), smf.log);
  return std::move(smf.bytes);
}

Status ExportMidiFile(const Song &song, const QString &path, const VelocitySource &velocities,
                      bool writeLog) {
  const Result<QByteArray> bytes = MidiExportBytes(song, velocities, writeLog);
  if (!bytes)
    return bytes.failure();
  Status written = WriteFileAtomically(path, *bytes);
  if (written)
    (void)RemoveStaleTemporaries(QFileInfo(path).path()); // left by a save that was killed
  return written;
}

Status WriteEventListLog(const Song &song) {
  return WriteScratchFile(ProgramFile("pipora.log"), EventListText(BuildExportEvents(song)));
}

} // namespace pipora
