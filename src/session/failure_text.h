#pragma once
// The text shown when a file cannot be read or written: the path, the error's description
// (with the byte where damage starts), and the closing line for reading or writing. The
// editor's message boxes and the command-line tool both show exactly this.
#include "model/file_messages.h"
#include "model/result.h"

#include <QString>
#include <string>
#include <string_view>

namespace pipora {

enum class FileAccess { Read, Write };

std::string FileFailureText(const QString &path, const Error &error, FileAccess access);
// For a name kept as the bytes the system gave (the command line's).
std::string FileFailureText(std::string_view name, const Error &error, FileAccess access);

} // namespace pipora
