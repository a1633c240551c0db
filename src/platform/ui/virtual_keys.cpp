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

QKeySequence KeySequenceOfShortcut(int code) {
  const int virtualKey = code & 0xFF;
  const int mask = code >> 8;
  Qt::KeyboardModifiers modifiers;
  if (mask & vk::kShift)
    modifiers |= Qt::ShiftModifier;
  if (mask & vk::kCtrl)
    modifiers |= Qt::ControlModifier;
  if (mask & vk::kAlt)
    modifiers |= Qt::AltModifier;
  int qtKey = 0;
  if (virtualKey >= 'A' && virtualKey <= 'Z')
    qtKey = Qt::Key_A + (virtualKey - 'A');
  else if (virtualKey >= vk::Digit(0) && virtualKey <= vk::Digit(9))
    qtKey = Qt::Key_0 + (virtualKey - vk::Digit(0));
  else if (virtualKey >= vk::NumpadDigit(0) && virtualKey <= vk::NumpadDigit(9)) {
    qtKey = Qt::Key_0 + (virtualKey - vk::NumpadDigit(0));
    modifiers |= Qt::KeypadModifier;
  } else if (virtualKey >= vk::F1 && virtualKey <= vk::F1 + 23)
    qtKey = Qt::Key_F1 + (virtualKey - vk::F1);
  else {
    // The other keys VirtualKeyOf knows, looked up the other way.
    static constexpr int kKeys[] = {
        Qt::Key_Backspace, Qt::Key_Tab,          Qt::Key_Return,    Qt::Key_Pause,
        Qt::Key_Escape,    Qt::Key_Space,        Qt::Key_PageUp,    Qt::Key_PageDown,
        Qt::Key_End,       Qt::Key_Home,         Qt::Key_Left,      Qt::Key_Up,
        Qt::Key_Right,     Qt::Key_Down,         Qt::Key_Insert,    Qt::Key_Delete,
        Qt::Key_Semicolon, Qt::Key_Equal,        Qt::Key_Comma,     Qt::Key_Minus,
        Qt::Key_Period,    Qt::Key_Slash,        Qt::Key_QuoteLeft, Qt::Key_BracketLeft,
        Qt::Key_Backslash, Qt::Key_BracketRight, Qt::Key_Apostrophe};
    for (int key : kKeys)
      if (VirtualKeyOf(key) == virtualKey)
        qtKey = key;
  }
  if (qtKey == 0)
    return {};
  return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(qtKey)));
}

} // namespace pipora
