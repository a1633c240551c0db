#include "formats/wav/wav_encoder.h"

namespace pipora {

namespace {

void PutLe(QByteArray &out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

} // namespace

QByteArray WavSampleBytes(std::span<const std::int16_t> samples) {
  QByteArray out;
  out.reserve(static_cast<qsizetype>(samples.size() * 2));
  for (const std::int16_t s : samples)
    PutLe(out, static_cast<std::uint16_t>(s), 2);
  return out;
}

QByteArray WavHeader(int sampleRate, int channels, std::uint32_t dataBytes) {
  QByteArray out;
  out.append("RIFF");
  PutLe(out, 36 + dataBytes, 4);
  out.append("WAVEfmt ");
  PutLe(out, 16, 4);
  PutLe(out, 1, 2); // PCM
  PutLe(out, static_cast<std::uint32_t>(channels), 2);
  PutLe(out, static_cast<std::uint32_t>(sampleRate), 4);
  PutLe(out, static_cast<std::uint32_t>(sampleRate * channels * 2), 4);
  PutLe(out, static_cast<std::uint32_t>(channels * 2), 2);
  PutLe(out, 16, 2);
  out.append("data");
  PutLe(out, dataBytes, 4);
  return out;
}

QByteArray EncodeWav(std::span<const std::int16_t> samples, int sampleRate, int channels) {
  return WavHeader(sampleRate, channels, static_cast<std::uint32_t>(samples.size() * 2)) +
         WavSampleBytes(samples);
}

} // namespace pipora
