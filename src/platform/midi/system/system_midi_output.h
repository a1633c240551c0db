#pragma once
// Chooses the program's MIDI output from the settings: a system port when an output name
// is set, otherwise the built-in synthesizer. PIPORAPAD_MIDI=null in the environment forces
// the silent output (machines without sound, automated runs).
#include "platform/midi/midi_backend.h"

#include <memory>
#include <string>

namespace pipora {

struct MidiOutputChoice {
  std::string outputName;    // a system MIDI port's name (or part of it); empty: built-in
  std::string soundFontPath; // empty: the Debian General MIDI SoundFont
};

std::unique_ptr<MidiBackend> CreateMidiBackend(const MidiOutputChoice &choice);

} // namespace pipora
