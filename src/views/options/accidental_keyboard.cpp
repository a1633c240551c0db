#include "views/options/accidental_keyboard.h"

#include "settings/accidentals.h"

#include <QMouseEvent>
#include <QPainter>

namespace pipora {
namespace {

constexpr int kWhiteWidth = 52;
constexpr int kWhiteHeight = 120;
constexpr int kBlackWidth = 36;
constexpr int kBlackHeight = 72;
constexpr int kMargin = 1;

// Pitch classes of the white keys from C, and of the black keys.
constexpr std::array<int, 7> kWhiteKeys = {0, 2, 4, 5, 7, 9, 11};

bool IsBlack(int pitchClass) {
  return pitchClass == 1 || pitchClass == 3 || pitchClass == 6 || pitchClass == 8 ||
         pitchClass == 10;
}

// The white key to whose right a black key sits.
int WhiteIndexLeftOf(int blackPitchClass) {
  for (int i = 6; i >= 0; --i)
    if (kWhiteKeys[static_cast<std::size_t>(i)] < blackPitchClass)
      return i;
  return 0;
}

} // namespace

AccidentalKeyboard::AccidentalKeyboard(QWidget *parent) : QWidget(parent) {
  setObjectName(QStringLiteral("accidentalKeyboard"));
  setCursor(Qt::PointingHandCursor);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize AccidentalKeyboard::sizeHint() const {
  return {7 * kWhiteWidth + 2 * kMargin, kWhiteHeight + 2 * kMargin};
}

void AccidentalKeyboard::setNames(const std::array<QString, 12> &names) {
  names_ = names;
  update();
}

QRect AccidentalKeyboard::whiteKeyRect(int whiteIndex) const {
  return {kMargin + whiteIndex * kWhiteWidth, kMargin, kWhiteWidth, kWhiteHeight};
}

QRect AccidentalKeyboard::blackKeyRect(int pitchClass) const {
  const int right = whiteKeyRect(WhiteIndexLeftOf(pitchClass)).right() + 1;
  return {right - kBlackWidth / 2, kMargin, kBlackWidth, kBlackHeight};
}

QRect AccidentalKeyboard::keyRect(int pitchClass) const {
  if (IsBlack(pitchClass))
    return blackKeyRect(pitchClass);
  for (int i = 0; i < 7; ++i)
    if (kWhiteKeys[static_cast<std::size_t>(i)] == pitchClass) {
      // The part below the black keys belongs to this key alone.
      QRect r = whiteKeyRect(i);
      r.setTop(kMargin + kBlackHeight);
      return r;
    }
  return {};
}

int AccidentalKeyboard::keyAt(QPoint point) const {
  for (int pc = 0; pc < 12; ++pc)
    if (IsBlack(pc) && blackKeyRect(pc).contains(point))
      return pc;
  for (int i = 0; i < 7; ++i)
    if (whiteKeyRect(i).contains(point))
      return kWhiteKeys[static_cast<std::size_t>(i)];
  return -1;
}

void AccidentalKeyboard::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, false);
  const QPalette &pal = palette();
  QFont font = this->font();
  painter.setFont(font);
  const int textHeight = painter.fontMetrics().height();
  for (int i = 0; i < 7; ++i) {
    const QRect r = whiteKeyRect(i);
    painter.setPen(QColor(60, 60, 60));
    painter.setBrush(Qt::white);
    painter.drawRect(r.adjusted(0, 0, -1, -1));
    painter.setPen(Qt::black);
    const QRect text(r.left(), r.bottom() - textHeight - 6, r.width(), textHeight);
    painter.drawText(text, Qt::AlignCenter, names_[static_cast<std::size_t>(kWhiteKeys[i])]);
  }
  for (int pc = 0; pc < 12; ++pc) {
    if (!IsBlack(pc))
      continue;
    const QRect r = blackKeyRect(pc);
    painter.setPen(Qt::black);
    painter.setBrush(QColor(30, 30, 30));
    painter.drawRect(r.adjusted(0, 0, -1, -1));
    painter.setPen(Qt::white);
    const QRect text(r.left(), r.bottom() - textHeight - 6, r.width(), textHeight);
    painter.drawText(text, Qt::AlignCenter, names_[static_cast<std::size_t>(pc)]);
  }
  if (hasFocus()) {
    painter.setPen(QPen(pal.color(QPalette::Highlight), 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

void AccidentalKeyboard::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton)
    return;
  const int pc = keyAt(event->position().toPoint());
  if (pc < 0 || !HasTwoSpellings(pc))
    return;
  auto &name = names_[static_cast<std::size_t>(pc)];
  name = ToggledSpelling(pc, name);
  update();
  emit spellingChanged(pc, name);
}

} // namespace pipora
