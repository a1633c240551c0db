#pragma once
// The command table of piporapad-cli. Each command lives in its own file and adds itself
// with a registrar at namespace scope:
//
//   namespace { const pipora::cli::Registrar reg{{.name = "events", ..., .run = &RunEvents}}; }
//
// The command line is parsed once, against the command's own options and the global ones,
// before the command runs (see command_line.h).
//
// Exit codes: 0 done, 1 the song cannot be saved (check, convert), 2 bad usage or an input
// that cannot be read, 3 an output that cannot be written. With several files the worst
// (highest) code of all of them.
#include "formats/midi/midi_import.h"

#include <QByteArray>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pipora::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitBadInput = 2;
inline constexpr int kExitWriteFailed = 3;

struct OptionSpec {
  std::string_view name;      // "--seconds"
  std::string_view valueName; // "N"; empty for a switch
  std::string_view help;
};

// What the command line holds once parsed. File names are the bytes the system gave.
struct Invocation {
  std::vector<QByteArray> operands;
  std::map<std::string, std::string, std::less<>> values; // "--seconds" -> "3"
  MidiImportOptions import;

  bool has(std::string_view option) const { return values.contains(option); }
  std::optional<std::string> value(std::string_view option) const;
};

struct Command {
  std::string_view name;
  std::string_view operands; // "IN... OUT", shown in the usage line
  std::string_view summary;  // one line for the command list
  std::vector<OptionSpec> options;
  int minOperands = 0;
  int maxOperands = 0; // -1: no limit
  int (*run)(const Invocation &invocation) = nullptr;
  bool drawsPages = false; // needs fonts: runs under a windowless GUI application
};

struct Registrar {
  explicit Registrar(const Command &command);
};

// In the order the registrars ran; FindCommand is null for an unknown name.
std::vector<const Command *> Commands();
const Command *FindCommand(std::string_view name);

// The usage line of a command ("piporapad-cli convert [OPTION]... IN OUT").
std::string UsageLine(const Command &command);

} // namespace pipora::cli
