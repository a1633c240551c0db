#include "playback/midi_output.h"

#include <cmath>
#include <random>

namespace pipora {

namespace {

bool ValidChannel(int channel) {
  return channel >= 1 && channel <= kMidiChannels;
}

std::function<double()> DefaultUniform() {
  auto engine = std::make_shared<std::mt19937>(std::random_device{}());
  return [engine] { return std::uniform_real_distribution<double>(0.0, 1.0)(*engine); };
}

} // namespace

std::uint32_t ShortMessage(int status, int data1, int data2) {
  return static_cast<std::uint32_t>(status & 0xFF) |
         (static_cast<std::uint32_t>(data1 & 0xFF) << 8) |
         (static_cast<std::uint32_t>(data2 & 0xFF) << 16);
}

int MessageStatus(std::uint32_t message) {
  return static_cast<int>(message & 0xFF);
}
int MessageData1(std::uint32_t message) {
  return static_cast<int>((message >> 8) & 0xFF);
}
int MessageData2(std::uint32_t message) {
  return static_cast<int>((message >> 16) & 0xFF);
}

int ExpressionFromVolume(double volume) {
  return RoundHalfEven(volume * 63.0 / 8.0 + 64.0);
}

int LevelOf(int velocity, int volume) {
  // Integer numerator first so that exact halves stay exact.
  return RoundHalfEven(static_cast<double>(velocity) * 100.0 * volume / 1016.0);
}

int VelocityFromUniform(double r) {
  return 90 + static_cast<int>(std::floor(r * 38.0));
}

MidiOutput::MidiOutput(std::unique_ptr<MidiBackend> backend)
    : backend_(std::move(backend)), uniform_(DefaultUniform()) {}

bool MidiOutput::MidiOpen() {
  if (midiIsOpen_)
    return false;
  if (backend_->deviceCount() == 0)
    return false;
  if (!backend_->open())
    return false;
  midiIsOpen_ = true;
  return true;
}

bool MidiOutput::MidiClose() {
  if (!backend_->close())
    return false;
  midiIsOpen_ = false;
  return true;
}

bool MidiOutput::MidiReset() {
  return backend_->reset();
}

bool MidiOutput::sendChannel(int statusBase, int channel, int data1, int data2) {
  // An impossible channel would spill into another status byte; it fails like a bad handle.
  if (!ValidChannel(channel))
    return false;
  return backend_->send(ShortMessage(statusBase + channel - 1, data1, data2));
}

bool MidiOutput::MidiProgramChange(int channel, int program) {
  return sendChannel(0xC0, channel, program, 0);
}

bool MidiOutput::MidiExpression(int channel, int value) {
  return sendChannel(0xB0, channel, 11, value);
}

bool MidiOutput::MidiNoteOn(int channel, int key) {
  // The velocity is drawn for rests too, so the random sequence does not depend on them.
  const int velocity = VelocityFromUniform(uniform_());
  lastVelocity_ = velocity;
  if (key == 0) {
    if (meters_ && ValidChannel(channel))
      meters_->setMeterValue(channel, 0);
    return false;
  }
  const bool sent = sendChannel(0x90, channel, key, velocity);
  if (meters_ && ValidChannel(channel)) {
    const int level = LevelOf(velocity, volumeCache(channel));
    if (level <= meters_->meterMaximum(channel))
      meters_->setMeterValue(channel, level);
  }
  return sent;
}

bool MidiOutput::MidiNoteOff(int channel, int key) {
  return sendChannel(0x90, channel, key, 0);
}

void MidiOutput::setVolumeCache(int part, int volume) {
  if (ValidChannel(part))
    volumeCache_[static_cast<std::size_t>(part)] = volume;
}

int MidiOutput::volumeCache(int part) const {
  return ValidChannel(part) ? volumeCache_[static_cast<std::size_t>(part)] : 0;
}

} // namespace pipora
