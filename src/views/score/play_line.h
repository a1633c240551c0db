#pragma once
// The play-position line across the score editor: a one-pixel vertical line drawn by
// inverting pixels, moved as the player reports ticks, scrolling the score a page at a time.
#include "playback/player_host.h"
#include "views/app_context.h"

#include <QObject>

#include <optional>

namespace pipora {

class ScoreEditorWindow;

class PlayLine : public QObject, public PlayLineView {
  Q_OBJECT
public:
  PlayLine(AppContext &ctx, ScoreEditorWindow &score);

  void beginPlayLine() override;
  int movePlayLine(int markerTick, int tick) override;
  void restartPlayLine() override;
  void endPlayLine(int markerTick) override;

  // x of a tick on the drawing surface for a horizontal offset.
  int lineX(int tick, int offset) const;
  std::optional<int> drawnX() const { return drawnX_; }

private:
  void invertAt(int x);
  void erase();
  void drawAtTick(int tick);
  // A full redraw of the score wiped the line; while playing it is drawn again.
  void onRedrawn();

  AppContext &ctx_;
  ScoreEditorWindow &score_;
  bool active_ = false;
  int markerTick_ = -10000;
  std::optional<int> drawnX_;
};

} // namespace pipora
