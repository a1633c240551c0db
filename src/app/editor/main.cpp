// piporapad [FILE]: the editor. With --offscreen-start-and-quit FILE it starts without a
// screen, opens FILE, waits until the interface is idle, prints the time that took and
// exits (the start-up benchmark).
#include "model/song.h"
#include "platform/ui/app_icon.h"
#include "platform/ui/fonts.h"
#include "platform/ui/translations.h"
#include "settings/settings.h"
#include "views/app_context.h"
#include "views/main_window.h"
#include "views/screenshots.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char *kStartAndQuit = "--offscreen-start-and-quit";
constexpr const char *kScreenshots = "--screenshots";

struct CommandLine {
  bool startAndQuit = false;
  QString screenshotDir; // --screenshots DIR: save PNGs of the windows there and exit
  QString fileName;
};

// The file name is the rest of the command line; a name split by blanks is joined again.
CommandLine ParseCommandLine(int argc, char **argv) {
  CommandLine line;
  QStringList words;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], kStartAndQuit) == 0)
      line.startAndQuit = true;
    else if (std::strcmp(argv[i], kScreenshots) == 0 && i + 1 < argc)
      line.screenshotDir = QString::fromLocal8Bit(argv[++i]);
    else
      words << QString::fromLocal8Bit(argv[i]);
  }
  line.fileName = words.join(' ');
  return line;
}

int NoteCount(const pipora::Song &song) {
  int notes = 0;
  for (int n = 1; n <= pipora::kUserParts; ++n)
    notes += song.part(n).count;
  return notes;
}

} // namespace

int main(int argc, char **argv) {
  QElapsedTimer clock;
  clock.start();
  const CommandLine line = ParseCommandLine(argc, argv);
  if ((line.startAndQuit || !line.screenshotDir.isEmpty()) &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");

  QApplication app(argc, argv);
  QApplication::setApplicationName("PiporaPad");
  pipora::InstallFontSubstitutions();
  pipora::InstallJapaneseTranslations(app);
  QApplication::setWindowIcon(pipora::ProgramIcon());

  pipora::Song song;
  pipora::Settings settings;
  pipora::AppContext ctx(song, settings);
  pipora::MainWindow frame(ctx);
  frame.startUp(line.fileName);

  if (line.startAndQuit) {
    // A zero timer fires once every pending event has been handled: the editor is idle.
    QTimer::singleShot(0, &app, [&] {
      std::printf("startup-ms %lld\nnotes %d\n", static_cast<long long>(clock.elapsed()),
                  NoteCount(song));
      std::fflush(stdout);
      QApplication::exit(0);
    });
  }
  if (!line.screenshotDir.isEmpty()) {
    QTimer::singleShot(200, &app, [&] {
      const bool ok = pipora::SaveScreenshots(frame, line.screenshotDir);
      QApplication::exit(ok ? 0 : 1);
    });
  }
  return QApplication::exec();
}
