#include "views/screenshots.h"

#include "model/save_checks.h"
#include "platform/files/file_io.h"
#include "views/help/about_box.h"
#include "views/main_window.h"
#include "views/options/options_dialog.h"
#include "views/player/player_panel.h"
#include "views/problems/import_report_window.h"
#include "views/problems/problem_list_window.h"
#include "views/property/property_window.h"
#include "views/score/score_editor_window.h"
#include "views/source/source_editor_window.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>

namespace pipora {
namespace {

// Through the one checked write path, so a full disk cannot leave an empty picture.
bool SavePng(const QPixmap &picture, const QString &path) {
  QByteArray png;
  QBuffer buffer(&png);
  return buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG") &&
         WriteFileAtomically(path, png).ok();
}

bool SaveGrab(QWidget *widget, const QDir &dir, const char *name) {
  return widget ? SavePng(widget->grab(), dir.filePath(QString::fromLatin1(name))) : true;
}

// The options dialog at its top and scrolled to its end, and the about box.
bool SaveDialogs(MainWindow &frame, const QDir &dir) {
  OptionsDialog options(frame.context(), frame.prompts(), &frame);
  options.show();
  QApplication::processEvents();
  bool ok = SaveGrab(&options, dir, "options_top.png");
  QScrollBar *bar = options.scrollArea()->verticalScrollBar();
  bar->setValue(bar->maximum());
  QApplication::processEvents();
  ok = SaveGrab(&options, dir, "options_bottom.png") && ok;
  options.hide();

  AboutBox about(&frame);
  about.show();
  QApplication::processEvents();
  ok = SaveGrab(&about, dir, "about.png") && ok;
  about.hide();
  return ok;
}

} // namespace

bool SaveScreenshots(MainWindow &frame, const QString &directory) {
  QDir().mkpath(directory);
  const QDir dir(directory);
  const AppContext &ctx = frame.context();
  bool ok = SaveGrab(&frame, dir, "frame.png");
  ok = SaveGrab(frame.sourceEditor(), dir, "source_editor.png") && ok;
  ok = SaveGrab(frame.scoreEditor(), dir, "score_editor.png") && ok;
  ok = SaveGrab(frame.propertyWindow(), dir, "property_window.png") && ok;
  ok = SaveGrab(frame.playerPanel(), dir, "player_panel.png") && ok;
  ok = SaveDialogs(frame, dir) && ok;
  // A MIDI file opened at start-up also shows what its import did.
  if (ImportReportWindow *report = frame.importReport(); report && report->isVisible())
    ok = SaveGrab(report, dir, "import_report.png") && ok;
  // A song SMD cannot hold also shows the list of what a save would refuse.
  if (!FindSaveProblems(ctx.song, 1).empty()) {
    frame.showProblems();
    ok = SaveGrab(&frame, dir, "frame_with_problems.png") && ok;
    ok = SaveGrab(frame.problemList(), dir, "problem_list.png") && ok;
  }
  return ok;
}

} // namespace pipora
