#pragma once
// The order in which a score's measures are played: repeats taken as often as they say,
// first and second endings (voltas) each on their own pass.
#include <vector>

namespace pipora {

struct MeasureBarlines {
  bool repeatForward = false;  // a start repeat at its left
  bool repeatBackward = false; // an end repeat at its right
  int times = 2;               // how often the section ending here is played
  std::vector<int> endings;    // the passes this measure belongs to, empty when all
  bool endingEnds = false;     // the volta it belongs to ends at its right
};

// Measure indices in playing order. A score whose repeats would play more than `maxMeasures`
// measures is cut there.
std::vector<int> PlayOrder(const std::vector<MeasureBarlines> &measures, int maxMeasures);

} // namespace pipora
