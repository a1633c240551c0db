// Standard MIDI Files in piporapad-cli: dump, check and convert read and write .mid through
// the format hooks; `events` lists a song as the timed events a .mid export would hold.
#include "app/cli/cli_command.h"
#include "app/cli/cli_options.h"

#include "editing/fit_for_smd.h"
#include "formats/midi/export_events.h"
#include "formats/midi/midi_files.h"
#include "formats/smd/smd_reader.h"
#include "formats/smd/smd_writer.h"

namespace pipora::cli {
namespace {

// A damaged file is reported, and what was read before the damage stays in the song, as
// the editor's open-MIDI command does; the exit code still tells of the damage.
Status LoadMidi(Song &song, const QString &path) {
  MidiImportOptions options = ImportOptions();
  ImportReport report;
  if (ReportRequested())
    options.report = &report;
  const MidiImportResult result = ImportMidiFile(song, path, options);
  if (!result.opened)
    return Error{ReadFailureText(path, result.error)};
  if (!result.ok()) {
    PrintErr(ReadFailureText(path, result.error) + "\n");
    NoteIncompleteRead();
  }
  if (ReportRequested())
    PrintOut(ImportReportText(report, song.ticksPerBeat, song.beatsPerMeasure) +
             ImportReportSummary(report) + "\n");
  if (FitRequested()) {
    const std::vector<FitChange> changes = FitForSmdInPlace(song);
    if (ReportRequested())
      PrintOut(FitChangesText(changes, song.ticksPerBeat, song.beatsPerMeasure) +
               std::to_string(changes.size()) + " changes to fit for SMD\n");
  }
  return Ok{};
}

Status SaveMidi(Song &song, const QString &path, bool &refused) {
  refused = false;
  RecalcTimes(song);
  if (Status written = ExportMidiFile(song, path, RandomVelocitySource(), LogRequested()); !written)
    return Error{path.toStdString() + "\n" + written.error() + "\n" +
                 std::string(kWriteFailedMessage)};
  return Ok{};
}

constexpr std::string_view kEventsUsage = "events FILE";

int RunEvents(const QStringList &args) {
  if (args.size() != 1) {
    PrintErr("usage: piporapad-cli " + std::string(kEventsUsage) + "\n");
    return kExitBadInput;
  }
  Song song;
  if (Status loaded = LoadSong(song, args[0]); !loaded) {
    PrintErr(loaded.error() + "\n");
    return kExitBadInput;
  }
  RecalcTimes(song);
  std::string text;
  for (const ExportEvent &e : BuildExportEvents(song))
    text += std::to_string(e.time) + '\t' + std::to_string(e.part) + '\t' + std::to_string(e.key) +
            '\t' + std::to_string(e.velocity) + '\n';
  PrintOut(text);
  if (Status logged = WriteEventListLog(song); !logged) {
    PrintErr(logged.error() + "\n");
    return kExitWriteFailed;
  }
  return kExitOk;
}

const FormatRegistrar midi{"mid", &LoadMidi, &SaveMidi};
const Registrar events{{"events", kEventsUsage, &RunEvents}};

} // namespace
} // namespace pipora::cli
