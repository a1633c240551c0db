#include "app/cli/cli_options.h"

#include "app/cli/cli_command.h"

#include <QDir>

namespace pipora::cli {
namespace {

struct GlobalState {
  MidiImportOptions import;
  bool incompleteRead = false;
};

GlobalState &State() {
  static GlobalState state;
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
         "  --no-fold       read .mid without folding notes into 45..90\n";
}

MidiImportOptions ImportOptions() {
  return State().import;
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
