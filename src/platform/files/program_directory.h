#pragma once
// Where the program keeps its settings, tone store, snapshots and logs.
#include <QString>

namespace pipora {

// PIPORAPAD_HOME when set, else the per-user data folder. Created on first use.
QString ProgramDirectory();
// ProgramDirectory() + "/" + name.
QString ProgramFile(const QString &name);
// Read-only data installed with the program (tone names, the manual), found relative to
// the executable; empty when there is none beside it.
QString ShareDirectory();
// ShareDirectory() + "/" + name; empty when there is no data folder.
QString ShareFile(const QString &name);

} // namespace pipora
