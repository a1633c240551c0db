#include "platform/midi/system/system_midi_output.h"

#include "platform/midi/fluidsynth/fluidsynth_midi_backend.h"
#include "platform/midi/null/null_midi_backend.h"
#include "platform/midi/rtmidi/rtmidi_midi_backend.h"

#include <cstdlib>
#include <string_view>

namespace pipora {

std::unique_ptr<MidiBackend> CreateMidiBackend(const MidiOutputChoice &choice) {
  if (const char *forced = std::getenv("PIPORAPAD_MIDI");
      forced && std::string_view(forced) == "null")
    return std::make_unique<NullMidiBackend>();
  if (!choice.outputName.empty())
    return std::make_unique<RtMidiBackend>(choice.outputName);
  return std::make_unique<FluidSynthMidiBackend>(choice.soundFontPath);
}

} // namespace pipora
