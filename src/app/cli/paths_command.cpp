// paths: where the program keeps its settings and where it found its read-only data, so
// that an installation can be checked from a shell.
#include "app/cli/cli_command.h"
#include "app/cli/standard_streams.h"

#include "platform/files/program_directory.h"

#include <QFile>
#include <QFileInfo>

namespace pipora::cli {
namespace {

// The data files the programs read; a missing one is a broken installation.
constexpr const char *kDataFiles[] = {"pipora.tnf", "manual.html"};

std::string Line(std::string_view key, const QString &value) {
  return std::string(key) + "\t" + QFile::encodeName(value).toStdString() + "\n";
}

int RunPaths(const Invocation &) {
  PrintOut(Line("home", ProgramDirectory()));
  const QString data = ShareDirectory();
  if (data.isEmpty()) {
    PrintErr("piporapad-cli: no data folder (share/piporapad) beside the program\n");
    return kExitBadInput;
  }
  PrintOut(Line("data", data));
  int code = kExitOk;
  for (const char *name : kDataFiles) {
    const QString path = ShareFile(QString::fromLatin1(name));
    if (QFileInfo(path).isFile()) {
      PrintOut(Line(name, path));
    } else {
      PrintErr("piporapad-cli: missing " + QFile::encodeName(path).toStdString() + "\n");
      code = kExitBadInput;
    }
  }
  return code;
}

const Registrar paths{{"paths",
                       "",
                       "print the program's directory and where its data files were found",
                       {},
                       0,
                       0,
                       &RunPaths}};

} // namespace
} // namespace pipora::cli
