#include "views/screenshots.h"

#include "views/main_window.h"
#include "views/source/source_editor_window.h"

#include <QDir>
#include <QPixmap>

namespace pipora {

bool SaveScreenshots(MainWindow &frame, const QString &directory) {
  QDir().mkpath(directory);
  const QDir dir(directory);
  bool ok = frame.grab().save(dir.filePath("frame.png"));
  if (SourceEditorWindow *source = frame.context().source)
    ok = source->grab().save(dir.filePath("source_editor.png")) && ok;
  return ok;
}

} // namespace pipora
