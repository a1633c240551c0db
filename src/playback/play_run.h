#pragma once
// One run of the play loop: the parts' progress through their note lists and the
// messages each step sends. Pure scheduling: the clock is read through a function and
// nothing here waits; the Player decides when the next pass runs.
#include "model/song.h"
#include "playback/clock.h"
#include "playback/midi_output.h"

#include <array>
#include <cstdint>
#include <vector>

namespace pipora {

inline constexpr std::uint32_t kAllPartsMask = 131070; // bits 1 to 16
inline constexpr double kLatenessMs = 200.0;

struct PlayElement {
  std::int32_t start = 0;
  std::int32_t prevGateEnd = 0;
  int note = 0;
  bool tiesForward = false; // the length code carries "_"
};

struct PassOutcome {
  bool changed = false;   // some part moved on, or the start offset moved
  bool restarted = false; // the song ended and began again from its first element
  bool ended = false;     // the song ended and the run does not loop
  double now = 0;         // the last clock value read
};

class PlayRun {
public:
  // Copies what it needs from the song: editing is locked while the run lasts.
  PlayRun(const Song &song, std::uint32_t playMask, double msPerTick);

  // The largest EndMarker start tick over the 16 parts, at least 0.
  std::int32_t songEnd() const { return songEnd_; }
  bool partHasNotes(int part) const { return count(part) != 0; }
  int firstElementTick() const;

  void start(std::int32_t startOffsetMs) { startOffset_ = startOffsetMs; }
  std::int32_t startOffset() const { return startOffset_; }
  void setLoop(bool loop) { loop_ = loop; }

  // One pass: the part step of every part in the mask, then the end-of-song test.
  PassOutcome pass(const MsClock &clock, MidiOutput &midi);
  // The earliest time at which a pass will change the run; at or before `now` when
  // something is due already.
  double nextDue(double now) const;

  double dueTime(std::int32_t tick) const { return tick * msPerTick_ + startOffset_; }
  double msPerTick() const { return msPerTick_; }
  int nextIndex(int part) const { return next_[static_cast<std::size_t>(part)]; }

private:
  struct Track {
    std::vector<PlayElement> elements; // count + 1, the EndMarker last
  };

  int count(int part) const;
  bool inMask(int part) const { return (mask_ >> part) & 1u; }
  bool tiedToPrevious(int part, int i) const;
  const PlayElement &element(int part, int i) const;
  void partStep(int part, double now, MidiOutput &midi);
  bool due(std::int32_t tick, double now) const { return dueTime(tick) <= now; }

  std::array<Track, kUserParts + 1> tracks_;
  std::uint32_t mask_;
  double msPerTick_;
  std::int32_t songEnd_ = 0;
  std::int32_t startOffset_ = 0;
  bool loop_ = true;

  std::array<int, kUserParts + 1> next_{};
  std::array<bool, kUserParts + 1> released_{};
  std::array<bool, kUserParts + 1> finished_{};
};

} // namespace pipora
