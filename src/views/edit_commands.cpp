#include "views/edit_commands.h"

#include "editing/clipboard.h"
#include "editing/find_notes.h"
#include "editing/score_geometry.h"
#include "editing/score_keys.h"
#include "editing/transforms.h"
#include "model/virtual_keys.h"
#include "views/find/find_dialog.h"
#include "views/main_window.h"
#include "views/property/property_window.h"
#include "views/score/score_editor_window.h"
#include "views/source/source_editor_window.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace pipora {

EditCommands::EditCommands(AppContext &ctx, MainWindow &frame)
    : QObject(&frame), ctx_(ctx), frame_(frame) {
  auto on = [this](QAction *MainActions::*item, auto command) {
    if (QAction *a = ctx_.action(item))
      connect(a, &QAction::triggered, this, command);
  };
  on(&MainActions::cut, [this] { cut(); });
  on(&MainActions::copy, [this] { copy(); });
  on(&MainActions::paste, [this] { paste(); });
  on(&MainActions::remove, [this] { deleteSelection(); });
  on(&MainActions::selectAll, [this] { selectAll(); });
  on(&MainActions::find, [this] { find(); });
  on(&MainActions::findNext, [this] { findNext(); });
  on(&MainActions::semitoneUp, [this] { transpose(1); });
  on(&MainActions::semitoneDown, [this] { transpose(-1); });
  on(&MainActions::octaveUp, [this] { transpose(12); });
  on(&MainActions::octaveDown, [this] { transpose(-12); });
  on(&MainActions::longer, [this] { longer(); });
  on(&MainActions::shorter, [this] { shorter(); });
  on(&MainActions::tie, [this] { tie(); });
  on(&MainActions::halveAll, [this] { halveAll(); });
  on(&MainActions::doubleAll, [this] { doubleAll(); });
}

// --- which view, and its selection ---------------------------------------------------------

bool EditCommands::scoreActive() const {
  return ctx_.session.editedLists() == EditedLists::Score;
}

EditCommands::View EditCommands::activeView() const {
  if (frame_.editsGoToSourceList())
    return View::Source;
  if (scoreActive())
    return View::Score;
  return View::None;
}

std::vector<int> EditCommands::selectedSourceRows() const {
  std::vector<int> rows;
  for (const QModelIndex &index :
       frame_.sourceEditor()->noteList()->selectionModel()->selectedIndexes())
    rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

// --- after a command ------------------------------------------------------------------------

void EditCommands::message(const QString &text) {
  frame_.prompts().message(findDialog_ && findDialog_->isVisible()
                               ? static_cast<QWidget *>(findDialog_)
                               : static_cast<QWidget *>(&frame_),
                           text);
}

void EditCommands::refresh(View view) {
  ctx_.session.reportSongChange();
  if (view == View::Source)
    frame_.showPartInList(ctx_.song.currentPart);
}

void EditCommands::finish(const std::function<EditOutcome(Song &)> &command, View view) {
  const EditOutcome outcome = ctx_.session.edit(command); // the note lists are left current
  if (outcome.changed || outcome.refused())
    refresh(view);
  if (outcome.refused())
    message(QString::fromStdString(outcome.message));
}

// --- selection and clipboard ----------------------------------------------------------------

void EditCommands::selectAll() {
  switch (activeView()) {
  case View::Source:
    frame_.sourceEditor()->noteList()->selectAll();
    break;
  case View::Score:
    ctx_.changeMarks([](Song &song) { SelectAllScore(song); });
    refresh(View::Score);
    break;
  default:
    break;
  }
}

void EditCommands::copy() {
  switch (activeView()) {
  case View::Source:
    ctx_.changeMarks([rows = selectedSourceRows()](Song &song) { CopySourceRows(song, rows); });
    break;
  case View::Score:
    ctx_.changeMarks([](Song &song) { CopyScoreSelection(song); });
    break;
  default:
    break;
  }
}

void EditCommands::deleteSelection() {
  if (frame_.propertyWindow()->isActive()) {
    // The title box: the selected text, else the character after the caret.
    QLineEdit *title = frame_.propertyWindow()->titleBox();
    if (title->hasSelectedText())
      title->backspace();
    else if (title->cursorPosition() < title->text().size())
      title->del();
    return;
  }
  const View view = activeView();
  if (view == View::Source)
    finish([rows = selectedSourceRows()](Song &song) { return DeleteSourceRows(song, rows); },
           view);
  else if (view == View::Score)
    finish([](Song &song) { return DeleteScore(song); }, view);
}

void EditCommands::cut() {
  const View view = activeView();
  if (view == View::Source)
    finish([rows = selectedSourceRows()](Song &song) { return CutSourceRows(song, rows); }, view);
  else if (view == View::Score)
    finish([](Song &song) { return CutScore(song); }, view);
}

void EditCommands::paste() {
  const View view = activeView();
  if (view == View::Source)
    finish([](Song &song) { return PasteSource(song); }, view);
  else if (view == View::Score)
    finish([](Song &song) { return PasteScore(song); }, view);
}

// --- find -------------------------------------------------------------------------------------

FindDialog *EditCommands::findDialog() {
  if (!findDialog_) {
    findDialog_ = new FindDialog(&frame_);
    connect(findDialog_, &FindDialog::searchRequested, this, &EditCommands::search);
    connect(findDialog_->cancelButton(), &QPushButton::clicked, this,
            [this] { returnFocus(findDialog_->target()); });
  }
  return findDialog_;
}

void EditCommands::find() {
  FindDialog *dialog = findDialog();
  dialog->setTarget(frame_.editsGoToSourceList() ? FindTarget::Source : FindTarget::Score);
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
  // Ready for typing the pitch, over what was looked for last time.
  dialog->noteText()->setFocus(Qt::OtherFocusReason);
}

void EditCommands::findNext() {
  FindDialog *dialog = findDialog();
  const bool backward = dialog->backwardOption()->isChecked();
  dialog->chooseForwardUnlessBackward();
  // The cursor steps off the last hit first, as the arrow keys would move it.
  if (frame_.editsGoToSourceList()) {
    dialog->setTarget(FindTarget::Source);
    QListWidget *list = frame_.sourceEditor()->noteList();
    const int row = list->currentRow() + (backward ? -1 : 1);
    if (row >= 0 && row < list->count())
      list->setCurrentRow(row);
  } else {
    dialog->setTarget(FindTarget::Score);
    ctx_.changeMarks([backward](Song &song) {
      VerticalScroll scroll = VerticalScroll::None;
      MoveScoreCursor(song, backward ? vk::Left : vk::Right, 0, scroll);
    });
    ctx_.session.reportSongChange();
  }
  search();
}

void EditCommands::search() {
  FindDialog *dialog = findDialog();
  const FindTarget target = dialog->target();
  FindOutcome out;
  ctx_.changeMarks([&](Song &song) { out = RunFind(song, dialog->criteria(), target); });
  if (!out.hit) {
    message(QString::fromStdString(out.message));
    return;
  }
  dialog->hide();
  if (target == FindTarget::Score)
    showScoreHit();
  else
    frame_.showPartInList(out.hit->part);
  returnFocus(target);
}

void EditCommands::returnFocus(FindTarget target) {
  frame_.activateWindow();
  if (target == FindTarget::Score)
    frame_.scoreEditor()->setFocus(Qt::OtherFocusReason);
  else if (target == FindTarget::Source)
    frame_.sourceEditor()->focusList();
}

void EditCommands::showScoreHit() {
  // Drawn first as a cursor, which brings the hit into view, then as the selection.
  const int part = ScoreCurrentPart(ctx_.song);
  const int length = ctx_.song.part(part).scoreHeader.selLength;
  ctx_.changeMarks([part](Song &song) { song.part(part).scoreHeader.selLength = 0; });
  ctx_.session.reportSongChange();
  ctx_.changeMarks([&](Song &song) { song.part(part).scoreHeader.selLength = length; });
  ctx_.session.reportSongChange();
}

// --- transforms -------------------------------------------------------------------------------

void EditCommands::transpose(int semitones) {
  const View view = activeView();
  if (view == View::Source) {
    const std::vector<int> rows = selectedSourceRows();
    finish([&](Song &song) { return TransposeSourceRows(song, rows, semitones); }, view);
    // The rows stay selected, the part's cursor row current.
    QListWidget *list = frame_.sourceEditor()->noteList();
    QItemSelectionModel *selection = list->selectionModel();
    selection->clearSelection();
    for (const int row : rows)
      if (row < list->count())
        selection->select(list->model()->index(row, 0), QItemSelectionModel::Select);
    const int cursor = ctx_.song.part(ctx_.song.currentPart).cursor;
    if (cursor >= 0 && cursor < list->count())
      selection->setCurrentIndex(list->model()->index(cursor, 0), QItemSelectionModel::NoUpdate);
  } else if (view == View::Score) {
    const bool isNoCheck = ctx_.settings.isNoCheck;
    finish([&](Song &song) { return TransposeScoreSelection(song, semitones, isNoCheck); }, view);
  } else {
    finish([](Song &) { return EditOutcome::SnapshotOnly(); }, view);
  }
}

void EditCommands::longer() {
  if (scoreActive())
    finish([](Song &song) { return ChangeLengthBeforeCursor(song, true); }, View::Score);
}

void EditCommands::shorter() {
  if (scoreActive())
    finish([](Song &song) { return ChangeLengthBeforeCursor(song, false); }, View::Score);
}

void EditCommands::tie() {
  if (scoreActive())
    finish([](Song &song) { return ToggleTieBeforeCursor(song); }, View::Score);
}

void EditCommands::halveAll() {
  const View view = activeView();
  const bool score = scoreActive();
  finish([score](Song &song) { return HalveAll(song, score); }, view);
}

void EditCommands::doubleAll() {
  const View view = activeView();
  const bool score = scoreActive();
  finish([score](Song &song) { return DoubleAll(song, score); }, view);
}

} // namespace pipora
