#include "platform/files/file_io.h"

#include "model/file_messages.h"
#include "platform/files/program_directory.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>

#include <climits>
#include <limits>
#include <random>

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pipora {

namespace {

std::mutex hookMutex;
WriteFaultHook faultHook;

// errno to fail the step with, from the test hook; 0 almost always.
int InjectedFault(WriteStep step, int count) {
  const std::lock_guard lock(hookMutex);
  return faultHook ? faultHook(step, count) : 0;
}

std::string SystemError(int error) {
  return std::strerror(error);
}

QByteArray NativePath(const QString &path) {
  return QFile::encodeName(path);
}

QByteArray FolderOf(const QByteArray &path) {
  const qsizetype slash = path.lastIndexOf('/');
  if (slash < 0)
    return ".";
  return slash == 0 ? QByteArray("/") : path.left(slash);
}

// A link in a world-writable sticky folder (/tmp) owned by neither the folder's owner nor
// this user may have been planted by another user to redirect the write: it is not followed,
// as the kernel's protected_symlinks does for opening.
bool PlantedLink(const QByteArray &link, const struct stat &linkInfo) {
  struct stat folder;
  if (::stat(FolderOf(link).constData(), &folder) != 0)
    return false;
  const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
  return shared && linkInfo.st_uid != folder.st_uid && linkInfo.st_uid != ::geteuid();
}

// The file a path names after the whole chain of symbolic links: the links stay and the
// file at the chain's end changes. 0, or the errno to fail with.
int ResolveLinks(QByteArray path, QByteArray &resolved) {
  for (int hops = 0; hops <= 40; ++hops) {
    struct stat info;
    if (::lstat(path.constData(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      resolved = path;
      return 0;
    }
    if (PlantedLink(path, info))
      return EACCES;
    QByteArray destination(PATH_MAX, '\0');
    const ssize_t n = ::readlink(path.constData(), destination.data(), PATH_MAX);
    if (n < 0)
      return errno;
    if (n >= PATH_MAX)
      return ENAMETOOLONG;
    destination.truncate(n);
    path = destination.startsWith('/') ? destination : FolderOf(path) + "/" + destination;
  }
  return ELOOP;
}

// A file the user made read-only (or cannot write) is not replaced behind its back, even by
// root or through the rename that would otherwise succeed in a writable folder.
int RefuseUnwritable(const QByteArray &target) {
  struct stat info;
  if (::stat(target.constData(), &info) != 0)
    return errno == ENOENT ? 0 : errno;
  if (S_ISDIR(info.st_mode))
    return EISDIR;
  if ((info.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS))
    return EACCES;
  return 0;
}

// Files of the program's own folder hold song content and every saved path: this user's
// alone.
bool InProgramDirectory(const QByteArray &target) {
  const QString folder = QFileInfo(QFile::decodeName(FolderOf(target))).canonicalFilePath();
  return !folder.isEmpty() && folder == QFileInfo(ProgramDirectory()).canonicalFilePath();
}

// Letters no one can guess, for temporary names beside the target.
QByteArray RandomLetters() {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char raw[12];
  if (::getrandom(raw, sizeof raw, 0) != static_cast<ssize_t>(sizeof raw)) {
    std::random_device device;
    for (unsigned char &c : raw)
      c = static_cast<unsigned char>(device());
  }
  QByteArray letters;
  for (const unsigned char c : raw)
    letters += kLetters[c % (sizeof kLetters - 1)];
  return letters;
}

// Closes the descriptor and removes the temporary file unless released.
class TemporaryFile {
public:
  ~TemporaryFile() {
    if (fd_ >= 0)
      ::close(fd_);
    if (!path_.isEmpty())
      ::unlink(path_.constData());
  }

  // Creates ".NAME.<random>.tmp" beside the target, never through a link and never an
  // existing file, with the target's permissions when it exists (0600 in the program's
  // folder, else what the umask leaves of 0666).
  int create(const QByteArray &target) {
    if (const int fault = InjectedFault(WriteStep::Create, 1))
      return fault;
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray stem = target.left(slash + 1) + "." + target.mid(slash + 1) + ".";
    const mode_t mode = InProgramDirectory(target) ? 0600 : 0666;
    for (int attempt = 0; attempt < 100; ++attempt) {
      const QByteArray candidate = stem + RandomLetters() + ".tmp";
      fd_ =
          ::open(candidate.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
      if (fd_ >= 0) {
        path_ = candidate;
        break;
      }
      if (errno != EEXIST)
        return errno;
    }
    if (fd_ < 0)
      return EEXIST;
    struct stat old;
    if (::stat(target.constData(), &old) == 0 && ::fchmod(fd_, old.st_mode & 07777))
      return errno;
    return 0;
  }

  int writeAll(const QByteArray &bytes) {
    int count = 0;
    for (qsizetype at = 0; at < bytes.size();) {
      const qsizetype piece = std::min(kWriteChunkBytes, bytes.size() - at);
      if (const int fault = InjectedFault(WriteStep::Write, ++count))
        return fault;
      const ssize_t n = ::write(fd_, bytes.constData() + at, static_cast<size_t>(piece));
      if (n < 0) {
        if (errno == EINTR)
          continue;
        return errno;
      }
      if (n == 0) // a disk that takes nothing and says nothing
        return EIO;
      at += n;
    }
    return 0;
  }

  int sync() {
    if (const int fault = InjectedFault(WriteStep::Sync, 1))
      return fault;
    return ::fsync(fd_) == 0 ? 0 : errno;
  }

  // Some file systems report a failed write only when the file is closed.
  int close() {
    const int fd = fd_;
    fd_ = -1;
    if (const int fault = InjectedFault(WriteStep::Close, 1)) {
      ::close(fd);
      return fault;
    }
    return ::close(fd) == 0 ? 0 : errno;
  }

  // What the disk gives back must be what was meant to be written.
  // The injected fault stands for the file failing to open again.
  int compare(const QByteArray &bytes) const {
    const int fault = InjectedFault(WriteStep::ReadBack, 1);
    const int fd = fault ? -1 : ::open(path_.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
      return fault ? fault : errno;
    char buffer[kWriteChunkBytes];
    qsizetype at = 0;
    int result = 0;
    for (;;) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR)
        continue;
      if (n < 0) {
        result = errno;
        break;
      }
      if (n == 0) {
        result = at == bytes.size() ? 0 : EIO;
        break;
      }
      if (n > bytes.size() - at || std::memcmp(buffer, bytes.constData() + at, n) != 0) {
        result = EIO;
        break;
      }
      at += n;
    }
    ::close(fd);
    return result;
  }

  int renameOver(const QByteArray &target) {
    if (const int fault = InjectedFault(WriteStep::Rename, 1))
      return fault;
    if (::rename(path_.constData(), target.constData()) != 0)
      return errno;
    path_.clear(); // it is the target now
    return 0;
  }

private:
  int fd_ = -1;
  QByteArray path_;
};

// Makes the rename itself last: the folder's entry is synced to disk.
int SyncFolder(const QByteArray &target) {
  if (const int fault = InjectedFault(WriteStep::SyncFolder, 1))
    return fault;
  const int fd = ::open(FolderOf(target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    return errno;
  int result = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  // Some file systems cannot sync a folder; the rename is as safe as they make it.
  if (result == EINVAL || result == ENOTSUP)
    result = 0;
  return result;
}

Status ReplaceFile(const QByteArray &path, const QByteArray &bytes, bool durable) {
  QByteArray target;
  int error = ResolveLinks(path, target);
  if (!error)
    error = RefuseUnwritable(target);
  if (error)
    return Error{SystemError(error)};
  TemporaryFile temporary;
  error = temporary.create(target);
  if (!error)
    error = temporary.writeAll(bytes);
  if (!error && durable)
    error = temporary.sync();
  if (!error)
    error = temporary.close();
  if (!error)
    error = temporary.compare(bytes);
  if (!error)
    error = temporary.renameOver(target);
  if (error)
    return Error{SystemError(error)};
  // The new file is in place; if its folder entry cannot be made durable, the user must
  // still hear of it.
  if (durable)
    if (const int folderError = SyncFolder(target))
      return Error{SystemError(folderError)};
  return Ok{};
}

} // namespace

void SetWriteFaultHook(WriteFaultHook hook) {
  const std::lock_guard lock(hookMutex);
  faultHook = std::move(hook);
}

Status WriteFileAtomically(const QString &path, const QByteArray &bytes) {
  return ReplaceFile(NativePath(path), bytes, true);
}

Status WriteFileAtomically(const QByteArray &nativePath, const QByteArray &bytes) {
  return ReplaceFile(nativePath, bytes, true);
}

Status WriteScratchFile(const QString &path, const QByteArray &bytes) {
  return ReplaceFile(NativePath(path), bytes, false);
}
namespace {

// Opens a regular file for reading: never blocks (a FIFO), never a device (/dev/zero), and
// a file over `maxBytes` is refused before anything is read.
int OpenRegular(const QString &path, qint64 maxBytes, std::string &why) {
  const int fd = ::open(NativePath(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    why = SystemError(errno);
    return -1;
  }
  struct stat info;
  if (::fstat(fd, &info) != 0)
    why = SystemError(errno);
  else if (S_ISDIR(info.st_mode))
    why = SystemError(EISDIR);
  else if (!S_ISREG(info.st_mode))
    why = std::string(kNotRegularFileMessage);
  else if (info.st_size > maxBytes)
    why = TooLargeText(maxBytes);
  else
    return fd;
  ::close(fd);
  return -1;
}

// Reads up to `maxBytes` + 1 bytes, stopping early at a line end when `firstLine`.
Result<QByteArray> ReadCapped(const QString &path, qint64 maxBytes, bool firstLine) {
  std::string why;
  // Only the first line counts: what follows it may be any size.
  const int fd = OpenRegular(path, firstLine ? std::numeric_limits<qint64>::max() : maxBytes, why);
  if (fd < 0)
    return Error{why};
  QByteArray bytes;
  char chunk[65536];
  for (;;) {
    const qint64 want = std::min<qint64>(sizeof chunk, maxBytes + 1 - bytes.size());
    const ssize_t n = want > 0 ? ::read(fd, chunk, static_cast<size_t>(want)) : 0;
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      return Error{SystemError(error)};
    }
    if (firstLine)
      for (ssize_t i = 0; i < n; ++i)
        if (chunk[i] == '\r' || chunk[i] == '\n') {
          bytes.append(chunk, i);
          ::close(fd);
          return bytes;
        }
    bytes.append(chunk, n);
    if (n == 0 || bytes.size() > maxBytes)
      break;
  }
  ::close(fd);
  // A file that grew past the limit while it was read.
  if (bytes.size() > maxBytes && !firstLine)
    return Error{TooLargeText(maxBytes)};
  return bytes;
}

} // namespace

Result<QByteArray> ReadWholeFile(const QString &path, qint64 maxBytes) {
  return ReadCapped(path, maxBytes, false);
}

Result<QByteArray> ReadFirstLine(const QString &path, qint64 maxBytes) {
  return ReadCapped(path, maxBytes, true);
}

QByteArray FirstLineOf(const QByteArray &bytes) {
  for (qsizetype i = 0; i < bytes.size(); ++i)
    if (bytes[i] == '\r' || bytes[i] == '\n')
      return bytes.left(i);
  return bytes;
}

} // namespace pipora
