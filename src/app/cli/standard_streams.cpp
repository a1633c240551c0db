#include "app/cli/standard_streams.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace pipora::cli {
namespace {

// The first error met writing standard output; 0 while every write succeeded.
int &StdoutError() {
  static int error = 0;
  return error;
}

void NoteStdoutError() {
  if (StdoutError() == 0)
    StdoutError() = errno != 0 ? errno : EIO;
}

} // namespace

void PrintOut(std::string_view text) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size())
    NoteStdoutError();
}

void PrintErr(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
}

Status WriteStandardOutput(const QByteArray &bytes) {
  PrintOut(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  errno = 0;
  if (std::fflush(stdout) != 0)
    NoteStdoutError();
  if (StdoutError() != 0)
    return Error{std::strerror(StdoutError())};
  return Ok{};
}

Result<QByteArray> ReadStandardInput(qint64 maxBytes) {
  QByteArray bytes;
  char chunk[65536];
  for (;;) {
    const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return Error{std::strerror(errno)};
    if (n == 0)
      return bytes;
    if (bytes.size() + n > maxBytes)
      return Error{"too large: more than " + std::to_string(maxBytes >> 20) + " MB"};
    bytes.append(chunk, n);
  }
}

bool FinishStandardOutput() {
  errno = 0;
  if (std::fflush(stdout) != 0)
    NoteStdoutError();
  if (StdoutError() == 0)
    return true;
  PrintErr("piporapad-cli: standard output: " + std::string(std::strerror(StdoutError())) + "\n");
  return false;
}

} // namespace pipora::cli
