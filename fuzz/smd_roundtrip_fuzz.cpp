// SMD decode -> encode -> decode: a song that can be saved must come back the same, and
// saving it again must give the same bytes (the writer's output is a fixed point).
#include "formats/smd/smd_reader.h"
#include "formats/smd/smd_writer.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

namespace {

using namespace pipora;

NoteLength Untied(NoteLength length) {
  length.setTied(false);
  return length;
}

void Require(bool condition) {
  if (!condition)
    std::abort();
}

bool Decode(const QByteArray &line, Song &song) {
  Result<SmdDocument> doc = DecodeSmd(line);
  if (!doc)
    return false;
  ReplaceMelody(song, std::move(*doc));
  return true;
}

// What the file holds of the notes: tempo, and the parts that have notes with their volumes.
// (A title read from damaged bytes may hold characters the writer cannot store; the
// fixed point below makes sure it is stable once written.)
void RequireSameMelody(const Song &a, const Song &b) {
  int to = 1;
  for (int from = 1; from <= kUserParts; ++from) {
    const Part &p = a.part(from);
    if (p.count == 0)
      continue; // empty parts are not written; the rest close up
    const Part &q = b.part(to++);
    Require(p.count == q.count);
    Require(p.volume == q.volume);
    for (int i = 0; i <= p.count; ++i) {
      const NoteEntry &x = p.notes[static_cast<std::size_t>(i)];
      const NoteEntry &y = q.notes[static_cast<std::size_t>(i)];
      Require(x.noteNumber == y.noteNumber);
      // A rest's tie is not stored by the format.
      Require(x.length == y.length || (x.noteNumber == 0 && Untied(x.length) == y.length));
      Require(x.start == y.start);
    }
  }
  // The tempo word is written in the parts' frames: a song without notes loses it.
  if (to > 1)
    Require(a.tempo == b.tempo);
  for (; to <= kUserParts; ++to)
    Require(b.part(to).count == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  // A file is read up to its first line end, as the program reads it.
  QByteArray line(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  if (const qsizetype end = line.indexOf('\r'); end >= 0)
    line.truncate(end);
  if (const qsizetype end = line.indexOf('\n'); end >= 0)
    line.truncate(end);
  Song first;
  if (!Decode(line, first))
    return 0;
  const Result<QByteArray> written = EncodeSmd(first);
  if (!written)
    return 0;
  Require(written->endsWith("\r\n"));

  Song second;
  Require(Decode(written->chopped(2), second));
  RequireSameMelody(first, second);
  const Result<QByteArray> again = EncodeSmd(second);
  Require(again.ok());
  Require(*again == *written);
  return 0;
}
