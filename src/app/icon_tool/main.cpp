// piporapad-icon-tool DIR SIZE...: writes the program's icon as DIR/SIZExSIZE/apps/piporapad.png
// for each size, the layout of an icon theme. Runs during the build.
#include "platform/ui/app_icon.h"

#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
  if (argc < 3) {
    std::fputs("usage: piporapad-icon-tool DIR SIZE...\n", stderr);
    return 2;
  }
  const QString root = QString::fromLocal8Bit(argv[1]);
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size <= 0 || size > 1024) {
      std::fprintf(stderr, "piporapad-icon-tool: bad size '%s'\n", argv[i]);
      return 2;
    }
    const QString dir = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
    const QString file = dir + QStringLiteral("/piporapad.png");
    if (!QDir().mkpath(dir) || !pipora::ProgramIconImage(size).save(file, "PNG")) {
      std::fprintf(stderr, "piporapad-icon-tool: cannot write %s\n", qPrintable(file));
      return 3;
    }
  }
  return 0;
}
