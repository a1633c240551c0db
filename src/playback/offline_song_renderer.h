#pragma once
// Plays a song once through the player's scheduling rules into a rendering synthesizer,
// faster than real time, and returns the sound.
#include "model/song.h"
#include "platform/midi/rendering_midi_backend.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace pipora {

struct RenderedSound {
  std::vector<std::int16_t> samples; // interleaved stereo
  int sampleRate = 0;
  double songMs = 0; // where the song's last element ended
};

struct RenderOptions {
  double maxSeconds = 0; // 0: the whole song
  double tailMs = 1500;  // sound after the end, for the last notes' release
  // Called with the song time reached (ms) as rendering goes on; may be empty.
  std::function<void(double ms)> progress;
  // When set, the sound goes here a block at a time (interleaved stereo) instead of into
  // RenderedSound::samples, so that a long render holds one copy of it at most.
  std::function<void(std::span<const std::int16_t> block)> sink;
  // Uniform numbers in [0, 1) for the notes' velocity draw, when set: two renderings drawing
  // the same numbers sound the same.
  std::function<double()> uniform;
};

RenderedSound RenderSongOffline(const Song &song, std::unique_ptr<RenderingMidiBackend> synth,
                                const RenderOptions &options);

} // namespace pipora
