#pragma once
// RIFF WAVE bytes for 16-bit PCM samples.
#include <QByteArray>

#include <cstdint>
#include <span>

namespace pipora {

// Interleaved samples; the frame count is samples.size() / channels.
QByteArray EncodeWav(std::span<const std::int16_t> samples, int sampleRate, int channels);

// The same built a block at a time: the header's sizes are filled in by finish().
class WavBuilder {
public:
  WavBuilder(int sampleRate, int channels);
  void append(std::span<const std::int16_t> samples);
  // The whole file; the builder is empty afterwards.
  QByteArray finish();

private:
  QByteArray bytes_;
};

} // namespace pipora
