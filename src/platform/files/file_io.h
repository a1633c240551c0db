#pragma once
// File input and output in one place. Replacing a file: the bytes go to a temporary file
// beside it, every write and the sync to disk are checked, the temporary file is read back
// and compared, and only then is it renamed over the old file. Any failure leaves the old
// file exactly as it was and reports the system's description of the error.
#include "model/result.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace pipora {

// User files, settings, the tone store and snapshots: synced to disk before the rename, and
// the folder synced after it, so that a crash or a power cut leaves the old or the new file.
Status WriteFileAtomically(const QString &path, const QByteArray &bytes);

// Program scratch files (logs): the same checked writes and rename, without waiting for the
// disk; after a power cut the old log may come back.
Status WriteScratchFile(const QString &path, const QByteArray &bytes);

// Reads the whole file; on failure the message is the system's description of the error.
Result<QByteArray> ReadWholeFile(const QString &path);

// Reads up to the first CR or LF (not included); the whole file when it has none.
Result<QByteArray> ReadFirstLine(const QString &path);
// The same for bytes already read.
QByteArray FirstLineOf(const QByteArray &bytes);

// The bytes go to disk in pieces of this size, one write call each.
inline constexpr qsizetype kWriteChunkBytes = 64 * 1024;

// The steps of a replacing write, in order.
enum class WriteStep { Create, Write, Sync, Close, ReadBack, Rename, SyncFolder };

// Tests make a step fail: the hook sees each step as it is about to run, with its count
// (the n-th write call of this file, from 1; 1 for the others), and returns an errno value
// to fail it with, or 0 to let it run. An empty hook removes it.
using WriteFaultHook = std::function<int(WriteStep step, int count)>;
void SetWriteFaultHook(WriteFaultHook hook);

} // namespace pipora
