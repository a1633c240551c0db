#pragma once
// What the windows share: the editor session (the song, its undo history, file name and
// dirty flag, the player and the MIDI output), the settings, and the few things of the
// window layer that every window may use.
//
// Windows observe the session through its signals and change the document through its
// commands; they never reach into each other. The frame (`MainWindow`) creates its menus
// first, then the four child windows, each constructed as `Window(AppContext &, QWidget *)`,
// and wires what one window tells the others.
//   - menu commands: ctx.action(&MainActions::undo) returns the item's QAction; connect to
//     its triggered() signal; ctx.menu(&MainMenus::file) returns a menu. Without a frame
//     (a window tested alone) there is none.
//   - activation: the frame calls ChildWindow::activated() and deactivated().
#include "model/song.h"
#include "session/editor_session.h"
#include "settings/settings.h"
#include "views/main_menus.h"

#include <QString>

class QAction;
class QMenu;

namespace pipora {

class Prompts;

struct AppContext {
  AppContext(EditorSession &s, Settings &st) : session(s), song(s.song()), settings(st) {}

  EditorSession &session;
  // The session's song, for reading; windows change it through the session's commands.
  const Song &song;
  Settings &settings;

  // From the first start-up step until the first song exists; resize events wait for it.
  bool startingUp = true;
  // The frame's dialogs and questions (scripted in the tests).
  Prompts *prompts = nullptr;

  // The frame's menu items, set once it has built them; null without a frame.
  const MainActions *actions = nullptr;
  // The frame's action of that menu item, or null.
  QAction *action(QAction *MainActions::*item) const { return actions ? actions->*item : nullptr; }
  // The frame's menus, set with its actions; null without a frame.
  const MainMenus *menus = nullptr;
  QMenu *menu(QMenu *MainMenus::*which) const { return menus ? menus->*which : nullptr; }
};

} // namespace pipora
