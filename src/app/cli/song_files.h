#pragma once
// The one place where piporapad-cli turns an input into a song, and the one place where a
// song becomes an output file. Every command goes through these two, so an input that
// cannot be read never leads to an output.
#include "app/cli/cli_command.h"
#include "model/result.h"
#include "model/song.h"
#include "session/song_files.h"

#include <QByteArray>
#include <optional>
#include <string>
#include <string_view>

namespace pipora::cli {

enum class FileFormat { Smd, Midi, Wav, MusicXml };

// "smd", "smz", "mid", "midi", "wav", "musicxml", "xml", "mxl" (any letter case); nothing for
// anything else.
std::optional<FileFormat> FormatNamed(std::string_view name);
// By the name's extension; nothing for an unknown one (or none).
std::optional<FileFormat> FormatOfName(const QByteArray &name);
// The extension an output of the format gets in a folder ("smd", "mid", "wav", "musicxml").
QByteArray ExtensionFor(FileFormat format);

struct ReadOptions {
  MidiImportOptions import;
  // Take the tones the editor remembers for an SMD file (for playing and rendering).
  bool withTones = false;
  // Set to the kind of file read, when given.
  SongFileKind *kind = nullptr;
};

// Reads a file (standard input for "-") into a new song through the session's door for song
// files, as the editor does: its kind from its content and name (SongFileKindOf). The error is the
// full text to print: the name, the description, "ファイルの読み込みに失敗しました。", one per
// line.
Result<Song> ReadSong(const QByteArray &name, const ReadOptions &options);

// "part 3 element 7: message" for a song the SMD checks refuse; the message alone for other
// failures.
std::string RefusalText(const Error &error);

class ProgressLine;

struct WriteOptions {
  double maxSeconds = 0; // WAV: 0 renders the whole song
  std::string soundFont; // WAV: empty for the default SoundFont
  bool writeLog = false; // MIDI: the writer's event log pipora3.log (--log)
  // WAV: the sound's peak brought to -1 dBFS (a first rendering finds it), unless a fixed
  // gain in decibels is given (--gain) or the synthesizer's own level is asked for
  // (--no-normalise).
  bool normalise = true;
  std::optional<double> gainDb;
  // A progress line to clear before a message is printed.
  ProgressLine *progress = nullptr;
};

// --seconds, --soundfont, --gain and --no-normalise from the command line; nothing (after
// saying why) when --seconds is not a positive number or --gain no number.
std::optional<WriteOptions> SoundOptions(const Invocation &invocation);

// Encodes the song and writes it to `name` ("-" for standard output); nothing is written
// when encoding fails, and an existing file stays as it was when writing fails. Returns the
// exit code: kExitOk, or after printing why, kExitRefused when SMD cannot hold the song,
// kExitBadInput for a SoundFont that cannot be loaded, kExitWriteFailed otherwise.
int WriteSong(Song &song, FileFormat format, const QByteArray &name, const WriteOptions &options);

} // namespace pipora::cli
