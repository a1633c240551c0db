#include "app/cli/score_library_loader.h"

#include "app/cli/plugin_file.h"

#include <QLibrary>

namespace pipora::cli {
namespace {

Result<const ScorePageLibrary *> Load() {
  const QString file = PluginFile(kScorePageLibraryPath);
  if (file.isEmpty())
    return Error{"the score library " + std::string(kScorePageLibraryPath) +
                 " was not found beside the program"};
  // Never unloaded: the application it makes lives until the process ends.
  static QLibrary library;
  library.setFileName(file);
  auto *entry = reinterpret_cast<ScorePageLibraryEntry *>(library.resolve(kScorePageLibraryEntry));
  if (entry == nullptr)
    return Error{"the score library could not be loaded: " + library.errorString().toStdString()};
  const ScorePageLibrary *table = entry();
  if (table == nullptr || table->version != kScorePageLibraryVersion)
    return Error{"the score library " + file.toStdString() + " belongs to another version"};
  return table;
}

} // namespace

Result<const ScorePageLibrary *> LoadScorePageLibrary() {
  static const Result<const ScorePageLibrary *> loaded = Load();
  return loaded;
}

} // namespace pipora::cli
