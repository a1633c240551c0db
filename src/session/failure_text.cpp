#include "session/failure_text.h"

namespace pipora {

std::string FileFailureText(const QString &path, const Error &error, FileAccess access) {
  const std::string_view closing =
      access == FileAccess::Read ? kReadFailedMessage : kWriteFailedMessage;
  return path.toStdString() + "\n" + error.text() + "\n" + std::string(closing);
}

} // namespace pipora
