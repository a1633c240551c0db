#pragma once
// The Edit menu's clipboard, find and transform commands. Which view is active decides what
// each command does: the property window (Delete only), the source editor while its list has
// the focus, else the score editor while it is the active window. The work itself is done on
// the song by the editing commands; here the views are asked for their selection and
// refreshed afterwards, and a change takes its one undo snapshot and marks the song dirty.
#include "editing/edit_outcome.h"
#include "editing/find_notes.h"
#include "views/app_context.h"

#include <QObject>

#include <functional>
#include <vector>

namespace pipora {

class FindDialog;
class MainWindow;

class EditCommands : public QObject {
  Q_OBJECT
public:
  // Connects itself to the frame's Edit menu items; the frame owns it.
  EditCommands(AppContext &ctx, MainWindow &frame);

  void selectAll();
  void copy();
  void cut();
  void paste();
  void deleteSelection();
  // Opens the find dialog for the active editor; find next repeats its search one step on.
  void find();
  void findNext();
  void transpose(int semitones);
  void longer();
  void shorter();
  void tie();
  void halveAll();
  void doubleAll();

  // Made at the first use and kept, hidden, between uses.
  FindDialog *findDialog();

private:
  enum class View { None, Property, Source, Score };
  View activeView() const;
  bool scoreActive() const;
  std::vector<int> selectedSourceRows() const;
  void search();
  void showScoreHit();
  // The keyboard back in the editor searched, after a hit or when the dialog is cancelled.
  void returnFocus(FindTarget target);
  // Runs a rule of src/editing through the session (the snapshot, the dirty flag and the
  // views told for a change), then shows the message for a refusal and relists the source
  // editor when it was the one used.
  template <typename Rule, typename... Args> void finish(View view, Rule &&rule, Args &&...args) {
    afterEdit(ctx_.session.edit(std::forward<Rule>(rule), std::forward<Args>(args)...), view);
  }
  void afterEdit(const EditOutcome &outcome, View view);
  void refresh(View view);
  void message(const QString &text);

  AppContext &ctx_;
  MainWindow &frame_;
  FindDialog *findDialog_ = nullptr;
};

} // namespace pipora
