// events: a song as the timed events a .mid export would hold, one per line.
#include "app/cli/cli_command.h"
#include "app/cli/song_files.h"
#include "app/cli/standard_streams.h"

#include "formats/midi/export_events.h"
#include "session/midi_files.h"

namespace pipora::cli {
namespace {

int RunEvents(const Invocation &invocation) {
  Result<Song> loaded = ReadSong(invocation.operands[0], {invocation.import, false});
  if (!loaded) {
    PrintErr(loaded.error() + "\n");
    return kExitBadInput;
  }
  Song &song = *loaded;
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

const Registrar events{{"events",
                        "FILE",
                        "print the events of a MIDI export (tick, part, key, velocity)",
                        {},
                        1,
                        1,
                        &RunEvents}};

} // namespace
} // namespace pipora::cli
