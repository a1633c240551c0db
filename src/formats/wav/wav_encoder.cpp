#include "formats/wav/wav_encoder.h"

namespace pipora {

namespace {

void PutLe(QByteArray &out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

} // namespace

WavBuilder::WavBuilder(int sampleRate, int channels) {
  bytes_ = EncodeWav({}, sampleRate, channels);
}

void WavBuilder::append(std::span<const std::int16_t> samples) {
  for (const std::int16_t s : samples)
    PutLe(bytes_, static_cast<std::uint16_t>(s), 2);
}

QByteArray WavBuilder::finish() {
  const auto dataBytes = static_cast<std::uint32_t>(bytes_.size() - 44);
  QByteArray riff;
  PutLe(riff, 36 + dataBytes, 4);
  QByteArray data;
  PutLe(data, dataBytes, 4);
  bytes_.replace(4, 4, riff);
  bytes_.replace(40, 4, data);
  return std::move(bytes_);
}

QByteArray EncodeWav(std::span<const std::int16_t> samples, int sampleRate, int channels) {
  const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
  QByteArray out;
  out.reserve(static_cast<qsizetype>(44 + dataBytes));
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
  for (std::int16_t s : samples)
    PutLe(out, static_cast<std::uint16_t>(s), 2);
  return out;
}

} // namespace pipora
