// Importing a MusicXML score of about 1 MB against importing the same music as a Standard MIDI
// File: a random 16-part song is written both ways by our own exports, and each is imported
// from memory with the same options. The figure is the ratio of the two CPU times; the
// MusicXML import should stay under three times the MIDI import.
#include "formats/midi/smf_writer.h"
#include "model/vocabulary.h"
#include "session/midi_files.h"
#include "session/musicxml_files.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <random>

namespace pipora {
namespace {

// Sixteen parts of quarters, eighths, sixteenths, triplets and rests, enough notes for the
// score text to pass 1 MB.
const Song &BigSong() {
  static const Song song = [] {
    Song s;
    std::mt19937 random(1);
    constexpr std::array<const char *, 6> kCodes{"4", "8", "16", "83", "2", "8_"};
    for (int n = 1; n <= kUserParts; ++n)
      for (int i = 0; i < 330; ++i) {
        const char *code = kCodes[random() % kCodes.size()];
        const int repeats = IsTriplet(code) ? 3 : 1;
        const int key = random() % 6 == 0 ? 0 : 48 + static_cast<int>(random() % 36);
        for (int r = 0; r < repeats; ++r)
          InsertNote(s, n, s.part(n).count, key, code, PitchNameOf(key));
      }
    RecalcTimes(s);
    return s;
  }();
  return song;
}

const QByteArray &ScoreBytes() {
  static const QByteArray bytes = *MusicXmlExportBytes(BigSong(), false);
  return bytes;
}

const QByteArray &MidiBytes() {
  static const QByteArray bytes = EncodeSmf(BigSong(), [] { return 0.5; }).bytes;
  return bytes;
}

MidiImportOptions Options() {
  MidiImportOptions options;
  options.writeEventLog = false;
  options.chords = ChordHandling::Spread;
  return options;
}

void BM_ImportMidi(benchmark::State &state) {
  const QByteArray &bytes = MidiBytes();
  for (auto _ : state) {
    Report<Song> song = ImportMidiBytes(bytes, Options());
    benchmark::DoNotOptimize(song.value.part(1).count);
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_ImportMidi)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_ImportMusicXml(benchmark::State &state) {
  const QByteArray &bytes = ScoreBytes();
  for (auto _ : state) {
    Result<Report<Song>> song = ImportMusicXmlBytes(bytes, Options());
    benchmark::DoNotOptimize(song->value.part(1).count);
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_ImportMusicXml)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The same score compressed: the archive is unpacked first.
void BM_ImportMxl(benchmark::State &state) {
  static const QByteArray bytes = *MusicXmlExportBytes(BigSong(), true);
  for (auto _ : state) {
    Result<Report<Song>> song = ImportMusicXmlBytes(bytes, Options());
    benchmark::DoNotOptimize(song->value.part(1).count);
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_ImportMxl)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_ExportMusicXml(benchmark::State &state) {
  for (auto _ : state) {
    Result<QByteArray> bytes = MusicXmlExportBytes(BigSong(), false);
    benchmark::DoNotOptimize(bytes->size());
  }
}
BENCHMARK(BM_ExportMusicXml)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

} // namespace
} // namespace pipora

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
