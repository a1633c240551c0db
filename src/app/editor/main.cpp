// piporapad [FILE]: the editor. With --offscreen-start-and-quit FILE it starts without a
// screen, opens FILE, waits until the interface is idle, prints the time that took and
// exits (the start-up benchmark); a file that does not open ends it with exit code 2.
#include "app/editor/editor_command_line.h"
#include "app/editor/termination_signals.h"
#include "app/editor/typed_keys.h"
#include "app/editor/unattended_prompts.h"
#include "model/song.h"
#include "piporapad_version.h"
#include "platform/files/program_directory.h"
#include "platform/memory/huge_page_heap.h"
#include "platform/ui/app_icon.h"
#include "platform/ui/fonts.h"
#include "platform/ui/translations.h"
#include "session/editor_session.h"
#include "settings/settings.h"
#include "views/app_context.h"
#include "views/main_window.h"
#include "views/options/sound_output.h"
#include "views/recovery_offer.h"
#include "views/screenshots.h"

#include <QApplication>

#include <QElapsedTimer>
#include <QTimer>
#include <cstring>

#include <cstdio>
#include <string>

namespace {

constexpr int kExitFailed = 2;

void Print(std::FILE *stream, const std::string &text) {
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

int NoteCount(const pipora::Song &song) {
  int notes = 0;
  for (int n = 1; n <= pipora::kUserParts; ++n)
    notes += song.part(n).count;
  return notes;
}

// Platforms that show nothing to anybody: a dialog there would wait for ever.
bool NobodyCanSee() {
  const QString platform = QGuiApplication::platformName();
  return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

} // namespace

int main(int argc, char **argv) {
  QElapsedTimer clock;
  clock.start();
  // Opening a big MIDI file fills a hundred megabytes of lists, reports and drawings: the heap
  // takes them in huge pages, and what a closed song frees is kept for the next one.
  pipora::GrowHeapInHugePages({.pad = 64 << 20, .keepFreed = 64 << 20, .ownBlocks = 32 << 20});
  using pipora::editor::EditorCommandLine;
  const EditorCommandLine line = pipora::editor::ParseEditorCommandLine(argc, argv);
  switch (line.kind) {
  case EditorCommandLine::Kind::Help:
    Print(stdout, pipora::editor::EditorHelpText());
    return std::ferror(stdout) ? 3 : 0;
  case EditorCommandLine::Kind::Version:
    Print(stdout, pipora::editor::EditorVersionText());
    return std::ferror(stdout) ? 3 : 0;
  case EditorCommandLine::Kind::UsageError:
    Print(stderr, "piporapad: " + line.error + "\nTry 'piporapad --help' for more information.\n");
    return kExitFailed;
  case EditorCommandLine::Kind::Run:
    break;
  }
  for (const QString &ignored : line.ignoredFiles)
    Print(stderr, "piporapad: one song at a time: " + ignored.toStdString() + " not opened\n");

  const bool checkRun = line.startAndQuit || !line.screenshotDir.isEmpty();
  if (checkRun && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");

  // Qt takes its own options (-platform, -style ...) only before "--": after it every word
  // is a file name, already read above.
  int qtArgc = argc;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--") == 0) {
      qtArgc = i;
      break;
    }
  QApplication app(qtArgc, argv);
  // From here on SIGTERM and SIGHUP wait in a pipe until the frame can close (below).
  pipora::editor::TerminationSignals termination;
  QApplication::setApplicationName("PiporaPad");
  QApplication::setApplicationVersion(PIPORAPAD_VERSION);
  QApplication::setDesktopFileName("org.piporapad.PiporaPad");
  pipora::InstallFontSubstitutions();
  pipora::InstallJapaneseTranslations(app);
  QApplication::setWindowIcon(pipora::ProgramIcon());

  pipora::EditorSession session(pipora::ProgramDirectory());
  const pipora::Song &song = session.song();
  pipora::Settings settings;
  pipora::AppContext ctx(session, settings);
  // Check runs and screens nobody sees have no person to answer: prompts answer themselves.
  std::unique_ptr<pipora::editor::UnattendedPrompts> unattendedPrompts;
  pipora::editor::UnattendedPrompts *checks = nullptr;
  if (checkRun || NobodyCanSee()) {
    unattendedPrompts = std::make_unique<pipora::editor::UnattendedPrompts>();
    if (checkRun)
      checks = unattendedPrompts.get();
  }
  pipora::MainWindow frame(ctx, std::move(unattendedPrompts));

  // SIGTERM and SIGHUP close the frame without questions; this also ends a dialog that is
  // waiting, so start-up may find the editor already ended.
  bool ended = false;
  QObject::connect(&termination, &pipora::editor::TerminationSignals::terminationRequested, &app,
                   [&] {
                     ended = true;
                     frame.closeWithoutQuestions();
                     QApplication::exit(0);
                   });

  frame.startUp(line.fileName);
  // The output follows the settings just read (MidiOutput, SoundFont).
  pipora::UseChosenOutput(ctx);
  if (!ended)
    pipora::OfferRecovery(ctx, frame.prompts(), &frame, line.recovery);
  if (ended)
    return 0;

  // The file that did not open said why through the prompts.
  if (checks && checks->interrupted())
    return kExitFailed;
  // The check modes end once the keys given to type, if any, are typed.
  auto afterStartUp = [&] {
    if (line.startAndQuit) {
      // A zero timer fires once every pending event has been handled: the editor is idle.
      QTimer::singleShot(0, &app, [&] {
        std::printf("startup-ms %lld\nnotes %d\n", static_cast<long long>(clock.elapsed()),
                    NoteCount(song));
        std::fflush(stdout);
        QApplication::exit(checks && checks->interrupted() ? kExitFailed : 0);
      });
    }
    if (!line.screenshotDir.isEmpty()) {
      QTimer::singleShot(200, &app, [&] {
        const bool ok = pipora::SaveScreenshots(frame, line.screenshotDir);
        QApplication::exit(ok ? 0 : 1);
      });
    }
  };
  if (line.typedKeys.isEmpty())
    afterStartUp();
  else
    pipora::editor::TypeKeysInScoreEditor(frame, line.typedKeys, afterStartUp);
  return QApplication::exec();
}
