#pragma once
// Pictures of the windows as they are on screen, for the documentation and for checking
// the layout by eye.
#include <QString>

namespace pipora {

class main;

// Saves frame.png (the whole frame with its child windows) and srcview.png (the source
// editor alone) into `directory`. False when a file could not be written.
bool SaveScreenshots(main &frame, const QString &directory);

} // namespace pipora
