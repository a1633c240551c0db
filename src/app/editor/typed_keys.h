#pragma once
// --type-keys: keys typed into the score editor as a person would, for checks that run the
// real editor without anybody at the keyboard.
#include <QString>

#include <functional>

namespace pipora {
class MainWindow;
}

namespace pipora::editor {

// Once the score editor is the active window, types `keys` into it: letters, digits, '#'
// and space as key presses; "^X" as Ctrl+X, which runs the menu item with that shortcut
// (^S saves). Then calls `done`. Gives up (and calls `done`) when the score editor does not
// become active within a few seconds.
void TypeKeysInScoreEditor(MainWindow &frame, const QString &keys, std::function<void()> done);

} // namespace pipora::editor
