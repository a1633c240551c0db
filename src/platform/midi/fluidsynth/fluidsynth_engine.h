#pragma once
// A FluidSynth synthesizer with a General MIDI SoundFont, fed with short messages.
// Shared by the real-time output and the offline renderer so both sound alike.
#include <cstdint>
#include <string>
#include <vector>

struct _fluid_hashtable_t;
struct _fluid_synth_t;

namespace pipora {

// The SoundFont Debian installs with timgm6mb-soundfont.
inline constexpr const char *kDefaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
inline constexpr int kSynthSampleRate = 44100;

// An empty setting means the default SoundFont.
std::string SoundFontPathOrDefault(const std::string &path);

class FluidSynthEngine {
public:
  FluidSynthEngine();
  ~FluidSynthEngine();
  FluidSynthEngine(const FluidSynthEngine &) = delete;
  FluidSynthEngine &operator=(const FluidSynthEngine &) = delete;

  bool valid() const { return synth_ != nullptr; }
  // Empty on success, else why the SoundFont could not be used.
  std::string loadSoundFont(const std::string &path);
  bool hasSoundFont() const { return soundFontId_ >= 0; }

  // Note on/off, controllers and program changes; anything else is ignored.
  bool dispatch(std::uint32_t message);
  // Every voice on every channel stops at once.
  bool silence();
  // Every note on every channel is released (its release phase still sounds).
  bool releaseAll();
  // Interleaved stereo 16-bit frames.
  void render(std::int16_t *out, int frames);

  _fluid_hashtable_t *settings() { return settings_; }
  _fluid_synth_t *synth() { return synth_; }

private:
  _fluid_hashtable_t *settings_ = nullptr;
  _fluid_synth_t *synth_ = nullptr;
  int soundFontId_ = -1;
};

} // namespace pipora
