#pragma once
// The player's view of the windows: the property window's bars and tempo, the frame's
// menus, the score editor's play-position line and the source editor's selection. The
// position text and the playing state reach the player panel as session signals. The
// frame makes it once its windows exist.
#include "playback/player_host.h"
#include "views/app_context.h"

namespace pipora {

class PropertyWindow;
class SourceEditorWindow;

// The score editor's side of the play-position line (see PlayerHost for the meaning).
class PlayLineView {
public:
  virtual ~PlayLineView() = default;
  virtual void beginPlayLine() = 0;
  virtual int movePlayLine(int markerTick, int tick) = 0;
  virtual void restartPlayLine() = 0;
  virtual void endPlayLine(int markerTick) = 0;
};

class PlayerWindowHost : public PlayerHost {
public:
  PlayerWindowHost(AppContext &ctx, PropertyWindow &props, SourceEditorWindow &source)
      : ctx_(ctx), props_(props), source_(source) {}

  double barValue(int part) const override;
  void setBarValue(int part, int value) override;
  int barMaximum(int part) const override;
  void setBarMaximum(int part, int maximum) override;
  int program(int part) const override;
  std::optional<TempoChoice> selectedTempo() const override;
  void prepareNoteLists() override;
  void setPlayingLocks(bool playing) override;
  void showPosition(const std::string &text) override;
  void beginPlayLine() override;
  int movePlayLine(int markerTick, int tick) override;
  void restartPlayLine() override;
  void endPlayLine(int markerTick) override;
  bool isTick() const override { return ctx_.settings.isTick; }
  bool isPreview() const override { return ctx_.settings.isPreview; }
  int measurePlayPart() const override;
  int selectedSourceElement() const override;

  // The score editor's play-position line; null removes it.
  void setPlayLine(PlayLineView *view) { playLine_ = view; }

private:
  bool scoreActive() const;

  AppContext &ctx_;
  PropertyWindow &props_;
  SourceEditorWindow &source_;
  PlayLineView *playLine_ = nullptr;
};

} // namespace pipora
