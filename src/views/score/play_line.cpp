#include "views/score/play_line.h"

#include "playback/midi_output.h"
#include "score_drawing/raster_ops.h"
#include "views/score/score_editor_window.h"
#include "views/score/score_surface.h"

#include <QScrollBar>

namespace pipora {

namespace {
// The line leaves this many pixels before the right edge; a page scroll keeps 96 of the
// old page in view.
constexpr int kRightMargin = 49;
constexpr int kPageOverlap = 96;
constexpr int kLeftInset = 6;
} // namespace

PlayLine::PlayLine(AppContext &ctx, ScoreEditorWindow &score) : ctx_(ctx), score_(score) {
  connect(&score_, &ScoreEditorWindow::redrawn, this, &PlayLine::onRedrawn);
}

int PlayLine::lineX(int tick, int offset) const {
  return RoundHalfEven(score_.sheet().xOfTick(tick)) - offset + kLeftInset;
}

void PlayLine::invertAt(int x) {
  QImage &image = score_.surface()->image();
  InvertRect(image, QRect(x, 0, 1, image.height()));
  score_.updateSurface();
}

void PlayLine::erase() {
  if (drawnX_)
    invertAt(*drawnX_);
  drawnX_.reset();
}

void PlayLine::drawAtTick(int tick) {
  if (!ctx_.settings.showCursor)
    return;
  const int x = lineX(tick, score_.horizontalScrollBar()->value());
  invertAt(x);
  drawnX_ = x;
}

void PlayLine::beginPlayLine() {
  active_ = true;
  markerTick_ = -10000;
  drawnX_.reset();
  if (score_.cursorShown)
    score_.drawCursor();
  const int part = std::clamp<int>(ctx_.song.part(1).scoreHeader.partNumber, 1, 16);
  if (ctx_.song.part(part).scoreHeader.selLength > 0) {
    score_.drawSelection();
    ctx_.changeMarks([part](Song &song) { song.part(part).scoreHeader.selLength = 0; });
  }
}

int PlayLine::movePlayLine(int /*markerTick*/, int tick) {
  erase();
  markerTick_ = tick;
  const int width = score_.surface()->scoreSize().width();
  QScrollBar *scroll = score_.horizontalScrollBar();
  if (lineX(tick, scroll->value()) < width - kRightMargin) {
    drawAtTick(tick);
    return markerTick_;
  }
  // The scroll repaints the score, which wipes the line.
  if (scroll->maximum() >= scroll->value() + width - kPageOverlap) {
    markerTick_ = -1000;
    scroll->setValue(scroll->value() + width - kPageOverlap);
  } else {
    scroll->setValue(scroll->maximum());
    drawAtTick(tick);
  }
  return markerTick_;
}

void PlayLine::restartPlayLine() {
  erase();
  // The line comes back at the next step, at the start of the song.
  markerTick_ = -1000;
  score_.horizontalScrollBar()->setValue(score_.horizontalScrollBar()->minimum());
}

void PlayLine::endPlayLine(int /*markerTick*/) {
  erase();
  active_ = false;
}

void PlayLine::onRedrawn() {
  drawnX_.reset();
  if (active_ && markerTick_ >= 0)
    drawAtTick(markerTick_);
}

} // namespace pipora
