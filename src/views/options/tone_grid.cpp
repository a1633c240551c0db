#include "views/options/tone_grid.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>

#include <algorithm>

namespace pipora {
namespace {

constexpr int kColumns = 8;
// A name wider than this is cut short with "…" (its tool tip shows it whole).
constexpr int kMaxLabelWidth = 150;
constexpr int kMinLabelWidth = 56;

void Paint(QLabel *label, bool highlighted) {
  QPalette palette = label->palette();
  const QPalette &system = label->parentWidget()->palette();
  palette.setColor(QPalette::Window,
                   system.color(highlighted ? QPalette::Highlight : QPalette::Base));
  palette.setColor(QPalette::WindowText,
                   system.color(highlighted ? QPalette::HighlightedText : QPalette::Text));
  label->setPalette(palette);
}

} // namespace

ToneGrid::ToneGrid(QWidget *parent) : QWidget(parent) {
  auto *grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(1);
  grid->setVerticalSpacing(1);
  for (int n = 0; n < kToneCount; ++n) {
    auto *label = new QLabel(QString::number(n), this);
    label->setObjectName(QStringLiteral("tone%1").arg(n));
    label->setAutoFillBackground(true);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    label->installEventFilter(this);
    Paint(label, false);
    grid->addWidget(label, n / kColumns, n % kColumns);
    labels_[static_cast<std::size_t>(n)] = label;
  }
  for (int c = 0; c < kColumns; ++c)
    grid->setColumnStretch(c, 1);
}

void ToneGrid::setNames(const ToneNames &names) {
  names_ = names.names;
  const QFontMetrics metrics = fontMetrics();
  int widest = 0;
  for (const QString &name : names_)
    widest = std::max(widest, metrics.horizontalAdvance(name));
  preferredLabelWidth_ = std::clamp(widest + 6, kMinLabelWidth, kMaxLabelWidth);
  for (int n = 0; n < kToneCount; ++n)
    // The number tells the tones apart when a name is cut short.
    labels_[static_cast<std::size_t>(n)]->setToolTip(
        QStringLiteral("%1: %2").arg(n).arg(names_[static_cast<std::size_t>(n)]));
  fitNames();
  updateGeometry();
}

void ToneGrid::fitNames() {
  const QFontMetrics metrics = fontMetrics();
  for (int n = 0; n < kToneCount; ++n) {
    QLabel *label = labels_[static_cast<std::size_t>(n)];
    label->setText(metrics.elidedText(names_[static_cast<std::size_t>(n)], Qt::ElideRight,
                                      std::max(label->width() - 4, kMinLabelWidth / 2)));
  }
}

QSize ToneGrid::sizeHint() const {
  return {kColumns * (preferredLabelWidth_ + 1), QWidget::sizeHint().height()};
}

QSize ToneGrid::minimumSizeHint() const {
  return {kColumns * (kMinLabelWidth + 1), QWidget::minimumSizeHint().height()};
}

void ToneGrid::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  fitNames();
}

void ToneGrid::setHighlighted(int program) {
  if (highlighted_ >= 0 && highlighted_ < kToneCount)
    Paint(labels_[static_cast<std::size_t>(highlighted_)], false);
  highlighted_ = program;
  if (program >= 0 && program < kToneCount)
    Paint(labels_[static_cast<std::size_t>(program)], true);
}

bool ToneGrid::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease)
    return QWidget::eventFilter(watched, event);
  for (int n = 0; n < kToneCount; ++n) {
    if (labels_[static_cast<std::size_t>(n)] != watched)
      continue;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (event->type() == QEvent::MouseButtonPress)
      emit tonePressed(n, mouse->button());
    else
      emit toneReleased(n, mouse->button());
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

} // namespace pipora
