#include "app/cli/plugin_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace pipora::cli {

QString PluginFile(const char *relativePath) {
  // Before the application object exists (the score command makes its own), the system's
  // link to the running program names its folder.
  QDir dir(QCoreApplication::instance()
               ? QCoreApplication::applicationDirPath()
               : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath());
  for (int up = 0; up < 4; ++up) {
    const QString candidate = dir.absoluteFilePath(QString::fromLatin1(relativePath));
    if (QFileInfo(candidate).isFile())
      return candidate;
    if (!dir.cdUp())
      break;
  }
  return {};
}

} // namespace pipora::cli
