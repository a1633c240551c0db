#include "platform/files/program_directory.h"

#include "platform/files/private_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#include <mutex>

namespace pipora {
namespace {

// One made by an earlier version, or by hand, open to others (0755) becomes this user's alone
// too, once per run and folder. A shared folder named as the program's directory (sticky, as
// /tmp) or the home folder itself is left as it is: other programs rely on their modes.
void MakeOwnFolderPrivateOnce(const QString &dir) {
  static std::mutex guard;
  static QStringList done;
  const std::lock_guard lock(guard);
  if (done.contains(dir))
    return;
  done << dir;
  const QString canonical = QDir(dir).canonicalPath();
  if (canonical != QDir::home().canonicalPath() && canonical != QDir::rootPath())
    (void)MakeFolderPrivate(dir);
}

} // namespace

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
  else
    MakeOwnFolderPrivateOnce(dir);
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
