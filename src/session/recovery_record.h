#pragma once
// What a running editor keeps beside its undo snapshots so that its work can be brought
// back after it crashed or was killed: the song as an SMD line, the file name it belongs to,
// whether it was saved, and when it last changed. One small file, rewritten after every
// change; its first line is the song, so any SMD reader opens it.
#include "model/result.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace pipora {

// The file's name inside an editor's snapshot folder.
inline constexpr char kRecoveryFileName[] = "recovery.smd";

struct RecoveryRecord {
  QByteArray smdLine; // the song as the SMD writer encodes it, without the line end
  QString fileName;   // the song's file; empty for a song never saved
  bool dirty = false; // changed since it was last saved or opened
  QDateTime changed;  // the last change, UTC
};

// The record as written: the SMD line, CR LF, then one "key=value" line each for the file
// name (its bytes percent-encoded, so any path fits on one line), the dirty flag and the time.
QByteArray FormatRecoveryRecord(const RecoveryRecord &record);

// Reads a record back. A record cut short or with an unknown layout is refused: the
// snapshot folder is then offered from its snapshots instead.
Result<RecoveryRecord> ParseRecoveryRecord(const QByteArray &bytes);

} // namespace pipora
