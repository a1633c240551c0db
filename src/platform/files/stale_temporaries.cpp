#include "platform/files/stale_temporaries.h"

#include "platform/files/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <regex>

namespace pipora {
namespace {

// The checked write's names: a fixed prefix or the target's name, then twelve random letters.
bool NamedAsTemporary(const char *name) {
  static const std::regex pattern(R"(\.(pipora-|.+\.)[a-z0-9]{12}\.tmp)");
  return std::regex_match(name, pattern);
}

} // namespace

int RemoveStaleTemporaries(const QString &folder) {
  const int fd = ::open(FileNameBytes(folder.isEmpty() ? QStringLiteral(".") : folder).constData(),
                        O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    return 0;
  DIR *dir = ::fdopendir(fd);
  if (dir == nullptr) {
    ::close(fd);
    return 0;
  }
  const std::time_t before = std::time(nullptr) - kStaleTemporaryAge.count() * 60;
  int removed = 0;
  while (const dirent *entry = ::readdir(dir)) {
    if (entry->d_name[0] != '.' || !NamedAsTemporary(entry->d_name))
      continue;
    struct stat info {};
    if (::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
        info.st_uid != ::geteuid() || info.st_mtime > before)
      continue;
    if (::unlinkat(fd, entry->d_name, 0) == 0)
      ++removed;
  }
  ::closedir(dir);
  return removed;
}

} // namespace pipora
