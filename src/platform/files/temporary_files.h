#pragma once
// The program's scratch files: undo snapshots and logs, removed when the program exits.
#include <QString>

namespace pipora {

// Deletes every "pipora*.tmp" and "pipora*.log" file (any letter case) in `directory`.
// A file that cannot be deleted is skipped. Returns how many were deleted.
int DeleteTemporaryFiles(const QString &directory);

} // namespace pipora
