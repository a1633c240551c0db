#include "settings/key_names.h"

#include <array>

namespace pipora {
namespace {

struct NamedKey {
  int code;
  const char *name;
};

constexpr std::array<NamedKey, 15> kNamedKeys = {{
    {8, "Back Space"},
    {13, "Enter"},
    {27, "Esc"},
    {32, "スペース"},
    {33, "Page Up"},
    {34, "Page Down"},
    {35, "End"},
    {36, "Home"},
    {37, "←"},
    {38, "↑"},
    {39, "→"},
    {40, "↓"},
    {45, "Insert"},
    {46, "Delete"},
    {0, nullptr},
}};

constexpr int kShiftBit = 1;
constexpr int kCtrlBit = 2;
constexpr int kAltBit = 4;

} // namespace

QString KeyCodeName(int k) {
  if (k >= '0' && k <= '9')
    return QString(QChar(k));
  if (k >= 'A' && k <= 'Z')
    return QString(QChar(k));
  if (k >= 96 && k <= 105)
    return QStringLiteral("Num %1").arg(k - 96);
  if (k >= 112 && k <= 127)
    return QStringLiteral("F%1").arg(k - 111);
  // The punctuation keys: 186 is ":" and 219 is "[" (the code less 128).
  if (k >= 186 && k <= 222)
    return QString(QChar(k - 128));
  for (const NamedKey &key : kNamedKeys)
    if (key.name && key.code == k)
      return QString::fromUtf8(key.name);
  return QStringLiteral("Key %1").arg(k);
}

QString ShortCutName(int value) {
  const int modifiers = (value / 256) & 0xFF;
  QString prefix;
  if (modifiers & kShiftBit)
    prefix += QStringLiteral("Shift + ");
  if (modifiers & kCtrlBit)
    prefix += QStringLiteral("Ctrl + ");
  if (modifiers & kAltBit)
    prefix += QStringLiteral("Alt + ");
  return prefix + KeyCodeName(value & 0xFF);
}

bool IsModifierOnlyKey(int value) {
  const int k = value & 0xFF;
  return k >= 16 && k <= 18;
}

} // namespace pipora
