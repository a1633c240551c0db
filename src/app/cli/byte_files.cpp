#include "app/cli/byte_files.h"

#include "app/cli/standard_streams.h"
#include "model/file_messages.h"
#include "platform/files/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace pipora::cli {
namespace {

std::string SystemError() {
  return std::strerror(errno);
}

std::string TooLarge() {
  return TooLargeText(kMaxSongFileBytes);
}

Result<QByteArray> ReadDescriptor(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0)
    return Error{SystemError()};
  if (S_ISDIR(info.st_mode))
    return Error{std::strerror(EISDIR)};
  if (S_ISREG(info.st_mode) && info.st_size > kMaxSongFileBytes)
    return Error{TooLarge()};
  QByteArray bytes;
  if (S_ISREG(info.st_mode))
    bytes.reserve(static_cast<qsizetype>(info.st_size)); // read without growing
  char chunk[65536];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return Error{SystemError()};
    if (n == 0)
      return bytes;
    // Devices and pipes have no size to check beforehand (/dev/zero never ends).
    if (bytes.size() + n > kMaxSongFileBytes)
      return Error{TooLarge()};
    bytes.append(chunk, n);
  }
}

// /dev/stdout and its kin name the file standard output already writes to: replacing
// that file, or writing it from its start, would destroy what went before.
bool IsStandardOutput(const QByteArray &name) {
  struct stat target {
  }, out{};
  return ::stat(name.constData(), &target) == 0 && ::fstat(STDOUT_FILENO, &out) == 0 &&
         target.st_dev == out.st_dev && target.st_ino == out.st_ino;
}

} // namespace

bool IsStandardStream(const QByteArray &name) {
  return name == "-";
}

Result<QByteArray> ReadInputFile(const QByteArray &name) {
  if (IsStandardStream(name))
    return ReadDescriptor(STDIN_FILENO);
  // Regular files only, as the editor reads them: a FIFO, a device or /proc is refused.
  return ReadWholeFile(FileNameFromBytes(name), kMaxSongFileBytes);
}

Status WriteOutputFile(const QByteArray &name, const QByteArray &bytes) {
  if (IsStandardStream(name) || IsStandardOutput(name))
    return WriteStandardOutput(bytes);
  if (IsWritableDevice(name))
    return WriteToDevice(name, bytes);
  // By its bytes: a name that is not valid text is written as it is.
  return WriteFileAtomically(name, bytes);
}

namespace {

class MemoryStream : public OutputStream {
public:
  void append(const QByteArray &bytes) override { bytes_ += bytes; }
  void rewriteStart(const QByteArray &bytes) override { bytes_.replace(0, bytes.size(), bytes); }
  QByteArray bytes_;
};

class FileStream : public OutputStream {
public:
  explicit FileStream(const QByteArray &name) : file_(name) {}
  // After a failure the rest is not written; finish() reports it.
  void append(const QByteArray &bytes) override { (void)file_.append(bytes); }
  void rewriteStart(const QByteArray &bytes) override { (void)file_.rewriteStart(bytes); }
  Status finish() { return file_.finish(); }

private:
  StreamedFileWrite file_;
};

} // namespace

Status WriteOutputStream(const QByteArray &name,
                         const std::function<void(OutputStream &out)> &produce) {
  const bool inPlace = IsStandardStream(name) || IsStandardOutput(name) || IsWritableDevice(name);
  if (inPlace) {
    MemoryStream memory;
    produce(memory);
    return WriteOutputFile(name, memory.bytes_);
  }
  FileStream file(name);
  produce(file);
  return file.finish();
}

bool IsDirectory(const QByteArray &name) {
  struct stat info {};
  return ::stat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

QByteArray BaseName(const QByteArray &name) {
  return name.mid(name.lastIndexOf('/') + 1);
}

QByteArray WithExtension(const QByteArray &name, const QByteArray &extension) {
  const qsizetype baseStart = name.lastIndexOf('/') + 1;
  const qsizetype dot = name.lastIndexOf('.');
  const QByteArray stem = dot > baseStart ? name.left(dot) : name;
  return stem + "." + extension;
}

QByteArray ExtensionOf(const QByteArray &name) {
  const QByteArray base = BaseName(name);
  const qsizetype dot = base.lastIndexOf('.');
  return dot > 0 ? base.mid(dot + 1).toLower() : QByteArray();
}

QByteArray JoinPath(const QByteArray &directory, const QByteArray &name) {
  return directory.endsWith('/') ? directory + name : directory + "/" + name;
}

QByteArray AbsolutePath(const QByteArray &name) {
  if (name.startsWith('/'))
    return name;
  char *cwd = ::getcwd(nullptr, 0);
  const QByteArray here = cwd ? QByteArray(cwd) : QByteArray(".");
  std::free(cwd);
  return JoinPath(here, name);
}

} // namespace pipora::cli
