#pragma once
// piporapad-sound.so for the commands that make sound (play, render, WAV output), loaded on
// first use from the installation the program runs from: <prefix>/lib/piporapad/plugins next to
// <prefix>/bin, or the build folder above the program.
#include "model/result.h"
#include "platform/midi/sound_library/sound_library.h"

namespace pipora::cli {

// The library's table; fails with a message naming the file when it cannot be loaded.
// Loaded once and kept for the life of the process.
Result<const SoundLibrary *> LoadSoundLibrary();

} // namespace pipora::cli
