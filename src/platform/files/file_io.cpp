#include "platform/files/file_io.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>

#include <fcntl.h>
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

// The file a path names: a symbolic link is followed, so the link stays and its file changes.
QString RealTarget(const QString &path) {
  const QFileInfo info(path);
  if (info.isSymLink()) {
    const QString target = info.symLinkTarget();
    if (!target.isEmpty())
      return target;
  }
  return info.absoluteFilePath();
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

  // Creates ".NAME.XXXXXX" beside the target, with the target's permissions when it exists.
  int create(const QString &target) {
    if (const int fault = InjectedFault(WriteStep::Create, 1))
      return fault;
    const QFileInfo info(target);
    const QByteArray stem =
        NativePath(info.absolutePath() + QStringLiteral("/.") + info.fileName() + ".");
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
      const QByteArray candidate =
          stem + QByteArray::number(::getpid()) + "-" + QByteArray::number(serial++) + ".tmp";
      fd_ = ::open(candidate.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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
    if (::stat(NativePath(target).constData(), &old) == 0 && ::fchmod(fd_, old.st_mode & 07777))
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
  int compare(const QByteArray &bytes) const {
    if (const int fault = InjectedFault(WriteStep::ReadBack, 1))
      return fault;
    const int fd = ::open(path_.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
      return errno;
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

  int renameOver(const QString &target) {
    if (const int fault = InjectedFault(WriteStep::Rename, 1))
      return fault;
    if (::rename(path_.constData(), NativePath(target).constData()) != 0)
      return errno;
    path_.clear(); // it is the target now
    return 0;
  }

private:
  int fd_ = -1;
  QByteArray path_;
};

// Makes the rename itself last: the folder's entry is synced to disk.
int SyncFolder(const QString &target) {
  if (const int fault = InjectedFault(WriteStep::SyncFolder, 1))
    return fault;
  const int fd =
      ::open(NativePath(QFileInfo(target).absolutePath()).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return errno;
  int result = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  // Some file systems cannot sync a folder; the rename is as safe as they make it.
  if (result == EINVAL || result == ENOTSUP)
    result = 0;
  return result;
}

Status ReplaceFile(const QString &path, const QByteArray &bytes, bool durable) {
  const QString target = RealTarget(path);
  TemporaryFile temporary;
  int error = temporary.create(target);
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
  return ReplaceFile(path, bytes, true);
}

Status WriteScratchFile(const QString &path, const QByteArray &bytes) {
  return ReplaceFile(path, bytes, false);
}
Result<QByteArray> ReadWholeFile(const QString &path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return Error{file.errorString().toStdString()};
  QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError)
    return Error{file.errorString().toStdString()};
  return bytes;
}

Result<QByteArray> ReadFirstLine(const QString &path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return Error{file.errorString().toStdString()};
  QByteArray line;
  char chunk[65536];
  for (;;) {
    const qint64 n = file.read(chunk, sizeof chunk);
    if (n < 0)
      return Error{file.errorString().toStdString()};
    if (n == 0)
      return line;
    const QByteArray piece = FirstLineOf(QByteArray::fromRawData(chunk, n));
    line.append(piece);
    if (piece.size() < n)
      return line;
  }
}

QByteArray FirstLineOf(const QByteArray &bytes) {
  for (qsizetype i = 0; i < bytes.size(); ++i)
    if (bytes[i] == '\r' || bytes[i] == '\n')
      return bytes.left(i);
  return bytes;
}

} // namespace pipora
