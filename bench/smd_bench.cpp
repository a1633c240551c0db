// Reading and writing SMD songs of 16 parts x 1,000 / 10,000 / 100,000 notes.
// Time must grow linearly with the number of notes.
#include "formats/smd/smd_reader.h"
#include "formats/smd/smd_writer.h"
#include "model/vocabulary.h"
#include "session/smd_files.h"
#include "support/big_song.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <random>

namespace pipora {
namespace {

using bench::MakeFile;
using bench::MakeSong;

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

// The reader alone: bytes to note lists, without the timing and score lists Open adds.
void BM_DecodeSmd(benchmark::State &state) {
  const QByteArray line = MakeFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    Result<SmdDocument> doc = DecodeSmd(line);
    if (!doc)
      state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(doc->song.part(16).count);
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
BENCHMARK(BM_DecodeSmd)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteSmd)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAndSaveFile)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace pipora

BENCHMARK_MAIN();
