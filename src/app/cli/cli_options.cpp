#include "app/cli/cli_options.h"

#include "app/cli/cli_command.h"

#include <QDir>

namespace pipora::cli {
namespace {

struct GlobalState {
  MidiImportOptions import;
  bool incompleteRead = false;
  bool report = false;
  bool fit = false;
};

GlobalState &State() {
  static GlobalState state = [] {
    GlobalState s;
    // The logs are for looking into one file by hand; a conversion does without them.
    s.import.writeEventLog = false;
    return s;
  }();
  return state;
}

} // namespace

bool TakeGlobalOptions(QStringList &args) {
  for (qsizetype i = 0; i < args.size();) {
    const QString &arg = args[i];
    if (arg == "--home") {
      if (i + 1 >= args.size())
        return false;
      qputenv("PIPORAPAD_HOME", QDir(args[i + 1]).absolutePath().toLocal8Bit());
      args.remove(i, 2);
    } else if (arg == "--no-triplets") {
      State().import.triplets = false;
      args.remove(i);
    } else if (arg == "--no-fold") {
      State().import.foldOctaves = false;
      args.remove(i);
    } else if (arg == "--report") {
      State().report = true;
      args.remove(i);
    } else if (arg == "--fit") {
      State().fit = true;
      args.remove(i);
    } else if (arg == "--log") {
      State().import.writeEventLog = true;
      args.remove(i);
    } else {
      ++i;
    }
  }
  return true;
}

std::string GlobalOptionsUsage() {
  return "options:\n"
         "  --home DIR      program directory for logs and settings (else $PIPORAPAD_HOME)\n"
         "  --no-triplets   read .mid without recognising triplets\n"
         "  --no-fold       read .mid without folding notes into 45..90\n"
         "  --report        print what fitting a .mid to SMD parts did to each note\n"
         "  --fit           mend what SMD cannot hold in a song read from .mid\n"
         "  --log           write the event logs pipora.log and pipora3.log\n";
}

MidiImportOptions ImportOptions() {
  return State().import;
}

bool ReportRequested() {
  return State().report;
}

bool FitRequested() {
  return State().fit;
}

bool LogRequested() {
  return State().import.writeEventLog;
}

void NoteIncompleteRead() {
  State().incompleteRead = true;
}

int ExitCodeAfterReads(int commandExitCode) {
  if (commandExitCode == kExitOk && State().incompleteRead)
    return kExitBadInput;
  return commandExitCode;
}

} // namespace pipora::cli
