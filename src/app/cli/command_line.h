#pragma once
// Parsing piporapad-cli's command line the way GNU tools do: options anywhere after the
// command ("--name VALUE" or "--name=VALUE"), "--" ends the options, "-" is an operand
// (standard input or output), --help and --version print to standard output.
#include "app/cli/cli_command.h"

#include <string>

namespace pipora::cli {

struct ParsedLine {
  enum class Kind { Run, Help, Version, UsageError };
  Kind kind = Kind::UsageError;
  const Command *command = nullptr; // the command to run, or whose help to show
  Invocation invocation;
  std::string error; // what was wrong (UsageError)
  QByteArray home;   // --home DIR, empty when not given
};

ParsedLine ParseCommandLine(int argc, const char *const *argv);

// The whole help (no command), or one command's.
std::string HelpText(const Command *command);
std::string VersionText();
// "piporapad-cli: <error>" and where to find help, for standard error.
std::string UsageErrorText(const ParsedLine &line);

} // namespace pipora::cli
