#include "platform/midi/rtmidi/rtmidi_midi_backend.h"

#include "platform/midi/system/quiet_alsa.h"

#include <RtMidi.h>

namespace pipora {

namespace {

// Errors become silent failures; RtMidi would otherwise print them.
void IgnoreError(RtMidiError::Type, const std::string &, void *) {}

std::unique_ptr<RtMidiOut> MakeOut() {
  QuietAlsaErrors();
  try {
    auto out = std::make_unique<RtMidiOut>(RtMidi::UNSPECIFIED, "PiporaPad");
    out->setErrorCallback(&IgnoreError, nullptr);
    return out;
  } catch (const RtMidiError &) {
    return nullptr;
  }
}

} // namespace

RtMidiBackend::RtMidiBackend(std::string portName) : portName_(std::move(portName)) {}

RtMidiBackend::~RtMidiBackend() = default;

std::vector<std::string> RtMidiBackend::PortNames() {
  std::vector<std::string> names;
  auto out = MakeOut();
  if (!out)
    return names;
  const unsigned count = out->getPortCount();
  for (unsigned i = 0; i < count; ++i)
    names.push_back(out->getPortName(i));
  return names;
}

int RtMidiBackend::findPort() {
  if (!out_)
    out_ = MakeOut();
  if (!out_ || portName_.empty())
    return -1;
  const unsigned count = out_->getPortCount();
  for (unsigned i = 0; i < count; ++i)
    if (out_->getPortName(i).find(portName_) != std::string::npos)
      return static_cast<int>(i);
  return -1;
}

int RtMidiBackend::deviceCount() {
  return findPort() >= 0 ? 1 : 0;
}

bool RtMidiBackend::open() {
  const int port = findPort();
  if (port < 0 || out_->isPortOpen())
    return false;
  try {
    out_->openPort(static_cast<unsigned>(port), "PiporaPad");
  } catch (const RtMidiError &) {
    return false;
  }
  return out_->isPortOpen();
}

bool RtMidiBackend::close() {
  if (!out_ || !out_->isPortOpen())
    return false;
  out_->closePort();
  return true;
}

bool RtMidiBackend::reset() {
  if (!out_ || !out_->isPortOpen())
    return false;
  // All sound off and all notes off on every channel.
  for (unsigned char channel = 0; channel < 16; ++channel) {
    const unsigned char soundOff[3] = {static_cast<unsigned char>(0xB0 | channel), 120, 0};
    const unsigned char notesOff[3] = {static_cast<unsigned char>(0xB0 | channel), 123, 0};
    out_->sendMessage(soundOff, 3);
    out_->sendMessage(notesOff, 3);
  }
  return true;
}

bool RtMidiBackend::send(std::uint32_t message) {
  if (!out_ || !out_->isPortOpen())
    return false;
  const auto status = static_cast<unsigned char>(message & 0xFF);
  const unsigned char bytes[3] = {status, static_cast<unsigned char>((message >> 8) & 0x7F),
                                  static_cast<unsigned char>((message >> 16) & 0x7F)};
  // Program change carries one data byte.
  const std::size_t size = (status & 0xF0) == 0xC0 ? 2 : 3;
  try {
    out_->sendMessage(bytes, size);
  } catch (const RtMidiError &) {
    return false;
  }
  return true;
}

} // namespace pipora
