#pragma once
// A platform MIDI output: what the system offers under the six MIDI operations.
#include <cstdint>

namespace pipora {

class MidiBackend {
public:
  virtual ~MidiBackend() = default;

  // Number of usable output devices; 0 when there is nothing to sound through.
  virtual int deviceCount() = 0;
  // Each returns true exactly when the platform reported success.
  virtual bool open() = 0;
  virtual bool close() = 0;
  // Turns off every sounding note on every channel; the device stays open.
  virtual bool reset() = 0;
  // Status byte in bits 0-7, first data byte in 8-15, second data byte in 16-23.
  virtual bool send(std::uint32_t message) = 0;
};

} // namespace pipora
