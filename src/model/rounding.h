#pragma once
// Rounding as the phone's arithmetic does it: to the nearest whole number, halves to even.
#include <cmath>

namespace pipora {

inline int RoundHalfEven(double value) {
  // std::nearbyint follows the default rounding mode, which is to nearest, halves to even.
  return static_cast<int>(std::nearbyint(value));
}

} // namespace pipora
