#pragma once
// The built-in synthesizer as a rendering output: same SoundFont and voices as the
// real-time output, so a rendered song sounds like a played one.
#include "model/result.h"
#include "platform/midi/rendering_midi_backend.h"

#include <memory>
#include <string>

namespace pipora {

// An empty path means the default SoundFont. Fails when the SoundFont cannot be loaded.
Result<std::unique_ptr<RenderingMidiBackend>>
CreateSoundFontRenderer(const std::string &soundFontPath);

} // namespace pipora
