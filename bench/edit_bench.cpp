// The editing commands on a song of 16 parts x 10,000 notes, each with its undo snapshot as
// the editor takes it: copy and paste a whole part into the middle of another, delete a
// 10,000-note selection, find with no hit, transpose a selection, halve and double all.
// "Time" is the wall clock, the snapshot's flush to disk included; "CPU" is this process's work.
#include "editing/clipboard.h"
#include "editing/find_notes.h"
#include "editing/transforms.h"
#include "model/vocabulary.h"
#include "session/undo_history.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <numeric>
#include <random>
#include <vector>

namespace pipora {
namespace {

// A savable song (so that every snapshot really writes its file) of the given lengths.
Song MakeSong(int notesPerPart, std::vector<const char *> lengths) {
  Song song;
  std::mt19937 rng(7);
  for (int n = 1; n <= kUserParts; ++n) {
    Part &p = song.part(n);
    p.notes.clear();
    p.notes.reserve(static_cast<std::size_t>(notesPerPart) + 1);
    for (int i = 0; i < notesPerPart; ++i) {
      NoteEntry e;
      e.noteNumber = static_cast<std::int16_t>(rng() % 8 == 0 ? 0 : 48 + rng() % 36);
      e.length = lengths[rng() % lengths.size()];
      e.pitch = PitchNameOf(e.noteNumber);
      p.notes.push_back(std::move(e));
    }
    p.count = notesPerPart;
    p.notes.push_back(MakeEndMarker());
  }
  song.capacity = notesPerPart + 10;
  RecalcTimes(song);
  BuildScoreList(song);
  return song;
}

Song MixedSong(int notesPerPart) {
  return MakeSong(notesPerPart, {"2", "4", "8", "8_", "4_"});
}

void SelectInScore(Song &song, int part, int start, int length, int cursor) {
  song.currentPart = part;
  song.part(1).scoreHeader.partNumber = static_cast<std::int16_t>(part);
  ScoreHeader &h = song.part(part).scoreHeader;
  h.selStart = start;
  h.selLength = length;
  h.cursor = cursor;
}

// Runs `command` on a fresh copy of `song` each round, then (second argument 1) the snapshot;
// only the command and the snapshot are timed. The commands leave both lists in step, so the
// snapshot reads the note lists as they are.
template <typename Command>
void RunWithSnapshot(benchmark::State &state, const Song &song, Command command) {
  const bool withSnapshot = state.range(1) != 0;
  QTemporaryDir home;
  UndoHistory history(home.path());
  Song work = song;
  for (auto _ : state) {
    state.PauseTiming();
    work = song;
    state.ResumeTiming();
    const EditOutcome out = command(work);
    if (out.snapshot && withSnapshot)
      history.takeSnapshot(work, false);
    benchmark::DoNotOptimize(work.part(2).count);
  }
  if (withSnapshot && history.undoIndex() < 0)
    state.SkipWithError("no snapshot was written");
}

// What every command below pays on top of its own work: the snapshot of the whole song.
void BM_SnapshotAlone(benchmark::State &state) {
  const Song song = MixedSong(static_cast<int>(state.range(0)));
  RunWithSnapshot(state, song, [](Song &) { return EditOutcome::SnapshotOnly(); });
}

void BM_ScoreCopyPastePartIntoAnother(benchmark::State &state) {
  const Song song = MixedSong(static_cast<int>(state.range(0)));
  const int middle = static_cast<int>(state.range(0)) / 2;
  RunWithSnapshot(state, song, [&](Song &s) {
    SelectInScore(s, 1, 0, 0, 0);
    SelectAllScore(s);
    CopyScoreSelection(s);
    SelectInScore(s, 2, 0, 0, middle);
    return PasteScore(s);
  });
}

void BM_SourceCopyPastePartIntoAnother(benchmark::State &state) {
  const Song song = MixedSong(static_cast<int>(state.range(0)));
  std::vector<int> rows(static_cast<std::size_t>(state.range(0)) + 1);
  std::iota(rows.begin(), rows.end(), 0);
  RunWithSnapshot(state, song, [&](Song &s) {
    s.currentPart = 1;
    CopySourceRows(s, rows);
    s.currentPart = 2;
    s.part(2).cursor = static_cast<int>(state.range(0)) / 2;
    return PasteSource(s);
  });
}

void BM_ScoreDeleteSelection(benchmark::State &state) {
  const Song song = MixedSong(static_cast<int>(state.range(0)));
  RunWithSnapshot(state, song, [&](Song &s) {
    SelectInScore(s, 1, 0, static_cast<int>(state.range(0)), 0);
    return DeleteScore(s);
  });
}

void BM_ScoreTransposeSelection(benchmark::State &state) {
  const Song song = MixedSong(static_cast<int>(state.range(0)));
  RunWithSnapshot(state, song, [&](Song &s) {
    SelectInScore(s, 1, 0, static_cast<int>(state.range(0)), 0);
    return TransposeScoreSelection(s, 1, false);
  });
}

void BM_HalveAll(benchmark::State &state) {
  const Song song = MakeSong(static_cast<int>(state.range(0)), {"2", "4", "8", "4_", "8_"});
  RunWithSnapshot(state, song, [](Song &s) { return HalveAll(s, true); });
  state.SetComplexityN(state.range(0));
}

// Every note a half note: doubling doubles the number of elements.
void BM_DoubleAll(benchmark::State &state) {
  const Song song = MakeSong(static_cast<int>(state.range(0)), {"2"});
  RunWithSnapshot(state, song, [](Song &s) { return DoubleAll(s, true); });
  state.SetComplexityN(state.range(0));
}

void BM_FindWithNoHit(benchmark::State &state) {
  const Song song = MixedSong(static_cast<int>(state.range(0)));
  FindCriteria criteria;
  criteria.usePitch = true;
  criteria.pitchText = "c";
  criteria.useLength = true;
  criteria.lengthText = "16"; // no sixteenths in the song
  criteria.direction = FindDirection::Forward;
  criteria.scope = FindScope::AllParts;
  const auto target = state.range(1) == 0 ? FindTarget::Score : FindTarget::Source;
  for (auto _ : state)
    benchmark::DoNotOptimize(FindNote(song, criteria, target));
}

BENCHMARK(BM_SnapshotAlone)->Args({10000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScoreCopyPastePartIntoAnother)
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SourceCopyPastePartIntoAnother)
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScoreDeleteSelection)
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScoreTransposeSelection)
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Unit(benchmark::kMillisecond);
// Linear in the number of notes: the command alone at four sizes, then with its snapshot.
BENCHMARK(BM_HalveAll)
    ->ArgsProduct({{2500, 5000, 10000, 20000}, {0}})
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HalveAll)->Args({10000, 1})->Unit(benchmark::kMillisecond);
// Linear in the number of notes: the command alone at four sizes, then with its snapshot.
BENCHMARK(BM_DoubleAll)
    ->ArgsProduct({{2500, 5000, 10000, 20000}, {0}})
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DoubleAll)->Args({10000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindWithNoHit)->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMillisecond);

} // namespace
} // namespace pipora

BENCHMARK_MAIN();
