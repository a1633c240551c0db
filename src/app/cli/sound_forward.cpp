// In piporapad-cli: render and play run in piporapad-cli-sound beside it, with the same
// command line, so that every other command starts without the sound libraries.
#include "app/cli/cli_command.h"
#include "app/cli/sound_commands.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace pipora::cli {
namespace {

int ForwardToSound(const QStringList &) {
  const QByteArray helper = QFile::encodeName(
      QCoreApplication::applicationDirPath() + "/" +
      QString::fromUtf8(kSoundExecutable.data(), static_cast<qsizetype>(kSoundExecutable.size())));
  std::vector<QByteArray> args;
  const QStringList all = QCoreApplication::arguments();
  args.reserve(static_cast<std::size_t>(all.size()));
  args.push_back(helper);
  for (qsizetype i = 1; i < all.size(); ++i)
    args.push_back(all[i].toLocal8Bit());
  std::vector<char *> argv;
  for (QByteArray &a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  ::execv(helper.constData(), argv.data());
  PrintErr(std::string(helper.constData()) + ": " + std::strerror(errno) + "\n");
  return kExitBadInput;
}

const Registrar renderCommand{{"render", kRenderUsage, &ForwardToSound}};
const Registrar playCommand{{"play", kPlayUsage, &ForwardToSound}};

} // namespace
} // namespace pipora::cli
