// The score editor's two costs that users feel: a full redraw (scrolling, zooming, any edit)
// and typing a note (from the key to the redrawn surface, the undo snapshot included).
#include "../tests/ui/score_sample_song.h"
#include "editing/score_keys.h"
#include "platform/files/program_directory.h"
#include "score_drawing/score_renderer.h"
#include "session/editor_session.h"
#include "session/undo_history.h"

#include "engraving/engraving_layout.h"
#include "settings/settings.h"
#include "views/app_context.h"
#include "views/main_window.h"
#include "views/score/score_editor_window.h"
#include "views/score/score_surface.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QScrollBar>
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

// The editor's redraw, engraved: the sheet laid out once (as the window keeps it between
// redraws), 16 parts of state.range(0) notes each, the view in the song's middle. The time
// should not grow with the notes out of view.
void BM_Redraw(benchmark::State &state) {
  Song song = sample::LongSong(16, static_cast<int>(state.range(0)));
  QImage surface(kWidth, kHeight, QImage::Format_RGB32);
  ScoreViewState view;
  view.isDoReMi = true;
  const ScoreSheet sheet = Renderer().layOut(song, view);
  view.sheet = &sheet;
  const int end =
      song.part(1).score[static_cast<std::size_t>(song.part(1).scoreHeader.count)].start;
  for (auto _ : state) {
    view.scrollX = static_cast<int>(sheet.xOfTick(end / 2));
    Renderer().drawNote(surface, song, view);
    benchmark::DoNotOptimize(surface.constBits());
  }
}
BENCHMARK(BM_Redraw)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

// Laying out the whole sheet (spacing, rows, clefs, key), as after every edit.
void BM_LayOut(benchmark::State &state) {
  const Song song = sample::LongSong(16, static_cast<int>(state.range(0)));
  ScoreViewState view;
  view.isDoReMi = true;
  for (auto _ : state) {
    const ScoreSheet sheet = Renderer().layOut(song, view);
    benchmark::DoNotOptimize(sheet.endX());
  }
}
BENCHMARK(BM_LayOut)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Full redraw, engraved, of a 16-part song of state.range(0) notes per part, the view in its
// middle, with the sheet laid out afresh.
void BM_FullRedraw(benchmark::State &state) {
  Song song = sample::LongSong(16, static_cast<int>(state.range(0)));
  QImage surface(kWidth, kHeight, QImage::Format_RGB32);
  ScoreViewState view;
  view.isDoReMi = true;
  const int end =
      song.part(1).score[static_cast<std::size_t>(song.part(1).scoreHeader.count)].start;
  for (auto _ : state) {
    view.scrollX = end / 2 * view.quarterWidth / kTicksPerQuarter;
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
    view.scrollX = end / 2 * view.quarterWidth / kTicksPerQuarter;
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
  frame.childWindows().focusActiveWindow(WindowId::ScoreEditor);
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

// The frame with a 16 x 2,000-note song, the score editor's surface at 1200 x 800 and part 1's
// element 1000 in view; `element` gets the head of that element in the surface's pixels.
struct PointerRig {
  EditorSession session{ProgramDirectory()};
  Settings settings;
  AppContext ctx{session, settings};
  pipora::MainWindow frame{ctx};
  ScoreEditorWindow *score = nullptr;

  PointerRig() {
    settings.isPreview = false;
    frame.resize(1300, 1000);
    frame.startUp(QString());
    session.song() = sample::LongSong(16, 2000);
    frame.refreshViews();
    frame.childWindows().focusActiveWindow(WindowId::ScoreEditor);
    score = frame.scoreEditor();
    score->parentWidget()->resize(1200 + 20, 800 + 40);
    QApplication::processEvents();
    const QSize off = QSize(kWidth, kHeight) - score->surface()->size();
    score->parentWidget()->resize(score->parentWidget()->size() + off);
    QApplication::processEvents();
    session.song().part(1).scoreHeader.cursor = 1000;
    score->horizontalScrollBar()->setValue(
        session.song().part(1).score[1000].start * score->quarterWidth / 480 - 300);
  }
  int pitchBefore = 0;
  QPoint head(int element) const {
    EngravingView view;
    view.quarterWidth = score->quarterWidth;
    view.staffDistance = score->staffDistance;
    view.scrollX = score->scrollX;
    view.width = kWidth;
    const EngravingMetrics &m = score->renderer().metrics();
    for (const EngravedNote &n :
         LayOutPart(session.song(), 1, view, score->renderer().table(), m).notes)
      if (n.index == element)
        return {static_cast<int>(n.x + m.headLeft + m.headWidth / 2),
                PartTop(1, score->staffDistance, score->scrollY) + n.headCentre};
    return {};
  }
  void send(QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, score->surface()->mapToGlobal(at), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(score->surface(), &event);
  }
};

// A click on a note of that song: hit test, cursor, marks, caption and position text.
void BM_ClickInWindow(benchmark::State &state) {
  PointerRig rig;
  const QPoint a = rig.head(1000);
  const QPoint b = rig.head(1003);
  bool first = true;
  for (auto _ : state) {
    const QPoint at = first ? a : b;
    first = !first;
    rig.send(QEvent::MouseButtonPress, at, Qt::LeftButton);
    rig.send(QEvent::MouseButtonRelease, at, Qt::NoButton);
  }
}
BENCHMARK(BM_ClickInWindow)->Unit(benchmark::kMillisecond);

// One step of a head dragged up and down a semitone: the pitch changed and the whole surface
// redrawn.
void BM_PitchDragStepInWindow(benchmark::State &state) {
  PointerRig rig;
  int note = 1000; // a note, not a rest
  while (rig.session.song().part(1).score[static_cast<std::size_t>(note)].noteNumber <= 0)
    ++note;
  const QPoint at = rig.head(note);
  rig.pitchBefore = rig.session.song().part(1).score[static_cast<std::size_t>(note)].noteNumber;
  rig.send(QEvent::MouseButtonPress, at, Qt::LeftButton);
  int step = 0;
  for (auto _ : state) {
    ++step;
    rig.send(QEvent::MouseMove, at - QPoint(0, step % 2 == 1 ? 7 : 14), Qt::LeftButton);
  }
  // The head really moves: two semitones up, then four, from where it was.
  state.counters["pitch_change"] =
      rig.session.song().part(1).score[static_cast<std::size_t>(note)].noteNumber - rig.pitchBefore;
  rig.send(QEvent::MouseButtonRelease, at, Qt::NoButton);
}
BENCHMARK(BM_PitchDragStepInWindow)->Unit(benchmark::kMillisecond);

// One step of a selection dragged along the staff.
void BM_SelectDragStepInWindow(benchmark::State &state) {
  PointerRig rig;
  const QPoint from = rig.head(1000);
  const QPoint to[] = {rig.head(1001), rig.head(1002), rig.head(1003), rig.head(1004)};
  rig.send(QEvent::MouseButtonPress, from, Qt::LeftButton);
  int step = 0;
  for (auto _ : state)
    rig.send(QEvent::MouseMove, to[++step % 4], Qt::LeftButton);
  rig.send(QEvent::MouseButtonRelease, from, Qt::NoButton);
}
BENCHMARK(BM_SelectDragStepInWindow)->Unit(benchmark::kMillisecond);

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
