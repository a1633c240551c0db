#pragma once
// Pictures of the windows as they are on screen, for the documentation and for checking
// the layout by eye.
#include <QString>

namespace pipora {

class MainWindow;

// Saves frame.png (the whole frame with its child windows) and source_editor.png (the source
// editor alone) into `directory`. False when a file could not be written.
bool SaveScreenshots(MainWindow &frame, const QString &directory);

} // namespace pipora
