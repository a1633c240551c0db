#pragma once
// The frame's menu tree as data: menus with their items, captions and accelerators, and the
// typed menus and actions the tree fills in when it is built into the menu bar.
#include "model/virtual_keys.h"

#include <span>

class QAction;
class QMenu;
class QMenuBar;

namespace pipora {

// Every menu item's action, set when the frame builds its menus. The object names stay for
// the stored key names and the tests.
struct MainActions {
  QAction *newSong = nullptr;        // NewItem
  QAction *open = nullptr;           // OpenItem
  QAction *save = nullptr;           // SaveItem
  QAction *saveAs = nullptr;         // SaveAsItem
  QAction *openMidi = nullptr;       // OpenMidiItem
  QAction *saveMidi = nullptr;       // SaveMidiItem
  QAction *saveMidiAs = nullptr;     // SaveAsMidiItem
  QAction *exportSmaf = nullptr;     // SmafItem
  QAction *exportMusicXml = nullptr; // MusicXmlExportItem, in the export submenu
  QAction *printScore = nullptr;     // PrintScoreItem
  QAction *scorePdf = nullptr;       // ScorePdfItem
  QAction *scoreSvg = nullptr;       // ScoreSvgItem
  QAction *exit = nullptr;           // ExitItem
  QAction *undoGrayed = nullptr;     // UndoItem
  QAction *undo = nullptr;           // UndoItem2
  QAction *redo = nullptr;           // RedoItem
  QAction *cut = nullptr;            // CutItem
  QAction *copy = nullptr;           // CopyItem
  QAction *paste = nullptr;          // PasteItem
  QAction *remove = nullptr;         // DeleteItem
  QAction *selectAll = nullptr;      // AllItem
  QAction *find = nullptr;           // FindItem
  QAction *findNext = nullptr;       // NextFindItem
  QAction *semitoneUp = nullptr;     // UpItem
  QAction *semitoneDown = nullptr;   // DownItem
  QAction *longer = nullptr;         // LongItem
  QAction *shorter = nullptr;        // ShortItem
  QAction *octaveUp = nullptr;       // oUpItem
  QAction *octaveDown = nullptr;     // oDownItem
  QAction *tie = nullptr;            // TieItem
  QAction *halveAll = nullptr;       // FastItem
  QAction *doubleAll = nullptr;      // SlowItem
  QAction *fitForSmd = nullptr;      // FitForSmdItem
  QAction *playAll = nullptr;        // AllPlayItem
  QAction *playSolo = nullptr;       // SoloPlayItem
  QAction *playMeasure = nullptr;    // MeasurePlayItem
  QAction *stopPlay = nullptr;       // StopPlayItem
  QAction *showScore = nullptr;      // ShowScrItem
  QAction *showSource = nullptr;     // ShowSrcItem
  QAction *showProperty = nullptr;   // ShowPropertyItem
  QAction *showPlayer = nullptr;     // ShowPlaypannelItem
  QAction *showProblems = nullptr;   // ShowProblemsItem
  QAction *tile = nullptr;           // HorizonItem
  QAction *cascade = nullptr;        // CascadeItem
  QAction *minutesMode = nullptr;    // minuteItem
  QAction *ticksMode = nullptr;      // tickItem
  QAction *narrowNotes = nullptr;    // NarrowNoteItem
  QAction *widenNotes = nullptr;     // ExtendNoteItem
  QAction *narrowStaves = nullptr;   // NarrowChItem
  QAction *widenStaves = nullptr;    // ExtendChItem
  QAction *hideEmptyParts = nullptr; // HideEmptyPartsItem
  QAction *sourceFont = nullptr;     // FontItem
  QAction *options = nullptr;        // ToneItem
  QAction *help = nullptr;           // HelpItem
  QAction *about = nullptr;          // AboutItem
};

// Every menu of the bar, set when the frame builds them; object names as for the actions.
struct MainMenus {
  QMenu *file = nullptr;    // FileMenu
  QMenu *edit = nullptr;    // EditMenu
  QMenu *play = nullptr;    // PlayMenu
  QMenu *view = nullptr;    // ViewMenu
  QMenu *help = nullptr;    // HelpMenu
  QMenu *recent = nullptr;  // RecentMenu: the recent files, in the File menu above 終了
  QMenu *exports = nullptr; // ExportMenu: the other file kinds a song is written as
};

struct MenuItemRow {
  const char *name;              // QAction objectName; null for a separator
  const char *caption;           // with & before the access key
  const char *shortcut;          // QKeySequence text, or null
  QAction *MainActions::*action; // where the built action is kept
};

struct MenuRow {
  const char *name;
  const char *caption;
  std::span<const MenuItemRow> items;
  QMenu *MainMenus::*menu; // where the built menu is kept
};

std::span<const MenuRow> MenuTree();

// A menu item that a configurable key of the shortcut table runs in the score editor.
struct ShortcutItem {
  ShortCutAction key;
  QAction *MainActions::*action;
};
std::span<const ShortcutItem> ShortcutItems();

// Each of those items shows its key from `table` beside its caption. The score editor
// dispatches these keys itself (a space or a letter also goes into the title box and the
// source editor), so the shortcut answers only inside its own menu, where no key reaches it.
void ShowShortcutKeys(const MainActions &actions, const ShortCutTable &table);

// Builds the tree into `bar`, filling `actions` and `menus`; the recent files' submenu is
// made empty.
void BuildMenuBar(QMenuBar &bar, MainActions &actions, MainMenus &menus);

} // namespace pipora
