#pragma once
// Options that apply to every command of piporapad-cli, wherever they stand on the line:
//   --home DIR       the program's directory (logs, settings), as PIPORAPAD_HOME does
//   --no-triplets    import MIDI files without recognising triplets
//   --no-fold        import MIDI files without folding notes into the SMD range
//   --report         print what fitting a MIDI file to SMD parts did to its notes
//   --fit            mend what SMD cannot hold in a MIDI file's song before it is used
//   --log            write the event logs of MIDI reading and writing
#include "formats/midi/midi_import.h"

#include <QStringList>
#include <string>

namespace pipora::cli {

// Removes the global options from `args` and applies them; false on an option without
// its value.
bool TakeGlobalOptions(QStringList &args);

// The usage lines of the global options.
std::string GlobalOptionsUsage();

MidiImportOptions ImportOptions();

// --report, --fit and --log.
bool ReportRequested();
bool FitRequested();
bool LogRequested();

// A file was read only in part (its damage was reported on standard error): the command's
// output holds what was read, and the tool exits with kExitBadInput instead of success.
void NoteIncompleteRead();
int ExitCodeAfterReads(int commandExitCode);

} // namespace pipora::cli
