// How shortcut values are named in the options dialog's boxes.
#include "settings/key_names.h"

#include <gtest/gtest.h>

#include <string>

namespace pipora {
namespace {

struct KeyNameRow {
  const char *name;
  int value;
  const char *text;
};

class KeyName : public ::testing::TestWithParam<KeyNameRow> {};

TEST_P(KeyName, IsWrittenAsTheDialogShowsIt) {
  EXPECT_EQ(ShortCutName(GetParam().value).toStdString(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, KeyName,
    ::testing::Values(
        KeyNameRow{"AltUp", 1062, "Alt + ↑"},
        KeyNameRow{"ShiftCtrlDelete", 3 * 256 + 46, "Shift + Ctrl + Delete"},
        KeyNameRow{"AllThreeModifiersInOrder", 7 * 256 + 'A', "Shift + Ctrl + Alt + A"},
        KeyNameRow{"Colon", 186, ":"}, KeyNameRow{"OpeningBracket", 219, "["},
        KeyNameRow{"Quote", 222, "^"}, KeyNameRow{"Numpad4", 100, "Num 4"},
        KeyNameRow{"Numpad0", 96, "Num 0"}, KeyNameRow{"Numpad9", 105, "Num 9"},
        KeyNameRow{"F1", 112, "F1"}, KeyNameRow{"F5", 116, "F5"}, KeyNameRow{"F16", 127, "F16"},
        KeyNameRow{"Digit0", 48, "0"}, KeyNameRow{"LetterZ", 90, "Z"},
        KeyNameRow{"Space", 32, "スペース"}, KeyNameRow{"PageUp", 33, "Page Up"},
        KeyNameRow{"PageDown", 34, "Page Down"}, KeyNameRow{"End", 35, "End"},
        KeyNameRow{"Home", 36, "Home"}, KeyNameRow{"Left", 37, "←"}, KeyNameRow{"Right", 39, "→"},
        KeyNameRow{"Down", 40, "↓"}, KeyNameRow{"BackSpace", 8, "Back Space"},
        KeyNameRow{"Enter", 13, "Enter"}, KeyNameRow{"Esc", 27, "Esc"},
        KeyNameRow{"Insert", 45, "Insert"}, KeyNameRow{"Delete", 46, "Delete"},
        KeyNameRow{"UnnamedCode", 7, "Key 7"}, KeyNameRow{"JustAboveTheLetters", 91, "Key 91"},
        KeyNameRow{"JustAboveThePunctuation", 223, "Key 223"},
        KeyNameRow{"ShiftAloneHasItsCode", 256 + 16, "Shift + Key 16"}),
    [](const ::testing::TestParamInfo<KeyNameRow> &info) { return std::string(info.param.name); });

TEST(KeyName, ModifierKeysAloneAreRecognised) {
  EXPECT_TRUE(IsModifierOnlyKey(256 + 16));
  EXPECT_TRUE(IsModifierOnlyKey(2 * 256 + 17));
  EXPECT_TRUE(IsModifierOnlyKey(4 * 256 + 18));
  EXPECT_FALSE(IsModifierOnlyKey(256 + 19));
  EXPECT_FALSE(IsModifierOnlyKey(1062));
}

} // namespace
} // namespace pipora
