// MIDI import -> export -> import: whatever a file imports as, exporting it and importing
// the export must give the same parts again, and exporting that the same bytes.
#include "formats/midi/midi_import.h"
#include "formats/midi/smf_reader.h"
#include "formats/midi/smf_writer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

using namespace pipora;

void Require(bool condition) {
  if (!condition)
    std::abort();
}

void Import(std::span<const std::uint8_t> bytes, Song &song, const MidiImportOptions &options) {
  EmptyPartsForImport(song);
  song.title.clear();
  MidiImporter importer(song, options);
  (void)ReadSmf(bytes, song, importer, options);
  AppendEndMarkers(song);
  RecalcTimes(song);
}

QByteArray Export(const Song &song) {
  return EncodeSmf(song, [] { return 0.5; }).bytes;
}

std::span<const std::uint8_t> Bytes(const QByteArray &bytes) {
  return {reinterpret_cast<const std::uint8_t *>(bytes.constData()),
          static_cast<std::size_t>(bytes.size())};
}

void RequireSameParts(const Song &a, const Song &b) {
  Require(a.tempo == b.tempo);
  for (int n = 1; n <= kUserParts; ++n) {
    const Part &p = a.part(n);
    const Part &q = b.part(n);
    Require(p.count == q.count);
    Require(p.tone == q.tone);
    for (int i = 0; i < p.count; ++i) {
      const NoteEntry &x = p.notes[static_cast<std::size_t>(i)];
      const NoteEntry &y = q.notes[static_cast<std::size_t>(i)];
      Require(x.noteNumber == y.noteNumber);
      Require(x.start == y.start);
    }
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  MidiImportOptions options;
  // Room for tens of thousands of notes, as a long song has.
  options.maxElements = 65536;
  if (size > 0) {
    options.triplets = data[size - 1] & 1;
    options.foldOctaves = data[size - 1] & 2;
  }
  Song first;
  Import(std::span(data, size), first, options);
  const QByteArray exported = Export(first);

  // What the program writes, it reads back as it was; written again it is the same file.
  Song second;
  Import(Bytes(exported), second, options);
  RequireSameParts(first, second);
  Require(Export(second) == exported);
  return 0;
}
