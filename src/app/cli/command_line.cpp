#include "app/cli/command_line.h"

#include "model/terminal_text.h"
#include "piporapad_version.h"

#include <algorithm>
#include <array>

namespace pipora::cli {
namespace {

// Options every command takes, wherever they stand on the line.
const std::array<OptionSpec, 8> kGlobalOptions{{
    {"--home", "DIR", "program directory for settings, tones and logs (else $PIPORAPAD_HOME)"},
    {"--no-triplets", "", "read MIDI files without recognising triplets"},
    {"--no-fold", "", "read MIDI files without folding notes into 45..90"},
    {"--chords", "HOW",
     "MIDI chords and overlaps: spread (other voices to free parts, the default), top (the "
     "highest note) or last (the last note-on)"},
    {"--keep-drums", "", "read MIDI channel 10 into part 10 (else drums are left out)"},
    {"--log", "", "write the event logs pipora.log and pipora3.log of MIDI reading and writing"},
    {"--help", "", "show this help and exit (also -h)"},
    {"--version", "", "show the version and exit"},
}};

const OptionSpec *FindOption(std::string_view name, const Command *command) {
  for (const OptionSpec &o : kGlobalOptions)
    if (o.name == name)
      return &o;
  if (command)
    for (const OptionSpec &o : command->options)
      if (o.name == name)
        return &o;
  return nullptr;
}

std::string OptionLines(const auto &options) {
  std::string text;
  for (const OptionSpec &o : options) {
    std::string left = "  " + std::string(o.name);
    if (!o.valueName.empty())
      left += " " + std::string(o.valueName);
    left.resize(std::max<std::size_t>(left.size() + 2, 24), ' ');
    text += left + std::string(o.help) + "\n";
  }
  return text;
}

ParsedLine UsageError(ParsedLine line, std::string error) {
  line.kind = ParsedLine::Kind::UsageError;
  line.error = std::move(error);
  return line;
}

} // namespace

ParsedLine ParseCommandLine(int argc, const char *const *argv) {
  ParsedLine line;
  // The event logs are for looking into one file by hand; a conversion does without them.
  line.invocation.import.writeEventLog = false;
  line.invocation.import.chords = ChordHandling::Spread;
  line.invocation.import.keepDrums = false;
  // No command draws the song but `score`, which builds its score lists itself.
  line.invocation.import.buildScoreLists = false;
  bool help = false;
  bool version = false;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool isOption = !optionsEnded && arg.size() > 1 && arg.front() == '-';
    if (!isOption) {
      if (!line.command) {
        line.command = FindCommand(arg);
        if (!line.command)
          return UsageError(std::move(line), "unknown command '" + TerminalText(arg) + "'");
      } else {
        line.invocation.operands.emplace_back(arg.data(), static_cast<qsizetype>(arg.size()));
      }
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string_view name = arg == "-h" ? "--help" : arg.substr(0, equals);
    const OptionSpec *spec =
        arg.starts_with("--") || arg == "-h" ? FindOption(name, line.command) : nullptr;
    if (!spec)
      return UsageError(std::move(line), "unknown option '" + TerminalText(arg) + "'");
    std::string value;
    if (!spec->valueName.empty()) {
      if (equals != std::string_view::npos)
        value = arg.substr(equals + 1);
      else if (i + 1 < argc)
        value = argv[++i];
      else
        return UsageError(std::move(line), "option '" + std::string(name) + "' needs a value (" +
                                               std::string(spec->valueName) + ")");
    } else if (equals != std::string_view::npos) {
      return UsageError(std::move(line), "option '" + std::string(name) + "' takes no value");
    }
    if (name == "--help")
      help = true;
    else if (name == "--version")
      version = true;
    else if (name == "--home")
      line.home = QByteArray::fromStdString(value);
    else if (name == "--no-triplets")
      line.invocation.import.triplets = false;
    else if (name == "--no-fold")
      line.invocation.import.foldOctaves = false;
    else if (name == "--chords") {
      const auto how = ChordHandlingNamed(value);
      if (!how)
        return UsageError(std::move(line),
                          "unknown --chords '" + value + "' (last, top or spread)");
      line.invocation.import.chords = *how;
    } else if (name == "--keep-drums")
      line.invocation.import.keepDrums = true;
    else if (name == "--log")
      line.invocation.import.writeEventLog = true;
    else
      line.invocation.values[std::string(name)] = value;
  }
  if (help) {
    line.kind = ParsedLine::Kind::Help;
    return line;
  }
  if (version) {
    line.kind = ParsedLine::Kind::Version;
    return line;
  }
  if (!line.command)
    return UsageError(std::move(line), "missing command");
  const auto count = static_cast<int>(line.invocation.operands.size());
  if (count < line.command->minOperands)
    return UsageError(std::move(line), std::string(line.command->name) + ": missing file operand");
  if (line.command->maxOperands >= 0 && count > line.command->maxOperands)
    return UsageError(std::move(line), std::string(line.command->name) + ": too many operands");
  line.kind = ParsedLine::Kind::Run;
  return line;
}

std::string HelpText(const Command *command) {
  if (command) {
    std::string text =
        "usage: " + UsageLine(*command) + "\n" + std::string(command->summary) + "\n";
    if (!command->options.empty())
      text += "\noptions:\n" + OptionLines(command->options);
    return text + "\ncommon options:\n" + OptionLines(kGlobalOptions);
  }
  std::string text = "usage: piporapad-cli [OPTION]... COMMAND [ARG]...\n"
                     "Reads, checks, converts and plays SMD ringtone melodies and MIDI files.\n"
                     "\ncommands:\n";
  for (const Command *c : Commands()) {
    std::string left = "  " + std::string(c->name);
    left.resize(std::max<std::size_t>(left.size() + 2, 12), ' ');
    text += left + std::string(c->summary) + "\n";
  }
  text += "\noptions:\n" + OptionLines(kGlobalOptions);
  text += "\n'-' as a file name reads standard input or writes standard output.\n"
          "'piporapad-cli COMMAND --help' describes a command.\n"
          "\nexit status: 0 done, 1 the song cannot be saved as SMD, 2 bad usage or an input\n"
          "that cannot be read, 3 an output that cannot be written.\n";
  return text;
}

std::string VersionText() {
  return "piporapad-cli " PIPORAPAD_VERSION "\n";
}

std::string UsageErrorText(const ParsedLine &line) {
  std::string text = "piporapad-cli: " + line.error + "\n";
  if (line.command)
    text += "usage: " + UsageLine(*line.command) + "\n";
  const std::string helpCommand =
      line.command ? "piporapad-cli " + std::string(line.command->name) + " --help"
                   : "piporapad-cli --help";
  return text + "Try '" + helpCommand + "' for more information.\n";
}

} // namespace pipora::cli
