#pragma once
// Plays a song once through the player's scheduling rules into the built-in synthesizer,
// faster than real time, and returns the sound.
#include "model/result.h"
#include "model/song.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pipora {

struct RenderedSound {
  std::vector<std::int16_t> samples; // interleaved stereo
  int sampleRate = 0;
  double songMs = 0; // where the song's last element ended
};

struct RenderOptions {
  std::string soundFontPath; // empty: the default SoundFont
  double maxSeconds = 0;     // 0: the whole song
  double tailMs = 1500;      // sound after the end, for the last notes' release
  // Called with the song time reached (ms) as rendering goes on; may be empty.
  std::function<void(double ms)> progress;
};

Result<RenderedSound> RenderSongOffline(const Song &song, const RenderOptions &options);

} // namespace pipora
