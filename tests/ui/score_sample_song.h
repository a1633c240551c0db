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

// The first phrase of the Habanera (after Bizet, 1875) in 2/4, arranged in four parts: the
// chromatic descent with naturals inside the measure, a sharp tied over the bar line, eighth
// and sixteenth beams, eighth and quarter triplets, and a bass on ledger lines.
inline Song HabaneraSong() {
  Song song;
  SetPart(song, 1, {{74, "4"},  {73, "8"},  {72, "8"},             // m1
                    {72, "8"},  {71, "8"},  {70, "8"},  {69, "8"}, // m2
                    {69, "4_"}, {69, "8"},  {67, "8"},             // m3
                    {67, "83"}, {65, "83"}, {64, "83"}, {65, "4"}, // m4
                    {64, "8"},  {65, "8"},  {67, "8"},  {65, "8"}, // m5
                    {64, "4"},  {73, "4_"},                        // m6
                    {73, "8"},  {74, "8"},  {73, "8"},  {72, "8"}, // m7
                    {71, "8"},  {70, "8"},  {69, "8"},  {68, "8"}, // m8
                    {67, "83"}, {66, "83"}, {65, "83"}, {64, "4"}, // m9
                    {62, "2"}});                                   // m10
  const Notes onD = {{50, "8"}, {57, "16"}, {57, "16"}, {62, "8"}, {57, "8"}};
  const Notes onA = {{45, "8"}, {52, "16"}, {52, "16"}, {57, "8"}, {52, "8"}};
  for (int m = 1; m <= 10; ++m)
    SetPart(song, 2, m == 4 || m == 5 || m == 9 ? onA : onD);
  SetPart(song, 3,
          {{65, "4"},
           {69, "4"}, // m1
           {64, "4"},
           {67, "4"}, // m2
           {65, "2"}, // m3
           {64, "43"},
           {67, "43"},
           {70, "43"}, // m4
           {61, "4"},
           {64, "4"}, // m5
           {62, "2"}, // m6
           {65, "4"},
           {69, "4"}, // m7
           {64, "4"},
           {67, "4"},   // m8
           {61, "2"},   // m9
           {62, "2"}}); // m10
  SetPart(song, 4, {{0, "2"},    {0, "2"},    {0, "2"},    {0, "2"},   {0, "2"},  {0, "4"},
                    {0, "8"},    {81, "8"},                                                 // m1-6
                    {81, "16"},  {82, "16"},  {81, "16"},  {79, "16"}, {77, "8"}, {0, "8"}, // m7
                    {79, "16"},  {77, "16"},  {76, "16"},  {74, "16"}, {73, "4"},           // m8
                    {74, "163"}, {76, "163"}, {77, "163"}, {79, "8"},  {81, "4"},           // m9
                    {86, "2"}});                                                            // m10
  song.beatsPerMeasure = 2;
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
