#pragma once
// The pointer on the score editor's surface. A click makes the part current and puts the
// cursor before the nearest element; a drag along a staff or a Shift+click selects; a head
// dragged up or down changes its pitch (Alt: by octaves), one undo step at the release; a
// double-click plays from the note (measure play); the right button opens a menu of the
// editing commands; the wheel scrolls (Shift: sideways; Ctrl: zooms the whole score); the
// pointer resting on a note shows its pitch, length and place in a tooltip.
#include "editing/score_pointer.h"
#include "engraving/score_hit_test.h"

#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

class QContextMenuEvent;
class QMouseEvent;
class QWheelEvent;

namespace pipora {

struct AppContext;
class ScoreEditorWindow;
class ScoreSurface;

class ScoreMouse : public QObject {
  Q_OBJECT
public:
  ScoreMouse(AppContext &ctx, ScoreEditorWindow &window, ScoreSurface &surface);

  // The text the pointer's note shows, "" when it rests on none.
  const QString &hoverText() const { return hoverText_; }
  // The context menu while it is open.
  QMenu *contextMenu() const { return menu_; }

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void press(const QMouseEvent &event);
  void move(const QMouseEvent &event);
  void release();
  void doubleClick(const QMouseEvent &event);
  void openMenu(const QContextMenuEvent &event);
  void wheel(QWheelEvent &event);
  void hover(const QMouseEvent &event);
  void startGesture(QPoint at);
  bool isNote(const ScoreHit &hit) const;

  enum class Gesture { None, Pressed, Selecting, DraggingPitch };

  AppContext &ctx_;
  ScoreEditorWindow &window_;
  ScoreSurface &surface_;
  Gesture gesture_ = Gesture::None;
  QPoint pressAt_; // in the image's pixels
  bool altAtPress_ = false;
  ScoreHit pressHit_;
  ScorePitchDrag drag_;
  QString hoverText_;
  QPointer<QMenu> menu_;
};

} // namespace pipora
