#pragma once
// Sharing a MIDI channel's chords and overlapping notes among monophonic parts: the top note
// stays in the channel's part, the other voices' notes go to parts free at their time (parts
// no channel uses first, then, below the top, the part of a channel silent there), the lowest
// voices first, then the inner voices.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace pipora {

enum class ChordHandling {
  Last,   // "最後の音": a note-on cuts the sounding note; a chord keeps its last note
  Top,    // "最高音": the highest note of each moment stays, the others are dropped
  Spread, // "空きパートに分ける": the other voices go to free parts
};

// "last", "top", "spread" (as the command line and the settings write them); nothing else.
std::optional<ChordHandling> ChordHandlingNamed(std::string_view name);
std::string_view ChordHandlingName(ChordHandling how);

// One note of the file, as the split sees it.
struct SplitNote {
  int track = 0;
  int channel = 0; // 1..16
  int key = 0;
  std::int64_t on = 0;
  std::int64_t off = 0;
  int part = 0;        // where it goes; 0 = dropped
  bool noPart = false; // dropped because the parts ran out (else dropped under a higher note)
  bool noSlot = false; // dropped from a run of short notes: no sixteenth-triplet slot left
};

// How much two notes of a voice may overlap and still follow each other (a short legato).
inline constexpr std::int64_t kLegatoTicks = 60;

// Sets every note's part. `used` marks the parts the file's channels take (index 1..16);
// part 10 never takes a voice, since it plays as drums.
void AssignParts(std::vector<SplitNote> &notes, ChordHandling mode,
                 const std::array<bool, 17> &used);

} // namespace pipora
