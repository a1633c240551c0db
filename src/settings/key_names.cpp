#include "settings/key_names.h"

#include "model/virtual_keys.h"

namespace pipora {

QString KeyCodeName(int k) {
  if (k >= '0' && k <= '9')
    return QString(QChar(k));
  if (k >= 'A' && k <= 'Z')
    return QString(QChar(k));
  if (k >= vk::NumpadDigit(0) && k <= vk::NumpadDigit(9))
    return QStringLiteral("Num %1").arg(k - vk::Numpad0);
  if (k >= vk::F1 && k <= vk::LastFunctionKey)
    return QStringLiteral("F%1").arg(k - vk::F1 + 1);
  // The punctuation keys: the code less 128 is their character.
  if (k >= vk::Oem1 && k <= vk::Oem7)
    return QString(QChar(k - 128));
  for (const vk::NamedKey &key : vk::kNamedKeys)
    if (key.code == k)
      return QString::fromUtf8(key.name.data(), static_cast<qsizetype>(key.name.size()));
  return QStringLiteral("Key %1").arg(k);
}

QString ShortCutName(int value) {
  const int modifiers = (value / 256) & 0xFF;
  QString prefix;
  if (modifiers & vk::kShift)
    prefix += QStringLiteral("Shift + ");
  if (modifiers & vk::kCtrl)
    prefix += QStringLiteral("Ctrl + ");
  if (modifiers & vk::kAlt)
    prefix += QStringLiteral("Alt + ");
  return prefix + KeyCodeName(value & 0xFF);
}

bool IsModifierOnlyKey(int value) {
  const int k = value & 0xFF;
  return k >= vk::ShiftKey && k <= vk::Menu;
}

} // namespace pipora
