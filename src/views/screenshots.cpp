#include "views/screenshots.h"

#include "model/save_checks.h"
#include "views/main_window.h"
#include "views/problems/problem_list_window.h"
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
  // A song SMD cannot hold also shows the list of what a save would refuse.
  if (!FindSaveProblems(frame.context().song, 1).empty()) {
    frame.showProblems();
    ok = frame.grab().save(dir.filePath("frame_with_problems.png")) && ok;
    ok = frame.problemList()->grab().save(dir.filePath("problem_list.png")) && ok;
  }
  return ok;
}

} // namespace pipora
