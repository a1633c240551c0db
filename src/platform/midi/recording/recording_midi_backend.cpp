#include "platform/midi/recording/recording_midi_backend.h"

namespace pipora {

RecordingMidiBackend::RecordingMidiBackend(std::function<double()> clock, int devices)
    : clock_(std::move(clock)), devices_(devices) {
  events_.reserve(4096);
}

void RecordingMidiBackend::record(RecordedMidiEvent::Kind kind, std::uint32_t message) {
  events_.push_back({kind, clock_ ? clock_() : 0.0, message});
}

bool RecordingMidiBackend::open() {
  if (devices_ == 0 || open_)
    return false;
  open_ = true;
  record(RecordedMidiEvent::Kind::Open, 0);
  return true;
}

bool RecordingMidiBackend::close() {
  if (!open_)
    return false;
  open_ = false;
  record(RecordedMidiEvent::Kind::Close, 0);
  return true;
}

bool RecordingMidiBackend::reset() {
  if (!open_)
    return false;
  record(RecordedMidiEvent::Kind::Reset, 0);
  return true;
}

bool RecordingMidiBackend::send(std::uint32_t message) {
  if (!open_)
    return false;
  record(RecordedMidiEvent::Kind::Message, message);
  return true;
}

std::vector<RecordedMidiEvent> RecordingMidiBackend::messages() const {
  std::vector<RecordedMidiEvent> out;
  for (const RecordedMidiEvent &e : events_)
    if (e.kind == RecordedMidiEvent::Kind::Message)
      out.push_back(e);
  return out;
}

} // namespace pipora
