#pragma once
// render and play need the synthesizer and the system's MIDI ports, whose libraries take
// longer to load than most conversions take to run. They live in a second executable,
// piporapad-cli-sound, which piporapad-cli hands these two commands to.
#include <string_view>

namespace pipora::cli {

inline constexpr std::string_view kRenderUsage =
    "render IN OUT.wav [--seconds N] [--soundfont FILE.sf2]";
inline constexpr std::string_view kPlayUsage =
    "play IN [--seconds N] [--output PORT] [--soundfont FILE.sf2]";
inline constexpr std::string_view kSoundExecutable = "piporapad-cli-sound";

} // namespace pipora::cli
