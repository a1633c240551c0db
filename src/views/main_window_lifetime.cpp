// The frame's start-up (settings, layout, the command line's file) and its end (the
// save question, the settings written back, the session shut down).
#include "views/main_window.h"

#include "model/file_messages.h"
#include "platform/files/file_io.h"
#include "playback/player.h"
#include "views/editor_settings_file.h"
#include "views/file_commands.h"
#include "views/prompts.h"
#include "views/property/property_window.h"
#include "views/source/source_editor_window.h"

#include <QAction>
#include <QCloseEvent>

namespace pipora {

// --- start-up and shutdown ---------------------------------------------------------

bool MainWindow::startUp(const QString &commandLine) {
  ctx_.startingUp = true;
  hide();
  const bool layoutFromFile = settingsFile_->load();
  show();
  applyLoadedSettings(layoutFromFile);
  showTimeMode(ctx_.settings.isTick);

  QString name = commandLine;
  if (name.size() >= 2 && name.startsWith('"') && name.endsWith('"'))
    name = name.mid(1, name.size() - 2);
  // A name relative to where the editor was started must still name the same file from the
  // file dialog, the settings and a recovery record, which outlive that folder.
  if (!name.isEmpty())
    name = AbsoluteFileName(name);

  ctx_.startingUp = false;
  sourceEditor()->relayout();
  files_->newSong();
  files_->openHandOver(name);
  return true;
}

void MainWindow::applyLoadedSettings(bool complete) {
  if (!complete)
    return;
  windows_->applyLayout(ctx_.settings);
  sourceEditor()->applyFont(ctx_.settings.sourceFont);
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
    propertyWindow()->commitToSong(); // a title being typed goes into the recovery record too
  } else if (!closeConfirmed_ && !confirmExit()) {
    event->ignore();
    return;
  }
  settingsFile_->save();
  ctx_.session.shutDown();
  event->accept();
}

} // namespace pipora
