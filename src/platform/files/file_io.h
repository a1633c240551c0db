#pragma once
// File input and output in one place. Replacing a file: the bytes go to a temporary file
// beside it, every write and the sync to disk are checked, the temporary file is read back
// and compared, and only then is it renamed over the old file. Any failure leaves the old
// file exactly as it was and reports the system's description of the error.
//
// The target is the file at the end of any chain of symbolic links, in its folders as at its
// end (the links stay). As the kernel's protected_symlinks, protected_fifos and
// protected_regular have it, in a shared sticky folder (/tmp) a link, a FIFO or a file that
// another user planted is not followed, opened nor replaced ("Permission denied"), also for
// root. Only regular files are replaced: a FIFO, a device or a socket is refused
// ("通常のファイルではありません"), and so is a read-only target ("Permission denied").
// The temporary file has a short unguessable name (".pipora-<random>.tmp", so that the
// longest name the file system takes can be written) and is created new, never through a
// link. The new file keeps the old one's permissions less what the umask takes away, never
// setuid or setgid. Other hard links to the old file keep the old content: the new file is a
// new inode. Files in the program's folder are created for this user only.
#include "model/result.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace pipora {

// The temporary files of a replacing write are named this, a random part and ".tmp".
inline constexpr char kTemporaryPrefix[] = ".pipora-";

// File names as the system's bytes and as text, without loss: a byte that is not part of
// valid UTF-8 becomes U+DC80..U+DCFF and back, so that a Latin-1 name opens, saves and
// imports under the name it has (Qt's own conversion would turn it into U+FFFD).
QString FileNameFromBytes(const QByteArray &bytes);
QByteArray FileNameBytes(const QString &name);

// Whether a file of that name exists, asked with the name's own bytes.
bool FileExists(const QString &name);

// The name made absolute from the working folder, keeping the bytes that are not UTF-8
// (QFileInfo's own answer would turn them into '?').
QString AbsoluteFileName(const QString &name);

// User files, settings, the tone store and snapshots: synced to disk before the rename, and
// the folder synced after it, so that a crash or a power cut leaves the old or the new file.
Status WriteFileAtomically(const QString &path, const QByteArray &bytes);

// The same for a name given as the system's bytes (a name that is not valid text).
Status WriteFileAtomically(const QByteArray &nativePath, const QByteArray &bytes);

// Content too large to hold in memory (a long render), written a piece at a time through the
// same steps: a new temporary file, checked writes, sync, read-back (of the first piece, and a
// digest of the rest), rename. Dropped before finish(), it removes the temporary file and
// leaves the target as it was. After a failure every call returns that failure again.
class StreamedFileWrite {
public:
  explicit StreamedFileWrite(const QByteArray &nativePath);
  ~StreamedFileWrite();
  StreamedFileWrite(const StreamedFileWrite &) = delete;
  StreamedFileWrite &operator=(const StreamedFileWrite &) = delete;

  Status append(const QByteArray &bytes);
  // Rewrites the file's first bytes once the rest is known (a header's sizes): at most
  // kWriteChunkBytes, and no more than has been appended.
  Status rewriteStart(const QByteArray &bytes);
  Status finish();

private:
  struct State;
  std::unique_ptr<State> state_;
};

// The command line also writes to /dev/null, /dev/zero, /dev/full and terminals named as
// outputs, in place, with every write checked (/dev/full's "No space left on device" is
// reported). Any other device, a FIFO or a socket is refused: it could hang the program or
// take a song meant for a file. Links are followed as a replacing write follows them.
bool IsWritableDevice(const QByteArray &nativePath);
Status WriteToDevice(const QByteArray &nativePath, const QByteArray &bytes);

// Program scratch files (logs): the same checked writes and rename, without waiting for the
// disk; after a power cut the old log may come back.
Status WriteScratchFile(const QString &path, const QByteArray &bytes);

// Reading takes regular files only, opened without waiting (a FIFO cannot hang the
// program), never the kernel's own files (/proc, /sys), and reads no more than the limit allows: a
// device or a huge sparse file is refused with a message before it costs time or memory.
inline constexpr qint64 kMaxReadBytes = qint64{64} << 20; // 64 MB

// Reads the whole file; on failure the message is the system's description of the error,
// or says the file is not a regular file or too large.
Result<QByteArray> ReadWholeFile(const QString &path, qint64 maxBytes = kMaxReadBytes);

// Reads up to the first CR or LF (not included); the whole file when it has none. A line
// longer than `maxBytes` comes back cut at `maxBytes` + 1 bytes, so that the caller sees it
// is too long; a file larger than `maxBytes` is refused as ReadWholeFile does.
Result<QByteArray> ReadFirstLine(const QString &path, qint64 maxBytes);

// Up to the first CR or LF (not included) of bytes already read; all of them when they have none.
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
