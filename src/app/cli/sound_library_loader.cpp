#include "app/cli/sound_library_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace pipora::cli {
namespace {

// Installed, <prefix>/bin/piporapad-cli finds <prefix>/lib/piporapad/plugins; in a build
// folder the program sits a level or two below the folder that holds lib/piporapad/plugins.
QString LibraryFile() {
  QDir dir(QCoreApplication::applicationDirPath());
  for (int up = 0; up < 4; ++up) {
    const QString candidate = dir.absoluteFilePath(QString::fromLatin1(kSoundLibraryPath));
    if (QFileInfo(candidate).isFile())
      return candidate;
    if (!dir.cdUp())
      break;
  }
  return {};
}

Result<const SoundLibrary *> Load() {
  const QString file = LibraryFile();
  if (file.isEmpty())
    return Error{"the sound library " + std::string(kSoundLibraryPath) + " was not found beside " +
                 QCoreApplication::applicationDirPath().toStdString()};
  // Never unloaded: backends it made may live until the process ends.
  static QLibrary library;
  library.setFileName(file);
  auto *entry = reinterpret_cast<SoundLibraryEntry *>(library.resolve(kSoundLibraryEntry));
  if (entry == nullptr)
    return Error{"the sound library could not be loaded: " + library.errorString().toStdString()};
  const SoundLibrary *table = entry();
  if (table == nullptr || table->version != kSoundLibraryVersion)
    return Error{"the sound library " + file.toStdString() + " belongs to another version"};
  return table;
}

} // namespace

Result<const SoundLibrary *> LoadSoundLibrary() {
  static const Result<const SoundLibrary *> loaded = Load();
  return loaded;
}

} // namespace pipora::cli
