#pragma once
// Pitches, lengths and ticks: the small vocabularies every other module speaks.
#include <string>
#include <string_view>

namespace pipora {

inline constexpr int kTicksPerQuarter = 480;
// A note sounds for its length minus this many ticks.
inline constexpr int kGateGap = 20;

inline constexpr std::string_view kEndOfTrack = "* End of Track *";
// Full-width question mark: a tick count outside the length table.
inline constexpr std::string_view kUnknownLength = "？";

// Pitch text ("C#4", "R4") to note number; 0 for rests and unknown names,
// -1 when the text carries no octave digit.
int NoteNumberFromText(std::string_view text);

// "C".."B" with sharps only, "R" for 0. No octave.
std::string PitchNameOf(int noteNumber);

// Do-re-mi syllable of the pitch class ("ド", "ミb", "ﾌｧ#" ...); "" for rests.
std::string DoReMiNameOf(int noteNumber);

int OctaveOf(int noteNumber);

// Ticks of a length code; 0 for a code outside the sixteen.
int LengthTicks(std::string_view code);
int GateTicks(std::string_view code);
bool IsKnownLength(std::string_view code);

// 80 -> "163", 480 -> "4" ...; anything else "？". Appends "_" when tied.
std::string LengthCodeFromTicks(int ticks, bool tied);

inline bool IsTriplet(std::string_view code) {
  return code.find('3') != std::string_view::npos;
}
inline bool IsTied(std::string_view code) {
  return code.find('_') != std::string_view::npos;
}

// 0 for the "16" group, 1 "8", 2 "4", 3 "2"; -1 outside the table.
int LengthIndex(std::string_view code);

} // namespace pipora
