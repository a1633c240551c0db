// Real-time playback cost and timing: a 60-second, 16-part song played through the
// recording output on the steady clock (lateness of every message against its due time,
// processor time of the process), then the built-in synthesizer's processor share and the
// SoundFont's load time.
//
// PIPORAPAD_BENCH_SECONDS shortens the song (default 60).
#include "model/song.h"
#include "model/vocabulary.h"
#include "platform/midi/fluidsynth/fluidsynth_engine.h"
#include "platform/midi/fluidsynth/fluidsynth_midi_backend.h"
#include "platform/midi/fluidsynth/fluidsynth_rendering_backend.h"
#include "platform/midi/recording/recording_midi_backend.h"
#include "playback/offline_song_renderer.h"
#include "playback/player.h"
#include "playback/precise_wake_timer.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace pipora {
namespace {

double BenchSeconds() {
  const char *text = std::getenv("PIPORAPAD_BENCH_SECONDS");
  const double seconds = text ? std::atof(text) : 60.0;
  return seconds > 0 ? seconds : 60.0;
}

double ProcessCpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto ms = [](const timeval &t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Sixteen parts with different rhythms (quarters to sixteenth triplets), no rests or ties,
// so that the messages of a part alternate note-on, note-off.
Song SixteenPartSong(double seconds) {
  Song song;
  const std::array<const char *, 7> lengths = {"8", "16", "4", "83", "163", "8", "43"};
  const double ticks = seconds * 1000.0 / song.msPerTick;
  for (int n = 1; n <= kUserParts; ++n) {
    Part &p = song.part(n);
    int tick = 0;
    for (int i = 0; tick < ticks; ++i) {
      const char *length = lengths[static_cast<std::size_t>((n + i / 4) % 7)];
      const int key = 48 + (n * 3 + i * 5) % 36;
      InsertNote(song, n, p.count, key, length, PitchNameOf(key));
      tick += LengthTicks(length);
    }
  }
  RecalcTimes(song);
  BuildScoreList(song);
  return song;
}

double Percentile(std::vector<double> values, double q) {
  if (values.empty())
    return 0;
  std::sort(values.begin(), values.end());
  const auto at = static_cast<std::size_t>(q * static_cast<double>(values.size() - 1));
  return values[at];
}

void BM_RealtimeRecordingOutput(benchmark::State &state) {
  const double seconds = BenchSeconds();
  for (auto _ : state) {
    Song song = SixteenPartSong(seconds);
    auto backend = std::make_unique<RecordingMidiBackend>(SteadyMsClock());
    RecordingMidiBackend *recorder = backend.get();
    MidiOutput midi(std::move(backend));
    HeadlessPlayerHost host(song);
    Player player(song, midi, host, SteadyMsClock(), std::make_unique<PreciseWakeTimer>(),
                  std::make_unique<PreciseWakeTimer>());
    player.setLoop(false);
    player.setFinishedHandler([] { QCoreApplication::quit(); });

    const double cpuBefore = ProcessCpuMs();
    const double wallBefore = SteadyNowMs();
    player.playAll();
    const double offset = player.run()->startOffset();
    const double msPerTick = player.msPerTick();
    QCoreApplication::exec();
    const double wall = SteadyNowMs() - wallBefore;
    const double cpu = ProcessCpuMs() - cpuBefore;

    // Due times: on of element k, off at the next element's previous gate end.
    std::array<int, kUserParts + 1> seen{};
    std::vector<double> lateness;
    for (const RecordedMidiEvent &e : recorder->messages()) {
      if (!e.isNoteOn() && !e.isNoteOff())
        continue;
      const int part = e.channel();
      const Part &p = song.part(part);
      const int k = seen[static_cast<std::size_t>(part)]++;
      const int element = k / 2;
      if (element >= p.count)
        continue; // the end-of-song release
      const auto &notes = p.notes;
      const double tick = e.isNoteOn() ? notes[static_cast<std::size_t>(element)].start
                                       : notes[static_cast<std::size_t>(element + 1)].prevGateEnd;
      lateness.push_back(e.timeMs - (tick * msPerTick + offset));
    }
    state.counters["messages"] = static_cast<double>(lateness.size());
    state.counters["late_p50_ms"] = Percentile(lateness, 0.50);
    state.counters["late_p99_ms"] = Percentile(lateness, 0.99);
    state.counters["late_max_ms"] = Percentile(lateness, 1.0);
    state.counters["late_min_ms"] = Percentile(lateness, 0.0);
    state.counters["cpu_ms"] = cpu;
    state.counters["cpu_share_pct"] = 100.0 * cpu / wall;
    state.SetIterationTime(wall / 1000.0);
  }
}
BENCHMARK(BM_RealtimeRecordingOutput)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// The floor under the player's figures: how late the system wakes a thread that sleeps
// until a given time, with nothing else to do.
void BM_SystemWakeLateness(benchmark::State &state) {
  for (auto _ : state) {
    std::vector<double> lateness;
    for (int i = 0; i < 400; ++i) {
      const auto target = std::chrono::steady_clock::now() + std::chrono::microseconds(7300);
      std::this_thread::sleep_until(target);
      lateness.push_back(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - target)
              .count());
    }
    state.counters["late_p50_ms"] = Percentile(lateness, 0.50);
    state.counters["late_p99_ms"] = Percentile(lateness, 0.99);
    state.counters["late_max_ms"] = Percentile(lateness, 1.0);
  }
}
BENCHMARK(BM_SystemWakeLateness)->Iterations(1)->Unit(benchmark::kSecond);

// The synthesizer does the same work whether its output goes to a sound card or a file:
// processor time to render the song divided by the song's length is its real-time share.
void BM_SynthesizerShare(benchmark::State &state) {
  const double seconds = BenchSeconds();
  for (auto _ : state) {
    Song song = SixteenPartSong(seconds);
    auto synth = CreateSoundFontRenderer({});
    if (!synth) {
      state.SkipWithError(synth.error().c_str());
      return;
    }
    const double cpuBefore = ProcessCpuMs();
    const RenderedSound sound = RenderSongOffline(song, std::move(*synth), {});
    const double cpu = ProcessCpuMs() - cpuBefore;
    const double audioMs =
        1000.0 * static_cast<double>(sound.samples.size() / 2) / sound.sampleRate;
    state.counters["audio_s"] = audioMs / 1000.0;
    state.counters["cpu_ms"] = cpu;
    state.counters["realtime_share_pct"] = 100.0 * cpu / audioMs;
  }
}
BENCHMARK(BM_SynthesizerShare)->Iterations(1)->Unit(benchmark::kSecond);

// Constructing the built-in output returns at once; the SoundFont loads on its own thread.
void BM_SoundFontLoad(benchmark::State &state) {
  for (auto _ : state) {
    const auto begin = std::chrono::steady_clock::now();
    FluidSynthMidiBackend backend;
    const double constructMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
    state.counters["construct_ms"] = constructMs;
    state.counters["load_ms"] = backend.loadMs();
  }
}
BENCHMARK(BM_SoundFontLoad)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace pipora

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
