#pragma once
// pipora.ini: the settings record read once at start-up and written at every close
// request, section "pipora", one key per value, booleans as "True"/"False", CP932.
#include "settings/settings.h"

#include <QSize>
#include <QString>

namespace pipora {

enum class LoadEnd {
  NoFile,       // first run: every setting keeps its built-in default
  BadValue,     // a value could not be converted; the keys before it took effect
  LargerScreen, // written on a larger screen: options taken over, layout not
  Complete,
};

struct LoadReport {
  LoadEnd end = LoadEnd::NoFile;
  QString badKey; // the key that stopped the load (BadValue)
};

// ProgramFile("pipora.ini").
QString SettingsFilePath();

// Reads every key into `settings`, each with the record's present value as its default
// (fill the layout fields from the windows first). The layout (windows, font, zoom) keeps
// its previous values unless the load is Complete; options, tones, shortcuts,
// LastFileName and ActiveWindow take effect as soon as they are read.
LoadReport LoadSettings(Settings &settings, const QString &path, QSize presentScreen);

// Writes every key in the file's order. Other sections and keys are kept. Failures are
// ignored (false is returned).
bool SaveSettings(const Settings &settings, const QString &path, QSize presentScreen);

// "True", "False", or a number (0 false, anything else true); nullopt otherwise.
std::optional<bool> ParseSettingsBool(const QString &text);

} // namespace pipora
