#include "platform/ui/virtual_keys.h"

#include "model/keymap.h"

#include <QKeyEvent>

namespace pipora {

int VirtualKeyOf(int qtKey, bool keypad) {
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
    return 'A' + (qtKey - Qt::Key_A);
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
    return keypad ? 0x60 + (qtKey - Qt::Key_0) : '0' + (qtKey - Qt::Key_0);
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
    return 0x70 + (qtKey - Qt::Key_F1);
  switch (qtKey) {
  case Qt::Key_Backspace:
    return 0x08;
  case Qt::Key_Tab:
  case Qt::Key_Backtab:
    return 0x09;
  case Qt::Key_Return:
  case Qt::Key_Enter:
    return 0x0D;
  case Qt::Key_Shift:
    return 0x10;
  case Qt::Key_Control:
    return 0x11;
  case Qt::Key_Alt:
    return 0x12;
  case Qt::Key_Pause:
    return 0x13;
  case Qt::Key_CapsLock:
    return 0x14;
  case Qt::Key_Escape:
    return 0x1B;
  case Qt::Key_Space:
    return 0x20;
  case Qt::Key_PageUp:
    return 0x21;
  case Qt::Key_PageDown:
    return 0x22;
  case Qt::Key_End:
    return 0x23;
  case Qt::Key_Home:
    return 0x24;
  case Qt::Key_Left:
    return 0x25;
  case Qt::Key_Up:
    return 0x26;
  case Qt::Key_Right:
    return 0x27;
  case Qt::Key_Down:
    return 0x28;
  case Qt::Key_Insert:
    return 0x2D;
  case Qt::Key_Delete:
    return 0x2E;
  case Qt::Key_Asterisk:
    return keypad ? 0x6A : 0xBA;
  case Qt::Key_Plus:
    return keypad ? 0x6B : 0xBB;
  case Qt::Key_Minus:
    return keypad ? 0x6D : 0xBD;
  case Qt::Key_Period:
    return keypad ? 0x6E : 0xBE;
  case Qt::Key_Slash:
    return keypad ? 0x6F : 0xBF;
  case Qt::Key_Semicolon:
  case Qt::Key_Colon:
    return 0xBA;
  case Qt::Key_Equal:
    return 0xBB;
  case Qt::Key_Comma:
  case Qt::Key_Less:
    return 0xBC;
  case Qt::Key_Greater:
    return 0xBE;
  case Qt::Key_Question:
    return 0xBF;
  case Qt::Key_QuoteLeft:
  case Qt::Key_At:
    return 0xC0;
  case Qt::Key_BracketLeft:
    return 0xDB;
  case Qt::Key_Backslash:
  case Qt::Key_Bar:
    return 0xDC;
  case Qt::Key_BracketRight:
    return 0xDD;
  case Qt::Key_Apostrophe:
    return 0xDE;
  default:
    return 0;
  }
}

int ModifierMaskOf(Qt::KeyboardModifiers modifiers) {
  int mask = 0;
  if (modifiers & Qt::ShiftModifier)
    mask |= vk::kShift;
  if (modifiers & Qt::ControlModifier)
    mask |= vk::kCtrl;
  if (modifiers & Qt::AltModifier)
    mask |= vk::kAlt;
  return mask;
}

int ShortcutCode(int qtKey, Qt::KeyboardModifiers modifiers) {
  const bool keypad = modifiers & Qt::KeypadModifier;
  return CombinedKeyCode(VirtualKeyOf(qtKey, keypad), ModifierMaskOf(modifiers));
}

int ShortcutCodeOf(const QKeyEvent &event) {
  return ShortcutCode(event.key(), event.modifiers());
}

} // namespace pipora
