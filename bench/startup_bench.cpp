// Start-up of the editor with a 16 x 2,000-note song: the editor is started as a user
// starts it (a new process, FILE on the command line), shows its frame, opens the song,
// and exits as soon as the interface is idle (--offscreen-start-and-quit). Goal: under
// 400 ms from process start to idle.
//
// Reported per run: wall time of the whole process (start to exit) as the benchmark's
// time, and the editor's own figure from main() to idle as the counter "to_idle_ms".
#include "formats/smd/smd_writer.h"
#include "model/vocabulary.h"
#include "session/smd_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace pipora {
namespace {

constexpr int kParts = 16;
constexpr int kNotesPerPart = 2000;

// Notes in the middle octave window with all four plain lengths.
Song MakeSong() {
  Song song;
  song.title = "start-up";
  const int scale[] = {60, 62, 64, 65, 67, 69, 71, 72};
  const char *lengths[] = {"4", "8", "8", "16", "16", "2", "4", "8"};
  for (int n = 1; n <= kParts; ++n) {
    Part &p = song.part(n);
    p.notes.clear();
    for (int i = 0; i < kNotesPerPart; ++i) {
      NoteEntry e;
      e.noteNumber = static_cast<std::int16_t>(scale[(i + n) % 8]);
      e.length = lengths[i % 8];
      e.pitch = PitchNameOf(e.noteNumber);
      p.notes.push_back(e);
    }
    p.count = kNotesPerPart;
    p.notes.push_back(MakeEndMarker());
  }
  RecalcTimes(song);
  return song;
}

QString EditorPath() {
  return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath("../src/piporapad");
}

void BM_StartUpToIdle(benchmark::State &state) {
  QTemporaryDir home;
  const QString song = home.filePath("startup.smd");
  Song s = MakeSong();
  if (!SaveSmdFile(s, song, false).ok()) {
    state.SkipWithError("cannot write the song");
    return;
  }
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("PIPORAPAD_HOME", home.path());
  env.insert("QT_QPA_PLATFORM", "offscreen");
  double toIdleTotal = 0;
  for (auto _ : state) {
    QProcess editor;
    editor.setProcessEnvironment(env);
    QElapsedTimer wall;
    wall.start();
    editor.start(EditorPath(), {"--offscreen-start-and-quit", song});
    if (!editor.waitForFinished(30000) || editor.exitCode() != 0) {
      state.SkipWithError("the editor did not start and quit");
      return;
    }
    state.SetIterationTime(static_cast<double>(wall.nsecsElapsed()) / 1e9);
    const QString out = QString::fromLocal8Bit(editor.readAllStandardOutput());
    const QString expected = QString("notes %1").arg(kParts * kNotesPerPart);
    if (!out.contains(expected)) {
      state.SkipWithError("the song was not loaded");
      return;
    }
    const qsizetype at = out.indexOf("startup-ms ");
    toIdleTotal += out.mid(at + 11).section('\n', 0, 0).toDouble();
  }
  state.counters["to_idle_ms"] =
      benchmark::Counter(toIdleTotal, benchmark::Counter::kAvgIterations);
}

BENCHMARK(BM_StartUpToIdle)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace pipora

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
