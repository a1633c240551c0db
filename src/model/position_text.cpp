#include "model/position_text.h"

#include "model/rounding.h"

#include <cstdlib>

namespace pipora {

namespace {

// At least two digits; a negative value keeps its sign in front ("-05").
std::string TwoDigit(int value) {
  const int magnitude = std::abs(value);
  std::string digits = std::to_string(magnitude);
  if (digits.size() < 2)
    digits.insert(0, 1, '0');
  return value < 0 ? "-" + digits : digits;
}

std::string SecondsAndHundredths(int centiseconds) {
  // C++ integer division and % truncate toward zero, as the display's rules ask.
  return ":" + TwoDigit((centiseconds / 100) % 60) + ":" + TwoDigit(centiseconds % 100);
}

} // namespace

std::string TimeText(int centiseconds) {
  return std::to_string(centiseconds / 6000) + SecondsAndHundredths(centiseconds);
}

std::string TimeTextSignBlank(int centiseconds) {
  const int minutes = centiseconds / 6000;
  const std::string sign = minutes < 0 ? "" : " ";
  return sign + std::to_string(minutes) + SecondsAndHundredths(centiseconds);
}

std::string MeasureText(int tick, int ticksPerBeat, int beatsPerMeasure) {
  if (ticksPerBeat <= 0 || beatsPerMeasure <= 0)
    return "01:1:00";
  const int measure = tick / ticksPerBeat / beatsPerMeasure + 1;
  const int beat = (tick / ticksPerBeat) % beatsPerMeasure + 1;
  const int rest = (tick % ticksPerBeat) / 10;
  return TwoDigit(measure) + ":" + std::to_string(beat) + ":" + TwoDigit(rest);
}

int RunningCentiseconds(double elapsedMs, int firstElementTick, double msPerTick) {
  return RoundHalfEven(elapsedMs - firstElementTick * msPerTick) / 10;
}

int RunningTick(double elapsedMs, double msPerTick) {
  return RoundHalfEven(elapsedMs / msPerTick);
}

int StoppedCentiseconds(int tick, double msPerTick) {
  return RoundHalfEven(tick * msPerTick) / 10;
}

} // namespace pipora
