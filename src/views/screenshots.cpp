#include "views/screenshots.h"

#include "platform/files/file_io.h"
#include "views/main_window.h"
#include "views/source/source_editor_window.h"

#include <QBuffer>
#include <QDir>
#include <QPixmap>

namespace pipora {

namespace {

// Through the one checked write path, so a full disk cannot leave an empty picture.
bool SavePng(const QPixmap &picture, const QString &path) {
  QByteArray png;
  QBuffer buffer(&png);
  return buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG") &&
         WriteFileAtomically(path, png).ok();
}

} // namespace

bool SaveScreenshots(MainWindow &frame, const QString &directory) {
  QDir().mkpath(directory);
  const QDir dir(directory);
  bool ok = SavePng(frame.grab(), dir.filePath("frame.png"));
  if (SourceEditorWindow *source = frame.context().source)
    ok = SavePng(source->grab(), dir.filePath("source_editor.png")) && ok;
  return ok;
}

} // namespace pipora
