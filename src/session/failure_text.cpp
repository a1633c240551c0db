#include "session/failure_text.h"

#include "model/terminal_text.h"

namespace pipora {

std::string FileFailureText(std::string_view name, const Error &error, FileAccess access) {
  const std::string_view closing =
      access == FileAccess::Read ? kReadFailedMessage : kWriteFailedMessage;
  return TerminalText(name) + "\n" + error.text() + "\n" + std::string(closing);
}

std::string FileFailureText(const QString &path, const Error &error, FileAccess access) {
  return FileFailureText(path.toStdString(), error, access);
}

} // namespace pipora
