// Arbitrary bytes as an SMD file: decoding must never crash, hang or read out of bounds,
// a decoded song must keep the list invariants, and whatever it saves must read back.
#include "formats/smd/smd_reader.h"
#include "formats/smd/smd_writer.h"

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

pipora::NoteLength Untied(pipora::NoteLength length) {
  length.setTied(false);
  return length;
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

  // A song that passes the checks must come back with the same notes in every user part.
  const pipora::Result<QByteArray> encoded = pipora::EncodeSmd(song);
  if (!encoded)
    return 0;
  Require(encoded->endsWith("\r\n"));
  pipora::Result<pipora::SmdDocument> again = pipora::DecodeSmd(encoded->chopped(2));
  Require(again.ok());
  int to = 1;
  for (int from = 1; from <= pipora::kUserParts; ++from) {
    const pipora::Part &a = song.part(from);
    if (a.count == 0)
      continue; // empty parts are not written; the rest close up
    const pipora::Part &b = again->song.part(to++);
    Require(a.count == b.count);
    for (int i = 0; i < a.count; ++i) {
      const auto &x = a.notes[static_cast<std::size_t>(i)];
      const auto &y = b.notes[static_cast<std::size_t>(i)];
      Require(x.noteNumber == y.noteNumber);
      // A rest's tie is not stored by the format.
      Require(x.length == y.length || (x.noteNumber == 0 && Untied(x.length) == y.length));
    }
  }
  return 0;
}
