#pragma once
// The player panel's position display: minutes:seconds:hundredths, or measure:beat:tick/10.
#include <string>

namespace pipora {

// "1:05:30" for 6530 centiseconds; minutes are not padded.
std::string TimeText(int centiseconds);
// The same with the minutes written as a signed number ("  0:00:00" has a leading blank
// where a minus sign would go), as the display switch writes it.
std::string TimeTextSignBlank(int centiseconds);
// "02:2:00" for tick 2400 with a quarter-note beat, 4 beats per measure; the beat is not padded.
std::string MeasureText(int tick, int ticksPerBeat, int beatsPerMeasure);

// While playing: centiseconds since the first element of the song (pick-up included).
int RunningCentiseconds(double elapsedMs, int firstElementTick, double msPerTick);
// While playing: ticks since tick 0, to the nearest tick.
int RunningTick(double elapsedMs, double msPerTick);
// When stopped: centiseconds at a start tick.
int StoppedCentiseconds(int tick, double msPerTick);

} // namespace pipora
