#pragma once
// What the windows share: the editor session (the song, its undo history, file name and
// dirty flag, the player and the MIDI output), the settings, the few flags of the window
// layer and the seams through which the windows reach each other and the frame.
//
// Wiring: the frame (`MainWindow`) creates its menus first, then the four child windows, each
// constructed as `Window(AppContext &, QWidget *parent)`. When a child's constructor runs,
// `frame` and the menu actions already exist, so a child can attach itself:
//   - menu commands: ctx.action("UndoItem2") returns the QAction named after the item;
//     connect to its triggered() signal. Items whose windows are not built stay inert.
//   - activation: connect to MainWindow::windowActivated / MainWindow::windowDeactivated.
//   - the hooks below: a child that provides a behaviour assigns the std::function in its
//     constructor; callers test for an empty function (it means "not available").
#include "model/song.h"
#include "session/editor_session.h"
#include "settings/settings.h"

#include <QString>

#include <functional>

class QAction;

namespace pipora {

class MainWindow;
class ScoreEditorWindow;
class SourceEditorWindow;
class PropertyWindow;
class PlayerPanel;

struct AppHooks {
  // --- provided by the score editor ---
  // Lay out and redraw after notes were changed elsewhere (source editor, file commands).
  std::function<void()> scoreRelayout;
  // Scroll the score so that the note starting at this tick comes into view.
  std::function<void(int startTick)> scoreShowTick;

  // --- provided by the player panel / player ---
  // Show a position text in the player panel's display.
  std::function<void(const QString &)> showPosition;
};

struct AppContext {
  AppContext(EditorSession &s, Settings &st) : session(s), song(s.song()), settings(st) {}

  EditorSession &session;
  // The session's song, which the windows read and edit in place.
  Song &song;
  Settings &settings;

  // From the first start-up step until the first song exists; resize events wait for it.
  bool startingUp = true;
  // Set by the exit command when the program may end; child windows hide instead of
  // closing while it is false.
  bool closeConfirmed = false;
  // A file name from the command line or a drop: the open commands use it instead of
  // asking with a file dialog, and clear it afterwards.
  QString handOverFileName;
  // True while the source editor's list has the keyboard focus: editing commands and find
  // then act on the source editor.
  bool listHasFocus = false;
  // True while the property window is active: Delete then acts on its title box.
  bool propertyActive = false;

  // The windows, set by the frame as it creates them.
  pipora::MainWindow *frame = nullptr;
  ScoreEditorWindow *score = nullptr;
  SourceEditorWindow *source = nullptr;
  PropertyWindow *props = nullptr;
  PlayerPanel *player = nullptr;

  AppHooks hooks;

  // The frame's menu action of that item name ("AllPlayItem"), or null.
  QAction *action(const char *itemName) const;
};

} // namespace pipora
