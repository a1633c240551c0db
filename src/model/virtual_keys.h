#pragma once
// Key codes, modifier masks and the shortcut table as the settings store them: modifier mask x 256
// + key code, with the classic virtual key numbering (letters and digits are their ASCII codes).
#include <array>
#include <string_view>

namespace pipora::vk {

inline constexpr int kShift = 1;
inline constexpr int kCtrl = 2;
inline constexpr int kAlt = 4;

inline constexpr int Back = 0x08;
inline constexpr int Tab = 0x09;
inline constexpr int Return = 0x0D;
inline constexpr int ShiftKey = 0x10;
inline constexpr int ControlKey = 0x11;
inline constexpr int Menu = 0x12;
inline constexpr int Pause = 0x13;
inline constexpr int Capital = 0x14;
inline constexpr int Escape = 0x1B;
inline constexpr int Space = 0x20;
inline constexpr int Prior = 0x21;
inline constexpr int Next = 0x22;
inline constexpr int End = 0x23;
inline constexpr int Home = 0x24;
inline constexpr int Left = 0x25;
inline constexpr int Up = 0x26;
inline constexpr int Right = 0x27;
inline constexpr int Down = 0x28;
inline constexpr int Insert = 0x2D;
inline constexpr int Delete = 0x2E;
inline constexpr int Numpad0 = 0x60;
inline constexpr int Multiply = 0x6A;
inline constexpr int Add = 0x6B;
inline constexpr int Subtract = 0x6D;
inline constexpr int Decimal = 0x6E;
inline constexpr int Divide = 0x6F;
inline constexpr int F1 = 0x70;
inline constexpr int LastFunctionKey = 0x7F; // F16
// The punctuation keys of a US layout: the code less 128 is the character they carry.
inline constexpr int Oem1 = 0xBA;      // ";" ":"
inline constexpr int OemPlus = 0xBB;   // "=" "+"
inline constexpr int OemComma = 0xBC;  // "," "<"
inline constexpr int OemMinus = 0xBD;  // "-"
inline constexpr int OemPeriod = 0xBE; // "." ">"
inline constexpr int Oem2 = 0xBF;      // "/" "?"
inline constexpr int Oem3 = 0xC0;      // "`" "@"
inline constexpr int Oem4 = 0xDB;      // "["
inline constexpr int Oem5 = 0xDC;      // "\" "|"
inline constexpr int Oem6 = 0xDD;      // "]"
inline constexpr int Oem7 = 0xDE;      // "'"

inline constexpr int Digit(int d) {
  return '0' + d;
}
inline constexpr int NumpadDigit(int d) {
  return Numpad0 + d;
}

// The keys the options dialog names in words rather than by their character.
struct NamedKey {
  int code;
  std::string_view name;
};
inline constexpr std::array<NamedKey, 14> kNamedKeys = {{
    {Back, "Back Space"},
    {Return, "Enter"},
    {Escape, "Esc"},
    {Space, "スペース"},
    {Prior, "Page Up"},
    {Next, "Page Down"},
    {End, "End"},
    {Home, "Home"},
    {Left, "←"},
    {Up, "↑"},
    {Right, "→"},
    {Down, "↓"},
    {Insert, "Insert"},
    {Delete, "Delete"},
}};

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
