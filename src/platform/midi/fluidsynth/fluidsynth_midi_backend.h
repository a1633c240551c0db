#pragma once
// The built-in synthesizer: FluidSynth sounding through its audio driver. The SoundFont
// loads on a thread of its own from construction on; the first operation that needs the
// synthesizer waits for it, so an early play command is delayed, never lost.
// Without a SoundFont or an audio device the device count is 0 and everything is silent.
#include "platform/midi/fluidsynth/fluidsynth_engine.h"
#include "platform/midi/midi_backend.h"

#include <future>
#include <memory>
#include <string>

struct _fluid_audio_driver_t;

namespace pipora {

class FluidSynthMidiBackend : public MidiBackend {
public:
  explicit FluidSynthMidiBackend(std::string soundFontPath = {});
  ~FluidSynthMidiBackend() override;

  int deviceCount() override;
  bool open() override;
  bool close() override;
  bool reset() override;
  bool send(std::uint32_t message) override;

  // Waits for the load; empty when the synthesizer is usable, else why not.
  std::string problem();
  // Milliseconds the SoundFont took to load (after waiting for it).
  double loadMs();

private:
  struct Loaded {
    std::unique_ptr<FluidSynthEngine> engine;
    std::string problem;
    double loadMs = 0;
  };
  Loaded &loaded();

  std::future<Loaded> loading_;
  std::unique_ptr<Loaded> loaded_;
  _fluid_audio_driver_t *driver_ = nullptr;
};

} // namespace pipora
