#pragma once
// The editor's command line, read before any window exists: --help and --version print
// and exit, the check modes are switched on, and what remains names the file to open.
//
//   piporapad [OPTION]... [FILE]...
//
// Several files (a file manager passing a selection): the first one that exists opens and
// the rest are ignored with a note on standard error, since the editor holds one song.
// A single name split at blanks by a caller that did not quote it is joined again.
// Qt's own options (-platform NAME, -style NAME ...) are left for Qt.
#include "views/recovery_offer.h"

#include <QString>
#include <QStringList>
#include <string>

namespace pipora::editor {

struct EditorCommandLine {
  enum class Kind { Run, Help, Version, UsageError };
  Kind kind = Kind::Run;
  std::string error; // UsageError: what was wrong
  bool startAndQuit = false;
  QString screenshotDir; // --screenshots DIR: save PNGs of the windows there and exit
  // --recovery MODE: how the offer of unsaved songs left by ended editors is answered.
  RecoveryAnswer recovery = RecoveryAnswer::Ask;
  QString typedKeys; // --type-keys KEYS: typed into the score editor after start-up
  QString fileName;  // empty: start with a new song
  QStringList ignoredFiles;
};

EditorCommandLine ParseEditorCommandLine(int argc, const char *const *argv);

std::string EditorHelpText();
std::string EditorVersionText();

} // namespace pipora::editor
