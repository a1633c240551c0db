#include "platform/files/private_folders.h"

#include "platform/files/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace pipora {
namespace {

// Empties the folder open at `fd` (which it closes), entries named `keep` left alone at the
// top level only. Every step names entries relative to an open folder and never follows a
// link, so a folder swapped for a link meanwhile cannot lead elsewhere.
bool EmptyOpenFolder(int fd, const char *keep) {
  DIR *dir = ::fdopendir(fd);
  if (dir == nullptr) {
    ::close(fd);
    return false;
  }
  bool emptied = true;
  while (const dirent *entry = ::readdir(dir)) {
    const char *name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0 ||
        (keep != nullptr && std::strcmp(name, keep) == 0))
      continue;
    struct stat info {};
    if (::fstatat(fd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
      emptied = false;
      continue;
    }
    if (S_ISDIR(info.st_mode)) {
      const int sub = ::openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      const bool inner = sub >= 0 && EmptyOpenFolder(sub, nullptr);
      emptied &= inner && ::unlinkat(fd, name, AT_REMOVEDIR) == 0;
    } else {
      emptied &= ::unlinkat(fd, name, 0) == 0;
    }
  }
  ::closedir(dir);
  return emptied;
}

} // namespace

bool IsSymbolicLink(const QString &path) {
  struct stat info {};
  return ::lstat(FileNameBytes(path).constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool RemoveSymbolicLink(const QString &path) {
  return IsSymbolicLink(path) && ::unlink(FileNameBytes(path).constData()) == 0;
}

bool RemoveFolderContents(const QString &folder, const QString &keep) {
  const QByteArray name = FileNameBytes(folder);
  const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0)
    return errno == ELOOP && ::unlink(name.constData()) == 0;
  const QByteArray kept = FileNameBytes(keep);
  return EmptyOpenFolder(fd, keep.isEmpty() ? nullptr : kept.constData());
}

bool MakeFolderPrivate(const QString &folder) {
  const QByteArray name = FileNameBytes(folder);
  struct stat info {};
  if (::lstat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
      info.st_uid != ::geteuid() || (info.st_mode & S_ISVTX) != 0)
    return false;
  return (info.st_mode & 07777) == 0700 || ::chmod(name.constData(), 0700) == 0;
}

} // namespace pipora
