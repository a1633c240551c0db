#pragma once
// The player's clock: milliseconds as a fraction, monotonic. Tests and the offline
// renderer pass their own; the editor uses the steady clock.
#include <functional>

namespace pipora {

using MsClock = std::function<double()>;

// Milliseconds on the system's monotonic clock (the same clock PreciseWakeTimer waits on).
double SteadyNowMs();
MsClock SteadyMsClock();

} // namespace pipora
