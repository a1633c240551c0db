// Reading and writing SMD songs of 16 parts x 1,000 / 10,000 / 100,000 notes.
// Time must grow linearly with the number of notes.
#include "formats/smd/smd_reader.h"
#include "formats/smd/smd_writer.h"
#include "model/vocabulary.h"
#include "session/smd_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <random>

namespace pipora {
namespace {

// A savable song: notes across all three windows, rests, ties and triplets.
Song MakeSong(int notesPerPart) {
  Song song;
  song.title = "benchmark";
  std::mt19937 rng(42);
  const char *plain[] = {"2", "4", "8_", "16"};
  for (int n = 1; n <= kUserParts; ++n) {
    Part &p = song.part(n);
    p.notes.clear();
    p.notes.reserve(static_cast<std::size_t>(notesPerPart) + 1);
    while (static_cast<int>(p.notes.size()) < notesPerPart) {
      NoteEntry e;
      if (p.notes.size() % 10 == 0 && static_cast<int>(p.notes.size()) + 3 <= notesPerPart) {
        const int low = 45 + 12 * static_cast<int>(rng() % 3);
        for (int i = 0; i < 3; ++i) {
          e.noteNumber = static_cast<std::int16_t>(low + static_cast<int>(rng() % 22));
          e.length = "83";
          e.pitch = PitchNameOf(e.noteNumber);
          p.notes.push_back(e);
        }
        continue;
      }
      e.noteNumber =
          static_cast<std::int16_t>(rng() % 8 == 0 ? 0 : 45 + static_cast<int>(rng() % 46));
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

QByteArray MakeFile(int notesPerPart) {
  Song song = MakeSong(notesPerPart);
  const Result<QByteArray> encoded = EncodeSmd(song);
  if (!encoded)
    std::abort();
  return encoded->chopped(2);
}

// Decoding plus what Open does after it: timing and the score lists.
void BM_ReadSmd(benchmark::State &state) {
  const QByteArray line = MakeFile(static_cast<int>(state.range(0)));
  Song song;
  for (auto _ : state) {
    Result<SmdDocument> doc = DecodeSmd(line, song.capacity);
    if (!doc)
      state.SkipWithError("decode failed");
    ReplaceMelody(song, std::move(*doc));
    benchmark::DoNotOptimize(song.part(16).count);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * kUserParts);
  state.SetBytesProcessed(state.iterations() * line.size());
}

void BM_WriteSmd(benchmark::State &state) {
  Song song = MakeSong(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    Result<QByteArray> encoded = EncodeSmd(song);
    benchmark::DoNotOptimize(encoded->data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * kUserParts);
}

// The whole file round: open a file from disk and save it back.
void BM_OpenAndSaveFile(benchmark::State &state) {
  QTemporaryDir dir;
  qputenv("PIPORAPAD_HOME", dir.path().toUtf8());
  const QString path = dir.filePath("bench.smd");
  Song song = MakeSong(static_cast<int>(state.range(0)));
  SaveSmdFile(song, path, false);
  for (auto _ : state) {
    if (!OpenSmdFile(song, path))
      state.SkipWithError("open failed");
    if (!SaveSmdFile(song, path, false).ok())
      state.SkipWithError("save failed");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * kUserParts);
}

BENCHMARK(BM_ReadSmd)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteSmd)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAndSaveFile)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace pipora

BENCHMARK_MAIN();
