#include "app/cli/song_files.h"

#include "app/cli/byte_files.h"
#include "app/cli/progress_line.h"
#include "app/cli/sound_library_loader.h"
#include "app/cli/standard_streams.h"
#include "formats/midi/smf_reader.h"
#include "formats/midi/smf_writer.h"
#include "formats/smd/smd_reader.h"
#include "formats/smd/smd_writer.h"
#include "formats/wav/wav_encoder.h"
#include "model/file_messages.h"
#include "model/new_song.h"
#include "platform/files/file_io.h"
#include "platform/files/program_directory.h"
#include "playback/offline_song_renderer.h"
#include "session/failure_text.h"
#include "session/tone_store.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <span>

namespace pipora::cli {
namespace {

std::string Text(const QByteArray &bytes) {
  return bytes.toStdString();
}

std::string ReadFailure(const QByteArray &name, const std::string &description) {
  return Text(name) + "\n" + description + "\n" + std::string(kReadFailedMessage);
}

std::string WriteFailure(const QByteArray &name, const std::string &description) {
  return Text(name) + "\n" + description + "\n" + std::string(kWriteFailedMessage);
}

bool LooksLikeMidi(const QByteArray &bytes) {
  return bytes.startsWith("MThd");
}

// Only the first line of an SMD file counts; an empty one is a new song.
Status DecodeSmdFile(const QByteArray &bytes, Song &song) {
  NewSong(song);
  qsizetype end = bytes.size();
  for (const char stop : {'\r', '\n'})
    if (const qsizetype at = bytes.indexOf(stop); at >= 0)
      end = std::min(end, at);
  if (end == 0)
    return Ok{};
  Result<SmdDocument> document = DecodeSmd(bytes.left(end), song.capacity);
  if (!document)
    return Error{document.error()};
  ReplaceMelody(song, std::move(*document));
  return Ok{};
}

Status DecodeMidiFile(const QByteArray &bytes, const MidiImportOptions &options, Song &song) {
  NewSong(song);
  EmptyPartsForImport(song);
  MidiImporter importer(song, options);
  const std::span<const std::uint8_t> span(reinterpret_cast<const std::uint8_t *>(bytes.data()),
                                           static_cast<std::size_t>(bytes.size()));
  const SmfReadResult read = ReadSmf(span, song, importer, options);
  // The event log of the import, as the editor leaves it; it only shows what was read, so
  // failing to write it does not fail the reading.
  if (options.writeEventLog)
    (void)WriteScratchFile(ProgramFile("pipora.log"), read.log);
  AppendEndMarkers(song);
  RecalcTimes(song);
  BuildScoreList(song);
  if (!read.error.empty())
    return Error{read.error};
  return Ok{};
}

constexpr double kRenderTailMs = 1500; // the renderer's sound after the end
constexpr double kUnaskedRenderMs = 3600.0 * 1000;
// Bytes of 16-bit stereo at 44.1 kHz that the RIFF header's 32-bit size still counts.
constexpr double kMaxWavMs = (4294967295.0 - 44) / (44100.0 * 4) * 1000;

double SongLengthMs(const Song &song) {
  std::int32_t ticks = 0;
  for (int n = 1; n <= kUserParts; ++n) {
    const Part &part = song.part(n);
    if (part.count >= 0 && !part.notes.empty())
      ticks = std::max(ticks, part.notes[static_cast<std::size_t>(part.count)].start);
  }
  return ticks * song.msPerTick;
}

Result<QByteArray> Encode(Song &song, FileFormat format, const WriteOptions &options,
                          int &refusedCode) {
  switch (format) {
  case FileFormat::Smd: {
    Result<QByteArray> encoded = EncodeSmd(song);
    if (!encoded) {
      refusedCode = kExitRefused;
      return Error{RefusalText(encoded.failure())};
    }
    return encoded;
  }
  case FileFormat::Midi: {
    RecalcTimes(song);
    if (Status fits = CheckMidiExport(song); !fits) {
      refusedCode = kExitRefused;
      return Error{RefusalText(fits.failure())};
    }
    SmfFile smf = EncodeSmf(song, RandomVelocitySource());
    if (options.writeLog) // the writer's log, as exports leave it, with --log
      (void)WriteScratchFile(ProgramFile("pipora3.log"), smf.log);
    return std::move(smf.bytes);
  }
  case FileFormat::Wav: {
    RecalcTimes(song);
    // A few kilobytes of rests can last hours: a render past an hour is asked for by
    // --seconds, and no render goes past what a WAV file's 32-bit sizes hold.
    const double renderMs =
        (options.maxSeconds > 0 ? options.maxSeconds * 1000 : SongLengthMs(song)) + kRenderTailMs;
    if (options.maxSeconds <= 0 && SongLengthMs(song) > kUnaskedRenderMs) {
      refusedCode = kExitRefused;
      return Error{"the song lasts " + std::to_string(std::llround(SongLengthMs(song) / 1000)) +
                   " s, more than an hour: give --seconds N to render it"};
    }
    if (renderMs > kMaxWavMs) {
      refusedCode = kExitRefused;
      return Error{"a WAV file holds at most " + std::to_string(std::llround(kMaxWavMs / 1000)) +
                   " s of 44.1 kHz stereo sound"};
    }
    ProgressLine progress;
    const double total = options.maxSeconds > 0
                             ? std::min(SongLengthMs(song), options.maxSeconds * 1000)
                             : SongLengthMs(song);
    const Result<const SoundLibrary *> library = LoadSoundLibrary();
    if (!library) {
      refusedCode = kExitWriteFailed; // the program is incomplete: nothing can be rendered
      return Error{library.error()};
    }
    auto synth = (*library)->createSoundFontRenderer(options.soundFont);
    if (!synth) {
      refusedCode = kExitBadInput; // the SoundFont could not be loaded
      return Error{synth.error()};
    }
    RenderOptions render;
    render.maxSeconds = options.maxSeconds;
    if (progress.enabled())
      render.progress = [&](double ms) { progress.show(PercentText("render", ms, total)); };
    const RenderedSound sound = RenderSongOffline(song, std::move(*synth), render);
    progress.clear();
    return EncodeWav(sound.samples, sound.sampleRate, 2);
  }
  }
  return QByteArray();
}

} // namespace

std::string RefusalText(const Error &error) {
  if (!error.place)
    return error.text();
  return "part " + std::to_string(error.place->part) + " element " +
         std::to_string(error.place->element) + ": " + error.message;
}

std::optional<FileFormat> FormatNamed(std::string_view name) {
  const QByteArray lower = QByteArray(name.data(), static_cast<qsizetype>(name.size())).toLower();
  if (lower == "smd" || lower == "smz")
    return FileFormat::Smd;
  if (lower == "mid" || lower == "midi")
    return FileFormat::Midi;
  if (lower == "wav")
    return FileFormat::Wav;
  return std::nullopt;
}

std::optional<FileFormat> FormatOfName(const QByteArray &name) {
  const QByteArray extension = ExtensionOf(name);
  return FormatNamed(std::string_view(extension.constData(), extension.size()));
}

QByteArray ExtensionFor(FileFormat format) {
  switch (format) {
  case FileFormat::Smd:
    return "smd";
  case FileFormat::Midi:
    return "mid";
  case FileFormat::Wav:
    return "wav";
  }
  return {};
}

std::optional<WriteOptions> SoundOptions(const Invocation &invocation) {
  WriteOptions options;
  options.writeLog = invocation.import.writeEventLog;
  options.soundFont = invocation.value("--soundfont").value_or("");
  const auto seconds = invocation.value("--seconds");
  if (!seconds)
    return options;
  char *end = nullptr;
  options.maxSeconds = std::strtod(seconds->c_str(), &end);
  if (end != seconds->c_str() && *end == '\0' && options.maxSeconds > 0)
    return options;
  PrintErr("piporapad-cli: --seconds needs a positive number\n");
  return std::nullopt;
}

Status ReadSong(const QByteArray &name, const ReadOptions &options, Song &song) {
  Result<QByteArray> bytes = ReadInputFile(name);
  if (!bytes)
    return Error{ReadFailure(name, bytes.error())};
  const std::optional<FileFormat> named = FormatOfName(name);
  const bool midi = named ? *named == FileFormat::Midi : LooksLikeMidi(*bytes);
  if (named == FileFormat::Wav)
    return Error{ReadFailure(name, "WAV ファイルは読み込めません")};
  Status decoded =
      midi ? DecodeMidiFile(*bytes, options.import, song) : DecodeSmdFile(*bytes, song);
  if (!decoded)
    return Error{ReadFailure(name, decoded.error())};
  if (!midi && options.withTones && !IsStandardStream(name))
    LoadTones(song, QFile::decodeName(AbsolutePath(name)));
  song.dirty = false;
  return Ok{};
}

WriteOutcome WriteSong(Song &song, FileFormat format, const QByteArray &name,
                       const WriteOptions &options) {
  int failedCode = kExitWriteFailed;
  Result<QByteArray> bytes = Encode(song, format, options, failedCode);
  if (!bytes)
    return {failedCode, bytes.error()};
  if (Status written = WriteOutputFile(name, *bytes); !written)
    return {kExitWriteFailed, WriteFailure(IsStandardStream(name) ? "-" : name, written.error())};
  return {};
}

} // namespace pipora::cli
