#pragma once
// The command table of piporapad-cli. Each command lives in its own file and adds itself
// with a registrar at namespace scope:
//
//   namespace { const pipora::cli::Registrar reg{{"events", "events FILE.mid", &RunEvents}}; }
//
// Songs are loaded and saved through per-extension hooks, so that the MIDI commands can
// teach dump/check/convert to read and write .mid files without touching those commands.
//
// Exit codes: 0 done, 1 the song cannot be saved (check, convert), 2 bad usage or an input
// that cannot be read, 3 an output that cannot be written.
#include "model/result.h"
#include "model/song.h"

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

namespace pipora::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitBadInput = 2;
inline constexpr int kExitWriteFailed = 3;

struct Command {
  std::string_view name;
  std::string_view usage;              // shown by `piporapad-cli help`, e.g. "dump FILE"
  int (*run)(const QStringList &args); // the arguments after the command name
};

struct Registrar {
  explicit Registrar(const Command &command);
};

const std::vector<Command> &Commands();
const Command *FindCommand(std::string_view name);

// Reads a song file into `song` (a new song first). On failure the message is the full
// text to print (path, description, the read failure line).
using SongLoader = Status (*)(Song &song, const QString &path);
// Writes `song` to `path`. `refused` is set when the song's content cannot be stored
// (a failed check), as opposed to a file that cannot be written.
using SongSaver = Status (*)(Song &song, const QString &path, bool &refused);

// Registers a loader/saver for a lower-case extension without the dot ("mid").
struct FormatRegistrar {
  FormatRegistrar(std::string_view extension, SongLoader loader, SongSaver saver);
};

// By extension; SMD for every extension without a registered format.
Status LoadSong(Song &song, const QString &path);
Status SaveSong(Song &song, const QString &path, bool &refused);

// UTF-8 output without locale conversion.
void PrintOut(std::string_view text);
void PrintErr(std::string_view text);

} // namespace pipora::cli
