#include "views/srcview.h"

#include "model/vocabulary.h"
#include "platform/ui/virtual_keys.h"
#include "views/file_commands.h"
#include "views/frmScr.h"
#include "views/main.h"
#include "views/position_text.h"
#include "views/tab_text.h"

#include <QAction>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QScrollBar>

#include <algorithm>
#include <array>
#include <cmath>

namespace pipora {
namespace {

constexpr std::array<std::string_view, 16> kLengthCodes = {"2",   "4",   "8",   "16",  "2_", "4_",
                                                           "8_",  "16_", "23",  "43",  "83", "163",
                                                           "23_", "43_", "83_", "163_"};

bool IsEnterKey(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// floor(n / 12) - 1, times the sign of n: a rest shows octave 0.
int ListOctave(int noteNumber) {
  if (noteNumber == 0)
    return 0;
  const int octave = static_cast<int>(std::floor(noteNumber / 12.0)) - 1;
  return noteNumber > 0 ? octave : -octave;
}

QString Utf8(const std::string &s) {
  return QString::fromStdString(s);
}

} // namespace

srcview::srcview(AppContext &ctx, QWidget *parent) : ChildWindow(ctx, "srcview", parent) {
  Text1 = new TabLineEdit(this);
  Text1->setObjectName("Text1");
  Text1->setReadOnly(true);
  Text1->setFocusPolicy(Qt::NoFocus);
  Text1->setText(headerText());
  CHLabel = new QLabel(this);
  CHLabel->setObjectName("CHLabel");
  CHLabel->setAlignment(Qt::AlignCenter);
  List1 = new QListWidget(this);
  List1->setObjectName("List1");
  List1->setItemDelegate(new TabItemDelegate(List1));
  // Rows are selected for the clipboard and the transforms, several at once.
  List1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  List1->setUniformItemSizes(true);
  List1->setAcceptDrops(true);
  List1->viewport()->setAcceptDrops(true);
  List1->setDragDropMode(QAbstractItemView::DropOnly);
  Text2 = new QLineEdit(this);
  Text2->setObjectName("Text2");
  Text3 = new QLineEdit(this);
  Text3->setObjectName("Text3");

  for (QObject *o : {static_cast<QObject *>(Text1), static_cast<QObject *>(List1),
                     static_cast<QObject *>(List1->viewport()), static_cast<QObject *>(Text2),
                     static_cast<QObject *>(Text3)})
    o->installEventFilter(this);
  for (QWidget *w : {static_cast<QWidget *>(Text1), static_cast<QWidget *>(CHLabel),
                     static_cast<QWidget *>(List1), static_cast<QWidget *>(Text2),
                     static_cast<QWidget *>(Text3)})
    watchForSnapping(w);

  connect(List1, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0)
      onLineSelected();
  });
  connect(Text2, &QLineEdit::textChanged, this, &srcview::upperCasePitch);
  if (ctx_.frame) {
    connect(ctx_.frame, &main::windowActivated, this, &srcview::onActivated);
    connect(ctx_.frame, &main::windowDeactivated, this, &srcview::onDeactivated);
  }
  applyFont(ctx_.settings.sourceFont);
}

QString srcview::headerText() {
  return QStringLiteral("Loc\tNote\t\tLen");
}

QString srcview::lineText(const Song &song, const NoteEntry &e) {
  const int t = song.ticksPerBeat > 0 ? song.ticksPerBeat : 480;
  const int b = song.beatsPerMeasure > 0 ? song.beatsPerMeasure : 4;
  const int measure = e.start / t / b + 1;
  const int beat = (e.start / t) % b + 1;
  const int tick10 = (e.start % t) / 10;
  return QStringLiteral("%1:%2:%3\t%4%5\t%6\t%7")
      .arg(measure)
      .arg(beat)
      .arg(tick10)
      .arg(Utf8(e.pitch))
      .arg(ListOctave(e.noteNumber))
      .arg(e.noteNumber)
      .arg(Utf8(e.length));
}

Part &srcview::currentPartRef() {
  return ctx_.song.part(ctx_.song.currentPart);
}

// --- ViewSrc and the line selection --------------------------------------------------

void srcview::bringForward() {
  if (!ctx_.frame)
    return;
  // Activating this window first lets the score editor hand its lists back before the
  // list is built from them.
  inViewSrc_ = true;
  if (!ctx_.frame->isChildVisible(this))
    ctx_.frame->setChildVisible(this, true);
  else
    ctx_.frame->focusActiveWindow(QStringLiteral("srcview"));
  inViewSrc_ = false;
}

void srcview::ViewSrc(int part) {
  if (part < 1 || part > kUserParts)
    return;
  bringForward();
  Song &song = ctx_.song;
  RecalcTimes(song);
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
    const QSignalBlocker block(List1);
    List1->clear();
    List1->addItems(lines);
  }
  song.currentPart = part;
  if (p.cursor >= 0 && p.cursor <= p.count) {
    const QSignalBlocker block(List1);
    List1->setCurrentRow(p.cursor);
  }
  if (List1->currentRow() >= 0)
    onLineSelected();
  focusList();
}

void srcview::focusList() {
  List1->setFocus(Qt::OtherFocusReason);
  ctx_.listHasFocus = List1->hasFocus() || ctx_.listHasFocus;
}

void srcview::onLineSelected() {
  Part &p = currentPartRef();
  const int row = List1->currentRow();
  if (row < 0 || row > p.count)
    return;
  p.cursor = row;
  const NoteEntry &e = p.notes[static_cast<std::size_t>(row)];
  {
    const QSignalBlocker block(Text2);
    if (!e.pitch.empty()) {
      QString pitch = Utf8(e.pitch) + QString::number(ListOctave(e.noteNumber));
      if (pitch.startsWith('R'))
        pitch = QStringLiteral("R");
      Text2->setText(pitch);
      Text3->setText(Utf8(e.length));
    } else {
      Text2->clear();
      Text3->clear();
    }
  }
  if (ctx_.hooks.showPosition)
    ctx_.hooks.showPosition(SourcePositionText(ctx_.song, ctx_.song.currentPart, row,
                                               ctx_.settings.isTick, MinutesForm::FromSongStart));
  CHLabel->setText(
      QStringLiteral("CH%1[%2/%3]").arg(ctx_.song.currentPart).arg(row + 1).arg(p.count));
  placeLabel();
  if (ctx_.hooks.scoreShowTick && ctx_.frame && ctx_.frame->isChildVisible(ctx_.score))
    ctx_.hooks.scoreShowTick(e.start);
}

QString srcview::positionTextForMenu() const {
  const Part &p = ctx_.song.part(ctx_.song.currentPart);
  const int row = List1->currentRow() >= 0 ? List1->currentRow() : p.cursor;
  return SourcePositionText(ctx_.song, ctx_.song.currentPart, row, ctx_.settings.isTick,
                            MinutesForm::AbsoluteSigned);
}

// --- keys in the list ------------------------------------------------------------------

bool srcview::listKeyDown(QKeyEvent *event) {
  const int code = ShortcutCodeOf(*event);
  const bool plain = ModifierMaskOf(event->modifiers()) == 0;
  const bool wasPlaying = ctx_.playing;
  const int key = event->key();
  Song &song = ctx_.song;
  bool consumed = false;

  if (plain && key == Qt::Key_Right) {
    ViewSrc(song.currentPart % 16 + 1);
    relayout();
    return true;
  }
  if (plain && key == Qt::Key_Left) {
    ViewSrc((song.currentPart + 14) % 16 + 1);
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
    Text2->selectAll();
    Text2->insert(QString(QChar(static_cast<char16_t>(key))));
    consumed = true;
  } else if (!wasPlaying) {
    const auto &sc = ctx_.settings.ShortCut;
    const char *item = nullptr;
    if (code == sc[kShortCutSoloPlay])
      item = "SoloPlayItem";
    else if (code == sc[kShortCutPlayAll])
      item = "AllPlayItem";
    else if (code == sc[kShortCutMeasurePlay])
      item = "MeasurePlayItem";
    if (item) {
      if (QAction *a = ctx_.action(item))
        a->trigger();
      consumed = true;
    }
  }
  // Stop is tested for every key, against the state the key found: a play started by
  // this very key is not stopped again by it.
  if (wasPlaying && code == ctx_.settings.ShortCut[kShortCutStop]) {
    if (QAction *a = ctx_.action("StopPlayItem"))
      a->trigger();
    consumed = true;
  }
  return consumed;
}

void srcview::enterOnList() {
  Song &song = ctx_.song;
  const int part = song.currentPart;
  Part &p = song.part(part);
  const int row = List1->currentRow();
  if (row == p.count) {
    if (p.count > 0) {
      const NoteEntry before = p.notes[static_cast<std::size_t>(p.count - 1)];
      InsertNote(song, part, p.count, before.noteNumber, before.length, before.pitch);
    } else {
      InsertNote(song, part, p.count, 0, "", "");
    }
    ViewSrc(part);
    pendingInsertion_ = true;
  }
  Text2->setFocus(Qt::OtherFocusReason);
  Text2->selectAll();
}

void srcview::insertOnList() {
  Song &song = ctx_.song;
  const int part = song.currentPart;
  Part &p = song.part(part);
  const int row = List1->currentRow();
  if (row >= 0 && row < p.count) {
    const NoteEntry copy = p.notes[static_cast<std::size_t>(row)];
    InsertNote(song, part, row, copy.noteNumber, copy.length, copy.pitch);
    p.cursor = row;
  }
  ViewSrc(part);
  enterOnList();
  pendingInsertion_ = true;
  song.dirty = true;
}

// --- the pitch and length boxes --------------------------------------------------------

void srcview::upperCasePitch() {
  const QString upper = Text2->text().toUpper();
  if (upper == Text2->text())
    return;
  const int caret = Text2->cursorPosition();
  const QSignalBlocker block(Text2);
  Text2->setText(upper);
  Text2->setCursorPosition(caret);
}

bool srcview::pitchBoxKey(QKeyEvent *event) {
  if (IsEnterKey(event->key())) {
    Text3->setFocus(Qt::OtherFocusReason);
    Text3->selectAll();
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

bool srcview::lengthBoxKey(QKeyEvent *event) {
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

void srcview::escapeFromBox(bool lengthBox) {
  Song &song = ctx_.song;
  Part &p = currentPartRef();
  const int row = List1->currentRow();
  const bool nextIsEnd = row + 1 == p.count;
  if (pendingInsertion_ && (!lengthBox || nextIsEnd) && row >= 0 && row < p.count) {
    DeleteNote(song, song.currentPart, row);
    ViewSrc(song.currentPart);
    BuildScoreList(song);
  }
  focusList();
  onLineSelected();
  pendingInsertion_ = false;
}

void srcview::commitEntry() {
  Song &song = ctx_.song;
  const int part = song.currentPart;
  Part &p = song.part(part);
  const int at = std::clamp(p.cursor, 0, p.count);
  NoteEntry &e = p.notes[static_cast<std::size_t>(at)];

  int noteNumber = NoteNumberFromText(Text2->text().toStdString());
  if (noteNumber == -1) {
    const int octave = static_cast<int>(std::floor(e.noteNumber / 12.0)) - 1;
    Text2->setText(Text2->text() + QString::number(octave > 1 ? octave : rememberedOctave_));
    noteNumber = NoteNumberFromText(Text2->text().toStdString());
  }
  const QString pitchText = Text2->text();
  if (!pitchText.isEmpty()) {
    e.pitch = pitchText.left(pitchText.size() - 1).toStdString();
    e.noteNumber = static_cast<std::int16_t>(std::max(noteNumber, 0));
  }
  const std::string length = Text3->text().toStdString();
  if (std::find(kLengthCodes.begin(), kLengthCodes.end(), length) != kLengthCodes.end())
    e.length = length;
  else if (!length.empty())
    e.length = std::string(kUnknownLength);
  if (e.length.empty())
    e.length = "4";
  if (e.pitch.empty())
    e.pitch = "R";

  p.cursor = at + 1;
  ViewSrc(part);
  EnsureScoreCapacity(song, part);
  BuildScoreList(song);
  if (ctx_.hooks.scoreRelayout)
    ctx_.hooks.scoreRelayout();
  song.dirty = true;
  pendingInsertion_ = false;
}

// --- events ----------------------------------------------------------------------------

bool srcview::eventFilter(QObject *watched, QEvent *event) {
  const QEvent::Type type = event->type();
  if (watched == Text1 && (type == QEvent::KeyPress || type == QEvent::KeyRelease))
    return true;
  if (watched == List1) {
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
      const auto &sc = ctx_.settings.ShortCut;
      if (code == sc[kShortCutSoloPlay] || code == sc[kShortCutPlayAll] ||
          code == sc[kShortCutMeasurePlay] || code == sc[kShortCutStop] ||
          key->key() == Qt::Key_Insert) {
        event->accept();
        return true;
      }
    } else if (type == QEvent::FocusIn) {
      ctx_.listHasFocus = true;
    } else if (type == QEvent::FocusOut) {
      // A menu opened over the list leaves the Edit commands working on it.
      const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
      if (reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason)
        ctx_.listHasFocus = false;
    }
  }
  if (watched == List1->viewport() &&
      (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop))
    return handleDrop(event);
  if ((watched == Text2 || watched == Text3) && type == QEvent::KeyPress) {
    auto *key = static_cast<QKeyEvent *>(event);
    return watched == Text2 ? pitchBoxKey(key) : lengthBoxKey(key);
  }
  if ((watched == Text2 || watched == Text3) && type == QEvent::FocusIn) {
    auto *box = static_cast<QLineEdit *>(watched);
    box->selectAll();
  }
  return ChildWindow::eventFilter(watched, event);
}

bool srcview::handleDrop(QEvent *event) {
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
  if (!name.isEmpty() && ctx_.frame)
    ctx_.frame->files().openDropped(name);
  return true;
}

void srcview::onActivated(QWidget *child) {
  if (child != this)
    return;
  ctx_.settings.ActiveWindow = QStringLiteral("srcview");
  if (inViewSrc_)
    return;
  BuildNoteList(ctx_.song);
  if (ctx_.frame && ctx_.frame->isChildVisible(this))
    ViewSrc(ctx_.song.currentPart);
}

void srcview::onDeactivated(QWidget *child) {
  if (child == this)
    BuildScoreList(ctx_.song);
}

void srcview::resizeEvent(QResizeEvent *event) {
  ChildWindow::resizeEvent(event);
  if (!ctx_.startingUp)
    relayout();
}

// --- layout ------------------------------------------------------------------------------

QFont srcview::sourceFont() const {
  return Text1->font();
}

void srcview::applyFont(const SourceFont &f) {
  QFont font(f.name);
  font.setPointSizeF(f.size > 0 ? f.size : 10);
  font.setBold(f.bold);
  font.setItalic(f.italic);
  for (QWidget *w : {static_cast<QWidget *>(this), static_cast<QWidget *>(Text1),
                     static_cast<QWidget *>(Text2), static_cast<QWidget *>(Text3),
                     static_cast<QWidget *>(List1), static_cast<QWidget *>(CHLabel)})
    w->setFont(font);
  relayout();
}

void srcview::placeLabel() {
  CHLabel->adjustSize();
  const int labelWidth = CHLabel->width() + 8;
  const int textWidth = width() - labelWidth;
  if (textWidth > 0) {
    Text1->resize(textWidth, Text1->height());
    CHLabel->setGeometry(textWidth, 0, labelWidth, Text1->height());
  }
}

void srcview::relayout() {
  const QFont font = Text1->font();
  const QFontMetrics fm(font);
  // The header row is as high as the font's size; never lower than its text needs.
  const int h = std::max(static_cast<int>(std::lround(font.pointSizeF() * logicalDpiY() / 72.0)),
                         fm.height() + 6);
  Text1->setGeometry(0, 0, Text1->width(), h);
  CHLabel->resize(CHLabel->width(), h);
  const int text2Left = fm.horizontalAdvance(QString(16, QChar('0')));
  const int text3Left = fm.horizontalAdvance(QString(31, QChar('0')));
  Text2->setGeometry(text2Left, 0, 2 * h, h);
  Text3->setGeometry(text3Left, 0, 2 * h, h);
  Text2->raise();
  Text3->raise();
  if (height() - h > 0)
    List1->setGeometry(0, h, width(), height() - h);
  placeLabel();
  CHLabel->raise();
}

} // namespace pipora
