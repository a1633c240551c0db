#include "views/source/source_editor_window.h"

#include "editing/score_geometry.h"
#include "editing/source_list_edits.h"
#include "model/keymap.h"
#include "model/source_line.h"
#include "model/vocabulary.h"
#include "platform/ui/virtual_keys.h"
#include "views/file_commands.h"
#include "views/position_text.h"
#include "views/score/score_editor_window.h"
#include "views/source/tab_text.h"

#include <QAction>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cmath>

namespace pipora {
namespace {

bool IsEnterKey(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

QString Utf8(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

SourceEditorWindow::SourceEditorWindow(AppContext &ctx, QWidget *parent)
    : ChildWindow(ctx, "sourceEditor", parent) {
  headerBox_ = new TabLineEdit(this);
  headerBox_->setObjectName("headerBox");
  headerBox_->setReadOnly(true);
  headerBox_->setFocusPolicy(Qt::NoFocus);
  headerBox_->setText(headerText());
  partLabel_ = new QLabel(this);
  partLabel_->setObjectName("partLabel");
  partLabel_->setAlignment(Qt::AlignCenter);
  noteList_ = new QListWidget(this);
  noteList_->setObjectName("noteList");
  noteList_->setItemDelegate(new TabItemDelegate(noteList_));
  // Rows are selected for the clipboard and the transforms, several at once.
  noteList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  noteList_->setUniformItemSizes(true);
  noteList_->setAcceptDrops(true);
  noteList_->viewport()->setAcceptDrops(true);
  noteList_->setDragDropMode(QAbstractItemView::DropOnly);
  pitchBox_ = new QLineEdit(this);
  pitchBox_->setObjectName("pitchBox");
  lengthBox_ = new QLineEdit(this);
  lengthBox_->setObjectName("lengthBox");

  for (QObject *o : {static_cast<QObject *>(headerBox_), static_cast<QObject *>(noteList_),
                     static_cast<QObject *>(noteList_->viewport()),
                     static_cast<QObject *>(pitchBox_), static_cast<QObject *>(lengthBox_)})
    o->installEventFilter(this);
  for (QWidget *w : {static_cast<QWidget *>(headerBox_), static_cast<QWidget *>(partLabel_),
                     static_cast<QWidget *>(noteList_), static_cast<QWidget *>(pitchBox_),
                     static_cast<QWidget *>(lengthBox_)})
    watchForSnapping(w);

  connect(noteList_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0)
      onLineSelected();
  });
  connect(pitchBox_, &QLineEdit::textChanged, this, &SourceEditorWindow::upperCasePitch);
  connect(&ctx_.session, &EditorSession::songChanged, this, &SourceEditorWindow::followSong);
  applyFont(ctx_.settings.sourceFont);
}

void SourceEditorWindow::followSong() {
  if (followPending_ || !isShownInFrame())
    return;
  followPending_ = true;
  QTimer::singleShot(0, this, [this] {
    followPending_ = false;
    if (!isShownInFrame() || ctx_.session.isPlaying())
      return;
    // The score editor's lists are the live ones while it edits, in the part it shows.
    const bool scoreEdits = ctx_.session.editedLists() == EditedLists::Score;
    ctx_.session.syncNoteLists();
    fillList(scoreEdits ? ScoreCurrentPart(ctx_.song) : ctx_.song.currentPart);
  });
}

QString SourceEditorWindow::headerText() {
  return QStringLiteral("Loc\tNote\t\tLen");
}

QString SourceEditorWindow::lineText(const Song &song, const NoteEntry &e) {
  return Utf8(SourceListLine(e, song.ticksPerBeat, song.beatsPerMeasure));
}

const Part &SourceEditorWindow::currentPart() const {
  return ctx_.song.part(ctx_.song.currentPart);
}

// --- showPartInList and the line selection --------------------------------------------------

void SourceEditorWindow::bringForward() {
  // Activating this window first lets the score editor hand its lists back before the
  // list is built from them.
  inShowPartInList_ = true;
  if (!isShownInFrame()) {
    showInFrame();
  } else {
    activateInFrame();
    focusList();
  }
  inShowPartInList_ = false;
}

void SourceEditorWindow::showPartInList(int part) {
  if (part < 1 || part > kUserParts)
    return;
  bringForward();
  fillList(part);
  ctx_.session.setCurrentPart(part);
  if (noteList_->currentRow() >= 0)
    onLineSelected();
  focusList();
}

void SourceEditorWindow::fillList(int part) {
  if (part < 1 || part > kUserParts)
    return;
  ctx_.session.recalcTimes();
  const Song &song = ctx_.song;
  const Part &p = song.part(part);
  QStringList lines;
  lines.reserve(p.count + 1);
  for (int i = 0; i <= p.count; ++i) {
    const NoteEntry &e = p.notes[static_cast<std::size_t>(i)];
    lines << lineText(song, e);
    const int octave = static_cast<int>(std::floor(e.noteNumber / 12.0)) - 1;
    if (octave > 1)
      rememberedOctave_ = octave;
  }
  if (rememberedOctave_ == 0)
    rememberedOctave_ = 4;
  {
    const QSignalBlocker block(noteList_);
    noteList_->clear();
    noteList_->addItems(lines);
  }
  if (p.cursor >= 0 && p.cursor <= p.count) {
    const QSignalBlocker block(noteList_);
    noteList_->setCurrentRow(p.cursor);
  }
}

void SourceEditorWindow::focusList() {
  noteList_->setFocus(Qt::OtherFocusReason);
  listHasFocus_ = noteList_->hasFocus() || listHasFocus_;
}

void SourceEditorWindow::onLineSelected() {
  const Part &p = currentPart();
  const int row = noteList_->currentRow();
  if (row < 0 || row > p.count)
    return;
  ctx_.session.setSourceCursor(row);
  const NoteEntry &e = p.notes[static_cast<std::size_t>(row)];
  {
    const QSignalBlocker block(pitchBox_);
    if (!e.pitch.empty()) {
      QString pitch = Utf8(e.pitch) + QString::number(SourceOctave(e.noteNumber));
      if (pitch.startsWith('R'))
        pitch = QStringLiteral("R");
      pitchBox_->setText(pitch);
      lengthBox_->setText(Utf8(e.length));
    } else {
      pitchBox_->clear();
      lengthBox_->clear();
    }
  }
  ctx_.session.reportPositionText(SourcePositionText(
      ctx_.song, ctx_.song.currentPart, row, ctx_.settings.isTick, MinutesForm::FromSongStart));
  partLabel_->setText(
      QStringLiteral("CH%1[%2/%3]").arg(ctx_.song.currentPart).arg(row + 1).arg(p.count));
  placeLabel();
  ctx_.session.reportPosition(e.start);
}

QString SourceEditorWindow::positionTextForMenu() const {
  const Part &p = ctx_.song.part(ctx_.song.currentPart);
  const int row = noteList_->currentRow() >= 0 ? noteList_->currentRow() : p.cursor;
  return SourcePositionText(ctx_.song, ctx_.song.currentPart, row, ctx_.settings.isTick,
                            MinutesForm::AbsoluteSigned);
}

// --- keys in the list ------------------------------------------------------------------

bool SourceEditorWindow::listKeyDown(QKeyEvent *event) {
  const int code = ShortcutCodeOf(*event);
  const bool plain = ModifierMaskOf(event->modifiers()) == 0;
  const bool wasPlaying = ctx_.session.isPlaying();
  const int key = event->key();
  const Song &song = ctx_.song;
  bool consumed = false;

  if (plain && key == Qt::Key_Right) {
    showPartInList(song.currentPart % 16 + 1);
    relayout();
    return true;
  }
  if (plain && key == Qt::Key_Left) {
    showPartInList((song.currentPart + 14) % 16 + 1);
    relayout();
    return true;
  }
  if (plain && key == Qt::Key_Insert) {
    insertOnList();
    consumed = true;
  } else if (plain && IsEnterKey(key)) {
    enterOnList();
    consumed = true;
  } else if (plain && ((key >= Qt::Key_A && key <= Qt::Key_G) || key == Qt::Key_R)) {
    enterOnList();
    pitchBox_->selectAll();
    pitchBox_->insert(QString(QChar(static_cast<char16_t>(key))));
    consumed = true;
  } else if (!wasPlaying) {
    QAction *MainActions::*item = nullptr;
    if (const auto play = ResolveShortCut(code, ctx_.settings.shortcuts, kListPlayActions))
      item = *play == ShortCutAction::SoloPlay  ? &MainActions::playSolo
             : *play == ShortCutAction::PlayAll ? &MainActions::playAll
                                                : &MainActions::playMeasure;
    if (item) {
      if (QAction *a = ctx_.action(item))
        a->trigger();
      consumed = true;
    }
  }
  // Stop is tested for every key, against the state the key found: a play started by
  // this very key is not stopped again by it.
  if (wasPlaying && ResolveShortCut(code, ctx_.settings.shortcuts, kStopAction)) {
    if (QAction *a = ctx_.action(&MainActions::stopPlay))
      a->trigger();
    consumed = true;
  }
  return consumed;
}

void SourceEditorWindow::enterOnList() {
  const int part = ctx_.song.currentPart;
  if (noteList_->currentRow() == ctx_.song.part(part).count) {
    ctx_.session.edit(OpenLineAtEnd, part);
    showPartInList(part);
    pendingInsertion_ = true;
  }
  pitchBox_->setFocus(Qt::OtherFocusReason);
  pitchBox_->selectAll();
}

void SourceEditorWindow::insertOnList() {
  const int part = ctx_.song.currentPart;
  const int row = noteList_->currentRow();
  ctx_.session.edit(CopyLineBefore, part, row);
  showPartInList(part);
  enterOnList();
  pendingInsertion_ = true;
}

// --- the pitch and length boxes --------------------------------------------------------

void SourceEditorWindow::upperCasePitch() {
  const QString upper = pitchBox_->text().toUpper();
  if (upper == pitchBox_->text())
    return;
  const int caret = pitchBox_->cursorPosition();
  const QSignalBlocker block(pitchBox_);
  pitchBox_->setText(upper);
  pitchBox_->setCursorPosition(caret);
}

bool SourceEditorWindow::pitchBoxKey(QKeyEvent *event) {
  if (IsEnterKey(event->key())) {
    lengthBox_->setFocus(Qt::OtherFocusReason);
    lengthBox_->selectAll();
    return true;
  }
  if (event->key() == Qt::Key_Escape) {
    escapeFromBox(false);
    return true;
  }
  const QString text = event->text();
  if (text.isEmpty() || !text.at(0).isPrint())
    return false; // movement and editing keys keep their meaning
  static const QString accepted = QStringLiteral("ABCDEFGabcdefg23456#Rr");
  return !accepted.contains(text.at(0));
}

bool SourceEditorWindow::lengthBoxKey(QKeyEvent *event) {
  if (IsEnterKey(event->key())) {
    commitEntry();
    return true;
  }
  if (event->key() == Qt::Key_Escape) {
    escapeFromBox(true);
    return true;
  }
  const QString text = event->text();
  if (text.isEmpty() || !text.at(0).isPrint())
    return false;
  static const QString accepted = QStringLiteral("123468_");
  return !accepted.contains(text.at(0));
}

void SourceEditorWindow::escapeFromBox(bool lengthBox) {
  const int part = ctx_.song.currentPart;
  const int count = ctx_.song.part(part).count;
  const int row = noteList_->currentRow();
  const bool nextIsEnd = row + 1 == count;
  if (pendingInsertion_ && (!lengthBox || nextIsEnd) && row >= 0 && row < count) {
    ctx_.session.editNotes(TakeBackLine, part, row);
    showPartInList(part);
  }
  focusList();
  onLineSelected();
  pendingInsertion_ = false;
}

void SourceEditorWindow::commitEntry() {
  const int part = ctx_.song.currentPart;
  const SourceEntry entry{pitchBox_->text().toStdString(), lengthBox_->text().toStdString()};
  const int octave = rememberedOctave_;
  ctx_.session.editNotes(ReplaceLine, part, entry, octave);
  showPartInList(part);
  pendingInsertion_ = false;
}

// --- events ----------------------------------------------------------------------------

bool SourceEditorWindow::eventFilter(QObject *watched, QEvent *event) {
  const QEvent::Type type = event->type();
  if (watched == headerBox_ && (type == QEvent::KeyPress || type == QEvent::KeyRelease))
    return true;
  if (watched == noteList_) {
    if (type == QEvent::KeyPress) {
      auto *key = static_cast<QKeyEvent *>(event);
      if (listKeyDown(key))
        return true;
      // Letters never move the selection: their key-down action has run.
      const QString text = key->text();
      if (text.size() == 1 && QStringLiteral("ABCDEFGabcdefgRr").contains(text.at(0)))
        return true;
    } else if (type == QEvent::ShortcutOverride) {
      // The play and stop shortcuts reach the list before the frame's accelerators.
      auto *key = static_cast<QKeyEvent *>(event);
      const int code = ShortcutCodeOf(*key);
      if (ResolveShortCut(code, ctx_.settings.shortcuts, kListShortCutActions) ||
          key->key() == Qt::Key_Insert) {
        event->accept();
        return true;
      }
    } else if (type == QEvent::FocusIn) {
      listHasFocus_ = true;
    } else if (type == QEvent::FocusOut) {
      // A menu opened over the list leaves the Edit commands working on it.
      const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
      if (reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason)
        listHasFocus_ = false;
    }
  }
  if (watched == noteList_->viewport() &&
      (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop))
    return handleDrop(event);
  if ((watched == pitchBox_ || watched == lengthBox_) && type == QEvent::KeyPress) {
    auto *key = static_cast<QKeyEvent *>(event);
    return watched == pitchBox_ ? pitchBoxKey(key) : lengthBoxKey(key);
  }
  if ((watched == pitchBox_ || watched == lengthBox_) && type == QEvent::FocusIn) {
    auto *box = static_cast<QLineEdit *>(watched);
    box->selectAll();
  }
  return ChildWindow::eventFilter(watched, event);
}

bool SourceEditorWindow::handleDrop(QEvent *event) {
  auto *drop = static_cast<QDropEvent *>(event);
  const QMimeData *mime = drop->mimeData();
  if (!mime || !mime->hasUrls()) {
    event->ignore();
    return true;
  }
  if (event->type() != QEvent::Drop) {
    drop->acceptProposedAction();
    return true;
  }
  drop->acceptProposedAction();
  const QList<QUrl> urls = mime->urls();
  const QString name = urls.isEmpty() ? QString() : urls.first().toLocalFile();
  if (!name.isEmpty())
    emit fileDropped(name);
  return true;
}

void SourceEditorWindow::activated() {
  ctx_.settings.activeWindow = WindowId::SourceEditor;
  if (inShowPartInList_)
    return;
  ctx_.session.editNoteLists();
  if (isShownInFrame())
    showPartInList(ctx_.song.currentPart);
}

void SourceEditorWindow::deactivated() {
  ctx_.session.refreshScoreLists();
}

void SourceEditorWindow::resizeEvent(QResizeEvent *event) {
  ChildWindow::resizeEvent(event);
  if (!ctx_.startingUp)
    relayout();
}

// --- layout ------------------------------------------------------------------------------

QFont SourceEditorWindow::sourceFont() const {
  return headerBox_->font();
}

void SourceEditorWindow::applyFont(const SourceFont &f) {
  QFont font(f.name);
  font.setPointSizeF(f.size > 0 ? f.size : 10);
  font.setBold(f.bold);
  font.setItalic(f.italic);
  for (QWidget *w : {static_cast<QWidget *>(this), static_cast<QWidget *>(headerBox_),
                     static_cast<QWidget *>(pitchBox_), static_cast<QWidget *>(lengthBox_),
                     static_cast<QWidget *>(noteList_), static_cast<QWidget *>(partLabel_)})
    w->setFont(font);
  relayout();
}

void SourceEditorWindow::placeLabel() {
  partLabel_->adjustSize();
  const int labelWidth = partLabel_->width() + 8;
  const int textWidth = width() - labelWidth;
  if (textWidth > 0) {
    headerBox_->resize(textWidth, headerBox_->height());
    partLabel_->setGeometry(textWidth, 0, labelWidth, headerBox_->height());
  }
}

void SourceEditorWindow::relayout() {
  const QFont font = headerBox_->font();
  const QFontMetrics fm(font);
  // The header row is as high as the font's size; never lower than its text needs.
  const int h = std::max(static_cast<int>(std::lround(font.pointSizeF() * logicalDpiY() / 72.0)),
                         fm.height() + 6);
  headerBox_->setGeometry(0, 0, headerBox_->width(), h);
  partLabel_->resize(partLabel_->width(), h);
  const int text2Left = fm.horizontalAdvance(QString(16, QChar('0')));
  const int text3Left = fm.horizontalAdvance(QString(31, QChar('0')));
  pitchBox_->setGeometry(text2Left, 0, 2 * h, h);
  lengthBox_->setGeometry(text3Left, 0, 2 * h, h);
  pitchBox_->raise();
  lengthBox_->raise();
  if (height() - h > 0)
    noteList_->setGeometry(0, h, width(), height() - h);
  placeLabel();
  partLabel_->raise();
}

} // namespace pipora
