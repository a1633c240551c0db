// Arbitrary bytes as an SMD file: decoding must never crash, hang or read out of bounds,
// and a decoded song must keep the list invariants once in place. Saving it and reading it
// back is smd_roundtrip_fuzz's check, so that this target spends its time in the reader.
#include "formats/smd/smd_reader.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

namespace {

void Require(bool condition) {
  if (!condition)
    std::abort();
}

void CheckParts(const pipora::Song &song) {
  for (int n = 1; n <= pipora::kPartSlots; ++n) {
    const pipora::Part &p = song.part(n);
    Require(p.count >= 0);
    Require(p.notes.size() == static_cast<std::size_t>(p.count) + 1);
    Require(p.notes.back().isEndMarker());
    Require(p.score.size() == p.notes.size());
    Require(p.volume >= 0 && p.volume <= 8);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QByteArray line(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  pipora::Result<pipora::SmdDocument> doc = pipora::DecodeSmd(line);
  if (!doc)
    return 0;
  pipora::Song song;
  pipora::ReplaceMelody(song, std::move(*doc));
  CheckParts(song);
  return 0;
}
