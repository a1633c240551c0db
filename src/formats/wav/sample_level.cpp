#include "formats/wav/sample_level.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace pipora {

int PeakOf(std::span<const std::int16_t> samples) {
  int peak = 0;
  for (const std::int16_t s : samples)
    peak = std::max(peak, std::abs(int{s}));
  return peak;
}

double GainOfDb(double db) {
  return std::pow(10.0, db / 20.0);
}

double GainToPeak(int peak, double targetDb) {
  if (peak <= 0)
    return 1.0;
  return GainOfDb(targetDb) * 32767.0 / peak;
}

void ApplyGain(std::span<std::int16_t> samples, double gain) {
  if (gain == 1.0)
    return;
  for (std::int16_t &s : samples)
    s = static_cast<std::int16_t>(std::clamp(std::lround(s * gain), -32768L, 32767L));
}

} // namespace pipora
