#include "views/file_failure.h"

namespace pipora {

void ShowFileFailure(Prompts &prompts, QWidget *parent, const QString &path, const Error &error,
                     FileAccess access) {
  prompts.warning(parent, QString::fromStdString(FileFailureText(path, error, access)));
}

} // namespace pipora
