#pragma once
// The names pipora.ini has always used for the windows and for a few keys that carry a
// window's name. They are kept byte for byte so that files written by earlier versions
// load, and files written now load there; everything else in the program uses WindowId.
#include "settings/settings.h"

#include <QString>

#include <optional>

namespace pipora {

// The prefix of a window's layout keys and its ActiveWindow value.
QString WindowKeyName(WindowId id);
// The window an ActiveWindow value names, or nullopt for an empty or unknown value.
std::optional<WindowId> WindowFromKeyName(const QString &name);

// Keys of the source editor's font: `field` is "Size", "Name", "Bold" or "Italic".
QString SourceFontKey(const char *field);
// Keys of the score editor's zoom.
QString QuarterWidthKey();
QString StaffDistanceKey();

} // namespace pipora
