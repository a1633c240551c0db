#include "views/editor_settings_file.h"

#include "platform/files/file_io.h"
#include "views/child_window_area.h"

#include <QGuiApplication>
#include <QScreen>

namespace pipora {
namespace {

QSize CurrentScreenSize() {
  const QScreen *screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().size() : QSize(1920, 1080);
}

} // namespace

EditorSettingsFile::EditorSettingsFile(AppContext &ctx, ChildWindowArea &windows)
    : ctx_(ctx), windows_(windows) {}

bool EditorSettingsFile::load() {
  Settings &settings = ctx_.settings;
  windows_.storeLayout(settings); // the design values are the defaults of the load
  const SettingsLoad loaded = store_.load(settings, CurrentScreenSize());
  if (settings.shortcuts[kShortCutMeasurePlay] == 0)
    settings.shortcuts[kShortCutMeasurePlay] = kMeasurePlayFallbackKey;
  for (int n = 1; n <= kUserParts; ++n)
    ctx_.session.setTone(n, settings.tones[static_cast<std::size_t>(n - 1)]);
  return loaded.value == LoadedLayout::FromFile;
}

void EditorSettingsFile::save() {
  Settings &settings = ctx_.settings;
  // Written only now that the editor really ends, and only what this editor changed:
  // another editor's settings in the same file survive.
  if (!ctx_.song.fileName.empty())
    settings.LastFileName = FileNameFromBytes(QByteArray::fromStdString(ctx_.song.fileName));
  windows_.storeLayout(settings);
  for (int n = 1; n <= kUserParts; ++n)
    settings.tones[static_cast<std::size_t>(n - 1)] = ctx_.song.part(n).tone;
  store_.saveChanges(settings, CurrentScreenSize());
}

} // namespace pipora
