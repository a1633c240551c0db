#pragma once
// The player's view of the windows: the property window's bars and tempo, the frame's
// menus, the player panel's buttons and display, the score editor's play-position line
// and the source editor's selection.
#include "playback/player_host.h"
#include "views/app_context.h"

#include <functional>

namespace pipora {

// The score editor's side of the play-position line (see PlayerHost for the meaning).
// The score editor installs it with PlayerPanel::setPlayLine.
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
  explicit PlayerWindowHost(AppContext &ctx) : ctx_(ctx) {}

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

  void setPlayLine(PlayLineView *view) { playLine_ = view; }
  // The panel's buttons follow the player.
  void setButtonsHandler(std::function<void(bool playing)> handler) {
    buttons_ = std::move(handler);
  }

private:
  bool scoreActive() const;

  AppContext &ctx_;
  PlayLineView *playLine_ = nullptr;
  std::function<void(bool)> buttons_;
};

} // namespace pipora
