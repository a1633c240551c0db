#include "session/midi_files.h"

#include "formats/midi/export_events.h"
#include "formats/midi/smf_reader.h"
#include "model/file_messages.h"
#include "platform/files/file_io.h"
#include "platform/files/program_directory.h"

#include <algorithm>
#include <array>
#include <span>

namespace pipora {
namespace {

void FinishImport(Song &song) {
  AppendEndMarkers(song);
  RecalcTimes(song);
  BuildScoreList(song);
  song.dirty = false;
}

// Counts the note-ons of each channel.
class NoteOnCounter final : public NoteEventSink {
public:
  void ImportNoteEvent(int channel, int, int velocity, std::int64_t) override {
    if (velocity > 0 && channel >= 1 && channel <= kUserParts)
      ++counts[static_cast<std::size_t>(channel - 1)];
  }
  void StartTrack() override {}
  std::array<std::size_t, kUserParts> counts{};
};

// A long file appends hundreds of thousands of elements; growing the lists as they fill
// would copy each several times. A quick first read counts the notes per channel, and each
// part takes room for a note, a rest and a tied piece per note-on, so that fitting the song
// for SMD afterwards rarely needs more. Room never written to costs no memory.
void ReserveForNotes(Song &song, std::span<const std::uint8_t> bytes,
                     const MidiImportOptions &options) {
  if (bytes.size() < (std::size_t{64} << 10))
    return;
  Song scratch;
  MidiImportOptions quiet = options;
  quiet.writeEventLog = false;
  quiet.report = nullptr;
  quiet.onProgramChange = nullptr;
  NoteOnCounter counter;
  (void)ReadSmf(bytes, scratch, counter, quiet);
  for (int n = 1; n <= kUserParts; ++n)
    song.part(n).notes.reserve(3 * counter.counts[static_cast<std::size_t>(n - 1)] + 8);
}

} // namespace

QString WithLastThreeReplaced(const QString &path, const QString &extension) {
  return path.left(std::max<qsizetype>(path.size() - 3, 0)) + extension;
}

Result<MidiImportReport> ImportMidiFile(Song &song, const QString &path,
                                        const MidiImportOptions &options) {
  Result<QByteArray> file = ReadWholeFile(path, kMaxMidiFileBytes);
  if (!file)
    return file.failure();

  song.fileName = WithLastThreeReplaced(path, "smd").toStdString();
  EmptyPartsForImport(song);
  // An imported song often spreads a few voices over many channels.
  song.display = ScoreDisplay{};
  song.display.hideEmptyParts = true;
  song.ticksPerBeat = 480;
  song.beatsPerMeasure = 4;
  song.title.clear();
  const std::span<const std::uint8_t> bytes(
      reinterpret_cast<const std::uint8_t *>(file->constData()),
      static_cast<std::size_t>(file->size()));
  ReserveForNotes(song, bytes, options);
  MidiImporter importer(song, options);
  SmfReadResult read = ReadSmf(bytes, song, importer, options);
  // The log only shows what was read; failing to write it does not fail the import.
  if (options.writeEventLog)
    (void)WriteScratchFile(ProgramFile("pipora.log"), read.log);
  FinishImport(song);

  MidiImportReport report;
  if (!read.error.empty())
    report.error = Error{std::move(read.error)};
  return report;
}

Status ExportMidiFile(const Song &song, const QString &path, const VelocitySource &velocities,
                      bool writeLog) {
  if (Status fits = CheckMidiExport(song); !fits)
    return fits;
  const SmfFile smf = EncodeSmf(song, velocities);
  if (writeLog)
    (void)WriteScratchFile(ProgramFile("pipora3.log"), smf.log);
  return WriteFileAtomically(path, smf.bytes);
}

Status WriteEventListLog(const Song &song) {
  return WriteScratchFile(ProgramFile("pipora.log"), EventListText(BuildExportEvents(song)));
}

} // namespace pipora
