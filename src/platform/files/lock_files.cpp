#include "platform/files/lock_files.h"

#include "platform/files/file_io.h"

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace pipora {

namespace {

// A lock holds a process id, a program name and a host name: well under this.
constexpr off_t kMaxLockBytes = 4096;

} // namespace

LockFileCheck PrepareLockFile(const QString &path) {
  const QByteArray name = FileNameBytes(path);
  struct stat info;
  if (::lstat(name.constData(), &info) != 0)
    return {};
  if (S_ISREG(info.st_mode) && info.st_size <= kMaxLockBytes)
    return {};
  const std::string shown = path.toStdString();
  if (::unlink(name.constData()) == 0)
    return {true, shown + ": not a lock file (" +
                      (S_ISREG(info.st_mode) ? "too large" : "not a regular file") + "): removed"};
  return {false, shown + ": not a lock file, and it cannot be removed (" + std::strerror(errno) +
                     "): going on without the lock"};
}

} // namespace pipora
