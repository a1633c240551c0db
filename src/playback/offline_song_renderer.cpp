#include "playback/offline_song_renderer.h"

#include "playback/player.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace pipora {

RenderedSound RenderSongOffline(const Song &source, std::unique_ptr<RenderingMidiBackend> synth,
                                const RenderOptions &options) {
  RenderingMidiBackend &engine = *synth;
  Song song = source;
  song.currentPart = std::clamp(song.currentPart, 1, kUserParts);
  song.part(song.currentPart).cursor = 0;
  HeadlessPlayerHost host(song);
  MidiOutput midi(std::move(synth));
  if (options.uniform)
    midi.setUniformSource(options.uniform);
  double now = 0;
  auto playTimer = std::make_unique<ManualWakeTimer>();
  ManualWakeTimer &play = *playTimer;
  Player player(
      song, midi, host, [&now] { return now; }, std::move(playTimer),
      std::make_unique<ManualWakeTimer>());
  player.setLoop(false);

  RenderedSound sound;
  sound.sampleRate = engine.sampleRate();
  const double limitMs = options.maxSeconds > 0 ? options.maxSeconds * 1000.0
                                                : std::numeric_limits<double>::infinity();
  long long framesDone = 0;
  const auto renderUntil = [&](double ms) {
    const auto target = static_cast<long long>(std::llround(ms * sound.sampleRate / 1000.0));
    if (target <= framesDone)
      return;
    if (options.sink) {
      // A long rest is rendered in blocks, never as one buffer of its whole length.
      std::vector<std::int16_t> block;
      while (framesDone < target) {
        const auto frames = static_cast<int>(std::min<long long>(target - framesDone, 16384));
        block.resize(static_cast<std::size_t>(frames) * 2);
        engine.render(block.data(), frames);
        options.sink(block);
        framesDone += frames;
      }
      return;
    }
    const auto frames = static_cast<std::size_t>(target - framesDone);
    const std::size_t at = sound.samples.size();
    sound.samples.resize(at + frames * 2);
    engine.render(sound.samples.data() + at, static_cast<int>(frames));
    framesDone = target;
  };

  player.playAll();
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
    player.stop();
  }
  renderUntil(std::min(limitMs, now + options.tailMs));
  return sound;
}

} // namespace pipora
