#pragma once
// The program's frame: a multiple-document window holding the score editor, the source
// editor, the property window and the player panel. It owns the menus, start-up, the
// close sequence and the arrangement of the child windows (main_window_children.cpp,
// main_window_lifetime.cpp); file commands live in FileCommands, the menu tree in
// main_menus.cpp.
#include "settings/settings_store.h"
#include "views/app_context.h"
#include "views/main_menus.h"
#include "views/prompts.h"

#include <QHash>
#include <QMainWindow>
#include <QSize>

#include <memory>
#include <optional>

class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace pipora {

class FileCommands;
class ProblemListWindow;
class ImportReportWindow;
struct ImportReport;
class ScoreEditorWindow;
class SourceEditorWindow;
class PropertyWindow;
class PlayerPanel;
class PlayerWindowHost;
class PlayLine;

// Design layout of the frame.
inline constexpr QSize kDesignFrameSize(1024, 720);

class MainWindow : public QMainWindow {
  Q_OBJECT
public:
  // `prompts` answers file dialogs and questions; null means real dialogs.
  explicit MainWindow(AppContext &ctx, std::unique_ptr<Prompts> prompts = nullptr);
  ~MainWindow() override;

  AppContext &context() { return ctx_; }
  QMdiArea *mdiArea() const { return mdi_; }
  FileCommands &files() { return *files_; }
  Prompts &prompts() { return *prompts_; }

  // The four child windows, made by the frame and living as long as it.
  ScoreEditorWindow *scoreEditor() const { return score_; }
  SourceEditorWindow *sourceEditor() const { return source_; }
  PropertyWindow *propertyWindow() const { return props_; }
  PlayerPanel *playerPanel() const { return player_; }
  // True while the source editor's list has the keyboard focus: editing commands, find
  // and measure play then act on the source editor.
  bool editsGoToSourceList() const;

  // Every menu item's action.
  const MainActions &actions() const { return actions_; }
  // The menu action of an item name ("SaveItem"), or null: for the tests, which name items.
  QAction *action(const QString &itemName) const;
  QMenu *menu(const QString &menuName) const;

  // The sub-window frame that holds a child window (score editor, source editor ...).
  QMdiSubWindow *subWindowOf(const QWidget *child) const;
  // Shows or hides a child window and keeps its View menu item in step.
  void setChildVisible(QWidget *child, bool visible);
  bool isChildVisible(const QWidget *child) const;

  // Refills the source editor for a part, makes it current, shows the editor and gives
  // its list the focus. A part below 1 does nothing.
  void showPartInList(int part);
  // After the song was replaced (new, open, import, undo): property window, source
  // editor and score editor follow the song.
  void refreshViews();
  // Gives the focus to the child window the active-window setting names, else to the
  // score editor when it is visible.
  void focusActiveWindow(std::optional<WindowId> id);

  // Start-up after construction: settings, command line, the new song and the hand-over
  // file. Returns false when a step failed (its message has been shown).
  bool startUp(const QString &commandLine);
  // The exit command: asks about unsaved changes, then closes the frame.
  void exitCommand();
  // Ends the editor as closing the frame would, asking nothing (SIGTERM, SIGHUP): playback
  // stops, the settings are saved, and an unsaved song stays in its snapshot folder for
  // recovery at the next start.
  void closeWithoutQuestions();
  // The exit command's question; true when the program may end (close-confirmed flag).
  bool confirmExit();
  // The program may end without asking (a test taking its editor down).
  void confirmClose() { closeConfirmed_ = true; }
  // Window caption for the song's file name ("PiporaPad" or "path - PiporaPad"), marked
  // with a leading "*" while the song has unsaved changes.
  void updateCaption();

  // The list of what an SMD save would refuse, shown and brought up to date (a refused
  // save calls it).
  void showProblems();
  ProblemListWindow *problemList() const { return problems_; }
  // Puts the source editor and the score editor on element `element` of `part`: current
  // part, cursors and a one-note selection.
  void goToNote(int part, int element);
  // Edit menu "SMDに合わせる": mends what SMD cannot hold, as one undo step.
  void fitForSmd();
  // The problem list's "SMDに合わせる": the one problem at `element` of `part`, one undo step.
  void fitProblemForSmd(int part, int element);
  // After a MIDI import: what fitting the file to SMD parts did, beside the song.
  void showImportReport(const ImportReport &report);
  ImportReportWindow *importReport() const { return importReport_; }

  // Layout of the five windows to and from the settings record.
  void storeLayout(Settings &settings) const;
  void applyLayout(const Settings &settings);

  // Tile and cascade of the View menu.
  void tileWindows();
  void cascadeWindows();
  void showTimeMode(bool tick);
  // The player panel's display pressed: time and measure display change places.
  void togglePositionDisplay();
  // After the options dialog: the editors are listed and laid out again for the new options.
  void relayoutAfterOptions();

protected:
  void closeEvent(QCloseEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void createMenus();
  void connectCommands();
  // The session's options come from the settings; a replaced song refreshes the windows.
  void connectSession();
  void createChildren();
  QMdiSubWindow *addChild(QWidget *child, const QString &caption);
  void placeDesignLayout();
  // The size the property window and the player panel are made at; tiling keeps it.
  QSize naturalSize(const QWidget *child) const;
  void keepWindowsInReach();
  void onSubWindowActivated(QMdiSubWindow *sub);
  void refreshViewMenu();
  void refreshRecentMenu();
  void toggleChild(QWidget *child);
  void chooseSourceFont();
  QWidget *childWindow(std::optional<WindowId> id) const;
  void applyLoadedSettings(bool complete);

  AppContext &ctx_;
  MainActions actions_;
  QMdiArea *mdi_ = nullptr;
  std::unique_ptr<Prompts> prompts_;
  std::unique_ptr<FileCommands> files_;
  QWidget *activeChild_ = nullptr;
  // Set by the exit command when the program may end; child windows hide instead of
  // closing while it is false.
  bool closeConfirmed_ = false;
  ScoreEditorWindow *score_ = nullptr;
  SourceEditorWindow *source_ = nullptr;
  PropertyWindow *props_ = nullptr;
  PlayerPanel *player_ = nullptr;
  std::unique_ptr<PlayerWindowHost> playerHost_;
  std::unique_ptr<PlayLine> playLine_;
  ProblemListWindow *problems_ = nullptr;
  ImportReportWindow *importReport_ = nullptr;
  // A close that asks nothing is under way (closeWithoutQuestions).
  bool closingUnasked_ = false;
  SettingsStore settingsStore_{SettingsFilePath()};
  // Windows moved into view while the problem list is shown: their own place, and where
  // they were put.
  QHash<QMdiSubWindow *, QPair<QRect, QRect>> fittedForList_;
};

} // namespace pipora
