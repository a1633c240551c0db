#pragma once
// The score editor window: the 16 parts as treble staves, edited from the keyboard.
// Draws the score lists (not the note lists): they are filled when the window is
// activated and written back when it is deactivated.
#include "editing/score_geometry.h"
#include "editing/score_keys.h"
#include "engraving/score_hit_test.h"
#include "score_drawing/score_renderer.h"
#include "views/app_context.h"
#include "views/child_window.h"

#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QPushButton;
class QScrollBar;

namespace pipora {

class ScoreMouse;
class ScoreSurface;

class ScoreEditorWindow : public ChildWindow {
  Q_OBJECT
public:
  explicit ScoreEditorWindow(AppContext &ctx, QWidget *parent = nullptr);

  // Zoom in pixels, scroll offsets of the surface, and the blinking cursor's state.
  std::int16_t quarterWidth = kDefaultQuarterWidth;
  std::int16_t staffDistance = kDefaultStaffDistance;
  std::int32_t scrollX = 0;
  std::int32_t scrollY = 0;
  bool isActive = false;
  bool cursorShown = false;

  // Scroll ranges for the song and the window's size, then a full redraw.
  void relayoutScore();
  void drawNote();
  // Both invert their area: a second call takes the mark away again.
  void drawCursor();
  void drawSelection();

  void onActivated();
  void onDeactivated();
  void activated() override { onActivated(); }
  void deactivated() override { onDeactivated(); }
  // Lays out and redraws after notes were changed elsewhere, the marks kept as they were.
  void relayoutMarked();
  // Scrolls the score so that the note starting at this tick comes into view.
  void showTick(int tick);
  // The zoom buttons: notes wider or narrower, staves further apart or closer.
  void zoomIn();
  void zoomOut();
  void spreadStaves();
  void tightenStaves();
  // The cursor blinks; a previewed note ends after half a second.
  void onBlinkTimeout();
  void onPreviewTimeout();
  // A key pressed on the surface (Windows virtual key code, shift state 1/2/4).
  void handleKey(int keyCode, int shift);
  // A change the pointer makes to the score lists, carried out and followed up as a key's
  // (marks, redraw, snapshot, preview, feedback, menu command). Ignored while playing.
  void editByPointer(const std::function<ScoreKeyOutcome(Song &)> &edit);
  // A key's or the pointer's change of the score lists, run on the session's song.
  ScoreKeyOutcome runKey(int keyCode, int shift, const ScoreKeyOptions &options);
  ScoreKeyOutcome runOnSong(const std::function<ScoreKeyOutcome(Song &)> &change);
  // What lies under a point of the surface's image, from the layout the drawing uses.
  ScoreHit hitAt(QPoint scorePoint) const;
  // The same within one part, wherever the point is vertically (a drag stays in its part).
  ScoreHit hitInPart(int part, QPoint scorePoint) const;
  ScoreMouse *mouse() const { return mouse_; }
  // The whole score larger (+1), smaller (-1) or at its own size (0); kept in the settings.
  void zoomScore(int direction);
  int scorePercent() const { return scorePercent_; }
  void openDroppedFiles(const QStringList &files);

  // Undo and redo of the Edit menu, through the session.
  void Undo();
  void Redo();

  ScoreRenderer &renderer() { return renderer_; }
  const QImage &surfaceImage() const;
  ScoreSurface *surface() const { return surface_; }
  QScrollBar *horizontalScrollBar() const { return hScrollBar_; }
  QScrollBar *verticalScrollBar() const { return vScrollBar_; }
  // Repaints the surface after pixels were changed in its image (the play-position line).
  void updateSurface();
  ScrollRange horizontalRange() const { return hRange_; }
  // Where the score puts every element and part, as last laid out (surface x = sheet x -
  // scrollX, surface y = sheet y - scrollY).
  const ScoreSheet &sheet() const { return sheet_; }
  ScrollRange verticalRange() const { return vRange_; }
  bool windowActive() const { return windowActive_; }
  // Reads quarterWidth, staffDistance and the do-re-mi labels from the settings.
  void applySettings();

signals:
  // After every full redraw: the player draws its play-position line again.
  void redrawn();
  // A file dropped on the score: the frame opens it by its extension.
  void fileDropped(const QString &path);

protected:
  void resizeEvent(QResizeEvent *event) override;
  void showEvent(QShowEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void onHorizontalScroll(int value);
  void onVerticalScroll(int value);
  void connectMenu();
  void layoutControls();
  ScoreViewState viewState() const;
  void hideMarks();
  void showMarks();
  void followCursor(int tick);
  ScrollRange horizontalRangeFor(int surfaceWidth) const;
  void followPartVertically(int part);
  void setScrollValue(QScrollBar *bar, int value);
  void refreshFeedback();
  void layOutSheet();
  void zoomWidth(bool wider);
  void zoomHeight(bool wider);
  void applyZoom(QScrollBar *bar, const ScrollRange &range, int value);
  void runCommand(ScoreCommand command);
  void finishEdit(const ScoreKeyOutcome &out);
  ScoreHitView hitView() const;
  void applyScorePercent(int percent);
  void triggerItem(QAction *MainActions::*name);
  void afterHistoryMove(const QString &snapshotPath, const Status &status);
  bool playing() const { return ctx_.session.isPlaying(); }

  ScoreRenderer renderer_;
  ScoreSheet sheet_;
  std::optional<std::uint64_t> sheetInputs_; // what sheet_ was laid out from
  ScoreSurface *surface_;
  ScoreMouse *mouse_;
  int scorePercent_ = kDefaultScorePercent;
  QScrollBar *hScrollBar_;
  QScrollBar *vScrollBar_;
  QPushButton *zoomInButton_;
  QPushButton *zoomOutButton_;
  QPushButton *spreadStavesButton_;
  QPushButton *tightenStavesButton_;
  QTimer blinkTimer_;
  QTimer previewTimer_;
  ScrollRange hRange_;
  ScrollRange vRange_;
  bool rectShown_ = false;
  bool windowActive_ = false;
  bool settingsApplied_ = false; // the zoom of the settings file was taken
  bool following_ = false;       // a cursor follow is scrolling: its caller draws the marks
  QString caption_;
};

} // namespace pipora
