#include "settings/settings_store.h"

#include "platform/files/lock_files.h"
#include "platform/files/program_directory.h"
#include "platform/ini/ini_file.h"
#include "settings/stored_names.h"

#include <algorithm>

#include <QFileInfo>
#include <QLockFile>

#include <optional>

namespace pipora {
namespace {

const QString kSection = QStringLiteral("pipora");
constexpr int kMaxTextLength = 254;
const QString kMidiOutputKey = QStringLiteral("MidiOutput");
const QString kSoundFontKey = QStringLiteral("SoundFont");
const QString kScoreZoomKey = QStringLiteral("ScoreZoom");
const QString kMidiChordsKey = QStringLiteral("MidiChords");
const QString kMidiKeepDrumsKey = QStringLiteral("MidiKeepDrums");

constexpr std::array kLayoutOrder = {WindowId::Main, WindowId::SourceEditor, WindowId::Player,
                                     WindowId::Property, WindowId::ScoreEditor};
// The load visits the windows in this order (the frame, then the editors).
constexpr std::array kLoadOrder = {WindowId::Main, WindowId::SourceEditor, WindowId::ScoreEditor,
                                   WindowId::Player, WindowId::Property};

QString BoolText(bool value) {
  return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString ToneKey(int part) {
  return QStringLiteral("ToneCh(%1)").arg(part);
}
QString ShortCutKey(int index) {
  return QStringLiteral("ShortCut(%1)").arg(index);
}
QString RecentFileKey(int index) {
  return QStringLiteral("RecentFile(%1)").arg(index + 1);
}

QStringList StoredRecentFiles(const IniFile &ini) {
  QStringList paths;
  for (int i = 0; i < kMaxRecentFiles; ++i)
    paths << IniUnescaped(ini.readString(kSection, RecentFileKey(i), QString()));
  return paths;
}

// Keys of an empty place are taken away: a file of the classic keys stays as it was.
void WriteRecentFiles(IniFile &ini, const QStringList &paths) {
  for (int i = 0; i < kMaxRecentFiles; ++i) {
    if (i < paths.size())
      ini.setValue(kSection, RecentFileKey(i), IniEscaped(paths[i]));
    else
      ini.removeKey(kSection, RecentFileKey(i));
  }
}

// Reads keys in order and remembers the first one whose value cannot be converted.
class Reader {
public:
  explicit Reader(const IniFile &ini) : ini_(ini) {}

  bool failed() const { return !badKey_.isEmpty(); }
  const QString &badKey() const { return badKey_; }

  void readInt(const QString &key, int &field) {
    if (!failed())
      field = ini_.readInt(kSection, key, field);
  }
  // A size or a count: a value that is not a whole number from 0 keeps what the field has
  // (classic integer keys read "abc" as 0, which here would mean no limit at all).
  void readCount(const QString &key, int &field) {
    if (failed())
      return;
    bool ok = false;
    const int value = ini_.readString(kSection, key, QString::number(field)).trimmed().toInt(&ok);
    if (ok && value >= 0)
      field = value;
  }
  void readTone(const QString &key, int &field) {
    if (failed())
      return;
    const int value = ini_.readInt(kSection, key, field);
    if (value >= 0 && value <= 127) // a program number; anything else keeps the tone
      field = value;
  }
  void readBool(const QString &key, bool &field) {
    if (failed())
      return;
    const QString text = ini_.readString(kSection, key, BoolText(field));
    if (const auto value = ParseSettingsBool(text))
      field = *value;
    else
      badKey_ = key;
  }
  void readText(const QString &key, QString &field) {
    if (!failed())
      field = ini_.readString(kSection, key, field).left(kMaxTextLength);
  }
  void readFontSize(const QString &key, double &field) {
    if (failed())
      return;
    bool ok = false;
    const double value =
        ini_.readString(kSection, key, QString::number(field)).trimmed().toDouble(&ok);
    if (ok && value > 0 && value <= 1638)
      field = value;
    else
      badKey_ = key;
  }

private:
  const IniFile &ini_;
  QString badKey_;
};

} // namespace

QString SettingsFilePath() {
  return ProgramFile(QStringLiteral("pipora.ini"));
}

std::optional<bool> ParseSettingsBool(const QString &text) {
  const QString t = text.trimmed();
  if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
    return true;
  if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
    return false;
  bool ok = false;
  const double number = t.toDouble(&ok);
  if (ok)
    return number != 0;
  return std::nullopt;
}

SettingsLoad LoadSettings(Settings &settings, const QString &path, QSize presentScreen) {
  SettingsLoad report;
  report.value = LoadedLayout::Defaults;
  if (!QFileInfo(path).isFile())
    return report;
  const Result<IniFile> loaded = IniFile::Load(path);
  if (!loaded) {
    report.error = loaded.failure();
    return report;
  }
  const IniFile &ini = loaded.value();

  // The layout is read into a copy and kept only when the whole file was read.
  Settings layout = settings;
  Reader r(ini);
  int screenWidth = 0;
  int screenHeight = 0;
  r.readInt("Screen.Width", screenWidth);
  r.readInt("Screen.Height", screenHeight);
  for (WindowId id : kLoadOrder) {
    WindowLayout &w = layout.window(id);
    const QString name = WindowKeyName(id);
    r.readInt(name + ".Left", w.left);
    r.readInt(name + ".Top", w.top);
    r.readInt(name + ".Width", w.width);
    r.readInt(name + ".Height", w.height);
    w.state = -1;
    r.readInt(name + ".WindowState", w.state);
  }
  SourceFont &font = layout.sourceFont;
  r.readFontSize(SourceFontKey("Size"), font.size);
  r.readText(SourceFontKey("Name"), font.name);
  r.readBool(SourceFontKey("Bold"), font.bold);
  r.readBool(SourceFontKey("Italic"), font.italic);
  for (WindowId id :
       {WindowId::SourceEditor, WindowId::Player, WindowId::Property, WindowId::ScoreEditor}) {
    bool visible = true;
    r.readBool(WindowKeyName(id) + ".Visible", visible);
    layout.window(id).visible = visible;
  }
  for (int part = 1; part <= 16; ++part)
    r.readTone(ToneKey(part), settings.tones[static_cast<std::size_t>(part - 1)]);
  r.readBool("isTick", settings.isTick);
  r.readBool("is3", settings.is3);
  r.readBool("isAuto", settings.isAuto);
  r.readInt(QuarterWidthKey(), layout.quarterWidth);
  r.readInt(StaffDistanceKey(), layout.staffDistance);
  r.readBool("isBar", settings.isBar);
  r.readBool("isBarNum", settings.isBarNum);
  r.readBool("isDoReMi", settings.isDoReMi);
  r.readBool("isShowCursol", settings.showCursor);
  r.readBool("isLongFile", settings.isLongFile);
  r.readBool("isGrid", settings.isGrid);
  r.readText("LastFileName", settings.LastFileName);
  for (int i = 0; i < kShortCutCount; ++i)
    r.readInt(ShortCutKey(i), settings.shortcuts[static_cast<std::size_t>(i)]);
  r.readBool("isPreview", settings.isPreview);
  r.readBool("isManyUndo", settings.isManyUndo);
  r.readCount("UndoDiskMB", settings.undoDiskMB);
  r.readBool("isSaveTone", settings.isSaveTone);
  QString activeWindow = settings.activeWindow ? WindowKeyName(*settings.activeWindow) : QString();
  r.readText("ActiveWindow", activeWindow);
  if (!r.failed())
    settings.activeWindow = WindowFromKeyName(activeWindow);
  r.readBool("isNoCheck", settings.isNoCheck);
  r.readBool("isClassicScore", settings.isClassicScore);
  r.readText(kMidiOutputKey, settings.midiOutput);
  r.readText(kSoundFontKey, settings.soundFont);
  r.readInt(kScoreZoomKey, settings.scoreZoom);
  QString chords;
  r.readText(kMidiChordsKey, chords);
  // A name this version does not know keeps the choice it has.
  if (const auto how = ChordHandlingNamed(chords.toStdString()))
    settings.midiChords = *how;
  r.readBool(kMidiKeepDrumsKey, settings.midiKeepDrums);
  settings.recentFiles.setStored(StoredRecentFiles(ini));

  if (r.failed()) {
    report.error = Error{(r.badKey() + QStringLiteral(": 値を読み取れません。")).toStdString()};
    return report;
  }
  if (screenWidth > presentScreen.width() || screenHeight > presentScreen.height()) {
    report.value = LoadedLayout::LargerScreen;
    return report;
  }
  // A damaged or hand-edited file may give any size (16777215 wide would take gigabytes of
  // window surface): a window is at most twice the screen's size and stays within reach.
  if (!presentScreen.isEmpty()) {
    const int w = presentScreen.width();
    const int h = presentScreen.height();
    for (WindowLayout &window : layout.windows) {
      window.width = std::clamp(window.width, 0, 2 * w);
      window.height = std::clamp(window.height, 0, 2 * h);
      window.left = std::clamp(window.left, -w, 2 * w);
      window.top = std::clamp(window.top, 0, 2 * h);
    }
  }
  settings.windows = layout.windows;
  settings.sourceFont = layout.sourceFont;
  settings.quarterWidth = layout.quarterWidth;
  settings.staffDistance = layout.staffDistance;
  report.value = LoadedLayout::FromFile;
  return report;
}

SettingsValues SettingsKeyValues(const Settings &settings, QSize presentScreen) {
  SettingsValues values;
  auto put = [&](const QString &key, const QString &value) { values.append({key, value}); };
  auto putInt = [&](const QString &key, int value) { put(key, QString::number(value)); };
  auto putBool = [&](const QString &key, bool value) { put(key, BoolText(value)); };

  putInt("Screen.Width", presentScreen.width());
  putInt("Screen.Height", presentScreen.height());
  for (WindowId id : kLayoutOrder) {
    const WindowLayout &w = settings.window(id);
    const QString name = WindowKeyName(id);
    putInt(name + ".Left", w.left);
    putInt(name + ".Top", w.top);
    putInt(name + ".Width", w.width);
    putInt(name + ".Height", w.height);
    putInt(name + ".WindowState", w.state);
    if (id != WindowId::Main)
      putBool(name + ".Visible", w.visible);
  }
  put(SourceFontKey("Size"), QString::number(settings.sourceFont.size));
  put(SourceFontKey("Name"), settings.sourceFont.name);
  putBool(SourceFontKey("Bold"), settings.sourceFont.bold);
  putBool(SourceFontKey("Italic"), settings.sourceFont.italic);
  for (int part = 1; part <= 16; ++part)
    putInt(ToneKey(part), settings.tones[static_cast<std::size_t>(part - 1)]);
  putBool("isTick", settings.isTick);
  putBool("is3", settings.is3);
  putBool("isAuto", settings.isAuto);
  putInt(QuarterWidthKey(), settings.quarterWidth);
  putInt(StaffDistanceKey(), settings.staffDistance);
  putBool("isBar", settings.isBar);
  putBool("isBarNum", settings.isBarNum);
  putBool("isDoReMi", settings.isDoReMi);
  putBool("isShowCursol", settings.showCursor);
  putBool("isLongFile", settings.isLongFile);
  putBool("isGrid", settings.isGrid);
  put("LastFileName", settings.LastFileName);
  for (int i = 0; i < kShortCutCount; ++i)
    putInt(ShortCutKey(i), settings.shortcuts[static_cast<std::size_t>(i)]);
  putBool("isPreview", settings.isPreview);
  putBool("isManyUndo", settings.isManyUndo);
  putInt("UndoDiskMB", settings.undoDiskMB);
  putBool("isSaveTone", settings.isSaveTone);
  put("ActiveWindow", settings.activeWindow ? WindowKeyName(*settings.activeWindow) : QString());
  putBool("isNoCheck", settings.isNoCheck);
  putBool("isClassicScore", settings.isClassicScore);
  put(kMidiOutputKey, settings.midiOutput);
  put(kSoundFontKey, settings.soundFont);
  putInt(kScoreZoomKey, settings.scoreZoom);
  put(kMidiChordsKey, QString::fromUtf8(ChordHandlingName(settings.midiChords)));
  putBool(kMidiKeepDrumsKey, settings.midiKeepDrums);
  return values;
}

namespace {

// The sound keys, the score's scale and the MIDI import's chords and drums are this
// platform's own: written once they have been set, so that a file of the classic keys stays
// as it was until the user chooses an output, zooms the score or changes the import.
bool IsOptionalKey(const QString &key, const QString &value) {
  if (key == kScoreZoomKey)
    return value == QString::number(Settings().scoreZoom);
  if (key == kMidiChordsKey)
    return value == QString::fromUtf8(ChordHandlingName(Settings().midiChords));
  if (key == kMidiKeepDrumsKey)
    return value == BoolText(Settings().midiKeepDrums);
  return (key == kMidiOutputKey || key == kSoundFontKey) && value.isEmpty();
}

// Writes `values` into the file as it is now, keeping every other key. With a baseline,
// only the keys whose value differs from it (and the keys the file lacks) are written.
// The recent files are merged rather than compared: another editor's may have come meanwhile.
Status WriteValues(const SettingsValues &values, const SettingsValues *baseline,
                   const RecentFiles &recent, const QString &path) {
  Result<IniFile> loaded = IniFile::Load(path);
  if (!loaded)
    return Error{loaded.error()};
  IniFile &ini = loaded.value();
  for (qsizetype i = 0; i < values.size(); ++i) {
    const auto &[key, value] = values[i];
    const bool inFile = ini.value(kSection, key).has_value();
    if (IsOptionalKey(key, value) && !inFile)
      continue;
    if (baseline && inFile && i < baseline->size() && (*baseline)[i].second == value)
      continue;
    ini.setValue(kSection, key, value);
  }
  if (!baseline)
    WriteRecentFiles(ini, recent.paths());
  else if (recent.changed())
    WriteRecentFiles(ini, recent.mergedOver(StoredRecentFiles(ini)));
  return ini.save(path);
}

} // namespace

Status SaveSettings(const Settings &settings, const QString &path, QSize presentScreen) {
  return WriteValues(SettingsKeyValues(settings, presentScreen), nullptr, settings.recentFiles,
                     path);
}

SettingsStore::SettingsStore(QString path) : path_(std::move(path)) {}

SettingsLoad SettingsStore::load(Settings &settings, QSize presentScreen) {
  SettingsLoad report = LoadSettings(settings, path_, presentScreen);
  baseline_ = SettingsKeyValues(settings, presentScreen);
  return report;
}

void SettingsStore::rebase(const Settings &settings, QSize presentScreen) {
  baseline_ = SettingsKeyValues(settings, presentScreen);
}

Status SettingsStore::saveChanges(const Settings &settings, QSize presentScreen) {
  // Another editor may be writing the same file: read, merge and write under its lock.
  const QString lockPath = path_ + QStringLiteral(".lock");
  const LockFileCheck check = PrepareLockFile(lockPath);
  if (!check.message.empty())
    qWarning("%s", check.message.c_str());
  QLockFile lock(lockPath);
  if (check.usable && !lock.tryLock(lockWaitMs_))
    return Error{
        (path_ + QStringLiteral(": 設定ファイルが他のPiporaPadに使われています。")).toStdString()};
  const SettingsValues values = SettingsKeyValues(settings, presentScreen);
  Status written =
      WriteValues(values, baseline_ ? &*baseline_ : nullptr, settings.recentFiles, path_);
  if (written)
    baseline_ = values;
  return written;
}

} // namespace pipora
