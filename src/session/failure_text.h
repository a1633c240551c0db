#pragma once
// The text shown when a file cannot be read or written: the path, the error's description
// (with the byte where damage starts), and the closing line for reading or writing. The
// editor's message boxes and the command-line tool both show exactly this.
#include "model/result.h"

#include <QString>
#include <string>
#include <string_view>

namespace pipora {

inline constexpr std::string_view kReadFailedMessage = "ファイルの読み込みに失敗しました。";
inline constexpr std::string_view kWriteFailedMessage = "ファイルの保存に失敗しました。";

enum class FileAccess { Read, Write };

std::string FileFailureText(const QString &path, const Error &error, FileAccess access);

} // namespace pipora
