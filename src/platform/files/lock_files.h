#pragma once
// Lock files beside shared files (pipora.ini.lock): QLockFile reads an existing lock to learn
// who holds it, so a FIFO there would make it wait forever, and a device or a huge sparse file
// would be read without end. Such a lock is none of ours.
#include <QString>

#include <string>

namespace pipora {

struct LockFileCheck {
  bool usable = true;  // false: go on without the lock
  std::string message; // what was done about an odd lock, for the log; empty when nothing
};

// Leaves a missing lock or a small regular file alone; removes anything else at `path` (a
// FIFO, a device, a link, a large file) so that a lock can be taken, and says so. What cannot
// be removed (a folder) makes the lock unusable, also said.
LockFileCheck PrepareLockFile(const QString &path);

} // namespace pipora
