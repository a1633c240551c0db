// Any bytes given to the Standard MIDI File reader: no crash, no endless loop, no runaway
// allocation, and a song whose lists stay consistent enough for the editor to lay out.
// Writing the song out again is the round-trip target's part: this one spends its time on
// reading, so that it runs as many inputs as it can.
#include "formats/midi/midi_import.h"
#include "formats/midi/smf_reader.h"
#include "model/song.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  using namespace pipora;
  Song song;
  EmptyPartsForImport(song);
  song.title.clear();
  MidiImportOptions options;
  // The same limit logic as in use, with room for the tens of thousands of notes a few
  // hundred kilobytes of input can hold.
  options.maxElements = 65536;
  // The import options come from the last byte so both ways of fitting are explored.
  if (size > 0) {
    options.triplets = data[size - 1] & 1;
    options.foldOctaves = data[size - 1] & 2;
  }
  MidiImporter importer(song, options);
  const SmfRead result = ReadSmf(std::span(data, size), song, importer, options);
  (void)result;
  AppendEndMarkers(song);
  for (int n = 1; n <= kClipboardPart; ++n) {
    const Part &p = song.part(n);
    if (p.count < 0 || static_cast<std::size_t>(p.count) + 1 != p.notes.size() ||
        !p.notes.back().isEndMarker())
      __builtin_trap();
  }
  RecalcTimes(song);
  BuildScoreList(song);
  return 0;
}
