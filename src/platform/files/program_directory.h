#pragma once
// Where the program keeps its settings, tone store, snapshots and logs.
#include <QString>

namespace pipora {

// PIPORAPAD_HOME when set, else the per-user data folder. Created on first use.
QString ProgramDirectory();
// ProgramDirectory() + "/" + name.
QString ProgramFile(const QString &name);
// Read-only resources installed with the program (tone names, help).
QString ShareDirectory();

} // namespace pipora
