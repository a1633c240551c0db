#include "session/sound_outputs.h"

#include "platform/midi/fluidsynth/fluidsynth_engine.h"
#include "platform/midi/rtmidi/rtmidi_midi_backend.h"

#include <QString>

namespace pipora {

std::vector<std::string> ListSystemMidiPorts() {
  if (qEnvironmentVariable("PIPORAPAD_MIDI") == QLatin1String("null"))
    return {};
  return RtMidiBackend::PortNames();
}

std::string CheckSoundFont(const std::string &path) {
  FluidSynthEngine engine;
  if (!engine.valid())
    return "シンセサイザーを準備できませんでした。";
  return engine.loadSoundFont(path);
}

} // namespace pipora
