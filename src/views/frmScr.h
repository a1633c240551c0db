#pragma once
// The score editor window: the 16 parts as treble staves, edited from the keyboard.
// Draws the score lists (not the note lists): they are filled when the window is
// activated and written back when it is deactivated.
#include "editing/score_geometry.h"
#include "editing/score_keys.h"
#include "views/app_context.h"
#include "views/child_window.h"
#include "views/score_renderer.h"

#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>

class QPushButton;
class QScrollBar;

namespace pipora {

class ScoreSurface;

class frmScr : public ChildWindow {
  Q_OBJECT
public:
  explicit frmScr(AppContext &ctx, QWidget *parent = nullptr);
  ~frmScr() override;

  // The window's public values.
  std::int16_t w4 = kDefaultQuarterWidth;
  std::int16_t hch = kDefaultStaffDistance;
  std::int32_t mX = 0;
  std::int32_t mY = 0;
  bool isActive = false;
  bool isCursol = false;

  void scrResize();
  void drawNote();
  void DrawCursol();
  void DrawRect();

  void Form_Activate();
  void Form_Deactivate();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void Timer1_Timer();
  void Timer2_Timer();
  void Picture1_KeyDown(int keyCode, int shift);
  void Picture1_OLEDragDrop(const QStringList &files);

  // Undo and redo of the Edit menu, through the session.
  void Undo();
  void Redo();

  // Sounds a note of a part for the preview; silent until the player panel provides it.
  std::function<void(int part, int noteNumber)> previewNote;
  // Ends every sounding preview note when Timer2 fires.
  std::function<void()> endPreview;

  ScoreRenderer &renderer() { return renderer_; }
  const QImage &surfaceImage() const;
  ScoreSurface *surface() const { return picture1_; }
  QScrollBar *HScroll1() const { return hScroll1_; }
  QScrollBar *VScroll1() const { return vScroll1_; }
  // Repaints the surface after pixels were changed in its image (the play-position line).
  void updateSurface();
  ScrollRange horizontalRange() const { return hRange_; }
  ScrollRange verticalRange() const { return vRange_; }
  bool formActive() const { return formActive_; }
  // Reads w4, hch and the do-re-mi labels from the settings.
  void applySettings();

signals:
  // After every full redraw: the player draws its play-position line again.
  void redrawn();

protected:
  void resizeEvent(QResizeEvent *event) override;
  void showEvent(QShowEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void HScroll1_Change(int value);
  void VScroll1_Change(int value);
  void connectFrame();
  void layoutControls();
  ScoreViewState viewState() const;
  void hideMarks();
  void showMarks();
  void followCursor(int tick);
  void followPartVertically(int part);
  void setScrollValue(QScrollBar *bar, int value);
  void refreshFeedback();
  void zoomWidth(bool wider);
  void zoomHeight(bool wider);
  void applyZoom(QScrollBar *bar, const ScrollRange &range, int value);
  void runCommand(ScoreCommand command);
  void triggerItem(const char *name);
  void afterHistoryMove(const QString &snapshotPath, const Status &status);
  void showError(const QString &text, const QString &title = QString());
  bool playing() const { return ctx_.session.isPlaying(); }

  ScoreRenderer renderer_;
  ScoreSurface *picture1_;
  QScrollBar *hScroll1_;
  QScrollBar *vScroll1_;
  QPushButton *command1_;
  QPushButton *command2_;
  QPushButton *command3_;
  QPushButton *command4_;
  QTimer timer1_;
  QTimer timer2_;
  ScrollRange hRange_;
  ScrollRange vRange_;
  bool rectShown_ = false;
  bool formActive_ = false;
  bool settingsApplied_ = false; // the zoom of the settings file was taken
  bool following_ = false;       // a cursor follow is scrolling: its caller draws the marks
  QString caption_;
};

} // namespace pipora
