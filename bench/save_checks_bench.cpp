// The problem list over a song of 16 parts x 10,000 notes: it is recomputed after every
// edit, so it must stay well under 5 ms. One song is savable (the whole walk, nothing
// found), the other has a problem in about every twentieth element (the list is built too).
#include "model/save_checks.h"
#include "support/big_song.h"

#include <benchmark/benchmark.h>

namespace pipora {
namespace {

Song MakeSong(int notesPerPart, bool withProblems) {
  return bench::MakeSong(notesPerPart, withProblems, 7);
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
