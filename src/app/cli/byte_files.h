#pragma once
// Files named by the bytes the system gave on the command line. Qt's file classes take
// names as text, which loses bytes that are not valid UTF-8, so these go to the system
// directly; "-" stands for standard input or standard output.
#include "model/result.h"

#include <QByteArray>

#include <functional>

namespace pipora::cli {

bool IsStandardStream(const QByteArray &name);

// The whole file, or standard input for "-"; over kMaxSongFileBytes is refused unread, and so
// is anything but a regular file (a FIFO, a device, /proc). The error is the system's
// description (or the refusal).
Result<QByteArray> ReadInputFile(const QByteArray &name);

// Replaces a regular file only by a complete one (temporary file beside it, then a
// rename), writes /dev/null, /dev/full or a terminal in place, and "-" or the file standard
// output goes to (/dev/stdout) to standard output. A FIFO and any other device are refused.
// On failure an existing file is left as it was.
Status WriteOutputFile(const QByteArray &name, const QByteArray &bytes);

// Where content made a piece at a time goes (a long render).
class OutputStream {
public:
  virtual ~OutputStream() = default;
  virtual void append(const QByteArray &bytes) = 0;
  // The first bytes again, once the rest is known (a header's sizes).
  virtual void rewriteStart(const QByteArray &bytes) = 0;
};

// WriteOutputFile for content `produce` makes: a regular file gets it piece by piece through
// the checked streamed write, never whole in memory; standard output and devices get it whole.
Status WriteOutputStream(const QByteArray &name,
                         const std::function<void(OutputStream &out)> &produce);

bool IsDirectory(const QByteArray &name);

// "dir/name.mid" -> "name.mid"; "name.mid" -> "name.mid".
QByteArray BaseName(const QByteArray &name);
// `name` with the part after its last dot (in the base name) replaced by `extension`, or
// ".extension" added when it has none.
QByteArray WithExtension(const QByteArray &name, const QByteArray &extension);
// The lower-case extension without the dot; empty when there is none.
QByteArray ExtensionOf(const QByteArray &name);
QByteArray JoinPath(const QByteArray &directory, const QByteArray &name);
// Relative names are taken from the current directory.
QByteArray AbsolutePath(const QByteArray &name);

} // namespace pipora::cli
