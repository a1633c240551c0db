#include "formats/midi/midi_files.h"

#include "formats/midi/export_events.h"
#include "formats/midi/smf_reader.h"
#include "platform/files/program_directory.h"

#include <QFile>
#include <QSaveFile>
#include <span>

namespace pipora {
namespace {

Status WriteWhole(const QString &path, const QByteArray &bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
    return Error{file.errorString().toStdString()};
  return Ok{};
}

void FinishImport(Song &song) {
  AppendEndMarkers(song);
  RecalcTimes(song);
  BuildScoreList(song);
  song.dirty = false;
}

} // namespace

QString WithLastThreeReplaced(const QString &path, const QString &extension) {
  return path.left(std::max<qsizetype>(path.size() - 3, 0)) + extension;
}

Status ImportMidiFile(Song &song, const QString &path, const MidiImportOptions &options) {
  song.fileName = WithLastThreeReplaced(path, "smd").toStdString();
  EmptyPartsForImport(song);
  song.ticksPerBeat = 480;
  song.beatsPerMeasure = 4;
  song.title.clear();

  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    FinishImport(song);
    return Error{file.errorString().toStdString()};
  }
  // Mapping avoids a copy of large files; a device that cannot be mapped is read instead.
  QByteArray read;
  std::span<const std::uint8_t> bytes;
  if (const qint64 size = file.size(); size > 0) {
    if (const uchar *mapped = file.map(0, size))
      bytes = {mapped, static_cast<std::size_t>(size)};
  }
  if (bytes.empty()) {
    read = file.readAll();
    bytes = {reinterpret_cast<const std::uint8_t *>(read.constData()),
             static_cast<std::size_t>(read.size())};
  }

  MidiImporter importer(song, options);
  SmfReadResult result = ReadSmf(bytes, song, importer, options);
  file.close();
  // The log only helps to see what was read; failing to write it does not fail the import.
  (void)WriteWhole(ProgramFile("pipora.log"), result.log);
  FinishImport(song);
  if (!result.error.empty())
    return Error{std::move(result.error)};
  return Ok{};
}

Status ExportMidiFile(const Song &song, const QString &path, const VelocitySource &velocities) {
  const SmfFile smf = EncodeSmf(song, velocities);
  (void)WriteWhole(ProgramFile("pipora3.log"), smf.log);
  return WriteWhole(path, smf.bytes);
}

Status WriteEventListLog(const Song &song) {
  return WriteWhole(ProgramFile("pipora.log"), EventListText(BuildExportEvents(song)));
}

} // namespace pipora
