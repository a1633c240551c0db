#include "platform/midi/fluidsynth/fluidsynth_engine.h"

#include "platform/midi/system/quiet_alsa.h"

#include <fluidsynth.h>

#include <filesystem>
#include <mutex>

namespace pipora {

namespace {

// The library would print to the terminal; this program never shows MIDI errors.
void QuietLibraryLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    QuietAlsaErrors();
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level)
      fluid_set_log_function(level, nullptr, nullptr);
  });
}

} // namespace

std::string SoundFontPathOrDefault(const std::string &path) {
  return path.empty() ? std::string(kDefaultSoundFont) : path;
}

FluidSynthEngine::FluidSynthEngine() {
  QuietLibraryLog();
  settings_ = new_fluid_settings();
  if (!settings_)
    return;
  fluid_settings_setnum(settings_, "synth.sample-rate", kSynthSampleRate);
  fluid_settings_setint(settings_, "synth.reverb.active", 1);
  fluid_settings_setint(settings_, "synth.chorus.active", 0);
  // The library's default gain leaves a single melody around -34 dBFS.
  fluid_settings_setnum(settings_, "synth.gain", 0.6);
  synth_ = new_fluid_synth(settings_);
}

FluidSynthEngine::~FluidSynthEngine() {
  if (synth_)
    delete_fluid_synth(synth_);
  if (settings_)
    delete_fluid_settings(settings_);
}

std::string FluidSynthEngine::loadSoundFont(const std::string &path) {
  if (!synth_)
    return "the synthesizer could not be created";
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec))
    return "SoundFont not found: " + path;
  const int id = fluid_synth_sfload(synth_, path.c_str(), 1);
  if (id == FLUID_FAILED)
    return "SoundFont could not be loaded: " + path;
  soundFontId_ = id;
  return {};
}

bool FluidSynthEngine::dispatch(std::uint32_t message) {
  if (!synth_)
    return false;
  const int status = static_cast<int>(message & 0xFF);
  const int data1 = static_cast<int>((message >> 8) & 0x7F);
  const int data2 = static_cast<int>((message >> 16) & 0x7F);
  const int channel = status & 0x0F;
  switch (status & 0xF0) {
  case 0x80:
    return fluid_synth_noteoff(synth_, channel, data1) == FLUID_OK;
  case 0x90:
    if (data2 == 0) {
      // A note-off for a key that does not sound is not a failure for a MIDI port.
      fluid_synth_noteoff(synth_, channel, data1);
      return true;
    }
    return fluid_synth_noteon(synth_, channel, data1, data2) == FLUID_OK;
  case 0xB0:
    return fluid_synth_cc(synth_, channel, data1, data2) == FLUID_OK;
  case 0xC0:
    return fluid_synth_program_change(synth_, channel, data1) == FLUID_OK;
  default:
    return false;
  }
}

bool FluidSynthEngine::silence() {
  return synth_ && fluid_synth_all_sounds_off(synth_, -1) == FLUID_OK;
}

bool FluidSynthEngine::releaseAll() {
  return synth_ && fluid_synth_all_notes_off(synth_, -1) == FLUID_OK;
}

void FluidSynthEngine::render(std::int16_t *out, int frames) {
  if (synth_)
    fluid_synth_write_s16(synth_, frames, out, 0, 2, out, 1, 2);
}

} // namespace pipora
