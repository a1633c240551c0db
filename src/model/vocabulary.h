#pragma once
// Pitches, lengths and ticks: the small vocabularies every other module speaks.
#include <array>
#include <span>
#include <string>
#include <string_view>

namespace pipora {

inline constexpr int kTicksPerQuarter = 480;
inline constexpr int kTicksPerWhole = 4 * kTicksPerQuarter;
// A note sounds for its length minus this many ticks.
inline constexpr int kGateGap = 20;

// Lowest and highest note numbers an SMD file can hold.
inline constexpr int kSmdLowestNote = 45;
inline constexpr int kSmdHighestNote = 90;
constexpr bool InSmdRange(int noteNumber) {
  return noteNumber >= kSmdLowestNote && noteNumber <= kSmdHighestNote;
}

// A phone plays written pitches in one of three octave windows, chosen by the SMD octave
// words; `state` is the octave state that selects the window.
inline constexpr int kOctaveLow = 3;
inline constexpr int kOctaveMiddle = 4;
inline constexpr int kOctaveHigh = 5;
struct OctaveWindow {
  int state;
  int lowest;
  int highest;
  constexpr bool holds(int noteNumber) const {
    return noteNumber >= lowest && noteNumber <= highest;
  }
};
// The middle window holds the written pitches of the note codes themselves.
inline constexpr OctaveWindow kMiddleWindow = {kOctaveMiddle, 57, 78};
inline constexpr OctaveWindow kLowWindow = {kOctaveLow, kSmdLowestNote, 66};
inline constexpr OctaveWindow kHighWindow = {kOctaveHigh, 69, kSmdHighestNote};
// In the order of preference for a triplet group.
inline constexpr OctaveWindow kOctaveWindows[] = {kMiddleWindow, kLowWindow, kHighWindow};

// The first window that holds every note from `lowest` to `highest` (a triplet group's notes
// must share one); nullptr when none does.
constexpr const OctaveWindow *WindowHolding(int lowest, int highest) {
  for (const OctaveWindow &w : kOctaveWindows)
    if (w.holds(lowest) && w.holds(highest))
      return &w;
  return nullptr;
}

inline constexpr std::string_view kEndOfTrack = "* End of Track *";
// Full-width question mark: a tick count outside the length table.
inline constexpr std::string_view kUnknownLength = "？";

// The sixteen length codes: eight lengths, each also tied ("4_"). A triplet length is two
// thirds of its plain one; a note sounds for its length minus the gate gap.
struct LengthCode {
  std::string_view code; // untied: "2", "4", ... "163"
  std::string_view tied; // the same length tied to the next note: "2_" ...
  int ticks;
  // 0 for the sixteenth group, 1 eighth, 2 quarter, 3 half (the SMD code's low bits).
  int group;
  bool triplet;
  constexpr int gate() const { return ticks - kGateGap; }
};
// Plain lengths longest first, then the triplets longest first.
inline constexpr std::array<LengthCode, 8> kLengthCodes = {{{"2", "2_", 960, 3, false},
                                                            {"4", "4_", 480, 2, false},
                                                            {"8", "8_", 240, 1, false},
                                                            {"16", "16_", 120, 0, false},
                                                            {"23", "23_", 640, 3, true},
                                                            {"43", "43_", 320, 2, true},
                                                            {"83", "83_", 160, 1, true},
                                                            {"163", "163_", 80, 0, true}}};

// The plain lengths, longest first, and the triplets, longest first.
inline constexpr std::span<const LengthCode, 4> kPlainLengths{kLengthCodes.data(), 4};
inline constexpr std::span<const LengthCode, 4> kTripletLengths{kLengthCodes.data() + 4, 4};

// The row of a code, tied or not; nullptr outside the sixteen.
const LengthCode *FindLength(std::string_view code);
// The row of an untied length of `ticks`; nullptr when no length has them.
const LengthCode *FindLengthByTicks(int ticks);

// Pitch names of the twelve pitch classes, C first, sharps only.
inline constexpr std::array<std::string_view, 12> kPitchNames = {"C",  "C#", "D",  "D#", "E",  "F",
                                                                 "F#", "G",  "G#", "A",  "A#", "B"};
// The do-re-mi table: per pitch class the syllable with the accidental the staff shows, and
// where the written note sits on the staff, in pixels above middle C (6 per diatonic step).
struct DoReMiLabel {
  std::string_view name;
  int staffOffset;
};
inline constexpr std::array<DoReMiLabel, 12> kDoReMi = {{{"ド", 0},
                                                         {"ド#", 0},
                                                         {"レ", 6},
                                                         {"ミb", 12},
                                                         {"ミ", 12},
                                                         {"ﾌｧ", 18},
                                                         {"ﾌｧ#", 18},
                                                         {"ソ", 24},
                                                         {"ソ#", 24},
                                                         {"ラ", 30},
                                                         {"シb", 36},
                                                         {"シ", 36}}};

// 0..11 for any note number, also negative ones.
inline int PitchClassOf(int noteNumber) {
  return ((noteNumber % 12) + 12) % 12;
}

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
