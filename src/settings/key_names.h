#pragma once
// How a shortcut value (modifiers * 256 + Windows virtual key code) is written for the user:
// "Alt + ↑", "Shift + Ctrl + Delete", "スペース", "Num 3", "F5", ":".
#include <QString>

namespace pipora {

// The key's own name without modifiers, from the low byte of the value.
QString KeyCodeName(int keyCode);
// "Shift + ", "Ctrl + ", "Alt + " (in this order) before the key's name.
QString ShortCutName(int value);
// True for Shift, Ctrl or Alt pressed alone: stored, but the box keeps its text.
bool IsModifierOnlyKey(int value);

} // namespace pipora
