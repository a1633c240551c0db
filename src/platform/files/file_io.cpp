#include "platform/files/file_io.h"

#include <QFile>
#include <QSaveFile>

namespace pipora {

Status WriteFileAtomically(const QString &path, const QByteArray &bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly))
    return Error{file.errorString().toStdString()};
  if (file.write(bytes) != bytes.size()) {
    const std::string why = file.errorString().toStdString();
    file.cancelWriting();
    return Error{why};
  }
  if (!file.commit())
    return Error{file.errorString().toStdString()};
  return Ok{};
}

Status WriteScratchFile(const QString &path, const QByteArray &bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
    return Error{file.errorString().toStdString()};
  return Ok{};
}

Result<QByteArray> ReadWholeFile(const QString &path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return Error{file.errorString().toStdString()};
  QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError)
    return Error{file.errorString().toStdString()};
  return bytes;
}

Result<QByteArray> ReadFirstLine(const QString &path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return Error{file.errorString().toStdString()};
  QByteArray line;
  char chunk[65536];
  for (;;) {
    const qint64 n = file.read(chunk, sizeof chunk);
    if (n < 0)
      return Error{file.errorString().toStdString()};
    if (n == 0)
      return line;
    for (qint64 i = 0; i < n; ++i)
      if (chunk[i] == '\r' || chunk[i] == '\n') {
        line.append(chunk, i);
        return line;
      }
    line.append(chunk, n);
  }
}

} // namespace pipora
