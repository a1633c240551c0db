#include "session/midi_files.h"

#include "formats/midi/export_events.h"
#include "formats/midi/smf_reader.h"
#include "model/file_messages.h"
#include "platform/files/file_io.h"
#include "platform/files/program_directory.h"

#include <QFileInfo>
#include <algorithm>
#include <span>

namespace pipora {

QString WithLastThreeReplaced(const QString &path, const QString &extension) {
  return path.left(std::max<qsizetype>(path.size() - 3, 0)) + extension;
}

Result<MidiImportReport> ImportMidiFile(Song &song, const QString &path,
                                        const MidiImportOptions &options) {
  if (QFileInfo(path).size() > kMaxMidiFileBytes)
    return Error{TooLargeText(kMaxMidiFileBytes), {}};
  Result<QByteArray> file = ReadWholeFile(path);
  if (!file)
    return file.failure();

  song.fileName = WithLastThreeReplaced(path, "smd").toStdString();
  EmptyPartsForImport(song);
  song.ticksPerBeat = 480;
  song.beatsPerMeasure = 4;
  song.title.clear();
  const std::span<const std::uint8_t> bytes(
      reinterpret_cast<const std::uint8_t *>(file->constData()),
      static_cast<std::size_t>(file->size()));
  MidiImporter importer(song, options);
  SmfReadResult read = ReadSmf(bytes, song, importer, options);
  // The log only shows what was read; failing to write it does not fail the import.
  (void)WriteScratchFile(ProgramFile("pipora.log"), read.log);
  AppendEndMarkers(song);
  RecalcTimes(song);
  BuildScoreList(song);
  song.dirty = false;

  MidiImportReport report;
  if (!read.error.empty())
    report.error = Error{std::move(read.error), {}};
  return report;
}

Status ExportMidiFile(const Song &song, const QString &path, const VelocitySource &velocities) {
  const SmfFile smf = EncodeSmf(song, velocities);
  (void)WriteScratchFile(ProgramFile("pipora3.log"), smf.log);
  return WriteFileAtomically(path, smf.bytes);
}

Status WriteEventListLog(const Song &song) {
  return WriteScratchFile(ProgramFile("pipora.log"), EventListText(BuildExportEvents(song)));
}

} // namespace pipora
