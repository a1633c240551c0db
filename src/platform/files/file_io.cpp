#include "platform/files/file_io.h"

#include "model/file_messages.h"
#include "platform/files/program_directory.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

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
#include <sys/statfs.h>
#include <sys/sysmacros.h>
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

// Not an errno value: the target is a FIFO, a device or a socket.
constexpr int kNotRegularFile = -1;

std::string SystemError(int error) {
  return error == kNotRegularFile ? std::string(kNotRegularFileMessage) : std::strerror(error);
}

QByteArray NativePath(const QString &path) {
  return FileNameBytes(path);
}

// The length of the valid UTF-8 character at `at`, 0 when the byte starts none.
qsizetype Utf8CharacterLength(const QByteArray &bytes, qsizetype at) {
  const auto lead = static_cast<unsigned char>(bytes[at]);
  const qsizetype length = lead < 0x80   ? 1
                           : lead < 0xC2 ? 0
                           : lead < 0xE0 ? 2
                           : lead < 0xF0 ? 3
                           : lead < 0xF5 ? 4
                                         : 0;
  if (length == 0 || at + length > bytes.size())
    return 0;
  const QByteArray character = bytes.mid(at, length);
  const QString decoded = QString::fromUtf8(character);
  // Overlong forms, surrogates and continuation errors do not come back the same.
  return decoded.toUtf8() == character && !decoded.contains(QChar::ReplacementCharacter) ? length
                                                                                         : 0;
}

QByteArray FolderOf(const QByteArray &path) {
  const qsizetype slash = path.lastIndexOf('/');
  if (slash < 0)
    return ".";
  return slash == 0 ? QByteArray("/") : path.left(slash);
}

// A folder every user may add to, whose entries only their owners may remove (/tmp).
bool SharedStickyFolder(const QByteArray &folder, struct stat &info) {
  return ::stat(folder.constData(), &info) == 0 && (info.st_mode & S_ISVTX) &&
         (info.st_mode & S_IWOTH);
}

// An entry of a shared sticky folder owned by neither the folder's owner nor this user may
// have been planted by another user to catch the write: the kernel's protected_symlinks,
// protected_fifos and protected_regular refuse to follow or open such entries, and so does
// this write, also for root.
bool PlantedByAnother(const QByteArray &entry, const struct stat &entryInfo) {
  struct stat folder;
  return SharedStickyFolder(FolderOf(entry), folder) && entryInfo.st_uid != folder.st_uid &&
         entryInfo.st_uid != ::geteuid();
}

// Splits a path into its names, last first (the order they are taken in).
void PushComponents(const QByteArray &path, QList<QByteArray> &pending) {
  const QList<QByteArray> names = path.split('/');
  for (auto name = names.crbegin(); name != names.crend(); ++name)
    if (!name->isEmpty() && *name != ".")
      pending.append(*name);
}

// The file a path names once every symbolic link on the way is followed, in its folders as
// at its end: the links stay and the file at the end changes. A link another user planted
// in a shared sticky folder is refused wherever it stands. 0, or the errno to fail with.
int ResolveLinks(const QByteArray &path, QByteArray &resolved) {
  QList<QByteArray> pending;
  PushComponents(path, pending);
  QByteArray done = path.startsWith('/') ? QByteArray() : QByteArray(".");
  int hops = 0;
  while (!pending.isEmpty()) {
    const QByteArray name = pending.takeLast();
    const QByteArray candidate = done + "/" + name;
    struct stat info;
    if (::lstat(candidate.constData(), &info) != 0) {
      if (errno == ENOENT && pending.isEmpty()) { // a new file
        done = candidate;
        break;
      }
      return errno;
    }
    if (!S_ISLNK(info.st_mode)) {
      if (!pending.isEmpty() && !S_ISDIR(info.st_mode))
        return ENOTDIR;
      done = candidate;
      continue;
    }
    if (++hops > 40)
      return ELOOP;
    if (PlantedByAnother(candidate, info))
      return EACCES;
    QByteArray destination(PATH_MAX, '\0');
    const ssize_t n = ::readlink(candidate.constData(), destination.data(), PATH_MAX);
    if (n < 0)
      return errno;
    if (n >= PATH_MAX)
      return ENAMETOOLONG;
    destination.truncate(n);
    if (destination.startsWith('/'))
      done.clear();
    PushComponents(destination, pending);
  }
  resolved = done.isEmpty() ? QByteArray("/") : done;
  return 0;
}

// The file at the end of the links may be replaced only when it is a regular file this user
// may write: never a FIFO (opening one waits for a reader), a device or a socket, never a
// file another user planted in a shared sticky folder, and never a file the user made
// read-only, even by root or through the rename that would otherwise succeed in a writable
// folder.
int RefuseUnsafeTarget(const QByteArray &target) {
  struct stat info;
  if (::lstat(target.constData(), &info) != 0)
    return errno == ENOENT ? 0 : errno;
  if (S_ISDIR(info.st_mode))
    return EISDIR;
  if (!S_ISREG(info.st_mode))
    return kNotRegularFile;
  if (PlantedByAnother(target, info))
    return EACCES;
  if ((info.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS))
    return EACCES;
  return 0;
}

// Files of the program's own folder and of the folders in it (an editor's snapshots) hold
// song content and every saved path: this user's alone.
bool InProgramDirectory(const QByteArray &target) {
  const QString folder = QFileInfo(QFile::decodeName(FolderOf(target))).canonicalFilePath();
  const QString program = QFileInfo(ProgramDirectory()).canonicalFilePath();
  return !folder.isEmpty() && !program.isEmpty() &&
         (folder == program || folder.startsWith(program + QLatin1Char('/')));
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

  // Creates ".pipora-<random>.tmp" beside the target, never through a link and never an
  // existing file. The name is short, so that a target of the longest name the file system
  // takes still has a temporary beside it. Its permissions are the target's, less what the
  // umask takes away and never setuid or setgid (0600 at most in the program's folder; a new
  // file: what the umask leaves of 0666).
  int create(const QByteArray &target) {
    if (const int fault = InjectedFault(WriteStep::Create, 1))
      return fault;
    const QByteArray stem = FolderOf(target) + "/" + kTemporaryPrefix;
    // Created with every bit the umask lets through, to learn which those are.
    const mode_t widest = InProgramDirectory(target) ? 0600 : 0777;
    for (int attempt = 0; attempt < 100; ++attempt) {
      const QByteArray candidate = stem + RandomLetters() + ".tmp";
      fd_ = ::open(candidate.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                   widest);
      if (fd_ >= 0) {
        path_ = candidate;
        break;
      }
      if (errno != EEXIST)
        return errno;
    }
    if (fd_ < 0)
      return EEXIST;
    struct stat created;
    if (::fstat(fd_, &created) != 0)
      return errno;
    const mode_t allowed = created.st_mode & 0777;
    struct stat old;
    const mode_t mode =
        ::stat(target.constData(), &old) == 0 ? old.st_mode & allowed : allowed & 0666;
    return ::fchmod(fd_, mode) == 0 ? 0 : errno;
  }

  // Write calls are counted over the file's life: a streamed file makes many.
  int writeAll(const QByteArray &bytes) {
    for (qsizetype at = 0; at < bytes.size();) {
      const qsizetype piece = std::min(kWriteChunkBytes, bytes.size() - at);
      if (const int fault = InjectedFault(WriteStep::Write, ++writes_))
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

  // Bytes that replace the file's start (a single write call: at most one piece).
  int writeStart(const QByteArray &bytes) {
    if (const int fault = InjectedFault(WriteStep::Write, ++writes_))
      return fault;
    ssize_t n;
    do
      n = ::pwrite(fd_, bytes.constData(), static_cast<size_t>(bytes.size()), 0);
    while (n < 0 && errno == EINTR);
    if (n < 0)
      return errno;
    return n == bytes.size() ? 0 : EIO;
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
    qsizetype at = 0;
    return readBack(
        [&](const char *piece, qsizetype n) {
          const bool same = n <= bytes.size() - at &&
                            std::memcmp(piece, bytes.constData() + at, static_cast<size_t>(n)) == 0;
          at += n;
          return same;
        },
        [&] { return at == bytes.size(); });
  }

  // The same for a streamed file: its first bytes as kept, the rest by its digest.
  int compare(const QByteArray &head, const QByteArray &restDigest, qint64 size) const {
    qint64 at = 0;
    QCryptographicHash rest(QCryptographicHash::Sha256);
    return readBack(
        [&](const char *piece, qsizetype n) {
          const qsizetype inHead = std::clamp<qint64>(head.size() - at, 0, n);
          if (std::memcmp(piece, head.constData() + at, static_cast<size_t>(inHead)) != 0)
            return false;
          rest.addData(QByteArrayView(piece + inHead, n - inHead));
          at += n;
          return true;
        },
        [&] { return at == size && rest.result() == restDigest; });
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
  // Reads the file again from the disk, piece by piece, into `take` (false: it differs);
  // `complete` says whether all was there. The injected fault stands for the file failing
  // to open again.
  template <typename Take, typename Complete> int readBack(Take take, Complete complete) const {
    const int fault = InjectedFault(WriteStep::ReadBack, 1);
    const int fd = fault ? -1 : ::open(path_.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
      return fault ? fault : errno;
    char buffer[kWriteChunkBytes];
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
        result = complete() ? 0 : EIO;
        break;
      }
      if (!take(buffer, n)) {
        result = EIO;
        break;
      }
    }
    ::close(fd);
    return result;
  }

  int fd_ = -1;
  QByteArray path_;
  int writes_ = 0;
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

// The target at the end of the path's links, when it may be replaced.
int TargetOf(const QByteArray &path, QByteArray &target) {
  const int error = ResolveLinks(path, target);
  return error ? error : RefuseUnsafeTarget(target);
}

// The last steps, once every byte is in the temporary file.
Status CompleteReplacement(TemporaryFile &temporary, const QByteArray &target, bool durable,
                           const std::function<int()> &compare) {
  int error = durable ? temporary.sync() : 0;
  if (!error)
    error = temporary.close();
  if (!error)
    error = compare();
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

Status ReplaceFile(const QByteArray &path, const QByteArray &bytes, bool durable) {
  QByteArray target;
  TemporaryFile temporary;
  int error = TargetOf(path, target);
  if (!error)
    error = temporary.create(target);
  if (!error)
    error = temporary.writeAll(bytes);
  if (error)
    return Error{SystemError(error)};
  return CompleteReplacement(temporary, target, durable, [&] { return temporary.compare(bytes); });
}

} // namespace

QString FileNameFromBytes(const QByteArray &bytes) {
  QString name;
  for (qsizetype at = 0; at < bytes.size();) {
    const qsizetype length = Utf8CharacterLength(bytes, at);
    if (length == 0) {
      name += QChar(0xDC00 + static_cast<unsigned char>(bytes[at]));
      ++at;
    } else {
      name += QString::fromUtf8(bytes.mid(at, length));
      at += length;
    }
  }
  return name;
}

QByteArray FileNameBytes(const QString &name) {
  QByteArray bytes;
  qsizetype textFrom = 0;
  for (qsizetype i = 0; i < name.size(); ++i) {
    const char16_t code = name[i].unicode();
    const bool escapedByte =
        code >= 0xDC80 && code <= 0xDCFF && (i == 0 || !name[i - 1].isHighSurrogate());
    if (!escapedByte)
      continue;
    bytes += name.mid(textFrom, i - textFrom).toUtf8() + static_cast<char>(code - 0xDC00);
    textFrom = i + 1;
  }
  return bytes + name.mid(textFrom).toUtf8();
}

bool FileExists(const QString &name) {
  struct stat info {};
  return ::stat(FileNameBytes(name).constData(), &info) == 0;
}

QString AbsoluteFileName(const QString &name) {
  if (name.isEmpty() || name.startsWith('/'))
    return name;
  char folder[PATH_MAX];
  if (::getcwd(folder, sizeof folder) == nullptr)
    return name;
  return QDir::cleanPath(FileNameFromBytes(QByteArray(folder)) + '/' + name);
}

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

struct StreamedFileWrite::State {
  QByteArray target;
  TemporaryFile temporary;
  QByteArray head; // the first piece, compared byte for byte
  QCryptographicHash rest{QCryptographicHash::Sha256};
  qint64 size = 0;
  int error = 0;
  bool finished = false;
};

StreamedFileWrite::StreamedFileWrite(const QByteArray &nativePath)
    : state_(std::make_unique<State>()) {
  state_->error = TargetOf(nativePath, state_->target);
  if (!state_->error)
    state_->error = state_->temporary.create(state_->target);
}

StreamedFileWrite::~StreamedFileWrite() = default;

Status StreamedFileWrite::append(const QByteArray &bytes) {
  State &s = *state_;
  if (!s.error)
    s.error = s.finished ? EBADF : s.temporary.writeAll(bytes);
  if (s.error)
    return Error{SystemError(s.error)};
  const qsizetype toHead = std::min(kWriteChunkBytes - s.head.size(), bytes.size());
  s.head += bytes.left(toHead);
  s.rest.addData(QByteArrayView(bytes).sliced(toHead));
  s.size += bytes.size();
  return Ok{};
}

Status StreamedFileWrite::rewriteStart(const QByteArray &bytes) {
  State &s = *state_;
  if (!s.error)
    s.error = s.finished || bytes.size() > s.head.size() ? EINVAL : s.temporary.writeStart(bytes);
  if (s.error)
    return Error{SystemError(s.error)};
  s.head.replace(0, bytes.size(), bytes);
  return Ok{};
}

Status StreamedFileWrite::finish() {
  State &s = *state_;
  if (!s.error && s.finished)
    s.error = EBADF;
  if (s.error)
    return Error{SystemError(s.error)};
  s.finished = true;
  const QByteArray digest = s.rest.result();
  Status done = CompleteReplacement(s.temporary, s.target, true,
                                    [&] { return s.temporary.compare(s.head, digest, s.size); });
  if (!done)
    s.error = EIO;
  return done;
}

namespace {

// /dev/null, /dev/zero and /dev/full: devices that take bytes and keep nothing.
bool SinkDevice(const struct stat &info) {
  constexpr unsigned kMemoryDevices = 1;
  const unsigned number = minor(info.st_rdev);
  return S_ISCHR(info.st_mode) && major(info.st_rdev) == kMemoryDevices &&
         (number == 3 || number == 5 || number == 7);
}

// The sink device or terminal at the end of the path's links (which follow the same rules as
// a replacing write's), or an empty name.
QByteArray DeviceTarget(const QByteArray &path) {
  QByteArray target;
  struct stat info;
  if (ResolveLinks(path, target) != 0 || ::stat(target.constData(), &info) != 0 ||
      !S_ISCHR(info.st_mode))
    return {};
  if (SinkDevice(info))
    return target;
  // A terminal: open it to ask, without waiting for a carrier and without taking it over.
  const int fd = ::open(target.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  const bool terminal = fd >= 0 && ::isatty(fd);
  if (fd >= 0)
    ::close(fd);
  return terminal ? target : QByteArray();
}

} // namespace

bool IsWritableDevice(const QByteArray &nativePath) {
  return !DeviceTarget(nativePath).isEmpty();
}

Status WriteToDevice(const QByteArray &nativePath, const QByteArray &bytes) {
  const QByteArray target = DeviceTarget(nativePath);
  if (target.isEmpty())
    return Error{std::string(kNotRegularFileMessage)};
  const int fd = ::open(target.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0)
    return Error{SystemError(errno)};
  struct stat info;
  int error = ::fstat(fd, &info) != 0 ? errno : 0;
  // The name may have come to mean something else since it was looked at.
  if (!error && !SinkDevice(info) && !(S_ISCHR(info.st_mode) && ::isatty(fd)))
    error = kNotRegularFile;
  if (!error && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
    error = errno;
  for (qsizetype at = 0; !error && at < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.constData() + at,
                              static_cast<size_t>(std::min(kWriteChunkBytes, bytes.size() - at)));
    if (n < 0 && errno != EINTR)
      error = errno;
    else if (n == 0)
      error = EIO;
    else if (n > 0)
      at += n;
  }
  if (::close(fd) != 0 && !error)
    error = errno;
  if (error)
    return Error{SystemError(error)};
  return Ok{};
}

Status WriteScratchFile(const QString &path, const QByteArray &bytes) {
  return ReplaceFile(NativePath(path), bytes, false);
}
namespace {

// The kernel's own files (/proc/self/mem, /proc/self/environ, /sys) look regular and empty
// but are not documents: reading them gives memory, the environment or endless text.
bool KernelFile(int fd) {
  struct statfs system;
  if (::fstatfs(fd, &system) != 0)
    return false;
  constexpr long kProcFileSystem = 0x9fa0;
  constexpr long kSysFileSystem = 0x62656572;
  constexpr long kDebugFileSystem = 0x64626720;
  constexpr long kSecurityFileSystem = 0x73636673;
  const long type = static_cast<long>(system.f_type);
  return type == kProcFileSystem || type == kSysFileSystem || type == kDebugFileSystem ||
         type == kSecurityFileSystem;
}

// Opens a regular file for reading: never blocks (a FIFO), never a device (/dev/zero) nor a
// kernel file (/proc), and a file over `maxBytes` is refused before anything is read.
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
  else if (!S_ISREG(info.st_mode) || KernelFile(fd))
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
