#pragma once
// Pictures of the windows as they are on screen, for the documentation and for checking
// the layout by eye.
#include <QString>

namespace pipora {

class MainWindow;

// Saves frame.png (the whole frame with its child windows), one picture per child window
// (source_editor.png, score_editor.png, property_window.png, player_panel.png), the options
// dialog at its top and its end (options_top.png, options_bottom.png) and about.png into
// `directory`. False when a file could not be written.
bool SaveScreenshots(MainWindow &frame, const QString &directory);

} // namespace pipora
