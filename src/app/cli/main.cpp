// piporapad-cli: the song core without windows, for scripts and tests.
#include "app/cli/cli_command.h"
#include "app/cli/cli_options.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

void PrintUsage() {
  std::string text = "usage: piporapad-cli COMMAND ...\ncommands:\n";
  for (const pipora::cli::Command &c : pipora::cli::Commands())
    text += "  " + std::string(c.usage) + "\n";
  pipora::cli::PrintErr(text + pipora::cli::GlobalOptionsUsage());
}

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  if (!pipora::cli::TakeGlobalOptions(args) || args.isEmpty()) {
    PrintUsage();
    return pipora::cli::kExitBadInput;
  }
  const std::string name = args.takeFirst().toStdString();
  const pipora::cli::Command *command = pipora::cli::FindCommand(name);
  if (!command) {
    PrintUsage();
    return pipora::cli::kExitBadInput;
  }
  return pipora::cli::ExitCodeAfterReads(command->run(args));
}
