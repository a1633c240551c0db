#pragma once
// pipora.ini over one run of the editor: read at start-up over the design layout into the
// settings record and the song's tones, written back when the editor ends with the layout,
// the tones and the last file name (only the keys this editor changed).
#include "settings/settings_store.h"
#include "views/app_context.h"

namespace pipora {

class ChildWindowArea;

class EditorSettingsFile {
public:
  EditorSettingsFile(AppContext &ctx, ChildWindowArea &windows);

  // Reads the file; true when the window layout came from it (the frame applies it once
  // shown).
  bool load();
  // Writes what changed since load().
  void save();

private:
  AppContext &ctx_;
  ChildWindowArea &windows_;
  SettingsStore store_{SettingsFilePath()};
};

} // namespace pipora
