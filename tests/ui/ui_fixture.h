#pragma once
// A frame with its four child windows for window tests, and prompts that answer from a
// script instead of a person.
#include "model/song.h"
#include "model/vocabulary.h"
#include "platform/files/program_directory.h"
#include "platform/ui/fonts.h"
#include "session/abandoned_songs.h"
#include "session/editor_session.h"
#include "settings/settings.h"
#include "views/app_context.h"
#include "views/main_window.h"
#include "views/prompts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QKeyEvent>
#include <QList>
#include <QStringList>
#include <QTest>

#include <memory>

namespace pipora::test {

// Answers in order; an empty queue answers "cancel" / "No" and the request is recorded.
class ScriptedPrompts : public Prompts {
public:
  QStringList openNames;
  QStringList saveNames;
  QList<Answer> answers;

  QStringList questionsAsked;
  QStringList warnings;
  QStringList messages;
  QList<FileDialogRequest> openRequests;
  QList<FileDialogRequest> saveRequests;

  QString openFileName(QWidget *, const FileDialogRequest &request) override {
    openRequests << request;
    return openNames.isEmpty() ? QString() : openNames.takeFirst();
  }
  QString saveFileName(QWidget *, const FileDialogRequest &request) override {
    saveRequests << request;
    return saveNames.isEmpty() ? QString() : saveNames.takeFirst();
  }
  Answer question(QWidget *, const QString &text, bool withCancel) override {
    questionsAsked << text;
    if (answers.isEmpty())
      return withCancel ? Answer::Cancel : Answer::No;
    return answers.takeFirst();
  }
  void warning(QWidget *, const QString &text) override { warnings << text; }
  void message(QWidget *, const QString &text) override { messages << text; }
  bool chooseFont(QWidget *, QFont &font) override {
    fontPresets << font;
    if (fontKept)
      return true; // OK without a change
    if (!fontAnswer)
      return false;
    font = *fontAnswer;
    return true;
  }
  std::unique_ptr<QFont> fontAnswer;
  bool fontKept = false;
  QList<QFont> fontPresets; // what each font dialog opened on
};

// One running editor: session, settings, context and frame, with scripted prompts.
struct Editor {
  EditorSession session{ProgramDirectory()};
  Song &song = SongUnderTest(session);
  Settings settings;
  AppContext ctx{session, settings};
  ScriptedPrompts *prompts = nullptr;
  std::unique_ptr<pipora::MainWindow> frame;

  Editor() {
    auto scripted = std::make_unique<ScriptedPrompts>();
    prompts = scripted.get();
    frame = std::make_unique<pipora::MainWindow>(ctx, std::move(scripted));
  }
  // Start-up as the program runs it; the frame ends up shown and active.
  void start(const QString &commandLine = {}) {
    frame->startUp(commandLine);
    frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frame.get()));
  }
  ~Editor() {
    frame->confirmClose(); // no questions while the test tears down
    frame->hide();
  }
};

// Once per test binary: a silent MIDI output, the Japanese fonts, no quitting when the
// last window closes.
inline void PrepareWindowTests() {
  qputenv("PIPORAPAD_MIDI", "null");
  InstallFontSubstitutions();
  QApplication::setQuitOnLastWindowClosed(false);
  // Songs a test left unsaved stay for recovery like anybody's; the next run lets them go.
  for (AbandonedSong &song : ClaimAbandonedSongs(ProgramDirectory()))
    DiscardAbandonedSong(song);
}

// A fresh program directory per test function.
inline void ClearProgramDirectory() {
  QDir dir(ProgramDirectory());
  for (const QString &name : dir.entryList(QDir::Files))
    dir.remove(name);
}

// Types text the way an input method delivers it: one key event per character, carrying
// the character (QTest::keyClicks handles ASCII only).
inline void TypeText(QWidget *target, const QString &text) {
  for (const QChar ch : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(target, &release);
  }
}

// Windows left on screen by a test (there should be none).
inline QStringList VisibleTopLevels() {
  QStringList names;
  for (QWidget *w : QApplication::topLevelWidgets())
    if (w->isVisible())
      names << w->objectName();
  return names;
}

inline QString HomeFile(const QString &name) {
  return ProgramFile(name);
}

inline void WriteBytes(const QString &path, const QByteArray &bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

inline QByteArray ReadBytes(const QString &path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    return {};
  return f.readAll();
}

// Appends a note (0 is a rest) to a part, as the editor does after any edit: start times
// and the score editor's copy follow.
inline void AppendNote(Song &song, int part, int note, const char *length) {
  InsertNote(song, part, song.part(part).count, note, length, note ? PitchNameOf(note) : "R");
  RecalcTimes(song);
  BuildScoreList(song);
}

// ESC "$D" "!$" <codes> 0x0F for each part, after the title bytes.
inline QByteArray SmdBytes(const QByteArray &title, const QList<QByteArray> &parts) {
  QByteArray out = title;
  for (const QByteArray &p : parts)
    out += QByteArray("\x1b$D!$") + p + QByteArray("\x0f");
  return out + "\r\n";
}

} // namespace pipora::test
