// The problem list over a song of 16 parts x 10,000 notes: it is recomputed after every
// edit, so it must stay well under 5 ms. One song is savable (the whole walk, nothing
// found), the other has a problem in about every twentieth element (the list is built too).
#include "model/save_checks.h"
#include "model/vocabulary.h"

#include <benchmark/benchmark.h>

#include <random>

namespace pipora {
namespace {

Song MakeSong(int notesPerPart, bool withProblems) {
  Song song;
  std::mt19937 rng(7);
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
      e.pitch = PitchNameOf(e.noteNumber);
      p.notes.push_back(e);
    }
    p.count = static_cast<std::int32_t>(p.notes.size());
    p.notes.push_back(MakeEndMarker());
  }
  RecalcTimes(song);
  return song;
}

void BM_FindSaveProblems(benchmark::State &state) {
  const Song song = MakeSong(10'000, state.range(0) != 0);
  std::size_t found = 0;
  for (auto _ : state) {
    const std::vector<SaveProblem> problems = FindSaveProblems(song);
    found = problems.size();
    benchmark::DoNotOptimize(problems.data());
  }
  state.counters["problems"] = static_cast<double>(found);
}
BENCHMARK(BM_FindSaveProblems)
    ->Arg(0)
    ->Arg(1)
    ->ArgNames({"problems"})
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace pipora

BENCHMARK_MAIN();
