#include "views/main_window.h"

#include "editing/fit_for_smd.h"
#include "model/file_messages.h"
#include "platform/ui/fonts.h"
#include "playback/player.h"
#include "settings/settings_store.h"
#include "views/edit_commands.h"
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
#include "views/source/source_editor_window.h"
#include "views/window_arrangement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

#include <cmath>

namespace pipora {
namespace {

const QString kProgramName = QStringLiteral("PiporaPad");

// Design layout of the frame.
constexpr QSize kDesignFrameSize(1024, 720);
// The property window's width and the player panel's side as the design lays them out.
constexpr int kPropertyDesignWidth = 380;
constexpr int kPanelDesignSize = 100;

QSize CurrentScreenSize() {
  const QScreen *screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().size() : QSize(1920, 1080);
}

} // namespace

QAction *AppContext::action(const char *itemName) const {
  return menuBar ? menuBar->findChild<QAction *>(QString::fromLatin1(itemName)) : nullptr;
}

MainWindow::MainWindow(AppContext &ctx, std::unique_ptr<Prompts> prompts)
    : ctx_(ctx), prompts_(prompts ? std::move(prompts) : std::make_unique<DialogPrompts>()) {
  setObjectName("mainWindow");
  setWindowTitle(kProgramName);
  ctx_.menuBar = menuBar();
  ctx_.prompts = prompts_.get();
  mdi_ = new QMdiArea(this);
  mdi_->setObjectName("MDIClient");
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->viewport()->installEventFilter(this);
  setCentralWidget(mdi_);
  resize(kDesignFrameSize);

  files_ = std::make_unique<FileCommands>(ctx_, *this);
  problems_ = new ProblemListWindow(ctx_.song, this);
  addDockWidget(Qt::BottomDockWidgetArea, problems_);
  problems_->hide();
  connect(problems_, &ProblemListWindow::problemActivated, this, &MainWindow::goToNote);
  connect(problems_, &ProblemListWindow::fitRequested, this, &MainWindow::fitProblemForSmd);
  createMenus();
  createChildren();
  connectCommands();
  connectSession();
  new EditCommands(ctx_, *this);
  connect(mdi_, &QMdiArea::subWindowActivated, this, &MainWindow::onSubWindowActivated);
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
  connect(&session, &EditorSession::songReplaced, this, [this] {
    // Refilling the source editor activates it; the focus then returns to the window the
    // user was working in.
    const std::optional<WindowId> activeWindow = ctx_.settings.activeWindow;
    refreshViews();
    focusActiveWindow(activeWindow);
  });
  connect(&session, &EditorSession::pathChanged, this, &MainWindow::updateCaption);
  connect(&session, &EditorSession::dirtyChanged, this, &MainWindow::updateCaption);
  // Single-step undo made outside the score editor shows in the source editor.
  connect(&session, &EditorSession::notesChanged, this, [this](int part) {
    if (!score_->windowActive())
      showPartInList(part);
  });
}

MainWindow::~MainWindow() {
  // The MDI area outlives this object's body and reports activations while its children
  // are torn down; nothing of the frame may answer them any more.
  disconnect(mdi_, nullptr, this, nullptr);
  // The player reaches the windows through the host: it lets go before they are taken down.
  ctx_.session.setPlayerView(nullptr);
  playerHost_.reset();
  playLine_.reset();
}

// --- menus -------------------------------------------------------------------------

void MainWindow::createMenus() {
  for (const MenuRow &row : MenuTree()) {
    QMenu *m = menuBar()->addMenu(QString::fromUtf8(row.caption));
    m->setObjectName(QString::fromLatin1(row.name));
    for (const MenuItemRow &item : row.items) {
      if (!item.name) {
        m->addSeparator();
        continue;
      }
      QAction *a = m->addAction(QString::fromUtf8(item.caption));
      a->setObjectName(QString::fromLatin1(item.name));
      if (item.shortcut)
        a->setShortcut(QKeySequence(QString::fromLatin1(item.shortcut)));
    }
  }
  // The two items that carry no action are shown grayed.
  action("UndoItem")->setEnabled(false);
  action("SmafItem")->setEnabled(false);
  for (const char *name : {"ShowScrItem", "ShowSrcItem", "ShowPropertyItem", "ShowPlaypannelItem",
                           "minuteItem", "tickItem", "HideEmptyPartsItem"})
    action(name)->setCheckable(true);
  action("minuteItem")->setChecked(true);
  connect(menu("ViewMenu"), &QMenu::aboutToShow, this, &MainWindow::refreshViewMenu);

  // The recent files, above the separator before 終了.
  QMenu *file = menu("FileMenu");
  auto *recent = new QMenu(QStringLiteral("最近使ったファイル(&R)"), file);
  recent->setObjectName("RecentMenu");
  recent->menuAction()->setObjectName("RecentMenu");
  const QList<QAction *> fileItems = file->actions();
  file->insertMenu(fileItems.at(fileItems.indexOf(action("ExitItem")) - 1), recent);
  file->insertSeparator(recent->menuAction());
  connect(file, &QMenu::aboutToShow, this, &MainWindow::refreshRecentMenu);
  refreshRecentMenu();
}

void MainWindow::refreshRecentMenu() {
  QMenu *recent = menu("RecentMenu");
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
  connect(action("NewItem"), &QAction::triggered, this, [f] { f->newSong(); });
  connect(action("OpenItem"), &QAction::triggered, this, [f] { f->openSmd(); });
  connect(action("SaveItem"), &QAction::triggered, this, [f] { f->saveSmd(); });
  connect(action("SaveAsItem"), &QAction::triggered, this, [f] { f->saveSmdAs(); });
  connect(action("OpenMidiItem"), &QAction::triggered, this, [f] { f->openMidi(); });
  connect(action("SaveMidiItem"), &QAction::triggered, this, [f] { f->saveMidi(); });
  connect(action("SaveAsMidiItem"), &QAction::triggered, this, [f] { f->saveMidiAs(); });
  connect(action("ExitItem"), &QAction::triggered, this, &MainWindow::exitCommand);
  connect(action("FitForSmdItem"), &QAction::triggered, this, &MainWindow::fitForSmd);
  connect(action("ShowProblemsItem"), &QAction::triggered, this,
          [this] { problems_->isVisible() ? problems_->hide() : showProblems(); });

  connect(action("ShowScrItem"), &QAction::triggered, this, [this] { toggleChild(score_); });
  connect(action("ShowSrcItem"), &QAction::triggered, this, [this] { toggleChild(source_); });
  connect(action("ShowPropertyItem"), &QAction::triggered, this, [this] { toggleChild(props_); });
  connect(action("ShowPlaypannelItem"), &QAction::triggered, this,
          [this] { toggleChild(player_); });
  connect(action("HorizonItem"), &QAction::triggered, this, &MainWindow::tileWindows);
  connect(action("CascadeItem"), &QAction::triggered, this, &MainWindow::cascadeWindows);
  connect(action("minuteItem"), &QAction::triggered, this, [this] { showTimeMode(false); });
  connect(action("tickItem"), &QAction::triggered, this, [this] { showTimeMode(true); });
  // Display only: the score lays itself out again, the song stays as saved.
  connect(action("HideEmptyPartsItem"), &QAction::triggered, this, [this](bool on) {
    ctx_.song.display.hideEmptyParts = on;
    ctx_.session.reportSongChange();
  });
  connect(action("FontItem"), &QAction::triggered, this, &MainWindow::chooseSourceFont);
  connect(action("ToneItem"), &QAction::triggered, this,
          [this] { OptionsDialog(ctx_, *prompts_, this).exec(); });
  ConnectHelpItem(action("HelpItem"), this);
  connect(action("AboutItem"), &QAction::triggered, this, [this] { ShowAbout(this); });
}

void MainWindow::refreshViewMenu() {
  action("ShowScrItem")->setChecked(isChildVisible(score_));
  action("ShowSrcItem")->setChecked(isChildVisible(source_));
  action("ShowPropertyItem")->setChecked(isChildVisible(props_));
  action("ShowPlaypannelItem")->setChecked(isChildVisible(player_));
  action("HideEmptyPartsItem")->setChecked(ctx_.song.display.hideEmptyParts);
}

void MainWindow::toggleChild(QWidget *child) {
  setChildVisible(child, !isChildVisible(child));
}

// --- what SMD cannot hold ----------------------------------------------------------

void MainWindow::showProblems() {
  problems_->show();
  problems_->raise();
  problems_->refresh();
}

void MainWindow::goToNote(int part, int element) {
  Song &song = ctx_.song;
  if (part < 1 || part > kUserParts || element < 0 || element > song.part(part).count)
    return;
  source_->bringForward(); // the score editor hands its lists back first
  song.currentPart = part;
  Part &p = song.part(part);
  p.cursor = element;
  p.scoreHeader.cursor = element;
  p.scoreHeader.selStart = element;
  p.scoreHeader.selLength = 1;
  showPartInList(part);
  score_->showTick(p.notes[static_cast<std::size_t>(element)].start);
  ctx_.session.reportSongChange();
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

// --- child windows -----------------------------------------------------------------

QMdiSubWindow *MainWindow::addChild(QWidget *child, const QString &caption) {
  QMdiSubWindow *sub = mdi_->addSubWindow(child);
  sub->setObjectName(child->objectName() + "Frame");
  sub->setWindowTitle(caption);
  child->setWindowTitle(caption);
  // Child windows hide instead of closing (eventFilter).
  sub->setAttribute(Qt::WA_DeleteOnClose, false);
  sub->installEventFilter(this);
  return sub;
}

void MainWindow::createChildren() {
  // The order decides the initial stacking: the score editor ends on top.
  player_ = new PlayerPanel(ctx_, nullptr);
  addChild(player_, "Player");
  props_ = new pipora::PropertyWindow(ctx_, nullptr);
  addChild(props_, "PropertyWindow");
  source_ = new SourceEditorWindow(ctx_, nullptr);
  addChild(source_, "SourceEditor");
  score_ = new ScoreEditorWindow(ctx_, nullptr);
  addChild(score_, "ScoreEditor");
  placeDesignLayout();

  // What one window tells the others goes through the frame.
  connect(source_, &SourceEditorWindow::fileDropped, this,
          [this](const QString &path) { files_->openHandOver(path); });
  connect(score_, &ScoreEditorWindow::fileDropped, this,
          [this](const QString &path) { files_->openHandOver(path); });
  connect(player_, &PlayerPanel::positionDisplayPressed, this, &MainWindow::togglePositionDisplay);
  // The player reaches the windows through the host: bars, menus, the play-position line.
  playerHost_ = std::make_unique<PlayerWindowHost>(ctx_, *props_, *source_);
  playLine_ = std::make_unique<PlayLine>(ctx_, *score_);
  playerHost_->setPlayLine(playLine_.get());
  ctx_.session.setPlayerView(playerHost_.get());
}

QSize MainWindow::naturalSize(const QWidget *child) const {
  if (child == props_)
    return {kPropertyDesignWidth, pipora::PropertyWindow::designHeight()};
  if (child == player_)
    return {kPanelDesignSize, kPanelDesignSize};
  return subWindowOf(child)->size();
}

void MainWindow::placeDesignLayout() {
  const QSize area = mdi_->viewport()->size().isValid() && mdi_->viewport()->width() > 100
                         ? mdi_->viewport()->size()
                         : kDesignFrameSize - QSize(8, 60);
  const int propWidth = kPropertyDesignWidth;
  const int propHeight = pipora::PropertyWindow::designHeight();
  const int panel = kPanelDesignSize;
  subWindowOf(score_)->setGeometry(0, 0, area.width() - propWidth, area.height() * 3 / 5);
  subWindowOf(source_)->setGeometry(0, area.height() * 3 / 5, area.width() - propWidth,
                                    area.height() * 2 / 5);
  subWindowOf(props_)->setGeometry(area.width() - propWidth, panel, propWidth, propHeight);
  subWindowOf(player_)->setGeometry(area.width() - panel - 1, 0, panel, panel);
}

QMdiSubWindow *MainWindow::subWindowOf(const QWidget *child) const {
  if (!child)
    return nullptr;
  for (QMdiSubWindow *sub : mdi_->subWindowList())
    if (sub->widget() == child)
      return sub;
  return nullptr;
}

bool MainWindow::isChildVisible(const QWidget *child) const {
  const QMdiSubWindow *sub = subWindowOf(child);
  return sub && !sub->isHidden();
}

void MainWindow::setChildVisible(QWidget *child, bool visible) {
  QMdiSubWindow *sub = subWindowOf(child);
  if (!sub)
    return;
  if (visible) {
    sub->show();
    child->show();
    mdi_->setActiveSubWindow(sub);
  } else {
    sub->hide();
  }
  refreshViewMenu();
}

QWidget *MainWindow::childWindow(std::optional<WindowId> id) const {
  if (!id)
    return nullptr;
  switch (*id) {
  case WindowId::ScoreEditor:
    return score_;
  case WindowId::SourceEditor:
    return source_;
  case WindowId::Player:
    return player_;
  case WindowId::Property:
    return props_;
  case WindowId::Main:
    break;
  }
  return nullptr;
}

void MainWindow::focusActiveWindow(std::optional<WindowId> id) {
  QWidget *target = childWindow(id);
  if (!target || !isChildVisible(target))
    target = isChildVisible(score_) ? score_ : nullptr;
  if (!target)
    return;
  mdi_->setActiveSubWindow(subWindowOf(target));
  // The frame follows the keyboard focus: it has to move into the window too.
  if (target == source_)
    source_->focusList();
  else
    target->setFocus(Qt::OtherFocusReason);
}

bool MainWindow::editsGoToSourceList() const {
  return source_->listHasFocus();
}

void MainWindow::onSubWindowActivated(QMdiSubWindow *sub) {
  // A null window means the frame itself lost the focus to another program or a dialog;
  // the active child stays the same for the program's purposes.
  if (!sub)
    return;
  QWidget *now = sub->widget();
  if (now == activeChild_)
    return;
  QWidget *previous = activeChild_;
  activeChild_ = now;
  // Windows placed while the program starts are not "activated" by the user: the
  // ActiveWindow setting read from the file must survive until the first song exists.
  if (ctx_.startingUp)
    return;
  if (auto *child = qobject_cast<ChildWindow *>(previous))
    child->deactivated();
  if (auto *child = qobject_cast<ChildWindow *>(now))
    child->activated();
}

// --- source editor -----------------------------------------------------------------

void MainWindow::showPartInList(int part) {
  if (part < 1)
    return;
  source_->showPartInList(part);
}

void MainWindow::refreshViews() {
  props_->loadFromSong();
  // Both lists are made current before any window changes hands: activating a window
  // converts one list into the other.
  ctx_.session.noteListsChanged();
  if (isChildVisible(source_)) {
    source_->showPartInList(ctx_.song.currentPart);
    ctx_.session.refreshScoreLists();
  }
  ctx_.session.reportSongChange();
}

void MainWindow::updateCaption() {
  const QString file = QString::fromStdString(ctx_.song.fileName);
  // Unsaved changes are marked at the front, where a long path cannot push the mark away.
  const QString mark = ctx_.session.isDirty() ? QStringLiteral("*") : QString();
  setWindowTitle(mark + (file.isEmpty() ? kProgramName : file + " - " + kProgramName));
}

// --- grid and arrangement ----------------------------------------------------------

void MainWindow::tileWindows() {
  ctx_.settings.isGrid = false;
  std::vector<ArrangedWindow> windows;
  for (QWidget *child : {static_cast<QWidget *>(score_), static_cast<QWidget *>(source_),
                         static_cast<QWidget *>(player_), static_cast<QWidget *>(props_)}) {
    QMdiSubWindow *sub = subWindowOf(child);
    if (sub->isMinimized() || sub->isMaximized())
      return;
    if (sub->isHidden())
      continue;
    ArrangedWindow w;
    w.kind = child == props_    ? ArrangedKind::Property
             : child == player_ ? ArrangedKind::Panel
                                : ArrangedKind::Editor;
    w.geometry = sub->geometry();
    w.id = child;
    w.natural = naturalSize(child);
    windows.push_back(w);
  }
  for (const ArrangedWindow &w : TileLayout(windows, mdi_->viewport()->size()))
    subWindowOf(static_cast<const QWidget *>(w.id))->setGeometry(w.geometry);
}

// The problem list docks below the windows and takes height from them: a window it would
// push past the edge (its close button under the scroll bar) is moved or shrunk into view
// while the list is shown, and gets its place back when the list goes, unless the user
// moved it meanwhile.
void MainWindow::keepWindowsInReach() {
  if (!problems_->isVisible() && fittedForList_.isEmpty())
    return;
  const QSize area = mdi_->viewport()->size();
  for (QMdiSubWindow *sub : mdi_->subWindowList()) {
    if (sub->isHidden() || sub->isMinimized() || sub->isMaximized())
      continue;
    const auto fitted = fittedForList_.constFind(sub);
    const QRect own = fitted != fittedForList_.cend() && fitted->second == sub->geometry()
                          ? fitted->first
                          : sub->geometry();
    const QRect inReach =
        problems_->isVisible() ? FitInside(own, area, sub->minimumSizeHint()) : own;
    if (inReach != own)
      fittedForList_.insert(sub, {own, inReach});
    else
      fittedForList_.remove(sub);
    if (inReach != sub->geometry())
      sub->setGeometry(inReach);
  }
}

void MainWindow::cascadeWindows() {
  std::vector<QWidget *> order;
  if (ctx_.session.editedLists() == EditedLists::Score)
    order = {source_, player_, props_, score_};
  else if (editsGoToSourceList())
    order = {player_, props_, score_, source_};
  else
    order = {score_, source_, player_, props_};
  const QSize area = mdi_->viewport()->size();
  QPoint at(0, 0);
  for (QWidget *child : order) {
    QMdiSubWindow *sub = subWindowOf(child);
    if (sub->isHidden())
      continue;
    if (sub->isMinimized() || sub->isMaximized())
      sub->showNormal();
    QRect g = sub->geometry();
    g.moveTopLeft(at);
    if (child != props_)
      g.setSize(QSize(static_cast<int>(std::lround(area.width() * 0.8)),
                      static_cast<int>(std::lround(area.height() * 0.8))));
    sub->setGeometry(g);
    sub->raise();
    const int titleBar = sub->height() - child->height();
    at += QPoint(titleBar, titleBar);
  }
}

void MainWindow::showTimeMode(bool tick) {
  ctx_.settings.isTick = tick;
  action("minuteItem")->setChecked(!tick);
  action("tickItem")->setChecked(tick);
  ctx_.session.reportPositionText(source_->positionTextForMenu());
}

void MainWindow::togglePositionDisplay() {
  const std::optional<WindowId> active = ctx_.settings.activeWindow;
  const bool sourceVisible = isChildVisible(source_);
  ctx_.session.syncNoteLists();
  // The source editor's location column follows the mode, so the mode changes first;
  // the check marks and the display text (minutes with a sign blank) come after the
  // relisting, which would otherwise overwrite the text.
  ctx_.settings.isTick = !ctx_.settings.isTick;
  showPartInList(ctx_.song.currentPart);
  setChildVisible(source_, sourceVisible);
  QApplication::processEvents();
  showTimeMode(ctx_.settings.isTick);
  focusActiveWindow(active);
}

void MainWindow::relayoutAfterOptions() {
  const bool scoreActive =
      ctx_.session.editedLists() == EditedLists::Score && isChildVisible(score_);
  const bool sourceVisible = isChildVisible(source_);
  if (scoreActive || editsGoToSourceList()) {
    showPartInList(1);
    BuildScoreList(ctx_.song);
    // The source editor keeps the visibility it had.
    if (!sourceVisible)
      setChildVisible(source_, false);
  }
  ctx_.session.reportSongChange();
  if (scoreActive) {
    QApplication::processEvents();
    score_->setFocus();
  }
}

void MainWindow::chooseSourceFont() {
  // The stored family may be a name the system only substitutes ("ＭＳ Ｐゴシック"): the
  // dialog opens on the family the list is really drawn with.
  const QFont preset = InstalledFontOf(source_->sourceFont());
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
  source_->applyFont(f);
}

// --- layout to and from the settings -----------------------------------------------

void MainWindow::storeLayout(Settings &settings) const {
  auto store = [&](WindowId id, const QWidget *w, bool isFrame) {
    WindowLayout &l = settings.window(id);
    const QWidget *frame = isFrame ? w : subWindowOf(w);
    if (!frame)
      return;
    // The frame is stored and restored by its inner geometry alone: its outer position
    // depends on decorations a window manager adds only once the window is shown, so mixing
    // the two made the window creep by the title bar's height at every start.
    const QRect g =
        frame->isMaximized() || frame->isMinimized() ? frame->normalGeometry() : frame->geometry();
    if (g.isValid()) {
      l.left = g.left();
      l.top = g.top();
      l.width = g.width();
      l.height = g.height();
    }
    l.state = frame->isMinimized() ? 1 : frame->isMaximized() ? 2 : 0;
    l.visible = isFrame ? true : !frame->isHidden();
  };
  store(WindowId::Main, this, true);
  store(WindowId::SourceEditor, source_, false);
  store(WindowId::Player, player_, false);
  store(WindowId::Property, props_, false);
  store(WindowId::ScoreEditor, score_, false);
}

void MainWindow::applyLayout(const Settings &settings) {
  auto apply = [&](WindowId id, QWidget *frame) {
    const WindowLayout &l = settings.window(id);
    if (l.state == 0 && l.width > 0 && l.height > 0)
      frame->setGeometry(l.left, l.top, l.width, l.height);
    if (l.state == 1)
      frame->setWindowState(frame->windowState() | Qt::WindowMinimized);
    else if (l.state == 2)
      frame->setWindowState(frame->windowState() | Qt::WindowMaximized);
  };
  apply(WindowId::Main, this);
  apply(WindowId::SourceEditor, subWindowOf(source_));
  apply(WindowId::Player, subWindowOf(player_));
  apply(WindowId::Property, subWindowOf(props_));
  apply(WindowId::ScoreEditor, subWindowOf(score_));
}

// --- start-up and shutdown ---------------------------------------------------------

bool MainWindow::startUp(const QString &commandLine) {
  ctx_.startingUp = true;
  hide();
  storeLayout(ctx_.settings); // the design values are the defaults of the load
  const SettingsLoad loaded = settingsStore_.load(ctx_.settings, CurrentScreenSize());
  if (ctx_.settings.shortcuts[kShortCutMeasurePlay] == 0)
    ctx_.settings.shortcuts[kShortCutMeasurePlay] = kMeasurePlayFallbackKey;
  for (int n = 1; n <= kUserParts; ++n)
    ctx_.session.setTone(n, ctx_.settings.tones[static_cast<std::size_t>(n - 1)]);
  show();
  applyLoadedSettings(loaded.value == LoadedLayout::FromFile);
  showTimeMode(ctx_.settings.isTick);

  QString name = commandLine;
  if (name.size() >= 2 && name.startsWith('"') && name.endsWith('"'))
    name = name.mid(1, name.size() - 2);
  // A name relative to where the editor was started must still name the same file from the
  // file dialog, the settings and a recovery record, which outlive that folder.
  if (!name.isEmpty())
    name = QFileInfo(name).absoluteFilePath();

  ctx_.startingUp = false;
  source_->relayout();
  files_->newSong();
  files_->openHandOver(name);
  return true;
}

void MainWindow::applyLoadedSettings(bool complete) {
  if (!complete)
    return;
  applyLayout(ctx_.settings);
  source_->applyFont(ctx_.settings.sourceFont);
  if (!ctx_.settings.isManyUndo)
    action("RedoItem")->setVisible(false);
  // Program changes for the tones and the score editor's zoom are taken by the player
  // and the score editor from the settings when they start.
}

bool MainWindow::confirmExit() {
  closeConfirmed_ = false;
  if (ctx_.session.isDirty()) {
    switch (prompts_->question(this, QString::fromUtf8(kChangedQuestion.data()), true)) {
    case Answer::Cancel:
      return false;
    case Answer::Yes:
      if (!files_->saveSmd())
        return false;
      break;
    case Answer::No:
      ctx_.session.setDirty(false);
      break;
    }
  }
  closeConfirmed_ = true;
  return true;
}

void MainWindow::exitCommand() {
  if (confirmExit())
    close();
}

void MainWindow::closeWithoutQuestions() {
  closingUnasked_ = true;
  close();
}

void MainWindow::closeEvent(QCloseEvent *event) {
  // With nobody to ask, unsaved work is left for recovery instead of being asked about.
  const bool unasked = closingUnasked_ || !prompts_->canAsk();
  if (ctx_.session.isPlaying()) {
    if (!unasked) {
      event->ignore();
      return;
    }
    ctx_.session.player().stopSong();
  }
  if (unasked) {
    closeConfirmed_ = true;
    props_->commitToSong(); // a title being typed goes into the recovery record too
  } else if (!closeConfirmed_ && !confirmExit()) {
    event->ignore();
    return;
  }
  // Written only now that the editor really ends, and only what this editor changed:
  // another editor's settings in the same file survive.
  if (!ctx_.song.fileName.empty())
    ctx_.settings.LastFileName = QString::fromStdString(ctx_.song.fileName);
  storeLayout(ctx_.settings);
  for (int n = 1; n <= kUserParts; ++n)
    ctx_.settings.tones[static_cast<std::size_t>(n - 1)] = ctx_.song.part(n).tone;
  settingsStore_.saveChanges(ctx_.settings, CurrentScreenSize());
  ctx_.session.shutDown();
  event->accept();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event) {
  // A child window shown or hidden by itself: the View menu item follows.
  if ((event->type() == QEvent::Show || event->type() == QEvent::Hide) &&
      qobject_cast<QMdiSubWindow *>(watched))
    refreshViewMenu();
  if (event->type() == QEvent::Close && !closeConfirmed_) {
    // A child window's close box hides it; the View menu item follows.
    if (auto *sub = qobject_cast<QMdiSubWindow *>(watched)) {
      event->ignore();
      sub->hide();
      refreshViewMenu();
      return true;
    }
  }
  if (watched == mdi_->viewport() && event->type() == QEvent::Resize)
    keepWindowsInReach();
  if (watched == mdi_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (!mdi_->viewport()->childAt(mouse->position().toPoint())) {
      files_->dumpEventList();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

} // namespace pipora
