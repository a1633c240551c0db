#pragma once
// The sound outputs the user can choose from: a system MIDI port by name, or the built-in
// synthesizer with a SoundFont. The windows list and check them here, never through the
// backends themselves.
#include <string>
#include <vector>

namespace pipora {

// The system's MIDI output ports as they are now; none while the silent output is forced
// (PIPORAPAD_MIDI=null, for automated runs).
std::vector<std::string> ListSystemMidiPorts();
// Empty when the file loads as a SoundFont, else why it does not.
std::string CheckSoundFont(const std::string &path);

} // namespace pipora
