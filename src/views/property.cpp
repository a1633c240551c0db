#include "views/property.h"

#include "platform/text/cp932.h"
#include "platform/ui/fonts.h"
#include "views/main.h"
#include "views/window_arrangement.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QProgressBar>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

namespace pipora {
namespace {

constexpr int kTitleBytes = 24;
constexpr int kMaxVolume = 8;
constexpr int kLevelMaximum = 100;
constexpr std::array<const char *, 4> kTempoCaptions = {"&1速い", "&2中速", "&3中遅", "&4遅い"};

QString Indexed(const char *name, int i) {
  return QStringLiteral("%1(%2)").arg(name).arg(i);
}

} // namespace

property::property(AppContext &ctx, QWidget *parent) : ChildWindow(ctx, "property", parent) {
  QFont font(kUiFontName);
  font.setPointSize(9);
  setFont(font);

  titleFrame_ = new QGroupBox(QStringLiteral("タイトル/テンポ(&T)"), this);
  titleFrame_->setObjectName("Frame1");
  auto *titleGrid = new QGridLayout(titleFrame_);
  titleGrid->setContentsMargins(6, 0, 6, 2);
  titleGrid->setSpacing(1);
  Text1 = new QLineEdit(titleFrame_);
  Text1->setObjectName("Text1");
  titleGrid->addWidget(Text1, 0, 0, 1, 4);
  for (int i = 0; i < 4; ++i) {
    auto *b = new QRadioButton(QString::fromUtf8(kTempoCaptions[static_cast<std::size_t>(i)]),
                               titleFrame_);
    b->setObjectName(Indexed("Option1", i));
    titleGrid->addWidget(b, 1, i);
    Option1[static_cast<std::size_t>(i)] = b;
    watchForSnapping(b);
  }
  watchForSnapping(Text1);
  Option1[1]->setChecked(true);

  volumeFrame_ = new QGroupBox(QStringLiteral("音量(&O)"), this);
  volumeFrame_->setObjectName("Frame2");
  auto *grid = new QGridLayout(volumeFrame_);
  grid->setContentsMargins(4, 0, 4, 2);
  grid->setHorizontalSpacing(1);
  grid->setVerticalSpacing(0);
  for (int i = 0; i < 16; ++i) {
    const auto at = static_cast<std::size_t>(i);
    auto *number = new QLabel(QString::number(i + 1), volumeFrame_);
    number->setObjectName(Indexed("Label1", i));
    number->setAlignment(Qt::AlignCenter);
    auto *bar = new QProgressBar(volumeFrame_);
    bar->setObjectName(Indexed("ProgressBar1", i));
    bar->setOrientation(Qt::Vertical);
    bar->setRange(0, kMaxVolume);
    bar->setValue(kDefaultVolume);
    bar->setTextVisible(false);
    bar->setFixedWidth(12);
    bar->setMinimumHeight(24);
    auto *value = new QLabel(QStringLiteral("0"), volumeFrame_);
    value->setObjectName(Indexed("Label2", i));
    value->setAlignment(Qt::AlignCenter);
    grid->addWidget(number, 0, i);
    grid->addWidget(bar, 1, i, Qt::AlignHCenter);
    grid->addWidget(value, 2, i);
    grid->setRowStretch(1, 1);
    for (QWidget *w : {static_cast<QWidget *>(number), static_cast<QWidget *>(bar),
                       static_cast<QWidget *>(value)})
      w->installEventFilter(this);
    Label1[at] = number;
    ProgressBar1[at] = bar;
    Label2[at] = value;
  }

  auto *column = new QVBoxLayout(this);
  column->setContentsMargins(3, 0, 3, 3);
  column->setSpacing(0);
  // The window snaps between a tall and a short height; the short one shows only the
  // title and tempo, so the layout must not hold the window at the tall size.
  column->setSizeConstraint(QLayout::SetNoConstraint);
  column->addWidget(titleFrame_);
  column->addWidget(volumeFrame_, 1);

  connect(Text1, &QLineEdit::textChanged, this, &property::cutTitle);
  if (ctx_.frame) {
    connect(ctx_.frame, &main::windowActivated, this, &property::onActivated);
    connect(ctx_.frame, &main::windowDeactivated, this, &property::onDeactivated);
  }
}

int property::designHeight() {
  return kTallTwips / 15;
}

int property::twipsPerPixel() const {
  const int dpi = logicalDpiY() > 0 ? logicalDpiY() : 96;
  return std::max(1, 1440 / dpi);
}

int property::snappedHeight(int outerHeight) const {
  const int tpp = twipsPerPixel();
  const int gridTwips = (ctx_.frame ? ctx_.frame->gridStep() : 1) * tpp;
  const int twips = outerHeight * tpp > kSnapThresholdTwips ? kTallTwips : kShortTwips;
  return static_cast<int>(std::lround(static_cast<double>(RoundToStep(twips, gridTwips)) / tpp));
}

QString property::CutTitle(const QString &text) {
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

void property::cutTitle() {
  const QString text = Text1->text();
  const QString cut = CutTitle(text);
  if (cut == text)
    return;
  const int caret = Text1->cursorPosition();
  const int selStart = Text1->selectionStart();
  const int selLength = Text1->selectionLength();
  const QSignalBlocker block(Text1);
  Text1->setText(cut);
  if (selStart >= 0 && selLength > 0)
    Text1->setSelection(std::min<int>(selStart, cut.size()), selLength);
  else
    Text1->setCursorPosition(std::min<int>(caret, cut.size()));
}

void property::loadFromSong() {
  const Song &song = ctx_.song;
  {
    const QSignalBlocker block(Text1);
    Text1->setText(CutTitle(QString::fromStdString(song.title)));
  }
  const int tempo = static_cast<int>(song.tempo);
  if (tempo >= 0 && tempo < 4)
    Option1[static_cast<std::size_t>(tempo)]->setChecked(true);
  for (int i = 0; i < 16; ++i)
    showVolume(i);
}

int property::tempoChoice() const {
  for (int i = 0; i < 4; ++i)
    if (Option1[static_cast<std::size_t>(i)]->isChecked())
      return i;
  return -1;
}

void property::commitToSong() {
  ctx_.song.title = Text1->text().toStdString();
  const int tempo = tempoChoice();
  if (tempo >= 0)
    ctx_.song.setTempo(static_cast<TempoChoice>(tempo));
}

void property::showVolume(int index) {
  const int volume = ctx_.song.part(index + 1).volume;
  QProgressBar *b = ProgressBar1[static_cast<std::size_t>(index)];
  if (b->maximum() == kMaxVolume)
    b->setValue(std::clamp(volume, 0, kMaxVolume));
  Label2[static_cast<std::size_t>(index)]->setText(QString::number(volume - kDefaultVolume));
}

void property::clickVolume(int index, Qt::MouseButton button, bool shift) {
  if (index < 0 || index >= 16)
    return;
  int change = 0;
  if (button == Qt::LeftButton)
    change = shift ? -1 : 1;
  else if (button == Qt::RightButton)
    change = shift ? 1 : -1;
  int &volume = ctx_.song.part(index + 1).volume;
  if ((change > 0 && volume < kMaxVolume) || (change < 0 && volume > 0)) {
    volume += change;
    showVolume(index);
  }
  ctx_.session.setDirty(true);
}

void property::showLevels(bool on) {
  for (int i = 0; i < 16; ++i) {
    QProgressBar *b = ProgressBar1[static_cast<std::size_t>(i)];
    if (on) {
      b->setRange(0, kLevelMaximum);
      b->setValue(0);
    } else {
      b->setRange(0, kMaxVolume);
      showVolume(i);
    }
  }
}

void property::setLevel(int part, int level) {
  if (part < 1 || part > 16)
    return;
  QProgressBar *b = bar(part);
  if (level <= b->maximum())
    b->setValue(std::max(level, 0));
}

void property::setControlsEnabled(bool enabled) {
  titleFrame_->setEnabled(enabled);
  volumeFrame_->setEnabled(enabled);
}

bool property::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
    for (int i = 0; i < 16; ++i) {
      const auto at = static_cast<std::size_t>(i);
      if (watched == Label1[at] || watched == ProgressBar1[at] || watched == Label2[at]) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        clickVolume(i, mouse->button(), mouse->modifiers() & Qt::ShiftModifier);
        return true;
      }
    }
  }
  return ChildWindow::eventFilter(watched, event);
}

void property::resizeEvent(QResizeEvent *event) {
  ChildWindow::resizeEvent(event);
  if (ctx_.startingUp || snapping_ || !ctx_.frame)
    return;
  QMdiSubWindow *sub = ctx_.frame->subWindowOf(this);
  if (!sub || sub->isMinimized() || sub->isMaximized())
    return;
  const int target = snappedHeight(sub->height());
  if (target != sub->height()) {
    snapping_ = true;
    sub->resize(sub->width(), target);
    snapping_ = false;
  }
  volumeFrame_->setVisible(sub->height() * twipsPerPixel() > kSnapThresholdTwips);
}

void property::onActivated(QWidget *child) {
  if (child != this)
    return;
  ctx_.propertyActive = true;
  ctx_.settings.ActiveWindow = QStringLiteral("property");
}

void property::onDeactivated(QWidget *child) {
  if (child != this)
    return;
  commitToSong();
  ctx_.propertyActive = false;
}

} // namespace pipora
