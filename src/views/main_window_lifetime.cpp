// The frame's start-up (settings, layout, the command line's file) and its end (the
// save question, the settings written back, the session shut down).
#include "views/main_window.h"

#include "model/file_messages.h"
#include "platform/files/file_io.h"
#include "playback/player.h"
#include "views/file_commands.h"
#include "views/prompts.h"
#include "views/property/property_window.h"
#include "views/source/source_editor_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

namespace pipora {
namespace {

QSize CurrentScreenSize() {
  const QScreen *screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().size() : QSize(1920, 1080);
}

} // namespace

// --- start-up and shutdown ---------------------------------------------------------

bool MainWindow::startUp(const QString &commandLine) {
  ctx_.startingUp = true;
  hide();
  storeLayout(ctx_.settings); // the design values are the defaults of the load
  const SettingsLoad loaded = settingsStore_.load(ctx_.settings, CurrentScreenSize());
  if (ctx_.settings.shortcuts[kShortCutMeasurePlay] == 0)
    ctx_.settings.shortcuts[kShortCutMeasurePlay] = kMeasurePlayFallbackKey;
  for (int n = 1; n <= kUserParts; ++n)
    ctx_.session.setTone(n, ctx_.settings.tones[static_cast<std::size_t>(n - 1)]);
  show();
  applyLoadedSettings(loaded.value == LoadedLayout::FromFile);
  showTimeMode(ctx_.settings.isTick);

  QString name = commandLine;
  if (name.size() >= 2 && name.startsWith('"') && name.endsWith('"'))
    name = name.mid(1, name.size() - 2);
  // A name relative to where the editor was started must still name the same file from the
  // file dialog, the settings and a recovery record, which outlive that folder.
  if (!name.isEmpty())
    name = AbsoluteFileName(name);

  ctx_.startingUp = false;
  source_->relayout();
  files_->newSong();
  files_->openHandOver(name);
  return true;
}

void MainWindow::applyLoadedSettings(bool complete) {
  if (!complete)
    return;
  applyLayout(ctx_.settings);
  source_->applyFont(ctx_.settings.sourceFont);
  if (!ctx_.settings.isManyUndo)
    actions_.redo->setVisible(false);
  // Program changes for the tones and the score editor's zoom are taken by the player
  // and the score editor from the settings when they start.
}

bool MainWindow::confirmExit() {
  closeConfirmed_ = false;
  if (ctx_.session.isDirty()) {
    switch (prompts_->question(this, QString::fromUtf8(kChangedQuestion.data()), true)) {
    case Answer::Cancel:
      return false;
    case Answer::Yes:
      if (!files_->saveSmd())
        return false;
      break;
    case Answer::No:
      ctx_.session.setDirty(false);
      break;
    }
  }
  closeConfirmed_ = true;
  return true;
}

void MainWindow::exitCommand() {
  if (confirmExit())
    close();
}

void MainWindow::closeWithoutQuestions() {
  closingUnasked_ = true;
  close();
}

void MainWindow::closeEvent(QCloseEvent *event) {
  // With nobody to ask, unsaved work is left for recovery instead of being asked about.
  const bool unasked = closingUnasked_ || !prompts_->canAsk();
  if (ctx_.session.isPlaying()) {
    if (!unasked) {
      event->ignore();
      return;
    }
    ctx_.session.player().stopSong();
  }
  if (unasked) {
    closeConfirmed_ = true;
    props_->commitToSong(); // a title being typed goes into the recovery record too
  } else if (!closeConfirmed_ && !confirmExit()) {
    event->ignore();
    return;
  }
  // Written only now that the editor really ends, and only what this editor changed:
  // another editor's settings in the same file survive.
  if (!ctx_.song.fileName.empty())
    ctx_.settings.LastFileName = FileNameFromBytes(QByteArray::fromStdString(ctx_.song.fileName));
  storeLayout(ctx_.settings);
  for (int n = 1; n <= kUserParts; ++n)
    ctx_.settings.tones[static_cast<std::size_t>(n - 1)] = ctx_.song.part(n).tone;
  settingsStore_.saveChanges(ctx_.settings, CurrentScreenSize());
  ctx_.session.shutDown();
  event->accept();
}

} // namespace pipora
