#pragma once
// RIFF WAVE bytes for 16-bit PCM samples.
#include <QByteArray>

#include <cstdint>
#include <span>

namespace pipora {

// Interleaved samples; the frame count is samples.size() / channels.
QByteArray EncodeWav(std::span<const std::int16_t> samples, int sampleRate, int channels);

// The 44 bytes before the samples, for `dataBytes` bytes of them.
QByteArray WavHeader(int sampleRate, int channels, std::uint32_t dataBytes);
// Samples as the file holds them (16-bit little-endian).
QByteArray WavSampleBytes(std::span<const std::int16_t> samples);

} // namespace pipora
