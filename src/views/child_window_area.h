#pragma once
// The frame's working area: the four child windows in their sub-window frames, which of
// them shows and which is active, tile and cascade, keeping them in reach of a window docked
// below, and their layout (with the frame's own) to and from the settings record.
#include "settings/settings.h"
#include "views/app_context.h"

#include <QHash>
#include <QObject>
#include <QPair>
#include <QRect>
#include <QSize>

#include <functional>
#include <optional>

class QMainWindow;
class QMdiArea;
class QMdiSubWindow;

namespace pipora {

class ScoreEditorWindow;
class SourceEditorWindow;
class PropertyWindow;
class PlayerPanel;

// Design layout of the frame.
inline constexpr QSize kDesignFrameSize(1024, 720);

class ChildWindowArea : public QObject {
  Q_OBJECT
public:
  // Makes the MDI area the frame's central widget and the four windows in it, laid out as
  // designed; the menus must exist (the windows connect to their items). A child window's
  // close box only hides it unless `mayClose` says the program is ending.
  ChildWindowArea(AppContext &ctx, QMainWindow &frame, std::function<bool()> mayClose);

  QMdiArea *mdiArea() const { return mdi_; }
  // The four windows, living as long as the frame.
  ScoreEditorWindow *scoreEditor() const { return score_; }
  SourceEditorWindow *sourceEditor() const { return source_; }
  PropertyWindow *propertyWindow() const { return props_; }
  PlayerPanel *playerPanel() const { return player_; }

  // The sub-window frame that holds a child window (score editor, source editor ...).
  QMdiSubWindow *subWindowOf(const QWidget *child) const;
  // Shows (and activates) or hides a child window.
  void setChildVisible(QWidget *child, bool visible);
  bool isChildVisible(const QWidget *child) const;
  // Gives the focus to the child window `id` names, else to the score editor when it is
  // visible.
  void focusActiveWindow(std::optional<WindowId> id);

  // The View menu's tile and cascade.
  void tile();
  void cascade();
  // A window docked below the area (the problem list) takes height from it while shown.
  void keepInReachOf(const QWidget *dock) { dock_ = dock; }

  // Layout of the frame and the four windows to and from the settings record.
  void storeLayout(Settings &settings) const;
  void applyLayout(const Settings &settings);

signals:
  // A child window was shown or hidden (the View menu's check marks follow).
  void visibilityChanged();
  // A double click on the area's background, outside every window.
  void backgroundDoubleClicked();

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  QMdiSubWindow *addChild(QWidget *child, const QString &caption);
  void placeDesignLayout();
  // The size the property window and the player panel are made at; tiling keeps it.
  QSize naturalSize(const QWidget *child) const;
  void keepWindowsInReach();
  void onSubWindowActivated(QMdiSubWindow *sub);
  QWidget *childWindow(std::optional<WindowId> id) const;

  AppContext &ctx_;
  QMainWindow &frame_;
  std::function<bool()> mayClose_;
  QMdiArea *mdi_ = nullptr;
  ScoreEditorWindow *score_ = nullptr;
  SourceEditorWindow *source_ = nullptr;
  PropertyWindow *props_ = nullptr;
  PlayerPanel *player_ = nullptr;
  QWidget *activeChild_ = nullptr;
  const QWidget *dock_ = nullptr;
  // Windows moved into view while the dock is shown: their own place, and where they were
  // put.
  QHash<QMdiSubWindow *, QPair<QRect, QRect>> fittedForDock_;
};

} // namespace pipora
