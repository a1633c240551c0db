#pragma once
// The one place a window turns a failed file access into the message the user sees: the
// path, what went wrong, and "ファイルの読み込みに失敗しました。" or
// "ファイルの保存に失敗しました。".
#include "model/result.h"
#include "session/failure_text.h"
#include "views/prompts.h"

#include <QString>

namespace pipora {

void ShowFileFailure(Prompts &prompts, QWidget *parent, const QString &path, const Error &error,
                     FileAccess access);

} // namespace pipora
