#pragma once
// An output that keeps every call with the clock time it arrived at: the player's tests
// read exactly what was sent and when.
#include "platform/midi/midi_backend.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace pipora {

struct RecordedMidiEvent {
  enum class Kind { Open, Close, Reset, Message };
  Kind kind = Kind::Message;
  double timeMs = 0;
  std::uint32_t message = 0;

  int status() const { return static_cast<int>(message & 0xFF); }
  int data1() const { return static_cast<int>((message >> 8) & 0xFF); }
  int data2() const { return static_cast<int>((message >> 16) & 0xFF); }
  int channel() const { return (status() & 0x0F) + 1; }
  bool isNoteOn() const {
    return kind == Kind::Message && (status() & 0xF0) == 0x90 && data2() > 0;
  }
  bool isNoteOff() const {
    return kind == Kind::Message && (status() & 0xF0) == 0x90 && data2() == 0;
  }
};

class RecordingMidiBackend : public MidiBackend {
public:
  // devices = 0 behaves like a machine without MIDI output (nothing is recorded).
  explicit RecordingMidiBackend(std::function<double()> clock, int devices = 1);

  int deviceCount() override { return devices_; }
  bool open() override;
  bool close() override;
  bool reset() override;
  bool send(std::uint32_t message) override;

  const std::vector<RecordedMidiEvent> &events() const { return events_; }
  std::vector<RecordedMidiEvent> messages() const;
  void clear() { events_.clear(); }
  bool isOpen() const { return open_; }

private:
  void record(RecordedMidiEvent::Kind kind, std::uint32_t message);

  std::function<double()> clock_;
  int devices_;
  bool open_ = false;
  std::vector<RecordedMidiEvent> events_;
};

} // namespace pipora
