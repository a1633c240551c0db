#include "platform/files/temporary_files.h"

#include <QDir>
#include <QFile>

namespace pipora {

int DeleteTemporaryFiles(const QString &directory) {
  const QDir dir(directory);
  // Without QDir::CaseSensitive the patterns match in any letter case.
  const QStringList names =
      dir.entryList({QStringLiteral("pipora*.tmp"), QStringLiteral("pipora*.log")},
                    QDir::Files | QDir::Hidden | QDir::System);
  int deleted = 0;
  for (const QString &name : names)
    if (QFile::remove(dir.filePath(name)))
      ++deleted;
  return deleted;
}

} // namespace pipora
