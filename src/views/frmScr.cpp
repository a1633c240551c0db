#include "views/frmScr.h"

#include "platform/files/program_directory.h"
#include "platform/files/temporary_files.h"
#include "views/main.h"
#include "views/raster_ops.h"
#include "views/score_surface.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>
#include <exception>

namespace pipora {
namespace {

constexpr int kBlinkMs = 600;
constexpr int kPreviewEndMs = 500;

QPushButton *MakeZoomButton(const QString &text, const char *name, double points, bool bold,
                            QWidget *parent) {
  auto *button = new QPushButton(text, parent);
  button->setObjectName(name);
  QFont font = button->font();
  font.setPointSizeF(points);
  font.setBold(bold);
  button->setFont(font);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

QScrollBar *MakeScrollBar(Qt::Orientation orientation, const char *name, QWidget *parent) {
  auto *bar = new QScrollBar(orientation, parent);
  bar->setObjectName(name);
  bar->setFocusPolicy(Qt::ClickFocus);
  return bar;
}

StaffLabelTable LabelsFromSettings(const Settings &settings) {
  StaffLabelTable table = DefaultStaffLabels();
  for (std::size_t i = 0; i < table.size(); ++i) {
    const std::string label = settings.doReMi[i].name.toStdString();
    if (label.empty())
      continue;
    table[i].label = label;
    const int position = PositionOfSyllable(label);
    table[i].position = static_cast<float>(position >= 0 ? position : settings.doReMi[i].offset);
  }
  return table;
}

} // namespace

frmScr::frmScr(AppContext &ctx, QWidget *parent)
    : ChildWindow(ctx, QStringLiteral("frmScr"), parent), history_(ProgramDirectory()),
      picture1_(new ScoreSurface(this)), hScroll1_(MakeScrollBar(Qt::Horizontal, "HScroll1", this)),
      vScroll1_(MakeScrollBar(Qt::Vertical, "VScroll1", this)),
      command1_(MakeZoomButton(QStringLiteral("+"), "Command1", 9, true, this)),
      command2_(MakeZoomButton(QStringLiteral("-"), "Command2", 9, true, this)),
      command3_(MakeZoomButton(QStringLiteral("▼"), "Command3", 6, false, this)),
      command4_(MakeZoomButton(QStringLiteral("▲"), "Command4", 6, false, this)) {
  setWindowTitle(QStringLiteral("ScoreEditor"));
  caption_ = windowTitle();
  hScroll1_->installEventFilter(this);
  vScroll1_->installEventFilter(this);
  watchForSnapping(picture1_);
  // Whoever focuses the window (the frame after New, Open or undo) means the drawing surface,
  // which is where the editing keys are read.
  setFocusProxy(picture1_);

  timer1_.setInterval(kBlinkMs);
  timer2_.setInterval(kPreviewEndMs);
  timer2_.setSingleShot(true);
  connect(&timer1_, &QTimer::timeout, this, &frmScr::Timer1_Timer);
  connect(&timer2_, &QTimer::timeout, this, &frmScr::Timer2_Timer);
  connect(hScroll1_, &QScrollBar::valueChanged, this, &frmScr::HScroll1_Change);
  connect(vScroll1_, &QScrollBar::valueChanged, this, &frmScr::VScroll1_Change);
  connect(command1_, &QPushButton::clicked, this, &frmScr::Command1_Click);
  connect(command2_, &QPushButton::clicked, this, &frmScr::Command2_Click);
  connect(command3_, &QPushButton::clicked, this, &frmScr::Command3_Click);
  connect(command4_, &QPushButton::clicked, this, &frmScr::Command4_Click);
  connect(picture1_, &ScoreSurface::keyDown, this, &frmScr::Picture1_KeyDown);
  connect(picture1_, &ScoreSurface::filesDropped, this, &frmScr::Picture1_OLEDragDrop);
  connect(picture1_, &ScoreSurface::focusChanged, this, [this](bool in) {
    if (in)
      isActive = true;
  });

  // Form_Load: the defaults, then what the settings hold.
  w4 = kDefaultQuarterWidth;
  hch = kDefaultStaffDistance;
  applySettings();
  layoutControls();

  ctx_.hooks.scoreRelayout = [this] {
    hideMarks();
    scrResize();
    if (formActive_)
      showMarks();
  };
  ctx_.hooks.scoreIsActive = [this] { return formActive_; };
  ctx_.hooks.scoreShowTick = [this](int tick) {
    hideMarks();
    followCursor(tick);
    if (formActive_)
      showMarks();
  };
  ctx_.hooks.restartHistory = [this] {
    history_.restart();
    TakeSnapshot();
  };
  ctx_.hooks.takeSnapshot = [this] { TakeSnapshot(); };
  ctx_.hooks.atUnload.push_back([self = QPointer<frmScr>(this)] {
    if (self)
      self->history_.discard();
    RemoveAbandonedSnapshotFolders(ProgramDirectory());
    DeleteTemporaryFiles(ProgramDirectory());
  });
  connectFrame();
}

frmScr::~frmScr() {
  // Other windows may still run while the frame is taken down: nothing may reach this one.
  AppHooks &hooks = ctx_.hooks;
  hooks.scoreRelayout = nullptr;
  hooks.scoreIsActive = nullptr;
  hooks.scoreShowTick = nullptr;
  hooks.restartHistory = nullptr;
  hooks.takeSnapshot = nullptr;
}

void frmScr::connectFrame() {
  if (ctx_.frame) {
    connect(ctx_.frame, &main::windowActivated, this, [this](QWidget *child) {
      if (child == this)
        Form_Activate();
    });
    connect(ctx_.frame, &main::windowDeactivated, this, [this](QWidget *child) {
      if (child == this)
        Form_Deactivate();
    });
  }
  auto onItem = [this](const char *name, auto slot) {
    if (QAction *item = ctx_.action(name))
      connect(item, &QAction::triggered, this, slot);
  };
  onItem("UndoItem", [this] { Undo(); });
  onItem("UndoItem2", [this] { Undo(); });
  onItem("RedoItem", [this] { Redo(); });
  onItem("NarrowNoteItem", [this] { Command2_Click(); });
  onItem("ExtendNoteItem", [this] { Command1_Click(); });
  onItem("NarrowChItem", [this] { Command4_Click(); });
  onItem("ExtendChItem", [this] { Command3_Click(); });
}

void frmScr::applySettings() {
  const Settings &s = ctx_.settings;
  if (s.w4 > 0)
    w4 = static_cast<std::int16_t>(s.w4);
  if (s.hch > 0)
    hch = static_cast<std::int16_t>(s.hch);
  renderer_.table() = LabelsFromSettings(s);
}

const QImage &frmScr::surfaceImage() const {
  return picture1_->image();
}

void frmScr::updateSurface() {
  picture1_->update();
}

ScoreViewState frmScr::viewState() const {
  ScoreViewState v;
  v.w4 = w4;
  v.hch = hch;
  v.mX = mX;
  v.mY = mY;
  v.isBar = ctx_.settings.isBar;
  v.isBarNum = ctx_.settings.isBarNum;
  v.isDoReMi = ctx_.settings.isDoReMi;
  v.isClassicScore = ctx_.settings.isClassicScore;
  return v;
}

// --- layout and drawing ----------------------------------------------------------------

void frmScr::layoutControls() {
  const int width = this->width();
  const int height = this->height();
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  hScroll1_->setGeometry(0, height - bar, std::max(0, width - 3 * bar), bar);
  vScroll1_->setGeometry(width - bar, 0, bar, std::max(0, height - 3 * bar));
  command2_->setGeometry(hScroll1_->width(), height - bar, bar, bar);
  command1_->setGeometry(hScroll1_->width() + bar, height - bar, bar, bar);
  command4_->setGeometry(width - bar, vScroll1_->height(), bar, bar);
  command3_->setGeometry(width - bar, vScroll1_->height() + bar, bar, bar);
  picture1_->setGeometry(0, 0, std::max(1, width - bar), std::max(1, height - bar));
  picture1_->fitImage();
}

void frmScr::scrResize() {
  if (ctx_.startingUp)
    return;
  // The settings file is read after the windows exist: its zoom counts from the first layout.
  if (!settingsApplied_) {
    applySettings();
    settingsApplied_ = true;
  }
  // The options window may respell the do-re-mi labels at any time.
  renderer_.table() = LabelsFromSettings(ctx_.settings);
  layoutControls();
  const QSize surface = picture1_->size();
  hRange_ = HorizontalScrollRange(ctx_.song, w4, surface.width());
  vRange_ = VerticalScrollRange(hch, surface.height());
  {
    const QSignalBlocker blockH(hScroll1_);
    const QSignalBlocker blockV(vScroll1_);
    hScroll1_->setRange(hRange_.minimum, std::max(hRange_.minimum, hRange_.maximum));
    hScroll1_->setSingleStep(w4);
    hScroll1_->setPageStep(4 * w4);
    vScroll1_->setRange(0, std::max(0, vRange_.maximum));
    vScroll1_->setSingleStep(10);
    vScroll1_->setPageStep(hch);
  }
  mX = hScroll1_->value();
  mY = vScroll1_->value();
  if (isCursol)
    DrawCursol();
  if (isVisible())
    drawNote();
}

void frmScr::drawNote() {
  QElapsedTimer clock;
  clock.start();
  picture1_->fitImage();
  ScoreViewState view = viewState();
  try {
    renderer_.drawNote(picture1_->image(), ctx_.song, view);
  } catch (const std::exception &e) {
    showError(QString::fromUtf8(e.what()), QStringLiteral("PiporaPad"));
    return;
  }
  mX = view.mX;
  isCursol = false;
  rectShown_ = false;
  caption_ =
      QString::fromStdString(ScoreCaptionAfterRedraw(static_cast<int>(clock.elapsed()), ctx_.song));
  setWindowTitle(caption_);
  picture1_->update();
  emit redrawn();
}

void frmScr::setScrollValue(QScrollBar *bar, int value) {
  bar->setValue(std::clamp(value, bar->minimum(), bar->maximum()));
}

void frmScr::followCursor(int tick) {
  const std::optional<int> value = FollowCursorScroll(tick, w4, mX, picture1_->width(), hRange_);
  if (!value)
    return;
  following_ = true;
  setScrollValue(hScroll1_, *value);
  following_ = false;
}

void frmScr::followPartVertically(int part) {
  const int height = picture1_->height();
  following_ = true;
  if (PartTop(part, hch, mY) + kCursorBottom > height)
    setScrollValue(vScroll1_, vScroll1_->value() + hch);
  if (PartTop(part, hch, mY) + kStaffTopLine + 4 * kStaffLineGap < 0)
    setScrollValue(vScroll1_, (part - 1) * hch + kCursorTop);
  following_ = false;
}

void frmScr::DrawCursol() {
  Part &part = ctx_.song.part(ScoreCurrentPart(ctx_.song));
  if (part.scoreHeader.cursor < 0)
    part.scoreHeader.cursor = 0;
  if (part.scoreHeader.selLength > 0)
    return;
  // Only a cursor being drawn scrolls into view; removing one leaves the view alone.
  if (!isCursol) {
    const int cursor = std::min(part.scoreHeader.cursor, part.scoreHeader.count);
    followCursor(part.score[static_cast<std::size_t>(cursor)].start);
    followPartVertically(ScoreCurrentPart(ctx_.song));
  }
  const ScoreViewState view = viewState();
  XorRect(picture1_->image(), renderer_.cursorArea(ctx_.song, view),
          ScoreRenderer::cursorMask(view));
  isCursol = !isCursol;
  picture1_->update();
}

void frmScr::DrawRect() {
  const Part &part = ctx_.song.part(ScoreCurrentPart(ctx_.song));
  if (!rectShown_) {
    const int cursor = std::clamp(part.scoreHeader.cursor, 0, part.scoreHeader.count);
    followCursor(part.score[static_cast<std::size_t>(cursor)].start);
  }
  const ScoreViewState view = viewState();
  XorRect(picture1_->image(), renderer_.selectionArea(ctx_.song, view),
          ScoreRenderer::selectionMask(view));
  rectShown_ = !rectShown_;
  picture1_->update();
}

void frmScr::hideMarks() {
  if (isCursol)
    DrawCursol();
  if (rectShown_)
    DrawRect();
}

void frmScr::showMarks() {
  if (playing())
    return;
  const Part &part = ctx_.song.part(ScoreCurrentPart(ctx_.song));
  if (part.scoreHeader.selLength > 0) {
    if (!rectShown_)
      DrawRect();
  } else if (!isCursol) {
    DrawCursol();
  }
}

// --- window events -----------------------------------------------------------------------

void frmScr::resizeEvent(QResizeEvent *event) {
  ChildWindow::resizeEvent(event);
  if (ctx_.startingUp) {
    layoutControls();
    return;
  }
  const bool rect = rectShown_;
  hideMarks();
  scrResize();
  if (rect)
    DrawRect();
}

void frmScr::showEvent(QShowEvent *event) {
  ChildWindow::showEvent(event);
  if (!ctx_.startingUp)
    scrResize();
}

bool frmScr::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::FocusIn && (watched == hScroll1_ || watched == vScroll1_))
    isActive = false;
  // The wheel over the surface turns the scroll bars (with Shift the horizontal one).
  if (event->type() == QEvent::Wheel && watched == picture1_) {
    const auto *wheel = static_cast<QWheelEvent *>(event);
    QScrollBar *bar = (wheel->modifiers() & Qt::ShiftModifier) ? hScroll1_ : vScroll1_;
    QCoreApplication::sendEvent(bar, event);
    return true;
  }
  return ChildWindow::eventFilter(watched, event);
}

void frmScr::HScroll1_Change(int value) {
  if (hRange_.minimum >= hRange_.maximum)
    return;
  mX = value;
  if (!isVisible())
    return;
  const bool rect = rectShown_;
  drawNote();
  if (rect && !following_)
    DrawRect();
}

void frmScr::VScroll1_Change(int value) {
  mY = value;
  if (!isVisible())
    return;
  const bool rect = rectShown_;
  drawNote();
  if (rect && !following_)
    DrawRect();
}

void frmScr::Form_Activate() {
  formActive_ = true;
  BuildScoreList(ctx_.song);
  scrResize();
  isActive = true;
  picture1_->setFocus();
  ctx_.song.part(ScoreCurrentPart(ctx_.song)).scoreHeader.selLength = 0;
  if (!playing())
    DrawCursol();
  timer1_.start();
  ctx_.settings.ActiveWindow = QStringLiteral("frmScr");
}

void frmScr::Form_Deactivate() {
  hideMarks();
  BuildNoteList(ctx_.song);
  isActive = false;
  formActive_ = false;
  timer1_.stop();
}

void frmScr::Timer1_Timer() {
  if (!isActive || playing())
    return;
  if (ctx_.song.part(ScoreCurrentPart(ctx_.song)).scoreHeader.selLength > 0)
    return;
  DrawCursol();
}

void frmScr::Timer2_Timer() {
  timer2_.stop();
  if (endPreview)
    endPreview();
}

// --- zoom --------------------------------------------------------------------------------

void frmScr::zoomWidth(bool wider) {
  const int old = w4;
  w4 = static_cast<std::int16_t>(ZoomedQuarterWidth(w4, wider));
  ctx_.settings.w4 = w4;
  const ScrollRange range = HorizontalScrollRange(ctx_.song, w4, picture1_->width());
  applyZoom(hScroll1_, range, ScaledScrollValue(mX, old, w4, range));
}

void frmScr::zoomHeight(bool wider) {
  const int old = hch;
  hch = static_cast<std::int16_t>(ZoomedStaffDistance(hch, wider));
  ctx_.settings.hch = hch;
  const ScrollRange range = VerticalScrollRange(hch, picture1_->height());
  applyZoom(vScroll1_, range, ScaledScrollValue(mY, old, hch, range));
}

void frmScr::applyZoom(QScrollBar *bar, const ScrollRange &range, int value) {
  // The marks are drawn by inversion: take them off before the surface is redrawn at the new
  // scale, and put the selection back afterwards.
  const bool rect = rectShown_;
  hideMarks();
  {
    const QSignalBlocker block(bar);
    bar->setRange(range.minimum, std::max(range.minimum, range.maximum));
    bar->setValue(value);
  }
  scrResize();
  if (rect)
    DrawRect();
}

void frmScr::Command1_Click() {
  zoomWidth(true);
}
void frmScr::Command2_Click() {
  zoomWidth(false);
}
void frmScr::Command3_Click() {
  zoomHeight(true);
}
void frmScr::Command4_Click() {
  zoomHeight(false);
}

// --- keys --------------------------------------------------------------------------------

void frmScr::triggerItem(const char *name) {
  if (QAction *item = ctx_.action(name))
    item->trigger();
}

void frmScr::runCommand(ScoreCommand command) {
  // The menu items that carry out the shortcut commands, in ScoreCommand's order.
  static constexpr const char *kItems[] = {nullptr,           "LongItem",    "ShortItem",
                                           "TieItem",         "AllPlayItem", "SoloPlayItem",
                                           "MeasurePlayItem", "StopPlayItem"};
  if (const char *name = kItems[static_cast<int>(command)])
    triggerItem(name);
}

void frmScr::Picture1_KeyDown(int keyCode, int shift) {
  Song &song = ctx_.song;
  ScoreKeyOptions options;
  options.shortCuts = ctx_.settings.ShortCut;
  options.isManyUndo = ctx_.settings.isManyUndo;
  options.isNoCheck = ctx_.settings.isNoCheck;
  options.playing = playing();
  if (options.playing) {
    runCommand(HandleScoreKey(song, keyCode, shift, options, renderer_.table()).command);
    return;
  }
  hideMarks();
  const ScoreKeyOutcome out = HandleScoreKey(song, keyCode, shift, options, renderer_.table());
  if (out.scroll == VerticalScroll::ToMaximum)
    setScrollValue(vScroll1_, vScroll1_->maximum());
  else if (out.scroll == VerticalScroll::ToMinimum)
    setScrollValue(vScroll1_, vScroll1_->minimum());
  if (out.changed)
    scrResize();
  if (out.snapshot)
    TakeSnapshot(out.noteListsCurrent);
  if (out.dirty)
    song.dirty = true;
  runCommand(out.command);
  showMarks();
  if (out.preview > 0 && ctx_.settings.isPreview && previewNote) {
    previewNote(ScoreCurrentPart(song), out.preview);
    if (endPreview)
      timer2_.start();
  }
  if (out.feedback)
    refreshFeedback();
}

void frmScr::refreshFeedback() {
  if (ctx_.hooks.showPosition)
    ctx_.hooks.showPosition(
        QString::fromStdString(CursorTimeText(ctx_.song, ctx_.settings.isTick)));
  caption_ = QString::fromStdString(ScoreCaption(caption_.toStdString(), ctx_.song));
  setWindowTitle(caption_);
}

void frmScr::Picture1_OLEDragDrop(const QStringList &files) {
  if (files.isEmpty())
    return;
  const QString name = files.first();
  const QString extension = name.right(3).toLower();
  const char *item = extension == QLatin1String("smd") || extension == QLatin1String("smz")
                         ? "OpenItem"
                     : extension == QLatin1String("mid") ? "OpenMidiItem"
                                                         : nullptr;
  if (item == nullptr)
    return;
  ctx_.handOverFileName = name;
  triggerItem(item);
  ctx_.handOverFileName.clear();
}

// --- undo --------------------------------------------------------------------------------

void frmScr::TakeSnapshot(bool noteListsCurrent) {
  // The snapshot reads the note lists; in the score editor they are brought up to date first.
  history_.takeSnapshot(ctx_.song, formActive_ && !noteListsCurrent);
}

void frmScr::Undo() {
  if (!ctx_.settings.isManyUndo) {
    hideMarks();
    const int part = ExchangeWithBackup(ctx_.song, formActive_);
    if (part != 0 && !formActive_) {
      if (ctx_.frame)
        ctx_.frame->ViewSrc(part);
      BuildScoreList(ctx_.song); // the score editor shows the exchanged notes too
    }
    scrResize();
    if (formActive_)
      showMarks();
    return;
  }
  hideMarks();
  afterHistoryMove(history_.undo(ctx_.song));
}

void frmScr::Redo() {
  hideMarks();
  afterHistoryMove(history_.redo(ctx_.song));
}

void frmScr::afterHistoryMove(const Status &status) {
  if (!status)
    showError(QString::fromStdString(status.error()));
  if (ctx_.frame) {
    // Refilling the source editor activates it; as after Open, the focus comes back to the
    // window the user was working in, so typing goes on where it was.
    const QString activeWindow = ctx_.settings.ActiveWindow;
    ctx_.frame->refreshViews();
    ctx_.frame->focusActiveWindow(activeWindow);
  } else {
    scrResize();
  }
  if (formActive_)
    showMarks();
}

void frmScr::showError(const QString &text, const QString &title) {
  QMessageBox::critical(this, title.isEmpty() ? QStringLiteral("PiporaPad") : title, text,
                        QMessageBox::Ok);
}

} // namespace pipora
