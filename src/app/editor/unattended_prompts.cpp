#include "app/editor/unattended_prompts.h"

#include <cstdio>

namespace pipora::editor {
namespace {

void Print(const QString &text) {
  const QByteArray bytes = text.toUtf8() + '\n';
  std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
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
