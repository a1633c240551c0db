#pragma once
// The program's frame: a multiple-document window holding the score editor, the source
// editor, the property window and the player panel. It owns the menus, start-up and the
// close sequence (main_window_lifetime.cpp), and wires what one window tells the others;
// the child windows and their arrangement live in ChildWindowArea, pipora.ini's reading
// and writing in EditorSettingsFile, file commands in FileCommands, the menu tree in
// main_menus.cpp.
#include "views/app_context.h"
#include "views/child_window_area.h"
#include "views/main_menus.h"
#include "views/prompts.h"

#include <QMainWindow>

#include <memory>

class QMenu;

namespace pipora {

class EditorSettingsFile;
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

class MainWindow : public QMainWindow {
  Q_OBJECT
public:
  // `prompts` answers file dialogs and questions; null means real dialogs.
  explicit MainWindow(AppContext &ctx, std::unique_ptr<Prompts> prompts = nullptr);
  ~MainWindow() override;

  AppContext &context() { return ctx_; }
  FileCommands &files() { return *files_; }
  Prompts &prompts() { return *prompts_; }

  // The MDI area with the four child windows, which live as long as the frame.
  ChildWindowArea &childWindows() const { return *windows_; }
  ScoreEditorWindow *scoreEditor() const { return windows_->scoreEditor(); }
  SourceEditorWindow *sourceEditor() const { return windows_->sourceEditor(); }
  PropertyWindow *propertyWindow() const { return windows_->propertyWindow(); }
  PlayerPanel *playerPanel() const { return windows_->playerPanel(); }
  // True while the source editor's list has the keyboard focus: editing commands, find
  // and measure play then act on the source editor.
  bool editsGoToSourceList() const;

  // Every menu item's action.
  const MainActions &actions() const { return actions_; }
  // The menu action of an item name ("SaveItem"), or null: for the tests, which name items.
  QAction *action(const QString &itemName) const;
  QMenu *menu(const QString &menuName) const;

  // Refills the source editor for a part, makes it current, shows the editor and gives
  // its list the focus. A part below 1 does nothing.
  void showPartInList(int part);
  // After the song was replaced (new, open, import, undo): property window, source
  // editor and score editor follow the song.
  void refreshViews();

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

  void showTimeMode(bool tick);
  // The player panel's display pressed: time and measure display change places.
  void togglePositionDisplay();
  // After the options dialog: the editors are listed and laid out again for the new options.
  void relayoutAfterOptions();

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  void createMenus();
  void connectCommands();
  // The session's options come from the settings; a replaced song refreshes the windows.
  void connectSession();
  // What one child window tells the others, and the player's view of them.
  void connectChildren();
  void refreshViewMenu();
  void refreshRecentMenu();
  void toggleChild(QWidget *child);
  void chooseSourceFont();
  void applyLoadedSettings(bool complete);

  AppContext &ctx_;
  MainActions actions_;
  MainMenus menus_;
  std::unique_ptr<Prompts> prompts_;
  std::unique_ptr<FileCommands> files_;
  // Set by the exit command when the program may end; child windows hide instead of
  // closing while it is false.
  bool closeConfirmed_ = false;
  std::unique_ptr<ChildWindowArea> windows_;
  std::unique_ptr<EditorSettingsFile> settingsFile_;
  std::unique_ptr<PlayerWindowHost> playerHost_;
  std::unique_ptr<PlayLine> playLine_;
  ProblemListWindow *problems_ = nullptr;
  ImportReportWindow *importReport_ = nullptr;
  // A close that asks nothing is under way (closeWithoutQuestions).
  bool closingUnasked_ = false;
};

} // namespace pipora
