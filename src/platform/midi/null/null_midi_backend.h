#pragma once
// The silent output: no device, every operation fails, so playback runs without sound.
#include "platform/midi/midi_backend.h"

namespace pipora {

class NullMidiBackend : public MidiBackend {
public:
  int deviceCount() override { return 0; }
  bool open() override { return false; }
  bool close() override { return false; }
  bool reset() override { return false; }
  bool send(std::uint32_t) override { return false; }
};

} // namespace pipora
