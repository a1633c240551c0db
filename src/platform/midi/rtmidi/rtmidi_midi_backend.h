#pragma once
// System MIDI ports (ALSA sequencer, JACK) through RtMidi. The port is chosen by name:
// the first output port whose name contains the configured text. No such port, or no
// MIDI system at all, gives a device count of 0.
#include "platform/midi/midi_backend.h"

#include <memory>
#include <string>
#include <vector>

class RtMidiOut;

namespace pipora {

class RtMidiBackend : public MidiBackend {
public:
  explicit RtMidiBackend(std::string portName);
  ~RtMidiBackend() override;

  int deviceCount() override;
  bool open() override;
  bool close() override;
  bool reset() override;
  bool send(std::uint32_t message) override;

  // Names of the system's output ports (for the options dialog and the command line).
  static std::vector<std::string> PortNames();

private:
  int findPort();

  std::string portName_;
  std::unique_ptr<RtMidiOut> out_;
};

} // namespace pipora
