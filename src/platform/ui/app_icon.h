#pragma once
// The program's icon, drawn at start-up: an eighth note on a rounded square.
#include <QIcon>
#include <QImage>

namespace pipora {

QIcon ProgramIcon();
// The same drawing at one size, without a GUI application (for the installed icons).
QImage ProgramIconImage(int size);

} // namespace pipora
