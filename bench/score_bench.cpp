// The score editor's two costs that users feel: a full redraw (scrolling, zooming, any edit)
// and typing a note (from the key to the redrawn surface, the undo snapshot included).
#include "../tests/ui/score_sample_song.h"
#include "editing/score_keys.h"
#include "platform/files/program_directory.h"
#include "session/editor_session.h"
#include "session/undo_history.h"
#include "views/score/score_renderer.h"

#include "settings/settings.h"
#include "views/app_context.h"
#include "views/main_window.h"
#include "views/score/score_editor_window.h"
#include "views/score/score_surface.h"

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace pipora {
namespace {

constexpr int kWidth = 1200;
constexpr int kHeight = 800;

const ScoreRenderer &Renderer() {
  static const ScoreRenderer renderer;
  return renderer;
}

// Full redraw, engraved, of a 16-part song of state.range(0) notes per part, the view in its
// middle.
void BM_FullRedraw(benchmark::State &state) {
  Song song = sample::LongSong(16, static_cast<int>(state.range(0)));
  QImage surface(kWidth, kHeight, QImage::Format_RGB32);
  ScoreViewState view;
  view.isDoReMi = true;
  const int end =
      song.part(1).score[static_cast<std::size_t>(song.part(1).scoreHeader.count)].start;
  for (auto _ : state) {
    view.scrollX = end / 2 * view.quarterWidth / 480;
    Renderer().drawNote(surface, song, view);
    benchmark::DoNotOptimize(surface.constBits());
  }
}
BENCHMARK(BM_FullRedraw)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

// The same with one glyph per note (the classic look).
void BM_FullRedrawClassic(benchmark::State &state) {
  Song song = sample::LongSong(16, static_cast<int>(state.range(0)));
  QImage surface(kWidth, kHeight, QImage::Format_RGB32);
  ScoreViewState view;
  view.isDoReMi = true;
  view.isClassicScore = true;
  const int end =
      song.part(1).score[static_cast<std::size_t>(song.part(1).scoreHeader.count)].start;
  for (auto _ : state) {
    view.scrollX = end / 2 * view.quarterWidth / 480;
    Renderer().drawNote(surface, song, view);
    benchmark::DoNotOptimize(surface.constBits());
  }
}
BENCHMARK(BM_FullRedrawClassic)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

// A letter typed in the middle of part 1 of a 16 x 2,000-note song: the key handler
// (note lists rebuilt both ways), the full redraw and the undo snapshot written to disk.
void BM_NoteEntry(benchmark::State &state) {
  Song song = sample::LongSong(16, 2000);
  QImage surface(kWidth, kHeight, QImage::Format_RGB32);
  QTemporaryDir home;
  UndoHistory history(home.path());
  ScoreViewState view;
  view.isDoReMi = true;
  const StaffLabelTable table = DefaultStaffLabels();
  song.part(1).scoreHeader.cursor = 1000;
  // Keep the song savable: every note inside 45..90 and triplets complete.
  for (auto _ : state) {
    const ScoreKeyOutcome out = HandleScoreKey(song, 'E', 0, {}, table);
    view.scrollX = song.part(1).score[1000].start * view.quarterWidth / 480 - 300;
    Renderer().drawNote(surface, song, view);
    if (out.snapshot)
      history.takeSnapshot(song, !out.noteListsCurrent, false);
    benchmark::DoNotOptimize(surface.constBits());
  }
  state.counters["snapshots"] = history.undoIndex() + 1;
}
BENCHMARK(BM_NoteEntry)->Unit(benchmark::kMillisecond);

// The parts of a note entry on their own: the key handler, and the snapshot.
void BM_NoteEntryKeyOnly(benchmark::State &state) {
  Song song = sample::LongSong(16, 2000);
  const StaffLabelTable table = DefaultStaffLabels();
  song.part(1).scoreHeader.cursor = 1000;
  for (auto _ : state)
    benchmark::DoNotOptimize(HandleScoreKey(song, 'E', 0, {}, table));
}
BENCHMARK(BM_NoteEntryKeyOnly)->Unit(benchmark::kMillisecond);

void BM_Snapshot(benchmark::State &state) {
  Song song = sample::LongSong(16, 2000);
  QTemporaryDir home;
  UndoHistory history(home.path());
  for (auto _ : state)
    history.takeSnapshot(song, state.range(0) != 0, false);
  state.counters["snapshots"] = history.undoIndex() + 1;
}
BENCHMARK(BM_Snapshot)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same through the real window: the score editor's key handler with its relayout, redraw,
// cursor, caption and snapshot, inside the frame.
void BM_NoteEntryInWindow(benchmark::State &state) {
  EditorSession session(ProgramDirectory());
  Song &song = session.song();
  Settings settings;
  settings.isPreview = false;
  AppContext ctx(session, settings);
  pipora::MainWindow frame(ctx);
  frame.resize(1300, 1000);
  frame.startUp(QString());
  song = sample::LongSong(16, 2000);
  frame.refreshViews();
  frame.focusActiveWindow(WindowId::ScoreEditor);
  ScoreEditorWindow &score = *frame.scoreEditor();
  score.parentWidget()->resize(1200 + 20, 800 + 40);
  QApplication::processEvents();
  // Bring the drawing surface itself to 1200 x 800.
  const QSize off = QSize(kWidth, kHeight) - score.surface()->size();
  score.parentWidget()->resize(score.parentWidget()->size() + off);
  QApplication::processEvents();
  song.part(1).scoreHeader.cursor = 1000;
  for (auto _ : state)
    score.handleKey('E', 0);
  state.counters["surface_w"] = score.surface()->width();
  state.counters["surface_h"] = score.surface()->height();
}
BENCHMARK(BM_NoteEntryInWindow)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace pipora

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
