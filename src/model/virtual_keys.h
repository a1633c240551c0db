#pragma once
// Key codes, modifier masks and the shortcut table as the settings store them: modifier mask x 256
// + key code, with the classic virtual key numbering (letters and digits are their ASCII codes).
#include <array>

namespace pipora::vk {

inline constexpr int kShift = 1;
inline constexpr int kCtrl = 2;
inline constexpr int kAlt = 4;

inline constexpr int Back = 8;
inline constexpr int ShiftKey = 16;
inline constexpr int ControlKey = 17;
inline constexpr int Menu = 18;
inline constexpr int Space = 32;
inline constexpr int Prior = 33;
inline constexpr int Next = 34;
inline constexpr int End = 35;
inline constexpr int Home = 36;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int Numpad0 = 96;

inline constexpr int Digit(int d) {
  return '0' + d;
}
inline constexpr int NumpadDigit(int d) {
  return Numpad0 + d;
}

} // namespace pipora::vk

namespace pipora {

inline constexpr int kShortCutTableSize = 11;
using ShortCutTable = std::array<int, kShortCutTableSize>;

// Semitone up, semitone down, longer, shorter, octave up, octave down, play all, solo play,
// stop, tie, measure play.
inline constexpr ShortCutTable kDefaultShortCutTable = {1062, 1064, 1063, 1061, 33, 34,
                                                        32,   83,   32,   84,   77};

enum class ShortCutAction {
  SemitoneUp = 0,
  SemitoneDown,
  Longer,
  Shorter,
  OctaveUp,
  OctaveDown,
  PlayAll,
  SoloPlay,
  StopPlay,
  Tie,
  MeasurePlay,
};

} // namespace pipora
