#pragma once
// The player panel: a play button, a stop button and the position display, which shows
// the position the session reports. The play menu's commands start and stop the player.
#include "views/child_window.h"

class QLabel;
class QToolButton;

namespace pipora {

class MidiOutput;
class Player;

class PlayerPanel : public ChildWindow {
  Q_OBJECT
public:
  explicit PlayerPanel(AppContext &ctx, QWidget *parent = nullptr);

  Player &player();
  MidiOutput &midi();
  void activated() override;

  QToolButton *playButton() const { return playButton_; }
  QToolButton *stopButton() const { return stopButton_; }
  // The play position as time or measure.
  QLabel *positionLabel() const { return positionLabel_; }

  void pressPlay();
  void pressStop();
  // Places the controls for an inner size in design units (1/1440 inch).
  void layoutForDesignSize(int designWidth, int designHeight);

signals:
  // The position label pressed: the frame switches between the time and the measure display.
  void positionDisplayPressed();

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
};

} // namespace pipora
