#pragma once
// A box that takes the next key pressed in it as a shortcut: modifiers * 256 + the key's
// Windows virtual-key code. Every key is captured, Enter and Esc included; only Tab moves
// the focus on. A modifier pressed alone is reported but leaves the text.
#include <QLineEdit>

namespace pipora {

class ShortcutBox : public QLineEdit {
  Q_OBJECT
public:
  explicit ShortcutBox(QWidget *parent = nullptr);

  // Shows the value's key name.
  void showValue(int value);

signals:
  void captured(int value);
  void focusChanged(bool hasFocus);

protected:
  bool event(QEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;
  void inputMethodEvent(QInputMethodEvent *event) override;
};

} // namespace pipora
