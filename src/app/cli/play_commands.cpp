// render and play: a song through the built-in synthesizer into a WAV file, or through the
// configured MIDI output in real time.
#include "app/cli/cli_command.h"

#include "formats/smd/tone_store.h"
#include "formats/wav/wav_encoder.h"
#include "platform/files/file_io.h"
#include "platform/midi/fluidsynth/fluidsynth_midi_backend.h"
#include "platform/midi/fluidsynth/fluidsynth_rendering_backend.h"
#include "platform/midi/system/system_midi_output.h"
#include "playback/offline_song_renderer.h"
#include "playback/player.h"
#include "playback/precise_wake_timer.h"

#include <QCoreApplication>
#include <QTimer>

#include <optional>

namespace pipora::cli {
namespace {

constexpr std::string_view kRenderUsage = "render IN OUT.wav [--seconds N] [--soundfont FILE.sf2]";
constexpr std::string_view kPlayUsage =
    "play IN [--seconds N] [--output PORT] [--soundfont FILE.sf2]";

struct PlayArgs {
  QStringList files;
  double seconds = 0;
  std::string output;
  std::string soundFont;
};

std::optional<PlayArgs> ParseArgs(const QStringList &args, qsizetype fileCount,
                                  std::string_view usage) {
  PlayArgs parsed;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString &a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--seconds" && hasValue) {
      bool ok = false;
      parsed.seconds = args[++i].toDouble(&ok);
      if (!ok || parsed.seconds <= 0) {
        PrintErr("--seconds needs a positive number\n");
        return std::nullopt;
      }
    } else if (a == "--output" && hasValue) {
      parsed.output = args[++i].toStdString();
    } else if (a == "--soundfont" && hasValue) {
      parsed.soundFont = args[++i].toStdString();
    } else if (a.startsWith("--")) {
      parsed.files.clear();
      break;
    } else {
      parsed.files << a;
    }
  }
  if (parsed.files.size() != fileCount) {
    PrintErr("usage: piporapad-cli " + std::string(usage) + "\n");
    return std::nullopt;
  }
  return parsed;
}

// Loads the song with the tones the editor remembers for the file, if any.
bool Load(Song &song, const QString &path) {
  if (Status loaded = LoadSong(song, path); !loaded) {
    PrintErr(loaded.error() + "\n");
    return false;
  }
  const QString ext = path.section('.', -1).toLower();
  if (ext == "smd" || ext == "smz")
    LoadTones(song, path);
  return true;
}

int RunRender(const QStringList &args) {
  const auto parsed = ParseArgs(args, 2, kRenderUsage);
  if (!parsed)
    return kExitBadInput;
  Song song;
  if (!Load(song, parsed->files[0]))
    return kExitBadInput;
  auto synth = CreateSoundFontRenderer(parsed->soundFont);
  if (!synth) {
    PrintErr(synth.error() + "\n");
    return kExitBadInput;
  }
  RenderOptions options;
  options.maxSeconds = parsed->seconds;
  const RenderedSound sound = RenderSongOffline(song, std::move(*synth), options);
  const QByteArray wav = EncodeWav(sound.samples, sound.sampleRate, 2);
  if (Status written = WriteFileAtomically(parsed->files[1], wav); !written) {
    PrintErr(parsed->files[1].toStdString() + "\n" + written.error() + "\n");
    return kExitWriteFailed;
  }
  return kExitOk;
}

int RunPlay(const QStringList &args) {
  const auto parsed = ParseArgs(args, 1, kPlayUsage);
  if (!parsed)
    return kExitBadInput;
  Song song;
  if (!Load(song, parsed->files[0]))
    return kExitBadInput;

  MidiOutput midi(CreateMidiBackend({parsed->output, parsed->soundFont}));
  if (midi.backend().deviceCount() == 0) {
    std::string why = "no MIDI output";
    if (auto *synth = dynamic_cast<FluidSynthMidiBackend *>(&midi.backend()))
      why = synth->problem();
    PrintErr("playing without sound: " + why + "\n");
  }
  HeadlessPlayerHost host(song);
  Player player(song, midi, host, SteadyMsClock(), std::make_unique<PreciseWakeTimer>(),
                std::make_unique<PreciseWakeTimer>());
  // Without a time limit the song plays once; with one it loops until the time is up.
  player.setLoop(parsed->seconds > 0);
  player.setFinishedHandler([] { QCoreApplication::quit(); });
  if (parsed->seconds > 0)
    QTimer::singleShot(static_cast<int>(parsed->seconds * 1000), [] { QCoreApplication::quit(); });
  player.AllPlay();
  if (!player.playing()) {
    PrintErr("the song has no notes\n");
    return kExitOk;
  }
  QCoreApplication::exec();
  player.StopPlay();
  return kExitOk;
}

const Registrar renderCommand{{"render", kRenderUsage, &RunRender}};
const Registrar playCommand{{"play", kPlayUsage, &RunPlay}};

} // namespace
} // namespace pipora::cli
