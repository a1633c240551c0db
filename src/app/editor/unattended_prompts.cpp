#include "app/editor/unattended_prompts.h"

#include "model/terminal_text.h"

#include <cstdio>
#include <string>

namespace pipora::editor {
namespace {

// A question names files: each of its lines is shown escaped.
void Print(const QString &text) {
  std::string shown;
  for (const QString &line : text.split(u'\n'))
    shown += TerminalText(line.toStdString()) + '\n';
  std::fwrite(shown.data(), 1, shown.size(), stderr);
}

} // namespace

QString UnattendedPrompts::openFileName(QWidget *, const FileDialogRequest &) {
  interrupted_ = true;
  return {};
}

QString UnattendedPrompts::saveFileName(QWidget *, const FileDialogRequest &) {
  interrupted_ = true;
  return {};
}

Answer UnattendedPrompts::question(QWidget *, const QString &text, bool withCancel) {
  interrupted_ = true;
  Print(text);
  return withCancel ? Answer::Cancel : Answer::No;
}

void UnattendedPrompts::warning(QWidget *, const QString &text) {
  interrupted_ = true;
  Print(text);
}

void UnattendedPrompts::message(QWidget *, const QString &text) {
  interrupted_ = true;
  Print(text);
}

bool UnattendedPrompts::chooseFont(QWidget *, QFont &) {
  interrupted_ = true;
  return false;
}

} // namespace pipora::editor
