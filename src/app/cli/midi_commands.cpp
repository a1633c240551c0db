// Standard MIDI Files in piporapad-cli: dump, check and convert read and write .mid through
// the format hooks; `events` lists a song as the timed events a .mid export would hold.
#include "app/cli/cli_command.h"
#include "app/cli/cli_options.h"

#include "formats/midi/export_events.h"
#include "session/failure_text.h"
#include "session/midi_files.h"

namespace pipora::cli {
namespace {

// A damaged file is reported, and what was read before the damage stays in the song, as
// the editor's open-MIDI command does; the exit code still tells of the damage.
Status LoadMidi(Song &song, const QString &path) {
  const Result<MidiImportReport> result = ImportMidiFile(song, path, ImportOptions());
  if (!result)
    return Error{FileFailureText(path, result.failure(), FileAccess::Read), {}};
  if (result->error) {
    PrintErr(FileFailureText(path, *result->error, FileAccess::Read) + "\n");
    NoteIncompleteRead();
  }
  return Ok{};
}

Status SaveMidi(Song &song, const QString &path, bool &refused) {
  refused = false;
  RecalcTimes(song);
  if (Status written = ExportMidiFile(song, path); !written)
    return Error{FileFailureText(path, written.failure(), FileAccess::Write), {}};
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
