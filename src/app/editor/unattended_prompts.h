#pragma once
// Prompts for the check modes (--offscreen-start-and-quit, --screenshots): nobody is
// there to answer, so nothing waits. Messages go to standard error, file dialogs are
// cancelled, questions answered No, and every prompt is remembered so that the run can
// end with a failure instead of pretending all went well.
#include "views/prompts.h"

namespace pipora::editor {

class UnattendedPrompts : public Prompts {
public:
  QString openFileName(QWidget *parent, const FileDialogRequest &request) override;
  QString saveFileName(QWidget *parent, const FileDialogRequest &request) override;
  Answer question(QWidget *parent, const QString &text, bool withCancel) override;
  void warning(QWidget *parent, const QString &text) override;
  void message(QWidget *parent, const QString &text) override;
  bool chooseFont(QWidget *parent, QFont &font) override;
  bool canAsk() const override { return false; }

  // A message was shown or a dialog would have waited for a person.
  bool interrupted() const { return interrupted_; }

private:
  bool interrupted_ = false;
};

} // namespace pipora::editor
