#pragma once
// pipora.ini: the settings record read once at start-up and written when the editor exits,
// section "pipora", one key per value, booleans as "True"/"False", CP932.
#include "settings/settings.h"

#include "model/result.h"

#include <QList>
#include <QPair>
#include <QSize>
#include <QString>

#include <optional>

namespace pipora {

// Where the window layout (windows, font, zoom) came from after a load.
enum class LoadedLayout {
  Defaults,     // no file (first run), or the load stopped: the layout is as it was
  LargerScreen, // written on a larger screen: options taken over, layout not
  FromFile,
};

// A load that stops at a value it cannot convert keeps the keys read before it: the
// report's error names that key.
using SettingsLoad = Report<LoadedLayout>;

// ProgramFile("pipora.ini").
QString SettingsFilePath();

// Reads every key into `settings`, each with the record's present value as its default
// (fill the layout fields from the windows first). The layout (windows, font, zoom) keeps
// its previous values unless it comes from the file; options, tones, shortcuts,
// LastFileName and ActiveWindow take effect as soon as they are read.
SettingsLoad LoadSettings(Settings &settings, const QString &path, QSize presentScreen);

// Writes every key in the file's order. Other sections and keys are kept.
Status SaveSettings(const Settings &settings, const QString &path, QSize presentScreen);

// Every key with the value it is stored as, in the file's order.
using SettingsValues = QList<QPair<QString, QString>>;
SettingsValues SettingsKeyValues(const Settings &settings, QSize presentScreen);

// One editor's hold on pipora.ini. Several editors may run at once; each writes back only
// the keys it changed since it read the file, over the file as it is at that moment and
// under the file's lock, so that what another editor wrote meanwhile survives.
class SettingsStore {
public:
  explicit SettingsStore(QString path);

  // LoadSettings, remembering what the record held afterwards.
  SettingsLoad load(Settings &settings, QSize presentScreen);
  // Takes the record as it is now as the state the file is known to hold.
  void rebase(const Settings &settings, QSize presentScreen);
  // Writes the keys whose value changed since load() (and those the file lacks); without
  // a load, every key. The file's other keys and sections are kept.
  Status saveChanges(const Settings &settings, QSize presentScreen);

  const QString &path() const { return path_; }
  // How long saveChanges waits for another editor's write to end (milliseconds).
  void setLockWait(int ms) { lockWaitMs_ = ms; }

private:
  QString path_;
  int lockWaitMs_ = 10000;
  std::optional<SettingsValues> baseline_;
};

// "True", "False", or a number (0 false, anything else true); nullopt otherwise.
std::optional<bool> ParseSettingsBool(const QString &text);

} // namespace pipora
