#pragma once
// One octave of a keyboard with the do-re-mi name on every key. Clicking a black key (or
// E, F) switches it between its two spellings ("ド#" / "レb"); the others stay.
#include <QString>
#include <QWidget>

#include <array>

namespace pipora {

class AccidentalKeyboard : public QWidget {
  Q_OBJECT
public:
  explicit AccidentalKeyboard(QWidget *parent = nullptr);

  void setNames(const std::array<QString, 12> &names);
  const std::array<QString, 12> &names() const { return names_; }
  // Where a pitch class's key is drawn (the visible part of a white key).
  QRect keyRect(int pitchClass) const;
  // The key under a point; -1 outside the keyboard.
  int keyAt(QPoint point) const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

signals:
  void spellingChanged(int pitchClass, const QString &name);

protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;

private:
  QRect whiteKeyRect(int whiteIndex) const;
  QRect blackKeyRect(int pitchClass) const;

  std::array<QString, 12> names_;
};

} // namespace pipora
