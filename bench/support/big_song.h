#pragma once
// Songs for the benchmarks: savable, with notes across all three octave windows, rests,
// ties and triplets; the same song for the same size every time.
#include "formats/smd/smd_writer.h"
#include "model/song.h"
#include "model/vocabulary.h"

#include <QByteArray>
#include <cstdlib>
#include <random>

namespace pipora::bench {

// A savable song: notes across all three windows, rests, ties and triplets. With problems,
// about one triplet group in two mixes lengths and one note in forty is below the range.
inline Song MakeSong(int notesPerPart, bool withProblems = false, unsigned seed = 42) {
  Song song;
  song.title = "benchmark";
  std::mt19937 rng(seed);
  const char *plain[] = {"2", "4", "8_", "16"};
  for (int n = 1; n <= kUserParts; ++n) {
    Part &p = song.part(n);
    p.notes.clear();
    p.notes.reserve(static_cast<std::size_t>(notesPerPart) + 1);
    while (static_cast<int>(p.notes.size()) < notesPerPart) {
      NoteEntry e;
      if (p.notes.size() % 10 == 0 && static_cast<int>(p.notes.size()) + 3 <= notesPerPart) {
        const int low = 45 + 12 * static_cast<int>(rng() % 3);
        const bool broken = withProblems && rng() % 2 == 0;
        for (int i = 0; i < 3; ++i) {
          e.noteNumber = static_cast<std::int16_t>(low + static_cast<int>(rng() % 22));
          e.length = broken && i == 2 ? "43" : "83";
          e.pitch = PitchNameOf(e.noteNumber);
          p.notes.push_back(e);
        }
        continue;
      }
      e.noteNumber =
          static_cast<std::int16_t>(rng() % 8 == 0 ? 0 : 45 + static_cast<int>(rng() % 46));
      if (withProblems && rng() % 40 == 0)
        e.noteNumber = 30;
      e.length = plain[rng() % 4];
      if (e.noteNumber == 0 && IsTied(e.length))
        e.length = "8";
      e.pitch = PitchNameOf(e.noteNumber);
      p.notes.push_back(e);
    }
    p.count = static_cast<std::int32_t>(p.notes.size());
    p.notes.push_back(MakeEndMarker());
  }
  RecalcTimes(song);
  BuildScoreList(song);
  return song;
}

inline QByteArray MakeFile(int notesPerPart) {
  Song song = MakeSong(notesPerPart);
  const Result<QByteArray> encoded = EncodeSmd(song);
  if (!encoded)
    std::abort();
  return encoded->chopped(2);
}

} // namespace pipora::bench
