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
  if (view == View::Source)
    frame_.showPartInList(ctx_.song.currentPart);
}

void EditCommands::afterEdit(const EditOutcome &outcome, View view) {
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
    ctx_.session.mark(SelectAllScore);
    break;
  default:
    break;
  }
}

void EditCommands::copy() {
  switch (activeView()) {
  case View::Source:
    ctx_.session.mark(CopySourceRows, selectedSourceRows());
    break;
  case View::Score:
    ctx_.session.mark(CopyScoreSelection);
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
    finish(view, DeleteSourceRows, selectedSourceRows());
  else if (view == View::Score)
    finish(view, DeleteScore);
}

void EditCommands::cut() {
  const View view = activeView();
  if (view == View::Source)
    finish(view, CutSourceRows, selectedSourceRows());
  else if (view == View::Score)
    finish(view, CutScore);
}

void EditCommands::paste() {
  const View view = activeView();
  if (view == View::Source)
    finish(view, PasteSource, kMaxPartElements);
  else if (view == View::Score)
    finish(view, PasteScore, kMaxPartElements);
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
    VerticalScroll scroll = VerticalScroll::None;
    ctx_.session.mark(MoveScoreCursor, backward ? vk::Left : vk::Right, 0, scroll);
  }
  search();
}

void EditCommands::search() {
  FindDialog *dialog = findDialog();
  const FindTarget target = dialog->target();
  const FindOutcome out = ctx_.session.mark(RunFind, dialog->criteria(), target);
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
  ctx_.session.setScoreSelection(part, 0);
  ctx_.session.setScoreSelection(part, length);
}

// --- transforms -------------------------------------------------------------------------------

void EditCommands::transpose(int semitones) {
  const View view = activeView();
  if (view == View::Source) {
    const std::vector<int> rows = selectedSourceRows();
    finish(view, TransposeSourceRows, rows, semitones);
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
    finish(view, TransposeScoreSelection, semitones, isNoCheck);
  } else {
    ctx_.session.apply(EditOutcome::SnapshotOnly());
  }
}

void EditCommands::longer() {
  if (scoreActive())
    finish(View::Score, ChangeLengthBeforeCursor, true);
}

void EditCommands::shorter() {
  if (scoreActive())
    finish(View::Score, ChangeLengthBeforeCursor, false);
}

void EditCommands::tie() {
  if (scoreActive())
    finish(View::Score, ToggleTieBeforeCursor);
}

void EditCommands::halveAll() {
  const View view = activeView();
  const bool score = scoreActive();
  finish(view, HalveAll, score);
}

void EditCommands::doubleAll() {
  const View view = activeView();
  const bool score = scoreActive();
  finish(view, DoubleAll, score, kMaxPartElements);
}

} // namespace pipora
