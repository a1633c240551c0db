#include "platform/files/program_directory.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace pipora {

QString ProgramDirectory() {
  QString dir = qEnvironmentVariable("PIPORAPAD_HOME");
  if (dir.isEmpty()) {
    dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/piporapad";
  }
  QDir().mkpath(dir);
  return dir;
}

QString ProgramFile(const QString &name) { return ProgramDirectory() + "/" + name; }

QString ShareDirectory() {
  // Installed layout: <prefix>/bin/piporapad and <prefix>/share/piporapad.
  const QString appDir = QCoreApplication::applicationDirPath();
  const QString installed = QDir(appDir).absoluteFilePath("../share/piporapad");
  if (QDir(installed).exists())
    return QDir(installed).canonicalPath();
  return QStringLiteral(PIPORAPAD_SOURCE_SHARE);
}

} // namespace pipora
