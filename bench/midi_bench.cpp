// Importing a 1 MB Standard MIDI File (112,000 notes over 16 channels, written by
// bench/make_big_smf.py) and exporting a 16 x 10,000-note song, side by side with midicsv
// turning the same file into text. Prints the ratio of our full import to midicsv.
#include "editing/fit_for_smd.h"
#include "formats/midi/smf_reader.h"
#include "formats/midi/smf_writer.h"
#include "formats/smd/smd_writer.h"
#include "model/vocabulary.h"
#include "session/midi_files.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <span>
#include <string>

namespace pipora {
namespace {

QTemporaryDir &WorkDir() {
  static QTemporaryDir dir;
  return dir;
}

const QString &BigFile() {
  static const QString path = [] {
    const QString out = WorkDir().filePath("big.mid");
    const auto script = std::filesystem::path(__FILE__).parent_path() / "make_big_smf.py";
    const std::string command = "python3 '" + script.string() + "' '" + out.toStdString() + "'";
    if (std::system(command.c_str()) != 0)
      std::abort();
    return out;
  }();
  return path;
}

QByteArray BigBytes() {
  QFile file(BigFile());
  if (!file.open(QIODevice::ReadOnly))
    std::abort();
  return file.readAll();
}

// The reader alone: every byte walked, every event logged, the note events only counted.
class CountingSink final : public NoteEventSink {
public:
  void ImportNoteEvent(int, int, int, std::int64_t) override { ++events; }
  void StartTrack() override {}
  std::int64_t events = 0;
};

void BM_ParseOnly(benchmark::State &state) {
  const QByteArray bytes = BigBytes();
  const std::span<const std::uint8_t> span(reinterpret_cast<const std::uint8_t *>(bytes.data()),
                                           static_cast<std::size_t>(bytes.size()));
  const MidiImportOptions options;
  for (auto _ : state) {
    Song song;
    CountingSink sink;
    SmfRead result = ReadSmf(span, song, sink, options);
    benchmark::DoNotOptimize(result.value.data());
    state.counters["events"] = static_cast<double>(sink.events);
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_ParseOnly)->Unit(benchmark::kMillisecond);

// Reading and fitting from memory: the import without file input and output.
void BM_ParseFromMemory(benchmark::State &state) {
  const QByteArray bytes = BigBytes();
  const std::span<const std::uint8_t> span(reinterpret_cast<const std::uint8_t *>(bytes.data()),
                                           static_cast<std::size_t>(bytes.size()));
  const MidiImportOptions options;
  for (auto _ : state) {
    Song song;
    EmptyPartsForImport(song);
    MidiImporter importer(song, options);
    SmfRead result = ReadSmf(span, song, importer, options);
    benchmark::DoNotOptimize(result.value.data());
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_ParseFromMemory)->Unit(benchmark::kMillisecond);

// A long silence crossed by many short or key-0 notes: the rests after the last note are
// cut again at every one of them, which must cost only the few pieces at the gap's end.
void BM_ManyEventsInLongGap(benchmark::State &state) {
  MidiImportOptions options;
  options.writeEventLog = false;
  for (auto _ : state) {
    Song song;
    EmptyPartsForImport(song);
    MidiImporter importer(song, options);
    std::int64_t t = 60'000'000;
    for (int i = 0; i < 20'000; ++i, t += 40)
      importer.ImportNoteEvent(1, 0, 100, t);
    benchmark::DoNotOptimize(song.part(1).count);
  }
}
BENCHMARK(BM_ManyEventsInLongGap)->Unit(benchmark::kMillisecond);

// The open-MIDI command's core: read the file, fit the notes, write pipora.log, rebuild lists.
void BM_ImportMidiFile(benchmark::State &state) {
  const QString path = BigFile();
  std::int64_t notes = 0;
  for (auto _ : state) {
    Song song;
    const Result<MidiImportReport> result = ImportMidiFile(song, path, {});
    if (!result)
      state.SkipWithError(result.error().c_str());
    else if (result->error)
      state.SkipWithError(result->error->text().c_str());
    notes = 0;
    for (int n = 1; n <= kUserParts; ++n)
      notes += song.part(n).count;
  }
  state.counters["elements"] = static_cast<double>(notes);
  state.SetBytesProcessed(state.iterations() * QFileInfo(path).size());
}
BENCHMARK(BM_ImportMidiFile)->Unit(benchmark::kMillisecond);

// A tempo map of N changes, every one a different rate ten ticks after the last, and one
// note: the whole import (reading, the speed choice by the tempo held longest, the report's
// tempo list, the event log in memory). Time per change stays flat as N doubles.
QByteArray TempoMapFile(std::int64_t changes) {
  QByteArray track;
  for (std::int64_t i = 0; i < changes; ++i) {
    const auto micros = static_cast<std::uint32_t>(400'000 + i);
    track += QByteArray("\x0A\xFF\x51\x03", 4);
    track += static_cast<char>(micros >> 16);
    track += static_cast<char>(micros >> 8);
    track += static_cast<char>(micros);
  }
  track += QByteArray("\x00\x90\x40\x64\x83\x60\x80\x40\x00\x00\xFF\x2F\x00", 13);
  QByteArray file("MThd\0\0\0\x06\0\0\0\x01\x01\xE0MTrk", 18);
  for (int shift = 24; shift >= 0; shift -= 8)
    file += static_cast<char>(track.size() >> shift);
  return file + track;
}

void BM_TempoMap(benchmark::State &state) {
  const QByteArray bytes = TempoMapFile(state.range(0));
  MidiImportOptions options;
  ImportReport report;
  for (auto _ : state) {
    report = {};
    options.report = &report;
    Report<Song> song = ImportMidiBytes(bytes, options);
    benchmark::DoNotOptimize(song.value.tempo);
  }
  state.counters["tempos"] = static_cast<double>(report.fileTempos.size());
  state.counters["s_per_change"] = benchmark::Counter(
      static_cast<double>(state.range(0)),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TempoMap)
    ->Arg(50'000)
    ->Arg(100'000)
    ->Arg(200'000)
    ->Arg(400'000)
    ->Unit(benchmark::kMillisecond);

double ChildrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// midicsv's own processor time (the machine may be busy with other work; wall time would
// measure that too), compared with our processor time for the same file.
void BM_MidicsvSameFile(benchmark::State &state) {
  const std::string command = "midicsv '" + BigFile().toStdString() + "' > /dev/null";
  for (auto _ : state) {
    const double before = ChildrenCpuSeconds();
    if (std::system(command.c_str()) != 0)
      state.SkipWithError("midicsv failed");
    state.SetIterationTime(ChildrenCpuSeconds() - before);
  }
  state.SetBytesProcessed(state.iterations() * QFileInfo(BigFile()).size());
}
BENCHMARK(BM_MidicsvSameFile)->Unit(benchmark::kMillisecond)->UseManualTime();

Song ExportSong() {
  Song song;
  std::mt19937 rng(11);
  const char *lengths[] = {"2", "4", "8", "16", "4_", "83", "83", "83"};
  for (int n = 1; n <= kUserParts; ++n)
    for (int i = 0; i < 10'000; ++i) {
      const int number = rng() % 9 == 0 ? 0 : 45 + static_cast<int>(rng() % 46);
      InsertNote(song, n, song.part(n).count, number, lengths[rng() % 8], PitchNameOf(number));
    }
  RecalcTimes(song);
  return song;
}

void BM_Export16x10000(benchmark::State &state) {
  const Song song = ExportSong();
  const QString path = WorkDir().filePath("export.mid");
  const VelocitySource velocities = RandomVelocitySource();
  for (auto _ : state)
    if (!ExportMidiFile(song, path, velocities).ok())
      state.SkipWithError("export failed");
}
BENCHMARK(BM_Export16x10000)->Unit(benchmark::kMillisecond);

// The stages of `piporapad-cli convert big.mid OUT`, one at a time, with the command line's
// import choices (chords spread, drums left out, no event log).
MidiImportOptions CliImportOptions() {
  MidiImportOptions options;
  options.writeEventLog = false;
  options.chords = ChordHandling::Spread;
  options.keepDrums = false;
  return options;
}

Song CliImportedSong() {
  const QByteArray bytes = BigBytes();
  Report<Song> imported = ImportMidiBytes(bytes, CliImportOptions());
  return std::move(imported.value);
}

void BM_CliImport(benchmark::State &state) {
  const QByteArray bytes = BigBytes();
  for (auto _ : state) {
    Report<Song> imported = ImportMidiBytes(bytes, CliImportOptions());
    benchmark::DoNotOptimize(imported.value.part(1).count);
  }
}
BENCHMARK(BM_CliImport)->Unit(benchmark::kMillisecond);

void BM_CliEncodeSmf(benchmark::State &state) {
  Song song = CliImportedSong();
  RecalcTimes(song);
  const VelocitySource velocities = RandomVelocitySource();
  for (auto _ : state) {
    const SmfFile smf = EncodeSmf(song, velocities, false);
    benchmark::DoNotOptimize(smf.bytes.data());
  }
}
BENCHMARK(BM_CliEncodeSmf)->Unit(benchmark::kMillisecond);

void BM_CliFit(benchmark::State &state) {
  const Song imported = CliImportedSong();
  for (auto _ : state) {
    state.PauseTiming();
    Song song = imported;
    state.ResumeTiming();
    benchmark::DoNotOptimize(FitForSmdInPlace(song).size());
  }
}
BENCHMARK(BM_CliFit)->Unit(benchmark::kMillisecond);

void BM_CliEncodeSmd(benchmark::State &state) {
  Song song = CliImportedSong();
  FitForSmdInPlace(song);
  for (auto _ : state) {
    const Result<QByteArray> smd = EncodeSmd(song);
    if (!smd)
      state.SkipWithError(smd.error().c_str());
    else
      benchmark::DoNotOptimize(smd->data());
  }
}
BENCHMARK(BM_CliEncodeSmd)->Unit(benchmark::kMillisecond);

// Console output plus the ratio the import is held to: ours / midicsv <= 1.0.
class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run> &runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs) {
      // Ours: processor time of this process; midicsv: its processor time (manual time).
      const bool manual = run.benchmark_name().ends_with("/manual_time");
      times_[run.benchmark_name()] = manual ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime();
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const auto ours = times_.find("BM_ImportMidiFile");
    const auto peer = times_.find("BM_MidicsvSameFile/manual_time");
    if (ours != times_.end() && peer != times_.end() && peer->second > 0)
      std::printf("import / midicsv processor time: %.2f ms / %.2f ms = %.2f (goal <= 1.0)\n",
                  ours->second, peer->second, ours->second / peer->second);
  }

private:
  std::map<std::string, double> times_;
};

} // namespace
} // namespace pipora

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  qputenv("PIPORAPAD_HOME", pipora::WorkDir().path().toUtf8());
  benchmark::Initialize(&argc, argv);
  pipora::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
