#pragma once
// What an editing command did, for whoever runs it: a change is followed by one undo
// snapshot, the dirty flag and a refresh of the views; a refusal by its message only.
#include <cstdint>
#include <string>
#include <utility>

namespace pipora {

// The most elements one part may hold. A part's end tick must stay well inside 32 bits (a
// million half notes reach 960,000,000 ticks), and it is the most the MIDI import takes for
// a whole song; a paste or a doubling that would go past it is refused.
inline constexpr std::int32_t kMaxPartElements = 1'000'000;

struct EditOutcome {
  bool changed = false;  // mark the song dirty and refresh the views
  bool snapshot = false; // take one undo snapshot
  std::string message;   // a refusal to show; the song is as it was
  bool refused() const { return !message.empty(); }

  static EditOutcome Changed() { return EditOutcome{true, true, {}}; }
  // The command counts as a step of the history although nothing changed.
  static EditOutcome SnapshotOnly() { return EditOutcome{false, true, {}}; }
  static EditOutcome Unchanged() { return EditOutcome{}; }
  static EditOutcome Refused(std::string text) {
    return EditOutcome{false, false, std::move(text)};
  }
};

} // namespace pipora
