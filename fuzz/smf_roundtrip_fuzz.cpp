// MIDI import -> export -> import: whatever a file imports as, exporting it and importing
// the export must give the same notes at the same ticks again, and exporting that the same
// bytes.
#include "formats/midi/midi_import.h"
#include "formats/midi/smf_reader.h"
#include "formats/midi/smf_writer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace pipora;

void Require(bool condition) {
  if (!condition)
    std::abort();
}

// True when the whole file was read.
bool Import(std::span<const std::uint8_t> bytes, Song &song, const MidiImportOptions &options) {
  EmptyPartsForImport(song);
  song.title.clear();
  MidiImporter importer(song, options);
  const SmfRead read = ReadSmf(bytes, song, importer, options);
  AppendEndMarkers(song);
  RecalcTimes(song);
  return read.complete();
}

QByteArray Export(const Song &song) {
  return EncodeSmf(song, [] { return 0.5; }).bytes;
}

std::span<const std::uint8_t> Bytes(const QByteArray &bytes) {
  return {reinterpret_cast<const std::uint8_t *>(bytes.constData()),
          static_cast<std::size_t>(bytes.size())};
}

// The sounding elements of a part: start tick, note and length code. Rests are left out:
// a Standard MIDI File holds only the gaps between notes, which the import may cut into
// rest lengths differently each time, and nothing of the rests after the last note.
std::vector<std::tuple<std::int64_t, int, std::string>> Sounding(const Part &part) {
  std::vector<std::tuple<std::int64_t, int, std::string>> notes;
  for (int i = 0; i < part.count; ++i) {
    const NoteEntry &e = part.notes[static_cast<std::size_t>(i)];
    if (e.noteNumber > 0)
      notes.emplace_back(e.start, e.noteNumber, std::string(e.length));
  }
  return notes;
}

void RequireSameParts(const Song &a, const Song &b) {
  Require(a.tempo == b.tempo);
  for (int n = 1; n <= kUserParts; ++n) {
    Require(a.part(n).tone == b.part(n).tone);
    Require(Sounding(a.part(n)) == Sounding(b.part(n)));
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
  // A file read only in part (damaged, or past the element cap) is reported to the user;
  // what was read of it need not come back the same.
  if (!Import(std::span(data, size), first, options))
    return 0;
  const QByteArray exported = Export(first);

  // What the program writes, it reads back as it was; written again it is the same file.
  Song second;
  Require(Import(Bytes(exported), second, options));
  RequireSameParts(first, second);
  Require(Export(second) == exported);
  return 0;
}
