#pragma once
// File input and output in one place. Replacing a user's file: the bytes go to a temporary file
// beside it, which is renamed over the old file only when everything was written.
#include "model/result.h"

#include <QByteArray>
#include <QString>

namespace pipora {

// On failure the message is the system's description of the error; the old file is kept.
Status WriteFileAtomically(const QString &path, const QByteArray &bytes);

// Replaces a scratch file of the program (a log): written in place, without the temporary
// file and the flush to disk that a user's file gets.
Status WriteScratchFile(const QString &path, const QByteArray &bytes);

// Reads the whole file; on failure the message is the system's description of the error.
Result<QByteArray> ReadWholeFile(const QString &path);

// Reads up to the first CR or LF (not included); the whole file when it has none.
Result<QByteArray> ReadFirstLine(const QString &path);

} // namespace pipora
