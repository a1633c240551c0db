#include "views/property/property_window.h"

#include "editing/song_properties.h"

#include "platform/text/cp932.h"
#include "platform/ui/fonts.h"
#include "views/property/signature_boxes.h"
#include "views/window_arrangement.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPalette>
#include <QProgressBar>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

namespace pipora {
namespace {

constexpr int kTitleBytes = 24;
constexpr int kMaxVolume = kMaxPartVolume;
constexpr int kLevelMaximum = 100;
const QColor kLevelColour(46, 160, 67);
constexpr std::array<const char *, 4> kTempoCaptions = {"&1速い", "&2中速", "&3中遅", "&4遅い"};

QString Indexed(const char *name, int i) {
  return QStringLiteral("%1(%2)").arg(name).arg(i);
}

} // namespace

PropertyWindow::PropertyWindow(AppContext &ctx, QWidget *parent)
    : ChildWindow(ctx, "propertyWindow", parent) {
  QFont font(kUiFontName);
  font.setPointSize(9);
  setFont(font);

  titleFrame_ = new QGroupBox(QStringLiteral("タイトル/テンポ(&T)"), this);
  titleFrame_->setObjectName("titleFrame");
  auto *titleGrid = new QGridLayout(titleFrame_);
  titleGrid->setContentsMargins(6, 0, 6, 2);
  titleGrid->setSpacing(1);
  titleBox_ = new QLineEdit(titleFrame_);
  titleBox_->setObjectName("titleBox");
  titleGrid->addWidget(titleBox_, 0, 0, 1, 4);
  for (int i = 0; i < 4; ++i) {
    auto *b = new QRadioButton(QString::fromUtf8(kTempoCaptions[static_cast<std::size_t>(i)]),
                               titleFrame_);
    b->setObjectName(Indexed("tempoButton", i));
    // The captions name the steps; the speed is told on the button.
    const std::string_view bpm = TempoText(static_cast<TempoChoice>(i));
    b->setToolTip(QStringLiteral("♩=%1").arg(
        QString::fromUtf8(bpm.data(), static_cast<qsizetype>(bpm.size()))));
    titleGrid->addWidget(b, 1, i);
    tempoButtons_[static_cast<std::size_t>(i)] = b;
    watchForSnapping(b);
  }
  watchForSnapping(titleBox_);
  tempoButtons_[1]->setChecked(true);
  signatures_ = new SignatureBoxes(ctx, titleFrame_);
  titleGrid->addWidget(signatures_, 2, 0, 1, 4);
  // The key is found once the first notes tell it; a time signature comes from the options.
  for (auto signal :
       {&EditorSession::historyChanged, &EditorSession::songReplaced, &EditorSession::songChanged})
    connect(&ctx.session, signal, signatures_, &SignatureBoxes::refresh);

  volumeFrame_ = new QGroupBox(QStringLiteral("音量(&O)"), this);
  volumeFrame_->setObjectName("volumeFrame");
  auto *grid = new QGridLayout(volumeFrame_);
  grid->setContentsMargins(4, 0, 4, 2);
  grid->setHorizontalSpacing(1);
  grid->setVerticalSpacing(0);
  for (int i = 0; i < 16; ++i) {
    const auto at = static_cast<std::size_t>(i);
    auto *number = new QLabel(QString::number(i + 1), volumeFrame_);
    number->setObjectName(Indexed("partNumberLabel", i));
    number->setAlignment(Qt::AlignCenter);
    auto *bar = new QProgressBar(volumeFrame_);
    bar->setObjectName(Indexed("volumeBar", i));
    bar->setOrientation(Qt::Vertical);
    bar->setRange(0, kMaxVolume);
    bar->setValue(kDefaultVolume);
    bar->setTextVisible(false);
    bar->setFixedWidth(12);
    bar->setMinimumHeight(24);
    auto *value = new QLabel(QStringLiteral("0"), volumeFrame_);
    value->setObjectName(Indexed("volumeLabel", i));
    value->setAlignment(Qt::AlignCenter);
    grid->addWidget(number, 0, i);
    grid->addWidget(bar, 1, i, Qt::AlignHCenter);
    grid->addWidget(value, 2, i);
    grid->setRowStretch(1, 1);
    for (QWidget *w : {static_cast<QWidget *>(number), static_cast<QWidget *>(bar),
                       static_cast<QWidget *>(value)})
      w->installEventFilter(this);
    partNumberLabels_[at] = number;
    volumeBars_[at] = bar;
    volumeLabels_[at] = value;
  }

  auto *column = new QVBoxLayout(this);
  column->setContentsMargins(3, 0, 3, 3);
  column->setSpacing(0);
  // The window snaps between a tall and a short height; the short one shows only the
  // title and tempo, so the layout must not hold the window at the tall size.
  column->setSizeConstraint(QLayout::SetNoConstraint);
  column->addWidget(titleFrame_);
  column->addWidget(volumeFrame_, 1);

  connect(titleBox_, &QLineEdit::textChanged, this, &PropertyWindow::cutTitle);
  // A change made elsewhere (a list edit, undo of a volume) shows at once; while this window
  // is in use its own boxes hold what the user is typing, so only the volumes follow.
  connect(&ctx_.session, &EditorSession::songChanged, this, [this] {
    if (active_) {
      for (int i = 0; i < 16; ++i)
        showVolume(i);
    } else {
      loadFromSong();
    }
  });
}

int PropertyWindow::designHeight() {
  return kTallDesignHeight / 15;
}

int PropertyWindow::designUnitsPerPixel() const {
  const int dpi = logicalDpiY() > 0 ? logicalDpiY() : 96;
  return std::max(1, 1440 / dpi);
}

int PropertyWindow::snappedHeight(int outerHeight) const {
  const int tpp = designUnitsPerPixel();
  const int gridDesignUnits = GridStep(ctx_.settings) * tpp;
  const int designUnits =
      outerHeight * tpp > kSnapThresholdDesignHeight ? kTallDesignHeight : kShortDesignHeight;
  return static_cast<int>(
      std::lround(static_cast<double>(RoundToStep(designUnits, gridDesignUnits)) / tpp));
}

QString PropertyWindow::CutTitle(const QString &text) {
  if (ToCp932(text).size() <= kTitleBytes)
    return text;
  // Whole characters only: a double-byte character is never split in two.
  QString cut;
  int bytes = 0;
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype step = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    const QString ch = text.mid(i, step);
    const int size = static_cast<int>(ToCp932(ch).size());
    if (bytes + size > kTitleBytes)
      break;
    bytes += size;
    cut += ch;
    i += step;
  }
  return cut;
}

void PropertyWindow::cutTitle() {
  const QString text = titleBox_->text();
  const QString cut = CutTitle(text);
  if (cut == text)
    return;
  const int caret = titleBox_->cursorPosition();
  const int selStart = titleBox_->selectionStart();
  const int selLength = titleBox_->selectionLength();
  const QSignalBlocker block(titleBox_);
  titleBox_->setText(cut);
  if (selStart >= 0 && selLength > 0)
    titleBox_->setSelection(std::min<int>(selStart, cut.size()), selLength);
  else
    titleBox_->setCursorPosition(std::min<int>(caret, cut.size()));
}

void PropertyWindow::loadFromSong() {
  const Song &song = ctx_.song;
  {
    const QSignalBlocker block(titleBox_);
    titleBox_->setText(CutTitle(QString::fromStdString(song.title)));
  }
  const int tempo = static_cast<int>(song.tempo);
  if (tempo >= 0 && tempo < 4)
    tempoButtons_[static_cast<std::size_t>(tempo)]->setChecked(true);
  for (int i = 0; i < 16; ++i)
    showVolume(i);
}

int PropertyWindow::tempoChoice() const {
  for (int i = 0; i < 4; ++i)
    if (tempoButtons_[static_cast<std::size_t>(i)]->isChecked())
      return i;
  return -1;
}

void PropertyWindow::commitToSong() {
  const std::string title = titleBox_->text().toStdString();
  const int tempo = tempoChoice();
  // Taken in when the window is left and before a save, an export or playing.
  ctx_.session.edit(SetTitleAndTempo, title, tempo);
}

void PropertyWindow::showVolume(int index) {
  const int volume = ctx_.song.part(index + 1).volume;
  QProgressBar *b = volumeBars_[static_cast<std::size_t>(index)];
  if (b->maximum() == kMaxVolume) {
    b->setValue(std::clamp(volume, 0, kMaxVolume));
    // A bar skips its own repaint for a step smaller than its chunk size.
    b->update();
  }
  volumeLabels_[static_cast<std::size_t>(index)]->setText(QString::number(volume - kDefaultVolume));
}

void PropertyWindow::clickVolume(int index, Qt::MouseButton button, bool shift) {
  if (index < 0 || index >= 16)
    return;
  int change = 0;
  if (button == Qt::LeftButton)
    change = shift ? -1 : 1;
  else if (button == Qt::RightButton)
    change = shift ? 1 : -1;
  if (ctx_.session.edit(ChangeVolume, index + 1, change).snapshot)
    showVolume(index);
}

void PropertyWindow::showLevels(bool on) {
  for (int i = 0; i < 16; ++i) {
    QProgressBar *b = volumeBars_[static_cast<std::size_t>(i)];
    // Levels are drawn green, so that a meter never passes for a volume.
    QPalette palette = b->palette();
    palette.setColor(QPalette::Highlight,
                     on ? kLevelColour : QApplication::palette(b).color(QPalette::Highlight));
    b->setPalette(palette);
    if (on) {
      b->setRange(0, kLevelMaximum);
      b->setValue(0);
    } else {
      b->setRange(0, kMaxVolume);
      showVolume(i);
    }
  }
}

void PropertyWindow::setLevel(int part, int level) {
  if (part < 1 || part > 16)
    return;
  QProgressBar *b = bar(part);
  if (level <= b->maximum()) {
    b->setValue(std::max(level, 0));
    b->update();
  }
}

void PropertyWindow::setControlsEnabled(bool enabled) {
  titleFrame_->setEnabled(enabled);
  volumeFrame_->setEnabled(enabled);
}

bool PropertyWindow::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
    for (int i = 0; i < 16; ++i) {
      const auto at = static_cast<std::size_t>(i);
      if (watched == partNumberLabels_[at] || watched == volumeBars_[at] ||
          watched == volumeLabels_[at]) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        clickVolume(i, mouse->button(), mouse->modifiers() & Qt::ShiftModifier);
        return true;
      }
    }
  }
  return ChildWindow::eventFilter(watched, event);
}

void PropertyWindow::resizeEvent(QResizeEvent *event) {
  ChildWindow::resizeEvent(event);
  if (ctx_.startingUp || snapping_)
    return;
  QMdiSubWindow *sub = subWindow();
  if (!sub || sub->isMinimized() || sub->isMaximized())
    return;
  const int target = snappedHeight(sub->height());
  if (target != sub->height()) {
    snapping_ = true;
    sub->resize(sub->width(), target);
    snapping_ = false;
  }
  volumeFrame_->setVisible(sub->height() * designUnitsPerPixel() > kSnapThresholdDesignHeight);
}

void PropertyWindow::activated() {
  active_ = true;
  ctx_.settings.activeWindow = WindowId::Property;
}

void PropertyWindow::deactivated() {
  commitToSong();
  active_ = false;
}

} // namespace pipora
