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

class playpannel : public ChildWindow {
  Q_OBJECT
public:
  explicit playpannel(AppContext &ctx, QWidget *parent = nullptr);
  ~playpannel() override;

  Player &player();
  MidiOutput &midi();
  // The score editor's play-position line; null removes it.
  void setPlayLine(PlayLineView *view) { host_->setPlayLine(view); }
  // Gives the score editor its note preview and its play-position line. The score editor
  // is created after the panel, so this runs once the frame has built every child.
  void attachScoreEditor();

  // The panel's controls.
  QToolButton *PlayCommand = nullptr;
  QToolButton *StopCommand = nullptr;
  QLabel *Label1 = nullptr;

  // Label1 pressed: switches between the time and the measure display.
  void Label1_Click();
  void PlayCommand_MouseDown();
  void StopCommand_MouseDown();
  // Places the controls for an inner size in twips.
  void layoutForTwips(int widthTwips, int heightTwips);

protected:
  void resizeEvent(QResizeEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void connectMenu();
  void setButtons(bool playing);
  int twipsPerPixel() const;

  std::unique_ptr<PlayerWindowHost> host_;
  std::unique_ptr<PlayLine> playLine_;
};

} // namespace pipora
