#include "platform/ui/virtual_keys.h"

#include "model/keymap.h"

#include <QKeyEvent>

namespace pipora {

int VirtualKeyOf(int qtKey, bool keypad) {
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
    return 'A' + (qtKey - Qt::Key_A);
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
    return keypad ? vk::NumpadDigit(qtKey - Qt::Key_0) : vk::Digit(qtKey - Qt::Key_0);
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
    return vk::F1 + (qtKey - Qt::Key_F1);
  switch (qtKey) {
  case Qt::Key_Backspace:
    return vk::Back;
  case Qt::Key_Tab:
  case Qt::Key_Backtab:
    return vk::Tab;
  case Qt::Key_Return:
  case Qt::Key_Enter:
    return vk::Return;
  case Qt::Key_Shift:
    return vk::ShiftKey;
  case Qt::Key_Control:
    return vk::ControlKey;
  case Qt::Key_Alt:
    return vk::Menu;
  case Qt::Key_Pause:
    return vk::Pause;
  case Qt::Key_CapsLock:
    return vk::Capital;
  case Qt::Key_Escape:
    return vk::Escape;
  case Qt::Key_Space:
    return vk::Space;
  case Qt::Key_PageUp:
    return vk::Prior;
  case Qt::Key_PageDown:
    return vk::Next;
  case Qt::Key_End:
    return vk::End;
  case Qt::Key_Home:
    return vk::Home;
  case Qt::Key_Left:
    return vk::Left;
  case Qt::Key_Up:
    return vk::Up;
  case Qt::Key_Right:
    return vk::Right;
  case Qt::Key_Down:
    return vk::Down;
  case Qt::Key_Insert:
    return vk::Insert;
  case Qt::Key_Delete:
    return vk::Delete;
  case Qt::Key_Asterisk:
    return keypad ? vk::Multiply : vk::Oem1;
  case Qt::Key_Plus:
    return keypad ? vk::Add : vk::OemPlus;
  case Qt::Key_Minus:
    return keypad ? vk::Subtract : vk::OemMinus;
  case Qt::Key_Period:
    return keypad ? vk::Decimal : vk::OemPeriod;
  case Qt::Key_Slash:
    return keypad ? vk::Divide : vk::Oem2;
  case Qt::Key_Semicolon:
  case Qt::Key_Colon:
    return vk::Oem1;
  case Qt::Key_Equal:
    return vk::OemPlus;
  case Qt::Key_Comma:
  case Qt::Key_Less:
    return vk::OemComma;
  case Qt::Key_Greater:
    return vk::OemPeriod;
  case Qt::Key_Question:
    return vk::Oem2;
  case Qt::Key_QuoteLeft:
  case Qt::Key_At:
    return vk::Oem3;
  case Qt::Key_BracketLeft:
    return vk::Oem4;
  case Qt::Key_Backslash:
  case Qt::Key_Bar:
    return vk::Oem5;
  case Qt::Key_BracketRight:
    return vk::Oem6;
  case Qt::Key_Apostrophe:
    return vk::Oem7;
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
