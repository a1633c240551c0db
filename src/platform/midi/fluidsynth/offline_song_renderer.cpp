#include "platform/midi/fluidsynth/offline_song_renderer.h"

#include "platform/midi/fluidsynth/fluidsynth_engine.h"
#include "playback/player.h"

#include <cmath>
#include <limits>

namespace pipora {

namespace {

// The synthesizer without an audio device: always present, sounds only when rendered.
class EngineBackend : public MidiBackend {
public:
  explicit EngineBackend(FluidSynthEngine &engine) : engine_(engine) {}
  int deviceCount() override { return 1; }
  bool open() override { return !open_ && (open_ = true); }
  bool close() override { return open_ && !(open_ = false); }
  // The end of a rendered song lets its last notes ring out instead of cutting them.
  bool reset() override { return open_ && engine_.releaseAll(); }
  bool send(std::uint32_t message) override { return open_ && engine_.dispatch(message); }

private:
  FluidSynthEngine &engine_;
  bool open_ = false;
};

} // namespace

Result<RenderedSound> RenderSongOffline(const Song &source, const RenderOptions &options) {
  FluidSynthEngine engine;
  if (const std::string problem =
          engine.loadSoundFont(SoundFontPathOrDefault(options.soundFontPath));
      !problem.empty())
    return Error{problem};

  Song song = source;
  song.currentPart = std::clamp(song.currentPart, 1, kUserParts);
  song.part(song.currentPart).cursor = 0;
  HeadlessPlayerHost host(song);
  MidiOutput midi(std::make_unique<EngineBackend>(engine));
  double now = 0;
  auto playTimer = std::make_unique<ManualWakeTimer>();
  ManualWakeTimer &play = *playTimer;
  Player player(
      song, midi, host, [&now] { return now; }, std::move(playTimer),
      std::make_unique<ManualWakeTimer>());
  player.setLoop(false);

  RenderedSound sound;
  sound.sampleRate = kSynthSampleRate;
  const double limitMs = options.maxSeconds > 0 ? options.maxSeconds * 1000.0
                                                : std::numeric_limits<double>::infinity();
  long long framesDone = 0;
  const auto renderUntil = [&](double ms) {
    const auto target = static_cast<long long>(std::llround(ms * kSynthSampleRate / 1000.0));
    if (target <= framesDone)
      return;
    const auto frames = static_cast<std::size_t>(target - framesDone);
    const std::size_t at = sound.samples.size();
    sound.samples.resize(at + frames * 2);
    engine.render(sound.samples.data() + at, static_cast<int>(frames));
    framesDone = target;
  };

  player.AllPlay();
  while (player.playing() && play.active() && play.due() <= limitMs) {
    const double next = std::max(now, play.due());
    renderUntil(next);
    now = next;
    play.trigger();
    if (options.progress)
      options.progress(now);
  }
  sound.songMs = now;
  if (player.playing()) {
    now = std::min(limitMs, now);
    player.StopPlay();
  }
  renderUntil(std::min(limitMs, now + options.tailMs));
  return sound;
}

} // namespace pipora
