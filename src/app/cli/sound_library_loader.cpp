#include "app/cli/sound_library_loader.h"

#include "app/cli/plugin_file.h"

#include <QCoreApplication>
#include <QLibrary>

namespace pipora::cli {
namespace {

Result<const SoundLibrary *> Load() {
  const QString file = PluginFile(kSoundLibraryPath);
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
