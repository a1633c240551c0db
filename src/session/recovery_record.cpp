#include "session/recovery_record.h"

#include "platform/files/file_io.h"

#include <QList>

namespace pipora {
namespace {

const QByteArray kFileKey = "file=";
const QByteArray kDirtyKey = "dirty=";
const QByteArray kChangedKey = "changed=";

} // namespace

QByteArray FormatRecoveryRecord(const RecoveryRecord &record) {
  QByteArray out = record.smdLine;
  out += "\r\n";
  // The name's own bytes: a name that is not UTF-8 must come back as the same file.
  out += kFileKey + FileNameBytes(record.fileName).toPercentEncoding() + "\r\n";
  out += kDirtyKey + (record.dirty ? "1" : "0") + "\r\n";
  out += kChangedKey + record.changed.toUTC().toString(Qt::ISODateWithMs).toLatin1() + "\r\n";
  return out;
}

Result<RecoveryRecord> ParseRecoveryRecord(const QByteArray &bytes) {
  // The SMD line may hold any byte but CR and LF; the keys follow it.
  QList<QByteArray> lines = bytes.split('\n');
  for (QByteArray &line : lines)
    if (line.endsWith('\r'))
      line.chop(1);
  if (lines.size() < 4)
    return Error("the recovery record is cut short");
  RecoveryRecord record;
  record.smdLine = lines[0];
  bool haveFile = false, haveDirty = false, haveChanged = false;
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const QByteArray &line = lines[i];
    if (line.startsWith(kFileKey)) {
      record.fileName =
          FileNameFromBytes(QByteArray::fromPercentEncoding(line.mid(kFileKey.size())));
      haveFile = true;
    } else if (line.startsWith(kDirtyKey)) {
      const QByteArray value = line.mid(kDirtyKey.size());
      if (value != "0" && value != "1")
        return Error("the recovery record's dirty flag is neither 0 nor 1");
      record.dirty = value == "1";
      haveDirty = true;
    } else if (line.startsWith(kChangedKey)) {
      record.changed = QDateTime::fromString(QString::fromLatin1(line.mid(kChangedKey.size())),
                                             Qt::ISODateWithMs);
      haveChanged = record.changed.isValid();
    }
  }
  if (!haveFile || !haveDirty || !haveChanged)
    return Error("the recovery record lacks its file name, dirty flag or time");
  return record;
}

} // namespace pipora
