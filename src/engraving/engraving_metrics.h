#pragma once
// The sizes of the engraved symbols that layout and spacing work with.
#include <array>

namespace pipora {

// Sizes of the drawn symbols, in pixels (one staff space is 12).
struct EngravingMetrics {
  double headLeft = 2;   // the head's left edge right of the element's x
  double headWidth = 14; // of a black head
  double stemWidth = 1.3;
  int stemLength = 42;   // three and a half spaces from the head's centre
  int shortestStem = 30; // of a beamed note, to the nearest beam
  int beamThickness = 5; // toward the heads
  int beamDistance = 8;  // from one beam's outer edge to the next one's
  int stubLength = 8;    // a sixteenth's part beam beside an eighth
  int accidentalGap = 1; // between an accidental and its head
  int barLineRoom = 3;   // between a bar line and an accidental after it
  std::array<int, 4> accidentalWidth = {0, 8, 7, 7}; // by Accidental
  std::array<int, 12> labelWidth{};                  // of the do-re-mi label of each pitch class
  int flagWidth = 9;                                 // a flag's reach right of its stem
  int restWidth = 12;                                // the widest rest up to a half
  int noteGap = 4;     // the least room between one symbol and the next
  int clefWidth = 34;  // the clef's ink from the row's start
  int keyStep = 8;     // between the accidentals of a key signature
  int digitWidth = 12; // of a time signature's digit
};

} // namespace pipora
