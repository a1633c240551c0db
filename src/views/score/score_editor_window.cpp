#include "views/score/score_editor_window.h"

#include "editing/score_pointer.h"
#include "engraving/key_signature.h"

#include "playback/player.h"
#include "score_drawing/raster_ops.h"
#include "views/file_failure.h"
#include "views/prompts.h"
#include "views/score/score_mouse.h"
#include "views/score/score_surface.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
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

ScoreEditorWindow::ScoreEditorWindow(AppContext &ctx, QWidget *parent)
    : ChildWindow(ctx, QStringLiteral("scoreEditor"), parent), surface_(new ScoreSurface(this)),
      mouse_(new ScoreMouse(ctx, *this, *surface_)),
      hScrollBar_(MakeScrollBar(Qt::Horizontal, "horizontalScrollBar", this)),
      vScrollBar_(MakeScrollBar(Qt::Vertical, "verticalScrollBar", this)),
      zoomInButton_(MakeZoomButton(QStringLiteral("+"), "zoomInButton", 9, true, this)),
      zoomOutButton_(MakeZoomButton(QStringLiteral("-"), "zoomOutButton", 9, true, this)),
      spreadStavesButton_(
          MakeZoomButton(QStringLiteral("▼"), "spreadStavesButton", 6, false, this)),
      tightenStavesButton_(
          MakeZoomButton(QStringLiteral("▲"), "tightenStavesButton", 6, false, this)) {
  setWindowTitle(QStringLiteral("ScoreEditor"));
  caption_ = windowTitle();
  hScrollBar_->installEventFilter(this);
  vScrollBar_->installEventFilter(this);
  watchForSnapping(surface_);
  // Whoever focuses the window (the frame after New, Open or undo) means the drawing surface,
  // which is where the editing keys are read.
  setFocusProxy(surface_);

  blinkTimer_.setInterval(kBlinkMs);
  previewTimer_.setInterval(kPreviewEndMs);
  previewTimer_.setSingleShot(true);
  connect(&blinkTimer_, &QTimer::timeout, this, &ScoreEditorWindow::onBlinkTimeout);
  connect(&previewTimer_, &QTimer::timeout, this, &ScoreEditorWindow::onPreviewTimeout);
  connect(hScrollBar_, &QScrollBar::valueChanged, this, &ScoreEditorWindow::onHorizontalScroll);
  connect(vScrollBar_, &QScrollBar::valueChanged, this, &ScoreEditorWindow::onVerticalScroll);
  connect(zoomInButton_, &QPushButton::clicked, this, &ScoreEditorWindow::zoomIn);
  connect(zoomOutButton_, &QPushButton::clicked, this, &ScoreEditorWindow::zoomOut);
  connect(spreadStavesButton_, &QPushButton::clicked, this, &ScoreEditorWindow::spreadStaves);
  connect(tightenStavesButton_, &QPushButton::clicked, this, &ScoreEditorWindow::tightenStaves);
  connect(surface_, &ScoreSurface::keyDown, this, &ScoreEditorWindow::handleKey);
  connect(surface_, &ScoreSurface::filesDropped, this, &ScoreEditorWindow::openDroppedFiles);
  connect(surface_, &ScoreSurface::focusChanged, this, [this](bool in) {
    if (in)
      isActive = true;
  });

  // The defaults, then what the settings hold.
  quarterWidth = kDefaultQuarterWidth;
  staffDistance = kDefaultStaffDistance;
  applySettings();
  layoutControls();

  // Notes changed in another view: laid out again; a note chosen there comes into sight
  // while the score is shown.
  connect(&ctx_.session, &EditorSession::songChanged, this, &ScoreEditorWindow::relayoutMarked);
  connect(&ctx_.session, &EditorSession::marksChanged, this, &ScoreEditorWindow::relayoutMarked);
  connect(&ctx_.session, &EditorSession::positionChanged, this, [this](int tick) {
    if (isShownInFrame())
      showTick(tick);
  });
  connectMenu();
}

void ScoreEditorWindow::relayoutMarked() {
  if (ownEdit_)
    return;
  hideMarks();
  relayoutScore();
  if (windowActive_)
    showMarks();
}

void ScoreEditorWindow::showTick(int tick) {
  hideMarks();
  followCursor(tick);
  if (windowActive_)
    showMarks();
}

void ScoreEditorWindow::showSongStart() {
  hideMarks();
  ctx_.session.mark(PointAtSongStart);
  relayoutScore();
  const SheetRow &row = sheet_.row(ScoreCurrentPart(ctx_.song));
  setScrollValue(hScrollBar_, hScrollBar_->minimum());
  setScrollValue(vScrollBar_, row.top + row.band.top);
  if (windowActive_)
    showMarks();
}

void ScoreEditorWindow::connectMenu() {
  auto onItem = [this](QAction *MainActions::*name, auto slot) {
    if (QAction *item = ctx_.action(name))
      connect(item, &QAction::triggered, this, slot);
  };
  onItem(&MainActions::undoGrayed, [this] { Undo(); });
  onItem(&MainActions::undo, [this] { Undo(); });
  onItem(&MainActions::redo, [this] { Redo(); });
  onItem(&MainActions::narrowNotes, [this] { zoomOut(); });
  onItem(&MainActions::widenNotes, [this] { zoomIn(); });
  onItem(&MainActions::narrowStaves, [this] { tightenStaves(); });
  onItem(&MainActions::widenStaves, [this] { spreadStaves(); });
}

void ScoreEditorWindow::applySettings() {
  const Settings &s = ctx_.settings;
  if (s.quarterWidth > 0)
    quarterWidth = static_cast<std::int16_t>(s.quarterWidth);
  if (s.staffDistance > 0)
    staffDistance = static_cast<std::int16_t>(s.staffDistance);
  applyScorePercent(s.scoreZoom);
  renderer_.table() = LabelsFromSettings(s);
}

void ScoreEditorWindow::applyScorePercent(int percent) {
  scorePercent_ = ClampedScorePercent(percent);
  surface_->setScale(scorePercent_ / 100.0);
}

const QImage &ScoreEditorWindow::surfaceImage() const {
  return surface_->image();
}

void ScoreEditorWindow::updateSurface() {
  surface_->update();
}

ScoreViewState ScoreEditorWindow::viewState() const {
  ScoreViewState v;
  v.quarterWidth = quarterWidth;
  v.staffDistance = staffDistance;
  v.scrollX = scrollX;
  v.scrollY = scrollY;
  v.isBar = ctx_.settings.isBar;
  v.isBarNum = ctx_.settings.isBarNum;
  v.isDoReMi = ctx_.settings.isDoReMi;
  v.isClassicScore = ctx_.settings.isClassicScore;
  v.sheet = &sheet_;
  return v;
}

// --- layout and drawing ----------------------------------------------------------------

void ScoreEditorWindow::layoutControls() {
  const int width = this->width();
  const int height = this->height();
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  hScrollBar_->setGeometry(0, height - bar, std::max(0, width - 3 * bar), bar);
  vScrollBar_->setGeometry(width - bar, 0, bar, std::max(0, height - 3 * bar));
  zoomOutButton_->setGeometry(hScrollBar_->width(), height - bar, bar, bar);
  zoomInButton_->setGeometry(hScrollBar_->width() + bar, height - bar, bar, bar);
  tightenStavesButton_->setGeometry(width - bar, vScrollBar_->height(), bar, bar);
  spreadStavesButton_->setGeometry(width - bar, vScrollBar_->height() + bar, bar, bar);
  surface_->setGeometry(0, 0, std::max(1, width - bar), std::max(1, height - bar));
  surface_->fitImage();
}

void ScoreEditorWindow::relayoutScore() {
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
  const QSize surface = surface_->scoreSize();
  layOutSheet();
  hRange_ = horizontalRangeFor(surface.width());
  vRange_ = VerticalScrollRange(sheet_, staffDistance, surface.height());
  {
    const QSignalBlocker blockH(hScrollBar_);
    const QSignalBlocker blockV(vScrollBar_);
    hScrollBar_->setRange(hRange_.minimum, std::max(hRange_.minimum, hRange_.maximum));
    hScrollBar_->setSingleStep(quarterWidth);
    hScrollBar_->setPageStep(4 * quarterWidth);
    vScrollBar_->setRange(0, std::max(0, vRange_.maximum));
    vScrollBar_->setSingleStep(10);
    vScrollBar_->setPageStep(staffDistance);
  }
  scrollX = hScrollBar_->value();
  scrollY = vScrollBar_->value();
  if (cursorShown)
    drawCursor();
  if (isVisible())
    drawNote();
}

void ScoreEditorWindow::layOutSheet() {
  // The window lays out on every show, activation and song change; a big song's layout is
  // the costliest step of opening it, so it is made again only when its inputs changed.
  ScoreViewState view = viewState();
  view.sheet = nullptr;
  const std::uint64_t inputs = renderer_.layOutInputs(ctx_.song, view);
  if (sheetInputs_ && *sheetInputs_ == inputs)
    return;
  sheet_ = renderer_.layOut(ctx_.song, view);
  sheetInputs_ = inputs;
}

void ScoreEditorWindow::drawNote() {
  QElapsedTimer clock;
  clock.start();
  surface_->fitImage();
  ScoreViewState view = viewState();
  try {
    renderer_.drawNote(surface_->image(), ctx_.song, view);
  } catch (const std::exception &e) {
    // An unexpected error in a handler: its description, as every window shows one.
    if (ctx_.prompts)
      ctx_.prompts->message(this, QString::fromUtf8(e.what()));
    return;
  }
  scrollX = view.scrollX;
  cursorShown = false;
  rectShown_ = false;
  caption_ =
      QString::fromStdString(ScoreCaptionAfterRedraw(static_cast<int>(clock.elapsed()), ctx_.song));
  setWindowTitle(caption_);
  surface_->update();
  emit redrawn();
}

void ScoreEditorWindow::setScrollValue(QScrollBar *bar, int value) {
  bar->setValue(std::clamp(value, bar->minimum(), bar->maximum()));
}

ScrollRange ScoreEditorWindow::horizontalRangeFor(int surfaceWidth) const {
  if (ctx_.settings.isClassicScore)
    return HorizontalScrollRange(ctx_.song, quarterWidth, surfaceWidth);
  return HorizontalScrollRange(sheet_, surfaceWidth);
}

void ScoreEditorWindow::followCursor(int tick) {
  const std::optional<int> value =
      ctx_.settings.isClassicScore
          ? FollowCursorScroll(tick, quarterWidth, scrollX, surface_->scoreSize().width(), hRange_)
          : FollowCursorScroll(sheet_, tick, scrollX, surface_->scoreSize().width(), hRange_);
  if (!value)
    return;
  following_ = true;
  setScrollValue(hScrollBar_, *value);
  following_ = false;
}

void ScoreEditorWindow::followPartVertically(int part) {
  const int height = surface_->scoreSize().height();
  following_ = true;
  const SheetRow &row = sheet_.row(part);
  const int bottom = ctx_.settings.isClassicScore ? kCursorBottom : row.band.bottom;
  if (PartTop(sheet_, part, scrollY) + bottom > height)
    setScrollValue(vScrollBar_, vScrollBar_->value() +
                                    std::max<int>(staffDistance, PartTop(sheet_, part, scrollY) +
                                                                     bottom - height));
  if (PartTop(sheet_, part, scrollY) + kStaffTopLine + 4 * kStaffLineGap < 0)
    setScrollValue(vScrollBar_, row.top + kCursorTop);
  following_ = false;
}

void ScoreEditorWindow::drawCursor() {
  const Part &part = ctx_.song.part(ScoreCurrentPart(ctx_.song));
  if (part.scoreHeader.selLength > 0)
    return;
  // Only a cursor being drawn scrolls into view; removing one leaves the view alone.
  if (!cursorShown) {
    const int cursor = std::clamp(part.scoreHeader.cursor, 0, part.scoreHeader.count);
    followCursor(part.score[static_cast<std::size_t>(cursor)].start);
    followPartVertically(ScoreCurrentPart(ctx_.song));
  }
  const ScoreViewState view = viewState();
  XorRect(surface_->image(), renderer_.cursorArea(ctx_.song, view),
          ScoreRenderer::cursorMask(view));
  cursorShown = !cursorShown;
  surface_->update();
}

void ScoreEditorWindow::drawSelection() {
  const Part &part = ctx_.song.part(ScoreCurrentPart(ctx_.song));
  if (!rectShown_) {
    const int cursor = std::clamp(part.scoreHeader.cursor, 0, part.scoreHeader.count);
    followCursor(part.score[static_cast<std::size_t>(cursor)].start);
  }
  const ScoreViewState view = viewState();
  XorRect(surface_->image(), renderer_.selectionArea(ctx_.song, view),
          ScoreRenderer::selectionMask(view));
  rectShown_ = !rectShown_;
  surface_->update();
}

void ScoreEditorWindow::hideMarks() {
  if (cursorShown)
    drawCursor();
  if (rectShown_)
    drawSelection();
}

void ScoreEditorWindow::showMarks() {
  if (playing())
    return;
  const Part &part = ctx_.song.part(ScoreCurrentPart(ctx_.song));
  if (part.scoreHeader.selLength > 0) {
    if (!rectShown_)
      drawSelection();
  } else if (!cursorShown) {
    drawCursor();
  }
}

// --- window events -----------------------------------------------------------------------

void ScoreEditorWindow::resizeEvent(QResizeEvent *event) {
  ChildWindow::resizeEvent(event);
  if (ctx_.startingUp) {
    layoutControls();
    return;
  }
  const bool rect = rectShown_;
  hideMarks();
  relayoutScore();
  if (rect)
    drawSelection();
}

void ScoreEditorWindow::showEvent(QShowEvent *event) {
  ChildWindow::showEvent(event);
  if (!ctx_.startingUp)
    relayoutScore();
}

bool ScoreEditorWindow::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::FocusIn && (watched == hScrollBar_ || watched == vScrollBar_))
    isActive = false;
  return ChildWindow::eventFilter(watched, event);
}

void ScoreEditorWindow::onHorizontalScroll(int value) {
  if (hRange_.minimum >= hRange_.maximum)
    return;
  scrollX = value;
  if (!isVisible())
    return;
  const bool rect = rectShown_;
  drawNote();
  if (rect && !following_)
    drawSelection();
}

void ScoreEditorWindow::onVerticalScroll(int value) {
  scrollY = value;
  if (!isVisible())
    return;
  const bool rect = rectShown_;
  drawNote();
  if (rect && !following_)
    drawSelection();
}

void ScoreEditorWindow::onActivated() {
  windowActive_ = true;
  ctx_.session.editScoreLists();
  relayoutScore();
  isActive = true;
  surface_->setFocus();
  ownEdit_ = true; // laid out just above
  ctx_.session.setScoreSelection(ScoreCurrentPart(ctx_.song), 0);
  ownEdit_ = false;
  if (!playing())
    drawCursor();
  blinkTimer_.start();
  ctx_.settings.activeWindow = WindowId::ScoreEditor;
}

void ScoreEditorWindow::onDeactivated() {
  hideMarks();
  ctx_.session.editNoteLists();
  isActive = false;
  windowActive_ = false;
  blinkTimer_.stop();
}

void ScoreEditorWindow::onBlinkTimeout() {
  if (!isActive || playing())
    return;
  if (ctx_.song.part(ScoreCurrentPart(ctx_.song)).scoreHeader.selLength > 0)
    return;
  drawCursor();
}

void ScoreEditorWindow::onPreviewTimeout() {
  previewTimer_.stop();
  ctx_.session.player().endPreview();
}

// --- zoom --------------------------------------------------------------------------------

void ScoreEditorWindow::zoomWidth(bool wider) {
  const int old = quarterWidth;
  quarterWidth = static_cast<std::int16_t>(ZoomedQuarterWidth(quarterWidth, wider));
  ctx_.settings.quarterWidth = quarterWidth;
  layOutSheet();
  const ScrollRange range = horizontalRangeFor(surface_->scoreSize().width());
  applyZoom(hScrollBar_, range, ScaledScrollValue(scrollX, old, quarterWidth, range));
}

void ScoreEditorWindow::zoomHeight(bool wider) {
  const int old = staffDistance;
  staffDistance = static_cast<std::int16_t>(ZoomedStaffDistance(staffDistance, wider));
  ctx_.settings.staffDistance = staffDistance;
  layOutSheet();
  const ScrollRange range =
      VerticalScrollRange(sheet_, staffDistance, surface_->scoreSize().height());
  applyZoom(vScrollBar_, range, ScaledScrollValue(scrollY, old, staffDistance, range));
}

void ScoreEditorWindow::applyZoom(QScrollBar *bar, const ScrollRange &range, int value) {
  // The marks are drawn by inversion: take them off before the surface is redrawn at the new
  // scale, and put the selection back afterwards.
  const bool rect = rectShown_;
  hideMarks();
  {
    const QSignalBlocker block(bar);
    bar->setRange(range.minimum, std::max(range.minimum, range.maximum));
    bar->setValue(value);
  }
  relayoutScore();
  if (rect)
    drawSelection();
}

void ScoreEditorWindow::zoomScore(int direction) {
  const int percent =
      direction == 0 ? kDefaultScorePercent : ZoomedScorePercent(scorePercent_, direction > 0);
  if (percent == scorePercent_)
    return;
  ctx_.settings.scoreZoom = percent;
  const bool rect = rectShown_;
  hideMarks();
  applyScorePercent(percent);
  relayoutScore();
  if (rect)
    drawSelection();
  else if (windowActive_)
    showMarks();
}

void ScoreEditorWindow::zoomIn() {
  zoomWidth(true);
}
void ScoreEditorWindow::zoomOut() {
  zoomWidth(false);
}
void ScoreEditorWindow::spreadStaves() {
  zoomHeight(true);
}
void ScoreEditorWindow::tightenStaves() {
  zoomHeight(false);
}

// --- keys --------------------------------------------------------------------------------

void ScoreEditorWindow::triggerItem(QAction *MainActions::*name) {
  if (QAction *item = ctx_.action(name))
    item->trigger();
}

void ScoreEditorWindow::runCommand(ScoreCommand command) {
  // The menu items that carry out the shortcut commands, in ScoreCommand's order.
  static constexpr QAction *MainActions::*kItems[] = {nullptr,
                                                      &MainActions::longer,
                                                      &MainActions::shorter,
                                                      &MainActions::tie,
                                                      &MainActions::playAll,
                                                      &MainActions::playSolo,
                                                      &MainActions::playMeasure,
                                                      &MainActions::stopPlay};
  if (QAction *MainActions::*name = kItems[static_cast<int>(command)])
    triggerItem(name);
}

void ScoreEditorWindow::handleKey(int keyCode, int shift) {
  ScoreKeyOptions options;
  options.shortCuts = ctx_.settings.shortcuts;
  options.isManyUndo = ctx_.settings.isManyUndo;
  options.isNoCheck = ctx_.settings.isNoCheck;
  options.letters.nearestOctave = ctx_.settings.isNearestOctave;
  options.letters.keyAndBarAccidentals = ctx_.settings.isKeyAccidentals;
  const KeySignature key = KeyOf(ctx_.song);
  options.letters.keyFifths = key.fifths;
  options.letters.keyLabels = SpelledLabels(renderer_.table(), key);
  options.playing = playing();
  if (options.playing) {
    runCommand(runKey(keyCode, shift, options).command);
    return;
  }
  if (const std::optional<int> zoom = ScoreZoomKey(keyCode, shift, options.shortCuts)) {
    zoomScore(*zoom);
    return;
  }
  hideMarks();
  finishEdit(runKey(keyCode, shift, options));
}

ScoreKeyOutcome ScoreEditorWindow::runKey(int keyCode, int shift, const ScoreKeyOptions &options) {
  // One edit through the session per key: its snapshot and dirty mark, and the other views
  // told; this window lays itself out in finishEdit.
  ownEdit_ = true;
  const ScoreKeyOutcome out =
      ctx_.session.editScore(HandleScoreKey, keyCode, shift, options, renderer_.table());
  ownEdit_ = false;
  return out;
}

void ScoreEditorWindow::dropSelection(int part) {
  ownEdit_ = true;
  ctx_.session.setScoreSelection(part, 0);
  ownEdit_ = false;
}

void ScoreEditorWindow::finishPointerEdit(const ScoreKeyOutcome &out) {
  if (playing())
    return;
  hideMarks();
  ownEdit_ = true;
  ctx_.session.applyScore(out);
  ownEdit_ = false;
  finishEdit(out);
}

ScoreHitView ScoreEditorWindow::hitView() const {
  ScoreHitView v;
  v.engraving.quarterWidth = quarterWidth;
  v.engraving.staffDistance = staffDistance;
  v.engraving.scrollX = scrollX;
  v.engraving.width = surface_->scoreSize().width();
  v.engraving.labels = ctx_.settings.isDoReMi;
  v.scrollY = scrollY;
  v.classic = ctx_.settings.isClassicScore;
  v.sheet = &sheet_;
  return v;
}

ScoreHit ScoreEditorWindow::hitAt(QPoint scorePoint) const {
  return HitTestScore(ctx_.song, hitView(), renderer_.table(), renderer_.metrics(), scorePoint.x(),
                      scorePoint.y());
}

ScoreHit ScoreEditorWindow::hitInPart(int part, QPoint scorePoint) const {
  return HitTestPart(ctx_.song, hitView(), renderer_.table(), renderer_.metrics(), part,
                     scorePoint.x(), scorePoint.y());
}

void ScoreEditorWindow::finishEdit(const ScoreKeyOutcome &out) {
  const Song &song = ctx_.song;
  if (out.scroll == VerticalScroll::ToMaximum)
    setScrollValue(vScrollBar_, vScrollBar_->maximum());
  else if (out.scroll == VerticalScroll::ToMinimum)
    setScrollValue(vScrollBar_, vScrollBar_->minimum());
  // Moving to a hidden empty part shows it.
  if (out.changed || !sheet_.row(ScoreCurrentPart(song)).shown)
    relayoutScore();
  runCommand(out.command);
  showMarks();
  if (out.preview > 0 && ctx_.settings.isPreview) {
    ctx_.session.player().previewNote(ScoreCurrentPart(song), out.preview);
    previewTimer_.start();
  }
  if (out.feedback)
    refreshFeedback();
}

void ScoreEditorWindow::refreshFeedback() {
  ctx_.session.reportPositionText(
      QString::fromStdString(CursorTimeText(ctx_.song, ctx_.settings.isTick)));
  caption_ = QString::fromStdString(ScoreCaption(caption_.toStdString(), ctx_.song));
  setWindowTitle(caption_);
}

void ScoreEditorWindow::openDroppedFiles(const QStringList &files) {
  // The first file only, opened by its extension as one named on the command line.
  if (!files.isEmpty())
    emit fileDropped(files.first());
}

// --- undo --------------------------------------------------------------------------------

void ScoreEditorWindow::Undo() {
  hideMarks();
  if (!ctx_.settings.isManyUndo) {
    // Single-step undo: the session exchanges with the backup slot in place.
    (void)ctx_.session.undo();
    relayoutScore();
    if (windowActive_)
      showMarks();
    return;
  }
  const QString snapshot = ctx_.session.undoSnapshotPath();
  afterHistoryMove(snapshot, ctx_.session.undo());
}

void ScoreEditorWindow::Redo() {
  hideMarks();
  const QString snapshot = ctx_.session.redoSnapshotPath();
  afterHistoryMove(snapshot, ctx_.session.redo());
}

void ScoreEditorWindow::afterHistoryMove(const QString &snapshotPath, const Status &status) {
  // A loaded snapshot replaced the song: the frame refreshed every window already.
  if (!status && ctx_.prompts)
    ShowFileFailure(*ctx_.prompts, this, snapshotPath, status.failure(), FileAccess::Read);
  if (windowActive_)
    showMarks();
}

} // namespace pipora
