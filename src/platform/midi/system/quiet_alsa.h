#pragma once
// The ALSA library prints its own errors to the terminal (on a machine without a sound
// card: several lines per attempt). This program never shows MIDI errors, so they are
// dropped.
namespace pipora {

void QuietAlsaErrors();

} // namespace pipora
