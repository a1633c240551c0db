#include "app/editor/editor_command_line.h"

#include "model/terminal_text.h"
#include "piporapad_version.h"
#include "platform/files/file_io.h"

#include <QFile>
#include <QFileInfo>
#include <array>
#include <string_view>

namespace pipora::editor {
namespace {

// Qt's options that take a value: the value is Qt's too, not a file name.
constexpr std::array<std::string_view, 13> kQtValueOptions{
    "-platform",    "-platformpluginpath", "-platformtheme",
    "-plugin",      "-qwindowgeometry",    "-geometry",
    "-qwindowicon", "-qwindowtitle",       "-title",
    "-style",       "-stylesheet",         "-session",
    "-display"};

bool IsQtValueOption(std::string_view arg) {
  for (std::string_view o : kQtValueOptions)
    if (arg == o || (arg.starts_with("--") && arg.substr(1) == o))
      return true; // "-platform" or "--platform"
  return false;
}

// Byte for byte: a name that is not valid UTF-8 still names its file.
QString FileName(const char *arg) {
  return FileNameFromBytes(QByteArray(arg));
}

// One name split at blanks is joined again unless its first word is a file of its own.
void TakeFiles(EditorCommandLine &line, const QStringList &words) {
  if (words.isEmpty())
    return;
  if (words.size() == 1 || !QFileInfo::exists(QFile::decodeName(FileNameBytes(words.front())))) {
    line.fileName = words.join(' ');
    return;
  }
  line.fileName = words.front();
  line.ignoredFiles = words.mid(1);
}

EditorCommandLine UsageError(std::string error) {
  EditorCommandLine line;
  line.kind = EditorCommandLine::Kind::UsageError;
  line.error = std::move(error);
  return line;
}

} // namespace

EditorCommandLine ParseEditorCommandLine(int argc, const char *const *argv) {
  EditorCommandLine line;
  QStringList words;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (optionsEnded || arg == "-" || !arg.starts_with('-')) {
      words << FileName(argv[i]);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--help" || arg == "-h") {
      line.kind = EditorCommandLine::Kind::Help;
      return line;
    } else if (arg == "--version") {
      line.kind = EditorCommandLine::Kind::Version;
      return line;
    } else if (arg == "--offscreen-start-and-quit") {
      line.startAndQuit = true;
    } else if (arg == "--screenshots") {
      if (i + 1 >= argc)
        return UsageError("option '--screenshots' needs a folder");
      line.screenshotDir = FileName(argv[++i]);
    } else if (arg == "--recovery") {
      if (i + 1 >= argc)
        return UsageError("option '--recovery' needs ask, accept, discard or keep");
      const std::string_view mode = argv[++i];
      if (mode == "ask")
        line.recovery = RecoveryAnswer::Ask;
      else if (mode == "accept")
        line.recovery = RecoveryAnswer::Accept;
      else if (mode == "discard")
        line.recovery = RecoveryAnswer::Discard;
      else if (mode == "keep")
        line.recovery = RecoveryAnswer::Keep;
      else
        return UsageError("option '--recovery' needs ask, accept, discard or keep, not '" +
                          std::string(mode) + "'");
    } else if (arg == "--type-keys") {
      if (i + 1 >= argc)
        return UsageError("option '--type-keys' needs the keys to type");
      line.typedKeys = QString::fromLocal8Bit(argv[++i]);
    } else if (IsQtValueOption(arg)) {
      ++i; // Qt reads the option and its value itself
    } else if (arg.starts_with("--")) {
      return UsageError("unknown option '" + TerminalText(arg) + "'");
    }
    // Any other single-dash word is one of Qt's switches (-reverse, -nograb ...).
  }
  TakeFiles(line, words);
  return line;
}

std::string EditorHelpText() {
  return "usage: piporapad [OPTION]... [FILE]\n"
         "Edits SMD ringtone melodies (*.smd, *.smz); a .mid file is imported.\n"
         "With several files the first opens and the rest are ignored.\n"
         "\noptions:\n"
         "  --offscreen-start-and-quit   start without a screen, open FILE, print\n"
         "                               'startup-ms N' and 'notes N' and exit; a file that\n"
         "                               cannot be opened prints why and exits with 2\n"
         "  --screenshots DIR            save pictures of the windows into DIR and exit\n"
         "  --recovery MODE              unsaved work of an editor that crashed or was\n"
         "                               killed: 'ask' offers it (the default; with no\n"
         "                               screen and in the check modes it is kept),\n"
         "                               'accept' brings the newest back, 'discard'\n"
         "                               deletes it, 'keep' leaves it for later\n"
         "  --type-keys KEYS             after start-up, type KEYS in the score editor:\n"
         "                               letters, digits, '#' and space as keys, ^X as\n"
         "                               Ctrl+X (^S saves); for scripted checks\n"
         "  -h, --help                   show this help and exit\n"
         "  --version                    show the version and exit\n"
         "  --                           every later word is a file name\n"
         "\nQt's options (-platform NAME, -style NAME ...) are also accepted.\n"
         "Settings live in $PIPORAPAD_HOME when set, else ~/.local/share/piporapad.\n"
         "SIGTERM and SIGHUP close the editor without questions; unsaved work is then\n"
         "offered at the next start.\n";
}

std::string EditorVersionText() {
  return "piporapad " PIPORAPAD_VERSION "\n";
}

} // namespace pipora::editor
