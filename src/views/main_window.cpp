#include "views/main_window.h"

#include "editing/fit_for_smd.h"
#include "platform/files/file_io.h"
#include "platform/ui/fonts.h"
#include "playback/player.h"
#include "views/edit_commands.h"
#include "views/editor_settings_file.h"
#include "views/file_commands.h"
#include "views/help/manual.h"
#include "views/main_menus.h"
#include "views/options/options_dialog.h"
#include "views/player/player_panel.h"
#include "views/player_window_host.h"
#include "views/problems/import_report_window.h"
#include "views/problems/problem_list_window.h"
#include "views/prompts.h"
#include "views/property/property_window.h"
#include "views/score/play_line.h"
#include "views/score/score_editor_window.h"
#include "views/score/score_print_commands.h"
#include "views/source/source_editor_window.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>

namespace pipora {
namespace {

const QString kProgramName = QStringLiteral("PiporaPad");

} // namespace

MainWindow::MainWindow(AppContext &ctx, std::unique_ptr<Prompts> prompts)
    : ctx_(ctx), prompts_(prompts ? std::move(prompts) : std::make_unique<DialogPrompts>()) {
  setObjectName("mainWindow");
  setWindowTitle(kProgramName);
  ctx_.prompts = prompts_.get();
  // The windows connect to the menu items as they are made.
  createMenus();
  ctx_.actions = &actions_;
  ctx_.menus = &menus_;
  windows_ = std::make_unique<ChildWindowArea>(ctx_, *this, [this] { return closeConfirmed_; });
  resize(kDesignFrameSize);

  files_ = std::make_unique<FileCommands>(ctx_, *this);
  problems_ = new ProblemListWindow(ctx_.song, this);
  addDockWidget(Qt::BottomDockWidgetArea, problems_);
  problems_->hide();
  windows_->keepInReachOf(problems_);
  connect(problems_, &ProblemListWindow::problemActivated, this, &MainWindow::goToNote);
  connect(problems_, &ProblemListWindow::fitRequested, this, &MainWindow::fitProblemForSmd);
  settingsFile_ = std::make_unique<EditorSettingsFile>(ctx_, *windows_);
  connectChildren();
  connectCommands();
  connectSession();
  new EditCommands(ctx_, *this);
}

void MainWindow::connectChildren() {
  connect(windows_.get(), &ChildWindowArea::visibilityChanged, this, &MainWindow::refreshViewMenu);
  connect(windows_.get(), &ChildWindowArea::backgroundDoubleClicked, this,
          [this] { files_->dumpEventList(); });
  connect(sourceEditor(), &SourceEditorWindow::fileDropped, this,
          [this](const QString &path) { files_->openHandOver(path); });
  connect(scoreEditor(), &ScoreEditorWindow::fileDropped, this,
          [this](const QString &path) { files_->openHandOver(path); });
  connect(playerPanel(), &PlayerPanel::positionDisplayPressed, this,
          &MainWindow::togglePositionDisplay);
  // The player reaches the windows through the session: the host for the bars and the position
  // text, the play line on the score; the host also locks the menus while playing.
  playerHost_ = std::make_unique<PlayerWindowHost>(ctx_, *propertyWindow(), *sourceEditor());
  playLine_ = std::make_unique<PlayLine>(ctx_, *scoreEditor());
  ctx_.session.setPlayerView(playerHost_.get(), playLine_.get());
}

void MainWindow::connectSession() {
  EditorSession &session = ctx_.session;
  const Settings &settings = ctx_.settings;
  session.setOptionsSource([&settings] {
    DocumentOptions options;
    options.isSaveTone = settings.isSaveTone;
    options.isManyUndo = settings.isManyUndo;
    options.undoDiskBytes = qint64{settings.undoDiskMB} << 20;
    options.import.triplets = settings.is3;
    options.import.foldOctaves = settings.isAuto;
    options.import.chords = settings.midiChords;
    options.import.keepDrums = settings.midiKeepDrums;
    return options;
  });
  connect(&session, &EditorSession::recoveryUnavailable, this, [this](const QString &reason) {
    prompts().warning(
        this, QStringLiteral("取り消し履歴と復元用のファイルを書き込めません（") + reason +
                  QStringLiteral("）。\nこのまま異常終了すると、編集中の内容は復元できません。"));
  });
  connect(&session, &EditorSession::toneStoreUnavailable, this,
          [this](const QString &store, const QString &reason) {
            prompts().warning(this,
                              store + QLatin1Char('\n') + reason +
                                  QStringLiteral("\n音色の記録ファイルに書き込めません。曲ごと"
                                                 "の音色と楽譜の表示の設定は残りません。"));
          });
  connect(&session, &EditorSession::songReplaced, this, [this] {
    // Refilling the source editor activates it; the focus then returns to the window the
    // user was working in.
    const std::optional<WindowId> activeWindow = ctx_.settings.activeWindow;
    refreshViews();
    windows_->focusActiveWindow(activeWindow);
  });
  connect(&session, &EditorSession::pathChanged, this, &MainWindow::updateCaption);
  connect(&session, &EditorSession::dirtyChanged, this, &MainWindow::updateCaption);
  // Single-step undo made outside the score editor shows in the source editor.
  connect(&session, &EditorSession::notesChanged, this, [this](int part) {
    if (!scoreEditor()->windowActive())
      showPartInList(part);
  });
}

MainWindow::~MainWindow() {
  // The player reaches the windows through the session: it lets go before they are taken down.
  ctx_.session.setPlayerView(nullptr, nullptr);
  playerHost_.reset();
  playLine_.reset();
}

// --- menus -------------------------------------------------------------------------

void MainWindow::createMenus() {
  BuildMenuBar(*menuBar(), actions_, menus_);
  // The configurable keys beside their items, as the table has them when a menu opens.
  ShowShortcutKeys(actions_, ctx_.settings.shortcuts);
  for (QMenu *menu : {menus_.edit, menus_.play})
    connect(menu, &QMenu::aboutToShow, this,
            [this] { ShowShortcutKeys(actions_, ctx_.settings.shortcuts); });
  connect(menus_.view, &QMenu::aboutToShow, this, &MainWindow::refreshViewMenu);
  connect(menus_.file, &QMenu::aboutToShow, this, &MainWindow::refreshRecentMenu);
  refreshRecentMenu();
}

void MainWindow::refreshRecentMenu() {
  QMenu *recent = menus_.recent;
  recent->clear();
  const QStringList &paths = ctx_.settings.recentFiles.paths();
  for (int i = 0; i < paths.size(); ++i) {
    const QString path = paths[i];
    QString caption = path;
    caption.replace(u'&', QStringLiteral("&&"));
    QAction *item = recent->addAction(QStringLiteral("&%1 ").arg(i + 1) + caption);
    item->setObjectName(QStringLiteral("RecentFileItem%1").arg(i + 1));
    connect(item, &QAction::triggered, this, [this, path] { files_->openRecent(path); });
  }
  recent->setEnabled(!paths.isEmpty());
}

QAction *MainWindow::action(const QString &itemName) const {
  return menuBar()->findChild<QAction *>(itemName);
}

QMenu *MainWindow::menu(const QString &menuName) const {
  return menuBar()->findChild<QMenu *>(menuName);
}

void MainWindow::connectCommands() {
  FileCommands *f = files_.get();
  connect(actions_.newSong, &QAction::triggered, this, [f] { f->newSong(); });
  connect(actions_.open, &QAction::triggered, this, [f] { f->openSmd(); });
  connect(actions_.save, &QAction::triggered, this, [f] { f->saveSmd(); });
  connect(actions_.saveAs, &QAction::triggered, this, [f] { f->saveSmdAs(); });
  connect(actions_.openMidi, &QAction::triggered, this, [f] { f->openMidi(); });
  connect(actions_.saveMidi, &QAction::triggered, this, [f] { f->saveMidi(); });
  connect(actions_.saveMidiAs, &QAction::triggered, this, [f] { f->saveMidiAs(); });
  connect(actions_.exportMusicXml, &QAction::triggered, this, [f] { f->exportMusicXml(); });
  connect(actions_.printScore, &QAction::triggered, this,
          [this] { ScorePrintCommands(ctx_, *prompts_, this).print(); });
  connect(actions_.scorePdf, &QAction::triggered, this,
          [this] { ScorePrintCommands(ctx_, *prompts_, this).exportAs(ScoreFileFormat::Pdf); });
  connect(actions_.scoreSvg, &QAction::triggered, this,
          [this] { ScorePrintCommands(ctx_, *prompts_, this).exportAs(ScoreFileFormat::Svg); });
  connect(actions_.exit, &QAction::triggered, this, &MainWindow::exitCommand);
  connect(actions_.fitForSmd, &QAction::triggered, this, &MainWindow::fitForSmd);
  connect(actions_.showProblems, &QAction::triggered, this,
          [this] { problems_->isVisible() ? problems_->hide() : showProblems(); });

  connect(actions_.showScore, &QAction::triggered, this, [this] { toggleChild(scoreEditor()); });
  connect(actions_.showSource, &QAction::triggered, this, [this] { toggleChild(sourceEditor()); });
  connect(actions_.showProperty, &QAction::triggered, this,
          [this] { toggleChild(propertyWindow()); });
  connect(actions_.showPlayer, &QAction::triggered, this, [this] { toggleChild(playerPanel()); });
  connect(actions_.tile, &QAction::triggered, windows_.get(), &ChildWindowArea::tile);
  connect(actions_.cascade, &QAction::triggered, windows_.get(), &ChildWindowArea::cascade);
  connect(actions_.minutesMode, &QAction::triggered, this, [this] { showTimeMode(false); });
  connect(actions_.ticksMode, &QAction::triggered, this, [this] { showTimeMode(true); });
  // Display only: the score lays itself out again, the song stays as saved.
  connect(actions_.hideEmptyParts, &QAction::triggered, this, [this](bool on) {
    ScoreDisplay display = ctx_.song.display;
    display.hideEmptyParts = on;
    ctx_.session.setDisplay(display);
  });
  connect(actions_.sourceFont, &QAction::triggered, this, &MainWindow::chooseSourceFont);
  connect(actions_.options, &QAction::triggered, this,
          [this] { OptionsDialog(ctx_, *prompts_, this).exec(); });
  ConnectHelpItem(actions_.help, this, windows_->mdiArea());
  connect(actions_.about, &QAction::triggered, this, [this] { ShowAbout(this); });
}

void MainWindow::refreshViewMenu() {
  actions_.showScore->setChecked(windows_->isChildVisible(scoreEditor()));
  actions_.showSource->setChecked(windows_->isChildVisible(sourceEditor()));
  actions_.showProperty->setChecked(windows_->isChildVisible(propertyWindow()));
  actions_.showPlayer->setChecked(windows_->isChildVisible(playerPanel()));
  actions_.hideEmptyParts->setChecked(ctx_.song.display.hideEmptyParts);
}

void MainWindow::toggleChild(QWidget *child) {
  windows_->setChildVisible(child, !windows_->isChildVisible(child));
}

// --- what SMD cannot hold ----------------------------------------------------------

void MainWindow::showProblems() {
  problems_->show();
  problems_->raise();
  problems_->refresh();
}

void MainWindow::goToNote(int part, int element) {
  if (part < 1 || part > kUserParts || element < 0 || element > ctx_.song.part(part).count)
    return;
  sourceEditor()->bringForward(); // the score editor hands its lists back first
  ctx_.session.pointAtNote(part, element);
  showPartInList(part);
  scoreEditor()->showTick(ctx_.song.part(part).notes[static_cast<std::size_t>(element)].start);
}

void MainWindow::showImportReport(const ImportReport &report) {
  if (!importReport_) {
    importReport_ = new ImportReportWindow(this);
    // The editors keep the focus; the report is there to look at.
    importReport_->setAttribute(Qt::WA_ShowWithoutActivating);
  }
  importReport_->setReport(report, ctx_.song);
  importReport_->show();
  importReport_->raise();
}

void MainWindow::fitForSmd() {
  if (ctx_.session.fitForSmd() == 0) {
    if (!ctx_.session.isPlaying())
      prompts_->message(this, QStringLiteral("SMDに保存できない箇所はありません。"));
    return;
  }
  if (problems_->isVisible())
    problems_->refresh();
}

void MainWindow::fitProblemForSmd(int part, int element) {
  // Nothing to do when the problem went by another edit since the list was drawn.
  ctx_.session.fitProblemForSmd(part, element);
  problems_->refresh();
}

// --- source editor -----------------------------------------------------------------

bool MainWindow::editsGoToSourceList() const {
  return sourceEditor()->listHasFocus();
}

void MainWindow::showPartInList(int part) {
  if (part < 1)
    return;
  sourceEditor()->showPartInList(part);
}

void MainWindow::refreshViews() {
  propertyWindow()->loadFromSong();
  // Both lists are made current before any window changes hands: activating a window
  // converts one list into the other.
  ctx_.session.noteListsChanged();
  if (windows_->isChildVisible(sourceEditor())) {
    sourceEditor()->showPartInList(ctx_.song.currentPart);
    ctx_.session.refreshScoreLists();
  }
  scoreEditor()->relayoutMarked();
}

void MainWindow::updateCaption() {
  const QString file = FileNameFromBytes(QByteArray::fromStdString(ctx_.song.fileName));
  // Unsaved changes are marked at the front, where a long path cannot push the mark away.
  const QString mark = ctx_.session.isDirty() ? QStringLiteral("*") : QString();
  setWindowTitle(mark + (file.isEmpty() ? kProgramName : file + " - " + kProgramName));
}

// --- time display and options ---------------------------------------------------

void MainWindow::showTimeMode(bool tick) {
  ctx_.settings.isTick = tick;
  actions_.minutesMode->setChecked(!tick);
  actions_.ticksMode->setChecked(tick);
  ctx_.session.reportPositionText(sourceEditor()->positionTextForMenu());
}

void MainWindow::togglePositionDisplay() {
  const std::optional<WindowId> active = ctx_.settings.activeWindow;
  const bool sourceVisible = windows_->isChildVisible(sourceEditor());
  ctx_.session.syncNoteLists();
  // The source editor's location column follows the mode, so the mode changes first;
  // the check marks and the display text (minutes with a sign blank) come after the
  // relisting, which would otherwise overwrite the text.
  ctx_.settings.isTick = !ctx_.settings.isTick;
  showPartInList(ctx_.song.currentPart);
  windows_->setChildVisible(sourceEditor(), sourceVisible);
  QApplication::processEvents();
  showTimeMode(ctx_.settings.isTick);
  windows_->focusActiveWindow(active);
}

void MainWindow::relayoutAfterOptions() {
  const bool scoreActive =
      ctx_.session.editedLists() == EditedLists::Score && windows_->isChildVisible(scoreEditor());
  const bool sourceVisible = windows_->isChildVisible(sourceEditor());
  if (scoreActive || editsGoToSourceList()) {
    showPartInList(1);
    ctx_.session.refreshScoreLists();
    // The source editor keeps the visibility it had.
    if (!sourceVisible)
      windows_->setChildVisible(sourceEditor(), false);
  }
  scoreEditor()->relayoutMarked();
  if (scoreActive) {
    QApplication::processEvents();
    scoreEditor()->setFocus();
  }
}

void MainWindow::chooseSourceFont() {
  // The stored family may be a name the system only substitutes ("ＭＳ Ｐゴシック"): the
  // dialog opens on the family the list is really drawn with.
  const QFont preset = InstalledFontOf(sourceEditor()->sourceFont());
  QFont font = preset;
  if (!prompts_->chooseFont(this, font))
    return;
  SourceFont &f = ctx_.settings.sourceFont;
  f.size = font.pointSizeF();
  // An unchanged family keeps the stored name, which draws the same font.
  if (font.family() != preset.family())
    f.name = font.family();
  f.bold = font.bold();
  f.italic = font.italic();
  sourceEditor()->applyFont(f);
}

} // namespace pipora
