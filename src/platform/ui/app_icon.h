#pragma once
// The program's icon, drawn at start-up: an eighth note on a rounded square.
#include <QIcon>

namespace pipora {

QIcon ProgramIcon();

} // namespace pipora
