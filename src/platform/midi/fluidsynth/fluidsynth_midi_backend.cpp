#include "platform/midi/fluidsynth/fluidsynth_midi_backend.h"

#include <fluidsynth.h>

#include <chrono>

namespace pipora {

FluidSynthMidiBackend::FluidSynthMidiBackend(std::string soundFontPath) {
  loading_ = std::async(std::launch::async, [path = SoundFontPathOrDefault(soundFontPath)] {
    Loaded result;
    const auto begin = std::chrono::steady_clock::now();
    result.engine = std::make_unique<FluidSynthEngine>();
    result.problem = result.engine->loadSoundFont(path);
    result.loadMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
    if (result.problem.empty()) {
      // A machine without sound has no device: find out now, not at the first note.
      fluid_audio_driver_t *probe =
          new_fluid_audio_driver(result.engine->settings(), result.engine->synth());
      if (probe)
        delete_fluid_audio_driver(probe);
      else
        result.problem = "no audio device";
    }
    return result;
  });
}

FluidSynthMidiBackend::~FluidSynthMidiBackend() {
  if (driver_)
    delete_fluid_audio_driver(driver_);
  if (loading_.valid())
    loading_.wait();
}

FluidSynthMidiBackend::Loaded &FluidSynthMidiBackend::loaded() {
  if (!loaded_)
    loaded_ = std::make_unique<Loaded>(loading_.get());
  return *loaded_;
}

std::string FluidSynthMidiBackend::problem() {
  return loaded().problem;
}
double FluidSynthMidiBackend::loadMs() {
  return loaded().loadMs;
}

int FluidSynthMidiBackend::deviceCount() {
  return loaded().problem.empty() ? 1 : 0;
}

bool FluidSynthMidiBackend::open() {
  if (!loaded().problem.empty() || driver_)
    return false;
  // The audio device is held only while open, so an idle editor costs no processor time.
  driver_ = new_fluid_audio_driver(loaded().engine->settings(), loaded().engine->synth());
  return driver_ != nullptr;
}

bool FluidSynthMidiBackend::close() {
  if (!driver_)
    return false;
  loaded().engine->silence();
  delete_fluid_audio_driver(driver_);
  driver_ = nullptr;
  return true;
}

bool FluidSynthMidiBackend::reset() {
  return driver_ && loaded().engine->silence();
}

bool FluidSynthMidiBackend::send(std::uint32_t message) {
  return driver_ && loaded().engine->dispatch(message);
}

} // namespace pipora
