#pragma once
// RIFF WAVE bytes for 16-bit PCM samples.
#include <QByteArray>

#include <cstdint>
#include <span>

namespace pipora {

// Interleaved samples; the frame count is samples.size() / channels.
QByteArray EncodeWav(std::span<const std::int16_t> samples, int sampleRate, int channels);

} // namespace pipora
