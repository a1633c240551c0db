#pragma once
// The built-in synthesizer and the system MIDI ports as a library loaded at run time
// (piporapad-sound.so): piporapad-cli loads it only to play, render or write a WAV file, so
// checking and converting files never load FluidSynth, its audio drivers or ALSA. The
// library exports one C function, kSoundLibraryEntry, returning this table.
#include "model/result.h"
#include "platform/midi/midi_backend.h"
#include "platform/midi/rendering_midi_backend.h"
#include "platform/midi/system/system_midi_output.h"

#include <memory>
#include <string>

namespace pipora {

// Raised whenever the table or a type it passes changes: a library left over from another
// build is refused instead of being called with the wrong layout.
inline constexpr int kSoundLibraryVersion = 1;
inline constexpr char kSoundLibraryEntry[] = "piporapad_sound_library";
// Where the library lies below the installation prefix (and below the build folder).
inline constexpr char kSoundLibraryPath[] = "lib/piporapad/plugins/piporapad-sound.so";

struct SoundLibrary {
  int version = kSoundLibraryVersion;
  // As CreateMidiBackend (system_midi_output.h).
  std::unique_ptr<MidiBackend> (*createMidiBackend)(const MidiOutputChoice &choice) = nullptr;
  // As CreateSoundFontRenderer (fluidsynth_rendering_backend.h).
  Result<std::unique_ptr<RenderingMidiBackend>> (*createSoundFontRenderer)(
      const std::string &soundFontPath) = nullptr;
  // Why a backend made by createMidiBackend sounds nothing; "" when it does not know.
  std::string (*silenceReason)(MidiBackend &backend) = nullptr;
};

using SoundLibraryEntry = const SoundLibrary *();

} // namespace pipora
