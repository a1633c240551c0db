// The entry of piporapad-sound.so: the table of what the library offers. Everything else in
// the library stays hidden, so its copies of the program's code never clash with the
// loading program's.
#include "platform/midi/sound_library/sound_library.h"

#include "platform/midi/fluidsynth/fluidsynth_midi_backend.h"
#include "platform/midi/fluidsynth/fluidsynth_rendering_backend.h"

namespace pipora {
namespace {

std::string SilenceReason(MidiBackend &backend) {
  if (auto *synth = dynamic_cast<FluidSynthMidiBackend *>(&backend))
    return synth->problem();
  return {};
}

const SoundLibrary kTable{kSoundLibraryVersion, &CreateMidiBackend, &CreateSoundFontRenderer,
                          &SilenceReason};

} // namespace
} // namespace pipora

extern "C" __attribute__((visibility("default"))) const pipora::SoundLibrary *
piporapad_sound_library() {
  return &pipora::kTable;
}
