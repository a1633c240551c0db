#include "playback/clock.h"

#include <chrono>

namespace pipora {

double SteadyNowMs() {
  using Ms = std::chrono::duration<double, std::milli>;
  return std::chrono::duration_cast<Ms>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

MsClock SteadyMsClock() {
  return [] { return SteadyNowMs(); };
}

} // namespace pipora
