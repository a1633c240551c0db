#include "app/cli/song_files.h"

#include "app/cli/byte_files.h"
#include "app/cli/progress_line.h"
#include "app/cli/sound_library_loader.h"
#include "app/cli/standard_streams.h"
#include "editing/key_inference.h"
#include "formats/midi/smf_writer.h"
#include "formats/smd/smd_writer.h"
#include "formats/wav/sample_level.h"
#include "formats/wav/wav_encoder.h"
#include "model/file_messages.h"
#include "platform/files/file_io.h"
#include "platform/files/program_directory.h"
#include "playback/offline_song_renderer.h"
#include "session/failure_text.h"
#include "session/midi_files.h"
#include "session/musicxml_files.h"
#include "session/smd_files.h"
#include "session/tone_store.h"
#include "settings/tone_names.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <span>

namespace pipora::cli {
namespace {

std::string_view Name(const QByteArray &name) {
  return std::string_view(name.constData(), static_cast<std::size_t>(name.size()));
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

// The song as a 44.1 kHz stereo WAV file, through the built-in synthesizer, a block at a time:
// the whole sound is never held (16 parts for minutes would take hundreds of megabytes).
// The louder `gain` makes the sound, the more the 16-bit steps of a quiet rendering show; a
// synthesizer's sound leaves them far below hearing.
// The velocity draw of one rendering, repeatable from `seed`.
std::function<double()> UniformFrom(std::uint32_t seed) {
  auto engine = std::make_shared<std::mt19937>(seed);
  return [engine] { return std::uniform_real_distribution<double>(0.0, 1.0)(*engine); };
}

void RenderWav(const Song &song, std::unique_ptr<RenderingMidiBackend> synth, double gain,
               std::uint32_t seed, const WriteOptions &options, OutputStream &out) {
  ProgressLine progress;
  const double total = options.maxSeconds > 0
                           ? std::min(SongLengthMs(song), options.maxSeconds * 1000)
                           : SongLengthMs(song);
  RenderOptions render;
  render.maxSeconds = options.maxSeconds;
  render.uniform = UniformFrom(seed);
  if (progress.enabled())
    render.progress = [&](double ms) { progress.show(PercentText("render", ms, total)); };
  const int rate = synth->sampleRate();
  out.append(WavHeader(rate, 2, 0));
  std::uint32_t dataBytes = 0; // the length checks keep it within 32 bits
  std::vector<std::int16_t> scaled;
  render.sink = [&](std::span<const std::int16_t> block) {
    scaled.assign(block.begin(), block.end());
    ApplyGain(scaled, gain);
    const QByteArray bytes = WavSampleBytes(scaled);
    dataBytes += static_cast<std::uint32_t>(bytes.size());
    out.append(bytes);
  };
  (void)RenderSongOffline(song, std::move(synth), render);
  out.rewriteStart(WavHeader(rate, 2, dataBytes));
  progress.clear();
}

// The peak of the song's sound, rendered once without keeping it.
int RenderedPeak(const Song &song, std::unique_ptr<RenderingMidiBackend> synth, std::uint32_t seed,
                 const WriteOptions &options) {
  RenderOptions render;
  render.maxSeconds = options.maxSeconds;
  render.uniform = UniformFrom(seed);
  int peak = 0;
  render.sink = [&](std::span<const std::int16_t> block) { peak = std::max(peak, PeakOf(block)); };
  (void)RenderSongOffline(song, std::move(synth), render);
  return peak;
}

// Prints why, after clearing the progress line; returns `exitCode`.
int Fail(int exitCode, const std::string &message, const WriteOptions &options) {
  if (options.progress != nullptr)
    options.progress->clear();
  PrintErr(message + "\n");
  return exitCode;
}

} // namespace

namespace {

// The parts named by their tones as the editor lists them: the user's list in the program's
// directory, else the installed one.
PartNames PartNamesByTone(const Song &song) {
  const QString own = ToneNamesFilePath();
  const ToneNames tones =
      LoadToneNames(QFileInfo(own).isFile() ? own : ShareFile(QStringLiteral("pipora.tnf")));
  PartNames names;
  for (int n = 1; n <= kUserParts; ++n) {
    const auto tone = static_cast<std::size_t>(std::clamp(song.part(n).tone, 0, kToneCount - 1));
    names[static_cast<std::size_t>(n)] = tones.names[tone].toStdString();
  }
  return names;
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
  if (lower == "musicxml" || lower == "xml" || lower == "mxl")
    return FileFormat::MusicXml;
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
  case FileFormat::MusicXml:
    return "musicxml";
  }
  return {};
}

std::optional<WriteOptions> SoundOptions(const Invocation &invocation) {
  WriteOptions options;
  options.writeLog = invocation.import.writeEventLog;
  options.soundFont = invocation.value("--soundfont").value_or("");
  options.normalise = !invocation.has("--no-normalise");
  if (const auto gain = invocation.value("--gain")) {
    char *end = nullptr;
    const double db = std::strtod(gain->c_str(), &end);
    if (end == gain->c_str() || *end != '\0' || !std::isfinite(db) || std::abs(db) > 60) {
      PrintErr("piporapad-cli: --gain needs a number of decibels from -60 to 60\n");
      return std::nullopt;
    }
    options.gainDb = db;
  }
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

Result<Song> ReadSong(const QByteArray &name, const ReadOptions &options) {
  const auto failed = [&](const Error &error) {
    return Error{FileFailureText(Name(name), error, FileAccess::Read)};
  };
  Result<QByteArray> bytes = ReadInputFile(name);
  if (!bytes)
    return failed(bytes.failure());
  if (FormatOfName(name) == FileFormat::Wav)
    return failed(Error{"WAV ファイルは読み込めません"});
  const QByteArray fileName = IsStandardStream(name) ? QByteArray() : name;
  const std::optional<SongFileKind> kind = SongFileKindOf(fileName, *bytes);
  if (!kind)
    return failed(Error{std::string(kNotASongFileMessage)});
  Result<DecodedSong> decoded = DecodeSongBytes(*kind, *bytes, options.import);
  if (!decoded)
    return failed(decoded.failure());
  if (decoded->damage)
    return failed(*decoded->damage);
  // A file cut short is read as far as it goes, and said so.
  for (const std::string &warning : decoded->warnings)
    PrintErr(std::string(Name(name)) + "\n" + warning + "\n");
  if (*kind == SongFileKind::Smd && !fileName.isEmpty()) {
    const QString path = QFile::decodeName(AbsolutePath(name));
    if (options.withTones)
      LoadTones(decoded->song, path);
    // The clefs and the key the editor keeps for this file, as its score shows them.
    LoadScoreDisplay(decoded->song, path);
  }
  // A file with no key kept takes the one its notes give, as the editor's score shows it.
  KeepInferredKey(decoded->song, false);
  if (options.kind != nullptr)
    *options.kind = *kind;
  return std::move(decoded->song);
}

int WriteSong(Song &song, FileFormat format, const QByteArray &name, const WriteOptions &options) {
  Result<QByteArray> bytes = QByteArray();
  Status written = Ok{};
  switch (format) {
  case FileFormat::Smd:
  case FileFormat::Midi:
    // The writer's log, as exports leave it, with --log.
    bytes = EncodeSongBytes(format == FileFormat::Smd ? SongFileKind::Smd : SongFileKind::Midi,
                            song, options.writeLog);
    if (!bytes)
      return Fail(kExitRefused, RefusalText(bytes.failure()), options);
    break;
  case FileFormat::MusicXml: {
    RecalcTimes(song);
    bytes = MusicXmlExportBytes(song, IsCompressedScoreName(QFile::decodeName(name)),
                                PartNamesByTone(song));
    if (!bytes)
      return Fail(kExitWriteFailed, bytes.error(), options);
    break;
  }
  case FileFormat::Wav: {
    RecalcTimes(song);
    // A few kilobytes of rests can last hours: a render past an hour is asked for by
    // --seconds, and no render goes past what a WAV file's 32-bit sizes hold.
    const double renderMs =
        (options.maxSeconds > 0 ? options.maxSeconds * 1000 : SongLengthMs(song)) + kRenderTailMs;
    if (options.maxSeconds <= 0 && SongLengthMs(song) > kUnaskedRenderMs)
      return Fail(kExitRefused,
                  "the song lasts " + std::to_string(std::llround(SongLengthMs(song) / 1000)) +
                      " s, more than an hour: give --seconds N to render it",
                  options);
    if (renderMs > kMaxWavMs)
      return Fail(kExitRefused,
                  "a WAV file holds at most " + std::to_string(std::llround(kMaxWavMs / 1000)) +
                      " s of 44.1 kHz stereo sound",
                  options);
    const Result<const SoundLibrary *> library = LoadSoundLibrary();
    if (!library) // the program is incomplete: nothing can be rendered
      return Fail(kExitWriteFailed, library.error(), options);
    auto synth = (*library)->createSoundFontRenderer(options.soundFont);
    if (!synth) // the SoundFont is an input that could not be read
      return Fail(kExitBadInput, synth.error(), options);
    double gain = options.gainDb ? GainOfDb(*options.gainDb) : 1.0;
    // The velocities are drawn anew for every rendering, from the same numbers in both.
    const std::uint32_t seed = std::random_device{}();
    if (!options.gainDb && options.normalise) {
      // The same song through a fresh synthesizer with the same velocities sounds the same
      // again: its peak is known before a sample is written, and the sound is never held whole.
      gain = GainToPeak(RenderedPeak(song, std::move(*synth), seed, options));
      synth = (*library)->createSoundFontRenderer(options.soundFont);
      if (!synth)
        return Fail(kExitBadInput, synth.error(), options);
    }
    written = WriteOutputStream(name, [&](OutputStream &out) {
      RenderWav(song, std::move(*synth), gain, seed, options, out);
    });
    break;
  }
  }
  if (format != FileFormat::Wav)
    written = WriteOutputFile(name, *bytes);
  if (!written) {
    const std::string_view shown = IsStandardStream(name) ? "-" : Name(name);
    return Fail(kExitWriteFailed, FileFailureText(shown, written.failure(), FileAccess::Write),
                options);
  }
  return kExitOk;
}

} // namespace pipora::cli
