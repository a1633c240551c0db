#include "platform/files/program_directory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace pipora {

QString ProgramDirectory() {
  QString dir = qEnvironmentVariable("PIPORAPAD_HOME");
  if (dir.isEmpty()) {
    dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/piporapad";
  }
  // Created for this user alone: the tone store lists every saved path, the snapshots and
  // logs hold song content.
  if (!QFileInfo::exists(dir) && QDir().mkpath(dir))
    QFile::setPermissions(dir,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  return dir;
}

QString ProgramFile(const QString &name) {
  return ProgramDirectory() + "/" + name;
}

QString ShareDirectory() {
  // Installed, <prefix>/bin/piporapad finds <prefix>/share/piporapad; in a build folder
  // the executables sit a level or two below <build>, which holds a copy in
  // <build>/share/piporapad. Nothing depends on where the program was built or installed.
  QDir dir(QCoreApplication::applicationDirPath());
  for (int up = 0; up < 4; ++up) {
    const QString candidate = dir.absoluteFilePath(QStringLiteral("share/piporapad"));
    if (QFileInfo(candidate + QStringLiteral("/pipora.tnf")).isFile())
      return QDir(candidate).canonicalPath();
    if (!dir.cdUp())
      break;
  }
  return {};
}

QString ShareFile(const QString &name) {
  const QString dir = ShareDirectory();
  return dir.isEmpty() ? QString() : dir + "/" + name;
}

} // namespace pipora
