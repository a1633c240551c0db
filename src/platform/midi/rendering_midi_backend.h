#pragma once
// A synthesizer without an audio device: it takes MIDI like any output and hands its sound
// back as samples, so a song can be rendered faster than real time.
#include "platform/midi/midi_backend.h"

#include <cstdint>

namespace pipora {

class RenderingMidiBackend : public MidiBackend {
public:
  virtual int sampleRate() const = 0;
  // Interleaved stereo 16-bit frames of what the notes sent so far sound like.
  virtual void render(std::int16_t *out, int frames) = 0;
};

} // namespace pipora
