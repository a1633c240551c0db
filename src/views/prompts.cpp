#include "views/prompts.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>

namespace pipora {
namespace {

const QString kTitle = QStringLiteral("PiporaPad");

// "説明|*.a;*.b" -> "説明 (*.a *.b)": the description is shown alone (details hidden).
QStringList QtFilters(const QStringList &filters) {
  QStringList out;
  for (const QString &f : filters) {
    const qsizetype bar = f.indexOf('|');
    const QString text = bar < 0 ? f : f.left(bar);
    const QString patterns = bar < 0 ? QStringLiteral("*") : f.mid(bar + 1);
    out << text + " (" + QString(patterns).replace(';', ' ') + ")";
  }
  return out;
}

QString RunFileDialog(QWidget *parent, const FileDialogRequest &request, bool save) {
  QFileDialog dialog(parent, kTitle);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setOption(QFileDialog::DontConfirmOverwrite); // the commands ask themselves
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  const QStringList filters = QtFilters(request.filters);
  dialog.setNameFilters(filters);
  if (request.selectedFilter >= 0 && request.selectedFilter < filters.size())
    dialog.selectNameFilter(filters[request.selectedFilter]);
  if (!request.initialName.isEmpty())
    dialog.selectFile(request.initialName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return {};
  const QString name = dialog.selectedFiles().first();
  if (name.size() > request.maxNameLength)
    return {};
  return name;
}

} // namespace

QString DialogPrompts::openFileName(QWidget *parent, const FileDialogRequest &request) {
  return RunFileDialog(parent, request, false);
}

QString DialogPrompts::saveFileName(QWidget *parent, const FileDialogRequest &request) {
  return RunFileDialog(parent, request, true);
}

namespace {

Answer Ask(QWidget *parent, const QString &text, bool withCancel, bool yesByDefault) {
  QMessageBox box(QMessageBox::Question, kTitle, text, QMessageBox::NoButton, parent);
  // Button captions in the program's language, as the system would show them.
  QAbstractButton *yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
  QAbstractButton *no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
  QAbstractButton *cancel =
      withCancel ? box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole) : nullptr;
  box.setDefaultButton(static_cast<QPushButton *>(yesByDefault ? yes : no));
  box.setEscapeButton(cancel ? cancel : no);
  box.exec();
  if (box.clickedButton() == yes)
    return Answer::Yes;
  if (box.clickedButton() == no)
    return Answer::No;
  return withCancel ? Answer::Cancel : Answer::No;
}

} // namespace

Answer DialogPrompts::question(QWidget *parent, const QString &text, bool withCancel) {
  return Ask(parent, text, withCancel, true);
}

Answer DialogPrompts::questionDefaultNo(QWidget *parent, const QString &text) {
  return Ask(parent, text, false, false);
}

void DialogPrompts::warning(QWidget *parent, const QString &text) {
  QMessageBox::warning(parent, kTitle, text);
}

void DialogPrompts::message(QWidget *parent, const QString &text) {
  QMessageBox::information(parent, kTitle, text);
}

bool DialogPrompts::chooseFont(QWidget *parent, QFont &font) {
  bool ok = false;
  const QFont chosen = QFontDialog::getFont(&ok, font, parent, kTitle);
  if (ok)
    font = chosen;
  return ok;
}

} // namespace pipora
