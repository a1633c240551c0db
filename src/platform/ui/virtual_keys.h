#pragma once
// The shortcut table stores keys as the classic Windows virtual key codes with a modifier
// mask above them (Shift 1, Ctrl 2, Alt 4, times 256). These helpers translate Qt's keys.
#include "model/virtual_keys.h"

#include <QKeySequence>
#include <Qt>

class QKeyEvent;

namespace pipora {

// Virtual key code of a Qt key (Qt::Key_Up -> 38, Qt::Key_A -> 65); 0 when it has none.
int VirtualKeyOf(int qtKey, bool keypad = false);
// Shift 1 + Ctrl 2 + Alt 4.
int ModifierMaskOf(Qt::KeyboardModifiers modifiers);
// modifiers * 256 + virtual key code of a key press, as the shortcut table stores it.
int ShortcutCodeOf(const QKeyEvent &event);
int ShortcutCode(int qtKey, Qt::KeyboardModifiers modifiers);
// The key sequence of a stored shortcut (1062 -> Alt+Up); empty for a code no Qt key has.
QKeySequence KeySequenceOfShortcut(int code);

} // namespace pipora
