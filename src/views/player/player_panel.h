#pragma once
// The player panel: a play button, a stop button and the position display. It attaches
// the windows to the session's player: the bars, menus and play line, the play menu's
// commands and the score editor's note preview.
#include "views/child_window.h"
#include "views/player_window_host.h"

#include <memory>

class QLabel;
class QToolButton;

namespace pipora {

class MidiOutput;
class Player;
class PlayLine;

class PlayerPanel : public ChildWindow {
  Q_OBJECT
public:
  explicit PlayerPanel(AppContext &ctx, QWidget *parent = nullptr);
  ~PlayerPanel() override;

  Player &player();
  MidiOutput &midi();
  // The score editor's play-position line; null removes it.
  void setPlayLine(PlayLineView *view) { host_->setPlayLine(view); }
  // Gives the score editor its note preview and its play-position line. The score editor
  // is created after the panel, so this runs once the frame has built every child.
  void attachScoreEditor();

  QToolButton *playButton() const { return playButton_; }
  QToolButton *stopButton() const { return stopButton_; }
  // The play position as time or measure.
  QLabel *positionLabel() const { return positionLabel_; }

  // The position label pressed: switches between the time and the measure display.
  void togglePositionDisplay();
  void pressPlay();
  void pressStop();
  // Places the controls for an inner size in design units (1/1440 inch).
  void layoutForDesignSize(int designWidth, int designHeight);

protected:
  void resizeEvent(QResizeEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void connectMenu();
  void setButtons(bool playing);
  int designUnitsPerPixel() const;

  QToolButton *playButton_ = nullptr;
  QToolButton *stopButton_ = nullptr;
  QLabel *positionLabel_ = nullptr;
  std::unique_ptr<PlayerWindowHost> host_;
  std::unique_ptr<PlayLine> playLine_;
};

} // namespace pipora
