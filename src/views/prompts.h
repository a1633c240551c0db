#pragma once
// Everything the windows ask the user: file dialogs, questions, messages, the font
// dialog. The frame takes a Prompts object so tests can answer in place of a person.
#include <QString>
#include <QStringList>

class QFont;
class QWidget;

namespace pipora {

enum class Answer { Yes, No, Cancel };

struct FileDialogRequest {
  QStringList filters; // "SMDファイル、SMZファイル（*.smd;*.smz）|*.smd;*.smz" form
  int selectedFilter = 0;
  QString initialName;
  int maxNameLength = 260;
  // Save dialogs: added (after a dot) to a chosen name without an extension.
  QString defaultSuffix;
};

class Prompts {
public:
  virtual ~Prompts() = default;
  // The chosen path; empty when the user cancelled.
  virtual QString openFileName(QWidget *parent, const FileDialogRequest &request) = 0;
  virtual QString saveFileName(QWidget *parent, const FileDialogRequest &request) = 0;
  // Question icon, Yes and No (and Cancel when asked for).
  virtual Answer question(QWidget *parent, const QString &text, bool withCancel) = 0;
  // Yes and No with No the default button, for a question whose Yes loses a file.
  virtual Answer questionDefaultNo(QWidget *parent, const QString &text) {
    return question(parent, text, false);
  }
  // Exclamation icon, OK.
  virtual void warning(QWidget *parent, const QString &text) = 0;
  // Plain message (information or an unexpected error's description), OK.
  virtual void message(QWidget *parent, const QString &text) = 0;
  // Font dialog preset with `font`; false when cancelled.
  virtual bool chooseFont(QWidget *parent, QFont &font) = 0;
  // False when nobody is there to answer (no screen, a check run): closing then asks
  // nothing and leaves unsaved work for recovery.
  virtual bool canAsk() const { return true; }
};

// The real dialogs.
class DialogPrompts : public Prompts {
public:
  QString openFileName(QWidget *parent, const FileDialogRequest &request) override;
  QString saveFileName(QWidget *parent, const FileDialogRequest &request) override;
  Answer question(QWidget *parent, const QString &text, bool withCancel) override;
  Answer questionDefaultNo(QWidget *parent, const QString &text) override;
  void warning(QWidget *parent, const QString &text) override;
  void message(QWidget *parent, const QString &text) override;
  bool chooseFont(QWidget *parent, QFont &font) override;
};

} // namespace pipora
