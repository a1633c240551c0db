// render and play: a song through the built-in synthesizer into a WAV file, or through the
// configured MIDI output in real time. Both use the tones the editor remembers for an SMD
// file.
#include "app/cli/cli_command.h"
#include "app/cli/song_files.h"
#include "app/cli/sound_library_loader.h"
#include "app/cli/standard_streams.h"

#include "platform/midi/null/null_midi_backend.h"
#include "playback/player.h"
#include "playback/precise_wake_timer.h"

#include <QCoreApplication>
#include <QTimer>

namespace pipora::cli {
namespace {

std::optional<Song> Load(const Invocation &invocation) {
  Result<Song> loaded = ReadSong(invocation.operands[0], {invocation.import, true});
  if (!loaded) {
    PrintErr(loaded.error() + "\n");
    return std::nullopt;
  }
  return std::move(*loaded);
}

int RunRender(const Invocation &invocation) {
  const std::optional<WriteOptions> options = SoundOptions(invocation);
  if (!options)
    return kExitBadInput;
  std::optional<Song> song = Load(invocation);
  if (!song)
    return kExitBadInput;
  return WriteSong(*song, FileFormat::Wav, invocation.operands[1], *options);
}

int RunPlay(const Invocation &invocation) {
  const std::optional<WriteOptions> options = SoundOptions(invocation);
  if (!options)
    return kExitBadInput;
  const double seconds = options->maxSeconds;
  std::optional<Song> loaded = Load(invocation);
  if (!loaded)
    return kExitBadInput;
  Song &song = *loaded;
  // Without the sound library the song plays silently, as without a sound device.
  const Result<const SoundLibrary *> sound = LoadSoundLibrary();
  MidiOutput midi(sound ? (*sound)->createMidiBackend(
                              {invocation.value("--output").value_or(""), options->soundFont})
                        : std::make_unique<NullMidiBackend>());
  if (midi.backend().deviceCount() == 0) {
    const std::string why = sound ? (*sound)->silenceReason(midi.backend()) : sound.error();
    PrintErr("playing without sound: " + (why.empty() ? "no MIDI output" : why) + "\n");
  }
  HeadlessPlayerHost host(song);
  Player player(song, midi, host, SteadyMsClock(), std::make_unique<PreciseWakeTimer>(),
                std::make_unique<PreciseWakeTimer>());
  // Without a time limit the song plays once; with one it loops until the time is up.
  player.setLoop(seconds > 0);
  player.setFinishedHandler([] { QCoreApplication::quit(); });
  if (seconds > 0)
    QTimer::singleShot(static_cast<int>(seconds * 1000), [] { QCoreApplication::quit(); });
  player.playAll();
  if (!player.playing()) {
    PrintErr("the song has no notes\n");
    return kExitOk;
  }
  QCoreApplication::exec();
  player.stop();
  return kExitOk;
}

const OptionSpec kSeconds{"--seconds", "N", "stop after N seconds (play: loop until then)"};
const OptionSpec kSoundFont{"--soundfont", "FILE", "the SoundFont of the built-in synthesizer"};

const Registrar renderCommand{{"render",
                               "IN OUT.wav",
                               "play the song once through the built-in synthesizer into a "
                               "44.1 kHz stereo WAV file",
                               {kSeconds,
                                kSoundFont,
                                {"--gain", "DB",
                                 "raise (or lower) the sound by DB decibels "
                                 "instead of normalising"},
                                {"--no-normalise", "",
                                 "keep the synthesizer's own level (else "
                                 "the peak is -1 dBFS)"}},
                               2,
                               2,
                               &RunRender}};
const Registrar playCommand{
    {"play",
     "IN",
     "play the song in real time through the built-in synthesizer or a MIDI port",
     {kSeconds, {"--output", "PORT", "(part of) the name of a system MIDI port"}, kSoundFont},
     1,
     1,
     &RunPlay}};

} // namespace
} // namespace pipora::cli
