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
#include "views/problems/import_report_window.h"
#include "views/problems/problem_list_window.h"
#include "views/prompts.h"
#include "views/property/property_window.h"
#include "views/score/score_editor_window.h"
#include "views/source/source_editor_window.h"
#include "views/window_arrangement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
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

QSize CurrentScreenSize() {
  const QScreen *screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().size() : QSize(1920, 1080);
}

} // namespace

QAction *AppContext::action(const char *itemName) const {
  return frame ? frame->action(QString::fromLatin1(itemName)) : nullptr;
}

MainWindow::MainWindow(AppContext &ctx, std::unique_ptr<Prompts> prompts)
    : ctx_(ctx), prompts_(prompts ? std::move(prompts) : std::make_unique<DialogPrompts>()) {
  setObjectName("mainWindow");
  setWindowTitle(kProgramName);
  ctx_.frame = this;
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
  createMenus();
  createChildren();
  connectCommands();
  connectSession();
  new EditCommands(ctx_, this);
  connect(mdi_, &QMdiArea::subWindowActivated, this, &MainWindow::onSubWindowActivated);
}

void MainWindow::connectSession() {
  EditorSession &session = ctx_.session;
  const Settings &settings = ctx_.settings;
  session.setOptionsSource([&settings] {
    DocumentOptions options;
    options.isSaveTone = settings.isSaveTone;
    options.isManyUndo = settings.isManyUndo;
    options.import.triplets = settings.is3;
    options.import.foldOctaves = settings.isAuto;
    return options;
  });
  connect(&session, &EditorSession::songReplaced, this, [this] {
    // Refilling the source editor activates it; the focus then returns to the window the
    // user was working in.
    const std::optional<WindowId> activeWindow = ctx_.settings.activeWindow;
    refreshViews();
    focusActiveWindow(activeWindow);
  });
  connect(&session, &EditorSession::pathChanged, this, &MainWindow::updateCaption);
}

MainWindow::~MainWindow() {
  // The MDI area outlives this object's body and reports activations while its children
  // are torn down; nothing of the frame may answer them any more.
  disconnect(mdi_, nullptr, this, nullptr);
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
                           "minuteItem", "tickItem"})
    action(name)->setCheckable(true);
  action("minuteItem")->setChecked(true);
  connect(menu("ViewMenu"), &QMenu::aboutToShow, this, &MainWindow::refreshViewMenu);
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

  connect(action("ShowScrItem"), &QAction::triggered, this, [this] { toggleChild(ctx_.score); });
  connect(action("ShowSrcItem"), &QAction::triggered, this, [this] { toggleChild(ctx_.source); });
  connect(action("ShowPropertyItem"), &QAction::triggered, this,
          [this] { toggleChild(ctx_.props); });
  connect(action("ShowPlaypannelItem"), &QAction::triggered, this,
          [this] { toggleChild(ctx_.player); });
  connect(action("HorizonItem"), &QAction::triggered, this, &MainWindow::tileWindows);
  connect(action("CascadeItem"), &QAction::triggered, this, &MainWindow::cascadeWindows);
  connect(action("minuteItem"), &QAction::triggered, this, [this] { showTimeMode(false); });
  connect(action("tickItem"), &QAction::triggered, this, [this] { showTimeMode(true); });
  connect(action("FontItem"), &QAction::triggered, this, &MainWindow::chooseSourceFont);
  connect(action("ToneItem"), &QAction::triggered, this,
          [this] { OptionsDialog(ctx_, *prompts_, this).exec(); });
  connect(action("HelpItem"), &QAction::triggered, this, [this] { ShowHelp(this); });
  connect(action("AboutItem"), &QAction::triggered, this, [this] { ShowAbout(this); });
}

void MainWindow::refreshViewMenu() {
  action("ShowScrItem")->setChecked(isChildVisible(ctx_.score));
  action("ShowSrcItem")->setChecked(isChildVisible(ctx_.source));
  action("ShowPropertyItem")->setChecked(isChildVisible(ctx_.props));
  action("ShowPlaypannelItem")->setChecked(isChildVisible(ctx_.player));
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
  if (ctx_.source)
    ctx_.source->bringForward(); // the score editor hands its lists back first
  song.currentPart = part;
  Part &p = song.part(part);
  p.cursor = element;
  p.scoreHeader.cursor = element;
  p.scoreHeader.selStart = element;
  p.scoreHeader.selLength = 1;
  ViewSrc(part);
  if (ctx_.hooks.scoreShowTick)
    ctx_.hooks.scoreShowTick(p.notes[static_cast<std::size_t>(element)].start);
  if (ctx_.hooks.scoreRelayout)
    ctx_.hooks.scoreRelayout();
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
  ctx_.player = new PlayerPanel(ctx_, nullptr);
  addChild(ctx_.player, "Player");
  ctx_.props = new pipora::PropertyWindow(ctx_, nullptr);
  addChild(ctx_.props, "PropertyWindow");
  ctx_.source = new SourceEditorWindow(ctx_, nullptr);
  addChild(ctx_.source, "SourceEditor");
  ctx_.score = new ScoreEditorWindow(ctx_, nullptr);
  addChild(ctx_.score, "ScoreEditor");
  placeDesignLayout();
}

void MainWindow::placeDesignLayout() {
  const QSize area = mdi_->viewport()->size().isValid() && mdi_->viewport()->width() > 100
                         ? mdi_->viewport()->size()
                         : kDesignFrameSize - QSize(8, 60);
  const int propWidth = 380;
  const int propHeight = pipora::PropertyWindow::designHeight();
  const int panel = 100;
  subWindowOf(ctx_.score)->setGeometry(0, 0, area.width() - propWidth, area.height() * 3 / 5);
  subWindowOf(ctx_.source)
      ->setGeometry(0, area.height() * 3 / 5, area.width() - propWidth, area.height() * 2 / 5);
  subWindowOf(ctx_.props)->setGeometry(area.width() - propWidth, panel, propWidth, propHeight);
  subWindowOf(ctx_.player)->setGeometry(area.width() - panel - 1, 0, panel, panel);
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
    return ctx_.score;
  case WindowId::SourceEditor:
    return ctx_.source;
  case WindowId::Player:
    return ctx_.player;
  case WindowId::Property:
    return ctx_.props;
  case WindowId::Main:
    break;
  }
  return nullptr;
}

void MainWindow::focusActiveWindow(std::optional<WindowId> id) {
  QWidget *target = childWindow(id);
  if (!target || !isChildVisible(target))
    target = isChildVisible(ctx_.score) ? ctx_.score : nullptr;
  if (!target)
    return;
  mdi_->setActiveSubWindow(subWindowOf(target));
  // The frame follows the keyboard focus: it has to move into the window too.
  if (target == ctx_.source)
    ctx_.source->focusList();
  else
    target->setFocus(Qt::OtherFocusReason);
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
  if (previous)
    emit windowDeactivated(previous);
  emit windowActivated(now);
}

// --- source editor -----------------------------------------------------------------

void MainWindow::ViewSrc(int part) {
  if (part < 1)
    return;
  ctx_.source->ViewSrc(part);
}

void MainWindow::refreshViews() {
  ctx_.props->loadFromSong();
  // Both lists are made current before any window changes hands: activating a window
  // converts one list into the other.
  ctx_.session.noteListsChanged();
  if (isChildVisible(ctx_.source)) {
    ctx_.source->ViewSrc(ctx_.song.currentPart);
    ctx_.session.refreshScoreLists();
  }
  if (ctx_.hooks.scoreRelayout)
    ctx_.hooks.scoreRelayout();
}

void MainWindow::updateCaption() {
  const QString file = QString::fromStdString(ctx_.song.fileName);
  setWindowTitle(file.isEmpty() ? kProgramName : file + " - " + kProgramName);
}

// --- grid and arrangement ----------------------------------------------------------

int MainWindow::gridStep() const {
  return ctx_.settings.isGrid ? 16 : 1;
}

void MainWindow::snapToGrid(QWidget *child) {
  QMdiSubWindow *sub = subWindowOf(child);
  if (!sub || sub->isMinimized() || sub->isMaximized())
    return;
  const int g = gridStep();
  if (g <= 1)
    return;
  const QPoint p = sub->pos();
  const QPoint snapped(RoundToStep(p.x(), g), RoundToStep(p.y(), g));
  if (snapped != p)
    sub->move(snapped);
}

void MainWindow::tileWindows() {
  ctx_.settings.isGrid = false;
  std::vector<ArrangedWindow> windows;
  for (QWidget *child : {static_cast<QWidget *>(ctx_.score), static_cast<QWidget *>(ctx_.source),
                         static_cast<QWidget *>(ctx_.player), static_cast<QWidget *>(ctx_.props)}) {
    QMdiSubWindow *sub = subWindowOf(child);
    if (sub->isMinimized() || sub->isMaximized())
      return;
    if (sub->isHidden())
      continue;
    ArrangedWindow w;
    w.kind = child == ctx_.props    ? ArrangedKind::Property
             : child == ctx_.player ? ArrangedKind::Panel
                                    : ArrangedKind::Editor;
    w.geometry = sub->geometry();
    w.id = child;
    windows.push_back(w);
  }
  for (const ArrangedWindow &w : TileLayout(windows, mdi_->viewport()->size()))
    subWindowOf(static_cast<const QWidget *>(w.id))->setGeometry(w.geometry);
}

void MainWindow::cascadeWindows() {
  std::vector<QWidget *> order;
  if (ctx_.session.editedLists() == EditedLists::Score)
    order = {ctx_.source, ctx_.player, ctx_.props, ctx_.score};
  else if (ctx_.listHasFocus)
    order = {ctx_.player, ctx_.props, ctx_.score, ctx_.source};
  else
    order = {ctx_.score, ctx_.source, ctx_.player, ctx_.props};
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
    if (child != ctx_.props)
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
  if (ctx_.hooks.showPosition)
    ctx_.hooks.showPosition(ctx_.source->positionTextForMenu());
}

void MainWindow::chooseSourceFont() {
  // The stored family may be a name the system only substitutes ("ＭＳ Ｐゴシック"): the
  // dialog opens on the family the list is really drawn with.
  const QFont preset = InstalledFontOf(ctx_.source->sourceFont());
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
  ctx_.source->applyFont(f);
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
  store(WindowId::SourceEditor, ctx_.source, false);
  store(WindowId::Player, ctx_.player, false);
  store(WindowId::Property, ctx_.props, false);
  store(WindowId::ScoreEditor, ctx_.score, false);
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
  apply(WindowId::SourceEditor, subWindowOf(ctx_.source));
  apply(WindowId::Player, subWindowOf(ctx_.player));
  apply(WindowId::Property, subWindowOf(ctx_.props));
  apply(WindowId::ScoreEditor, subWindowOf(ctx_.score));
}

// --- start-up and shutdown ---------------------------------------------------------

bool MainWindow::startUp(const QString &commandLine) {
  ctx_.startingUp = true;
  hide();
  storeLayout(ctx_.settings); // the design values are the defaults of the load
  const LoadReport report = settingsStore_.load(ctx_.settings, CurrentScreenSize());
  if (ctx_.settings.ShortCut[kShortCutMeasurePlay] == 0)
    ctx_.settings.ShortCut[kShortCutMeasurePlay] = kMeasurePlayFallbackKey;
  for (int n = 1; n <= kUserParts; ++n)
    ctx_.song.part(n).tone = ctx_.settings.tones[static_cast<std::size_t>(n - 1)];
  show();
  applyLoadedSettings(report.end == LoadEnd::Complete);
  showTimeMode(ctx_.settings.isTick);

  QString name = commandLine;
  if (name.size() >= 2 && name.startsWith('"') && name.endsWith('"'))
    name = name.mid(1, name.size() - 2);
  ctx_.handOverFileName = name;

  ctx_.startingUp = false;
  ctx_.source->relayout();
  files_->newSong();
  files_->openHandOver();
  return true;
}

void MainWindow::applyLoadedSettings(bool complete) {
  if (!complete)
    return;
  applyLayout(ctx_.settings);
  ctx_.source->applyFont(ctx_.settings.sourceFont);
  if (!ctx_.settings.isManyUndo)
    action("RedoItem")->setVisible(false);
  // Program changes for the tones and the score editor's zoom are taken by the player
  // and the score editor from the settings when they start.
}

bool MainWindow::confirmExit() {
  ctx_.closeConfirmed = false;
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
  ctx_.closeConfirmed = true;
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
    ctx_.session.player().StopSong();
  }
  if (unasked) {
    ctx_.closeConfirmed = true;
    ctx_.props->commitToSong(); // a title being typed goes into the recovery record too
  } else if (!ctx_.closeConfirmed && !confirmExit()) {
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
  if (event->type() == QEvent::Close && !ctx_.closeConfirmed) {
    // A child window's close box hides it; the View menu item follows.
    if (auto *sub = qobject_cast<QMdiSubWindow *>(watched)) {
      event->ignore();
      sub->hide();
      refreshViewMenu();
      return true;
    }
  }
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
