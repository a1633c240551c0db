#pragma once
// The only place that talks to the MIDI output: program change, expression, note on and
// note off on channels 1..16 (part n plays on channel n), plus open, reset and close.
// Failures are silent: every operation returns false and nothing is ever shown.
#include "model/rounding.h"
#include "platform/midi/midi_backend.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace pipora {

inline constexpr int kMidiChannels = 16;

// The property window's bars seen as level meters. A level is shown only when it fits
// the bar's current maximum (8 while the bar is a volume control, 100 while playing).
class LevelMeters {
public:
  virtual ~LevelMeters() = default;
  virtual int meterMaximum(int part) const = 0;
  virtual void setMeterValue(int part, int value) = 0;
};

// Status in bits 0-7, data 1 in bits 8-15, data 2 in bits 16-23.
std::uint32_t ShortMessage(int status, int data1, int data2);
int MessageStatus(std::uint32_t message);
int MessageData1(std::uint32_t message);
int MessageData2(std::uint32_t message);

// Controller 11 value for a part volume 0..8: 64, 72, 80, 88, 96, 103, 111, 119, 127.
int ExpressionFromVolume(double volume);
// Level meter value 0..100 of a note: velocity / 1016 * 100 * volume, halves to even.
int LevelOf(int velocity, int volume);
// 90 + whole part of r * 38 for r uniform in [0, 1): 90..127.
int VelocityFromUniform(double r);

class MidiOutput {
public:
  explicit MidiOutput(std::unique_ptr<MidiBackend> backend);

  bool MidiOpen();
  bool MidiClose();
  bool MidiReset();
  bool MidiProgramChange(int channel, int program);
  bool MidiExpression(int channel, int value);
  // Key 0 is a rest: nothing is sent and the part's level meter drops to 0.
  bool MidiNoteOn(int channel, int key);
  // A note-on with velocity 0; status 0x80 is never sent.
  bool MidiNoteOff(int channel, int key);

  bool isOpen() const { return midiIsOpen_; }
  MidiBackend &backend() { return *backend_; }

  void setLevelMeters(LevelMeters *meters) { meters_ = meters; }
  // The volume 0..8 the player remembers per part; it scales the level meter.
  void setVolumeCache(int part, int volume);
  int volumeCache(int part) const;
  // Uniform numbers in [0, 1) for the velocity draw; tests make it predictable.
  void setUniformSource(std::function<double()> source) { uniform_ = std::move(source); }
  int lastVelocity() const { return lastVelocity_; }

private:
  bool sendChannel(int statusBase, int channel, int data1, int data2);

  std::unique_ptr<MidiBackend> backend_;
  bool midiIsOpen_ = false;
  LevelMeters *meters_ = nullptr;
  std::array<int, kMidiChannels + 1> volumeCache_{};
  std::function<double()> uniform_;
  int lastVelocity_ = 0;
};

} // namespace pipora
