#include "views/screenshots.h"

#include "views/main.h"
#include "views/srcview.h"

#include <QDir>
#include <QPixmap>

namespace pipora {

bool SaveScreenshots(main &frame, const QString &directory) {
  QDir().mkpath(directory);
  const QDir dir(directory);
  bool ok = frame.grab().save(dir.filePath("frame.png"));
  if (srcview *source = frame.context().source)
    ok = source->grab().save(dir.filePath("srcview.png")) && ok;
  return ok;
}

} // namespace pipora
