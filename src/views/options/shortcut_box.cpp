#include "views/options/shortcut_box.h"

#include "platform/ui/virtual_keys.h"
#include "settings/key_names.h"

#include <QKeyEvent>

namespace pipora {

ShortcutBox::ShortcutBox(QWidget *parent) : QLineEdit(parent) {
  setAttribute(Qt::WA_InputMethodEnabled, false);
  setContextMenuPolicy(Qt::NoContextMenu);
}

void ShortcutBox::showValue(int value) {
  setText(ShortCutName(value));
}

bool ShortcutBox::event(QEvent *event) {
  // Keys that are menu accelerators or the dialog's own (Page Up, Alt+letters) come here
  // first while the box has the focus.
  if (event->type() == QEvent::ShortcutOverride) {
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) {
      event->accept();
      return true;
    }
  }
  return QLineEdit::event(event);
}

void ShortcutBox::keyPressEvent(QKeyEvent *event) {
  int code = ShortcutCodeOf(*event);
  // A modifier pressed alone counts itself as held (Shift alone is 272), whether or not the
  // system already reports it in the event's modifiers.
  if (IsModifierOnlyKey(code))
    code |= (1 << ((code & 0xFF) - 16)) * 256;
  if ((code & 0xFF) == 0) {
    event->accept();
    return;
  }
  emit captured(code);
  if (!IsModifierOnlyKey(code))
    showValue(code);
  event->accept();
}

void ShortcutBox::focusInEvent(QFocusEvent *event) {
  QLineEdit::focusInEvent(event);
  emit focusChanged(true);
}

void ShortcutBox::focusOutEvent(QFocusEvent *event) {
  QLineEdit::focusOutEvent(event);
  emit focusChanged(false);
}

void ShortcutBox::inputMethodEvent(QInputMethodEvent *event) {
  event->accept(); // typed characters are not part of a shortcut
}

} // namespace pipora
