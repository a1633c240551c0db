#pragma once
// The level of 16-bit sound: its peak, and a gain applied without wrapping around.
#include <cstdint>
#include <span>

namespace pipora {

// Audio tools leave a decibel of headroom below full scale.
inline constexpr double kNormalPeakDb = -1.0;

// The largest magnitude among `samples` (32768 for a sample of -32768).
int PeakOf(std::span<const std::int16_t> samples);

// The gain that brings `peak` to `targetDb` below full scale; 1 for silence.
double GainToPeak(int peak, double targetDb = kNormalPeakDb);

// 10^(db / 20).
double GainOfDb(double db);

// Every sample times `gain`, rounded, held within 16 bits.
void ApplyGain(std::span<std::int16_t> samples, double gain);

} // namespace pipora
