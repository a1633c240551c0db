#pragma once
// Songs for the score editor's tests, screenshots and benchmark.
#include "model/song.h"
#include "model/vocabulary.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace pipora::sample {

using Notes = std::vector<std::pair<int, const char *>>;

inline void SetPart(Song &song, int part, const Notes &notes) {
  for (const auto &[number, length] : notes)
    InsertNote(song, part, song.part(part).count, number, length, PitchNameOf(number));
}

inline void Finish(Song &song) {
  RecalcTimes(song);
  BuildScoreList(song);
}

// A short piece in four parts with everything the staff draws: ledger lines above and
// below, sharps and flats, ties, triplet groups of three lengths, rests of every length.
inline Song ShowcaseSong() {
  Song song;
  SetPart(song, 1, {{60, "4"},  {62, "8"},  {64, "8"}, {66, "4"}, {67, "4_"}, {67, "4"}, {69, "83"},
                    {71, "83"}, {72, "83"}, {74, "2"}, {0, "4"},  {70, "4"},  {81, "8"}, {84, "8"},
                    {88, "16"}, {86, "16"}, {84, "8"}, {57, "4"}, {59, "8"},  {61, "8"}});
  SetPart(song, 2,
          {{57, "2"},
           {64, "4"},
           {68, "4"},
           {69, "43"},
           {72, "43"},
           {76, "43"},
           {75, "4"},
           {0, "8"},
           {63, "8"},
           {65, "2_"},
           {65, "4"},
           {0, "4"},
           {45, "4"},
           {50, "4"}});
  SetPart(song, 3,
          {{72, "16"},
           {74, "16"},
           {76, "16"},
           {77, "16"},
           {79, "163"},
           {81, "163"},
           {83, "163"},
           {84, "8"},
           {0, "16"},
           {0, "16"},
           {79, "8_"},
           {79, "8"},
           {78, "8"},
           {76, "8"},
           {73, "4"},
           {0, "2"},
           {67, "23"},
           {71, "23"},
           {74, "23"}});
  SetPart(song, 4,
          {{0, "2"},
           {0, "4"},
           {0, "8"},
           {0, "16"},
           {0, "16"},
           {0, "83"},
           {0, "83"},
           {0, "83"},
           {48, "4"},
           {52, "4"},
           {55, "4"}});
  Finish(song);
  return song;
}

// `parts` parts of `notes` notes each: a mix of lengths, pitches inside 50..85, rests, ties
// and complete triplet groups, so that the song stays savable.
inline Song LongSong(int parts, int notes) {
  Song song;
  static const char *const kLengths[] = {"8", "8", "4", "16", "16", "83", "83", "83", "8_", "8"};
  std::uint32_t seed = 12345;
  for (int p = 1; p <= parts; ++p) {
    Notes list;
    list.reserve(static_cast<std::size_t>(notes));
    int pitch = 60;
    for (int i = 0; i < notes; ++i) {
      seed = seed * 1103515245u + 12345u;
      // A triplet's three notes share the first one's pitch, so the group fits one window.
      if (i % 10 < 6 || i % 10 > 7)
        pitch = (seed >> 16) % 11 == 0 ? 0 : 50 + static_cast<int>((seed >> 8) % 36);
      list.emplace_back(pitch, kLengths[i % 10]);
    }
    SetPart(song, p, list);
  }
  Finish(song);
  return song;
}

} // namespace pipora::sample
