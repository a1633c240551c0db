// pipora.ini without a window: values and their forms, the load's stop at a bad value and
// the larger-screen rule, keys of other programs, and the stored window spellings.
#include "platform/files/file_io.h"
#include "platform/text/cp932.h"
#include "settings/settings_store.h"
#include "settings/stored_names.h"

#include <QFile>
#include <QLockFile>
#include <QRect>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <ranges>
#include <string>

namespace pipora {
namespace {

const QSize kScreen(800, 600);

// The key a stopped load names in its error ("isBar: ..."); empty for a complete load.
std::string StoppedAt(const SettingsLoad &report) {
  if (!report.error)
    return {};
  const std::string &message = report.error->message;
  return message.substr(0, message.find(':'));
}

class SettingsFile : public ::testing::Test {
protected:
  QString path() const { return dir_.filePath("pipora.ini"); }

  QByteArray readBytes() const {
    QFile file(path());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  void writeBytes(const QByteArray &bytes) const {
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
  }
  void writeIni(const QStringList &lines) const {
    writeBytes(ToCp932(QString("[pipora]\r\n") + lines.join("\r\n") + "\r\n"));
  }
  // The value of `key` in the section "pipora", or "<missing>".
  QString valueOf(const QString &key) const {
    const QString text = FromCp932(readBytes());
    bool inSection = false;
    for (const QString &line : text.split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts)) {
      if (line.startsWith('[')) {
        inSection = line == "[pipora]";
        continue;
      }
      const qsizetype eq = line.indexOf('=');
      if (inSection && eq > 0 && line.left(eq) == key)
        return line.mid(eq + 1);
    }
    return QStringLiteral("<missing>");
  }

  QTemporaryDir dir_;
};

TEST_F(SettingsFile, ValuesRoundTrip) {
  Settings out;
  out.isTick = true;
  out.is3 = false;
  out.isGrid = true;
  out.quarterWidth = 75;
  out.staffDistance = 150;
  out.tones[0] = 19;
  out.tones[15] = 127;
  out.shortcuts[3] = 2 * 256 + 72;
  out.LastFileName = "/楽曲/さくら.smd";
  out.activeWindow = WindowId::SourceEditor;
  out.sourceFont.size = 10.5;
  out.sourceFont.bold = true;
  out.window(WindowId::ScoreEditor) = {10, 20, 300, 200, 0, false};
  ASSERT_TRUE(SaveSettings(out, path(), kScreen).ok());
  EXPECT_TRUE(readBytes().contains(ToCp932(QString("LastFileName=/楽曲/さくら.smd"))));
  EXPECT_EQ(valueOf("srcview.Text1.Font.Size"), "10.5");
  EXPECT_EQ(valueOf("ActiveWindow"), "srcview");
  EXPECT_EQ(valueOf("frmScr.w4"), "75");
  EXPECT_EQ(valueOf("frmScr.hch"), "150");

  Settings in;
  const SettingsLoad report = LoadSettings(in, path(), kScreen);
  EXPECT_TRUE(report.complete());
  EXPECT_EQ(report.value, LoadedLayout::FromFile);
  EXPECT_TRUE(in.isTick);
  EXPECT_FALSE(in.is3);
  EXPECT_TRUE(in.isGrid);
  EXPECT_EQ(in.quarterWidth, 75);
  EXPECT_EQ(in.staffDistance, 150);
  EXPECT_EQ(in.tones, out.tones);
  EXPECT_EQ(in.shortcuts, out.shortcuts);
  EXPECT_EQ(in.LastFileName, out.LastFileName);
  EXPECT_EQ(in.activeWindow, std::optional(WindowId::SourceEditor));
  EXPECT_EQ(in.sourceFont.size, 10.5);
  EXPECT_TRUE(in.sourceFont.bold);
  const WindowLayout &w = in.window(WindowId::ScoreEditor);
  EXPECT_EQ(QRect(w.left, w.top, w.width, w.height), QRect(10, 20, 300, 200));
  EXPECT_EQ(w.state, 0);
  EXPECT_FALSE(w.visible);
}

struct BooleanForm {
  const char *name;
  const char *text;
  int expected; // -1: not a boolean
};

class SettingsBooleanForms : public ::testing::TestWithParam<BooleanForm> {};

TEST_P(SettingsBooleanForms, ParseAsTheFileMeansThem) {
  const BooleanForm &row = GetParam();
  const auto value = ParseSettingsBool(QString::fromUtf8(row.text));
  ASSERT_EQ(value.has_value(), row.expected >= 0);
  if (value) {
    EXPECT_EQ(*value, row.expected == 1);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, SettingsBooleanForms,
    ::testing::Values(BooleanForm{"True", "True", 1}, BooleanForm{"False", "False", 0},
                      BooleanForm{"LowerCase", "true", 1}, BooleanForm{"Zero", "0", 0},
                      BooleanForm{"MinusOne", "-1", 1}, BooleanForm{"Two", "2", 1},
                      BooleanForm{"Word", "abc", -1}, BooleanForm{"Empty", "", -1}),
    [](const ::testing::TestParamInfo<BooleanForm> &info) { return std::string(info.param.name); });

TEST_F(SettingsFile, LargerScreenTakesOptionsNotLayout) {
  writeIni({"Screen.Width=4000", "Screen.Height=3000", "srcview.Left=50", "srcview.Top=60",
            "srcview.Width=400", "srcview.Height=300", "srcview.WindowState=0",
            "srcview.Text1.Font.Size=20", "ToneCh(2)=40", "isTick=True", "frmScr.w4=90",
            "ShortCut(7)=88", "isGrid=True"});
  Settings s;
  s.window(WindowId::SourceEditor) = {1, 2, 3, 4, 0, true};
  const SettingsLoad report = LoadSettings(s, path(), kScreen);
  EXPECT_TRUE(report.complete());
  EXPECT_EQ(report.value, LoadedLayout::LargerScreen);
  EXPECT_TRUE(s.isTick);
  EXPECT_TRUE(s.isGrid);
  EXPECT_EQ(s.tones[1], 40);
  EXPECT_EQ(s.shortcuts[7], 88);
  EXPECT_EQ(s.quarterWidth, 50);
  EXPECT_EQ(s.sourceFont.size, 10.0);
  EXPECT_EQ(s.window(WindowId::SourceEditor).left, 1);
  EXPECT_EQ(s.window(WindowId::SourceEditor).width, 3);
}

TEST_F(SettingsFile, BadBooleanStopsAtThatKey) {
  writeIni({"Screen.Width=0", "Screen.Height=0", "srcview.Width=400", "srcview.Height=300",
            "srcview.WindowState=0", "isTick=True", "is3=False", "frmScr.w4=90", "isBar=abc",
            "isGrid=True", "ShortCut(0)=5", "isNoCheck=True"});
  Settings s;
  const SettingsLoad report = LoadSettings(s, path(), kScreen);
  EXPECT_EQ(StoppedAt(report), "isBar");
  EXPECT_EQ(report.value, LoadedLayout::Defaults);
  EXPECT_TRUE(s.isTick);
  EXPECT_FALSE(s.is3);
  EXPECT_TRUE(s.isBar);
  EXPECT_FALSE(s.isGrid);
  EXPECT_EQ(s.shortcuts[0], 1062);
  EXPECT_FALSE(s.isNoCheck);
  // The layout is applied only after a complete load.
  EXPECT_EQ(s.quarterWidth, 50);
  EXPECT_EQ(s.window(WindowId::SourceEditor).width, 0);
}

TEST_F(SettingsFile, BadFontSizeStopsAtThatKey) {
  writeIni({"srcview.Text1.Font.Size=big", "ToneCh(1)=5", "isTick=True"});
  Settings s;
  const SettingsLoad report = LoadSettings(s, path(), kScreen);
  EXPECT_EQ(StoppedAt(report), "srcview.Text1.Font.Size");
  EXPECT_EQ(report.value, LoadedLayout::Defaults);
  EXPECT_EQ(s.tones[0], 0);
  EXPECT_FALSE(s.isTick);
}

TEST_F(SettingsFile, FirstRunKeepsEveryDefault) {
  Settings s;
  s.window(WindowId::SourceEditor) = {1, 2, 3, 4, 0, true};
  const SettingsLoad report = LoadSettings(s, path(), kScreen);
  EXPECT_TRUE(report.complete());
  EXPECT_EQ(report.value, LoadedLayout::Defaults);
  EXPECT_EQ(s.window(WindowId::SourceEditor).width, 3);
  EXPECT_EQ(s.shortcuts[0], 1062);
}

TEST_F(SettingsFile, SaveIntoAMissingFolderSaysWhy) {
  const Status saved = SaveSettings(Settings(), path() + "/no/such/pipora.ini", kScreen);
  EXPECT_FALSE(saved.ok());
  EXPECT_FALSE(saved.error().empty());
}

TEST_F(SettingsFile, WindowsBeyondTheScreenAreBroughtOntoIt) {
  writeIni({"Screen.Width=800", "Screen.Height=600", "main.Left=-5000", "main.Top=-900",
            "main.Width=16777215", "main.Height=200", "srcview.Left=700", "srcview.Top=10",
            "srcview.Width=300", "srcview.Height=100"});
  Settings s;
  ASSERT_EQ(LoadSettings(s, path(), kScreen).value, LoadedLayout::FromFile);
  const WindowLayout &frame = s.window(WindowId::Main);
  EXPECT_EQ(QRect(frame.left, frame.top, frame.width, frame.height), QRect(-800, 0, 1600, 200));
  const WindowLayout &source = s.window(WindowId::SourceEditor);
  EXPECT_EQ(QRect(source.left, source.top, source.width, source.height), QRect(700, 10, 300, 100));
}

TEST_F(SettingsFile, OtherSectionsAndKeysAreKept) {
  writeBytes("[other]\r\nkeep=1\r\n[pipora]\r\nNotOurs=port A\r\nisTick=True\r\n");
  Settings s;
  s.isTick = false;
  ASSERT_TRUE(SaveSettings(s, path(), kScreen).ok());
  EXPECT_TRUE(readBytes().startsWith("[other]\r\nkeep=1\r\n"));
  EXPECT_EQ(valueOf("NotOurs"), "port A");
  EXPECT_EQ(valueOf("isTick"), "False");
}

TEST_F(SettingsFile, MissingShortCutKeepsDefault) {
  Settings out;
  out.shortcuts[2] = 99;
  out.shortcuts[3] = 98;
  ASSERT_TRUE(SaveSettings(out, path(), kScreen).ok());
  QString text = FromCp932(readBytes());
  text.remove(QRegularExpression("ShortCut\\(3\\)=98\r\n"));
  writeBytes(ToCp932(text));
  Settings in;
  EXPECT_EQ(LoadSettings(in, path(), kScreen).value, LoadedLayout::FromFile);
  EXPECT_EQ(in.shortcuts[2], 99);
  EXPECT_EQ(in.shortcuts[3], 1061);
}

// The active window is stored by the names earlier versions wrote; an unknown name means
// no window rather than a failed load.
struct StoredWindow {
  const char *name;
  const char *stored;
  std::optional<WindowId> id;
};

class SettingsActiveWindow : public ::testing::TestWithParam<StoredWindow> {};

TEST_P(SettingsActiveWindow, LoadsAsTheWindowItNames) {
  const StoredWindow &row = GetParam();
  QTemporaryDir dir;
  const QString path = dir.filePath("pipora.ini");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray("[pipora]\r\nActiveWindow=") + row.stored + "\r\n");
  file.close();
  Settings s;
  s.activeWindow = WindowId::Property;
  EXPECT_EQ(LoadSettings(s, path, kScreen).value, LoadedLayout::FromFile);
  EXPECT_EQ(s.activeWindow, row.id);
  if (row.id) {
    EXPECT_EQ(WindowKeyName(*row.id), QString::fromLatin1(row.stored));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, SettingsActiveWindow,
    ::testing::Values(StoredWindow{"ScoreEditor", "frmScr", WindowId::ScoreEditor},
                      StoredWindow{"SourceEditor", "srcview", WindowId::SourceEditor},
                      StoredWindow{"Player", "playpannel", WindowId::Player},
                      StoredWindow{"Property", "property", WindowId::Property},
                      StoredWindow{"Empty", "", std::nullopt},
                      StoredWindow{"Unknown", "options", std::nullopt}),
    [](const ::testing::TestParamInfo<StoredWindow> &info) {
      return std::string(info.param.name);
    });

// Two editors running at once, each with its own store over the same file.
TEST_F(SettingsFile, TwoEditorsKeepEachOthersChanges) {
  Settings first;
  Settings second;
  pipora::SettingsStore a(path());
  pipora::SettingsStore b(path());
  a.load(first, kScreen);
  b.load(second, kScreen);

  first.LastFileName = "/songs/first.smd";
  first.isBar = false;
  second.tones[1] = 40;
  second.shortcuts[7] = 2 * 256 + 'P';
  ASSERT_TRUE(a.saveChanges(first, kScreen).ok());
  ASSERT_TRUE(b.saveChanges(second, kScreen).ok());

  EXPECT_EQ(valueOf("LastFileName"), "/songs/first.smd");
  EXPECT_EQ(valueOf("isBar"), "False");
  EXPECT_EQ(valueOf("ToneCh(2)"), "40");
  EXPECT_EQ(valueOf("ShortCut(7)"), QString::number(2 * 256 + 'P'));

  // The next start sees both editors' changes.
  Settings third;
  pipora::SettingsStore c(path());
  c.load(third, kScreen);
  EXPECT_EQ(third.LastFileName.toStdString(), "/songs/first.smd");
  EXPECT_FALSE(third.isBar);
  EXPECT_EQ(third.tones[1], 40);
}

TEST_F(SettingsFile, AKeyBothEditorsChangedTakesTheLaterWrite) {
  Settings first;
  Settings second;
  pipora::SettingsStore a(path());
  pipora::SettingsStore b(path());
  a.load(first, kScreen);
  b.load(second, kScreen);
  first.isTick = true;
  second.isTick = false; // unchanged from the default: not written over the first's
  second.isGrid = true;
  ASSERT_TRUE(a.saveChanges(first, kScreen).ok());
  ASSERT_TRUE(b.saveChanges(second, kScreen).ok());
  EXPECT_EQ(valueOf("isTick"), "True");
  EXPECT_EQ(valueOf("isGrid"), "True");

  // Saving again without a change writes nothing over the second's keys.
  ASSERT_TRUE(a.saveChanges(first, kScreen).ok());
  EXPECT_EQ(valueOf("isGrid"), "True");
  // A key the first changes again is written again.
  first.isTick = false;
  ASSERT_TRUE(a.saveChanges(first, kScreen).ok());
  EXPECT_EQ(valueOf("isTick"), "False");
  EXPECT_EQ(valueOf("isGrid"), "True");
}

TEST_F(SettingsFile, FirstSaveOfAStoreWritesEveryKey) {
  Settings s;
  pipora::SettingsStore store(path());
  store.load(s, kScreen); // no file yet
  ASSERT_TRUE(store.saveChanges(s, kScreen).ok());
  EXPECT_EQ(valueOf("isNoCheck"), "False");
  EXPECT_EQ(valueOf("ShortCut(10)"), "77");
  EXPECT_EQ(valueOf("Screen.Width"), "800");
  // The sound keys appear only once they are chosen.
  EXPECT_EQ(valueOf("MidiOutput"), "<missing>");
  EXPECT_EQ(valueOf("SoundFont"), "<missing>");
  EXPECT_EQ(valueOf("MidiChords"), "<missing>");
  EXPECT_EQ(valueOf("MidiKeepDrums"), "<missing>");
}

TEST_F(SettingsFile, PlatformKeysRoundTripAndOtherKeysSurvive) {
  writeIni({"isTick=True", "Unknown=kept"});
  Settings s;
  pipora::SettingsStore store(path());
  store.load(s, kScreen);
  EXPECT_TRUE(s.isTick);
  s.midiOutput = "FLUID Synth";
  s.soundFont = "/usr/share/sounds/sf2/音色.sf2";
  s.midiChords = ChordHandling::Last;
  s.midiKeepDrums = true;
  ASSERT_TRUE(store.saveChanges(s, kScreen).ok());
  EXPECT_EQ(valueOf("Unknown"), "kept");
  EXPECT_EQ(valueOf("MidiChords"), "last");
  Settings again;
  pipora::SettingsStore(path()).load(again, kScreen);
  EXPECT_EQ(again.midiOutput.toStdString(), "FLUID Synth");
  EXPECT_EQ(again.soundFont.toStdString(), "/usr/share/sounds/sf2/音色.sf2");
  EXPECT_EQ(again.midiChords, ChordHandling::Last);
  EXPECT_TRUE(again.midiKeepDrums);
  // A name this version does not know keeps the default.
  writeIni({"MidiChords=all"});
  Settings unknown;
  pipora::SettingsStore(path()).load(unknown, kScreen);
  EXPECT_EQ(unknown.midiChords, ChordHandling::Spread);
}

TEST_F(SettingsFile, ALockHeldByAnotherEditorKeepsTheFileAsItWas) {
  writeIni({"isTick=True"});
  const QByteArray before = readBytes();
  QLockFile other(path() + ".lock");
  ASSERT_TRUE(other.tryLock(0));
  Settings s;
  pipora::SettingsStore store(path());
  store.load(s, kScreen);
  s.isTick = false;
  // The store waits for the lock; a short wait keeps the test quick.
  store.setLockWait(50);
  EXPECT_FALSE(store.saveChanges(s, kScreen).ok());
  EXPECT_EQ(readBytes(), before);
  other.unlock();
  EXPECT_TRUE(store.saveChanges(s, kScreen).ok());
  EXPECT_EQ(valueOf("isTick"), "False");
}

// Something that is not a lock at pipora.ini.lock (a FIFO would make the lock wait for ever,
// a device or a sparse file be read without end): the save goes on at once.
struct OddLock {
  const char *name;
  const char *setUp; // makes pipora.ini.lock in the folder
};

class SettingsOddLock : public SettingsFile, public ::testing::WithParamInterface<OddLock> {};

TEST_P(SettingsOddLock, IsReplacedOrIgnoredAndTheSaveGoesOn) {
  writeIni({"isTick=True"});
  const std::string folder = QFile::encodeName(dir_.path()).toStdString();
  ASSERT_EQ(std::system(("cd '" + folder + "' && " + GetParam().setUp).c_str()), 0);
  Settings s;
  pipora::SettingsStore store(path());
  store.load(s, kScreen);
  s.isTick = false;
  // No waiting for a lock: a wait of a minute would show as a timeout, not a pass.
  store.setLockWait(60000);
  const Status saved = store.saveChanges(s, kScreen);
  EXPECT_TRUE(saved.ok()) << saved.error();
  EXPECT_EQ(valueOf("isTick"), "False");
}

INSTANTIATE_TEST_SUITE_P(
    Locks, SettingsOddLock,
    ::testing::Values(OddLock{"Fifo", "mkfifo pipora.ini.lock"},
                      OddLock{"EndlessDevice", "ln -s /dev/zero pipora.ini.lock"},
                      OddLock{"SparseFile", "truncate -s 600M pipora.ini.lock"},
                      OddLock{"Folder", "mkdir pipora.ini.lock"}),
    [](const ::testing::TestParamInfo<OddLock> &info) { return std::string(info.param.name); });

// A size that cannot be read keeps the default rather than meaning no limit.
struct UndoDiskValue {
  const char *name;
  const char *stored;
  int expected;
};

class SettingsUndoDisk : public SettingsFile,
                         public ::testing::WithParamInterface<UndoDiskValue> {};

TEST_P(SettingsUndoDisk, ReadsAWholeNumberOrKeepsTheDefault) {
  writeIni({QString("UndoDiskMB=") + GetParam().stored});
  Settings s;
  LoadSettings(s, path(), kScreen);
  EXPECT_EQ(s.undoDiskMB, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SettingsUndoDisk,
    ::testing::Values(UndoDiskValue{"Set", "1", 1}, UndoDiskValue{"NoLimit", "0", 0},
                      UndoDiskValue{"Spaced", " 250 ", 250}, UndoDiskValue{"Letters", "abc", 100},
                      UndoDiskValue{"Negative", "-5", 100}, UndoDiskValue{"Empty", "", 100},
                      UndoDiskValue{"TrailingLetters", "5x", 100}),
    [](const ::testing::TestParamInfo<UndoDiskValue> &info) {
      return std::string(info.param.name);
    });

// "最近使ったファイル": both editors load `stored`, the first does its steps and saves, then the
// second; the file then holds `expected`. Steps: "+x" opens /s/x, "-x" finds /s/x gone.
struct RecentCase {
  const char *name;
  QStringList stored;
  QStringList first;
  QStringList second;
  QStringList expected;
};

class SettingsRecentFiles : public SettingsFile,
                            public ::testing::WithParamInterface<RecentCase> {};

QStringList Paths(const QStringList &names) {
  QStringList paths;
  for (const QString &name : names)
    paths << "/s/" + name;
  return paths;
}

TEST_P(SettingsRecentFiles, MergeAsBothEditorsUsedThem) {
  const RecentCase &row = GetParam();
  Settings seed;
  for (const QString &path : Paths(row.stored) | std::views::reverse)
    seed.recentFiles.add(path);
  ASSERT_TRUE(SaveSettings(seed, path(), kScreen).ok());
  Settings first;
  Settings second;
  pipora::SettingsStore a(path());
  pipora::SettingsStore b(path());
  a.load(first, kScreen);
  b.load(second, kScreen);
  ASSERT_EQ(first.recentFiles.paths(), Paths(row.stored));
  for (auto [steps, settings] : {std::pair{row.first, &first}, std::pair{row.second, &second}})
    for (const QString &step : steps)
      step[0] == u'+' ? settings->recentFiles.add("/s/" + step.mid(1))
                      : settings->recentFiles.remove("/s/" + step.mid(1));
  ASSERT_TRUE(a.saveChanges(first, kScreen).ok());
  ASSERT_TRUE(b.saveChanges(second, kScreen).ok());
  Settings next;
  pipora::SettingsStore(path()).load(next, kScreen);
  EXPECT_EQ(next.recentFiles.paths(), Paths(row.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SettingsRecentFiles,
    ::testing::Values(
        RecentCase{"OpenedGoOnTopNewestFirst", {"a", "b"}, {"+c", "+d"}, {}, {"d", "c", "a", "b"}},
        RecentCase{"ReopenedMovesUpOnce", {"a", "b", "c"}, {"+c"}, {}, {"c", "a", "b"}},
        RecentCase{"NinthDropsTheOldest",
                   {"1", "2", "3", "4", "5", "6", "7", "8"},
                   {"+9"},
                   {},
                   {"9", "1", "2", "3", "4", "5", "6", "7"}},
        RecentCase{"TwoEditorsKeepEachOthersFiles", {"a"}, {"+x"}, {"+y"}, {"y", "x", "a"}},
        RecentCase{"SameFileInBothEditorsOnce", {"a"}, {"+x"}, {"+x"}, {"x", "a"}},
        RecentCase{"GoneFileStaysRemoved", {"a", "b", "c"}, {"-b"}, {}, {"a", "c"}},
        RecentCase{"RemovedByOneAddedByOther", {"a", "b"}, {"-a"}, {"+c"}, {"c", "b"}},
        RecentCase{"ReopenedAfterRemovalComesBack", {"a", "b"}, {"-a", "+a"}, {}, {"a", "b"}},
        RecentCase{"NamesCp932LacksComeBackWhole",
                   {},
                   {QString::fromUtf8("+Müller😀%41.smd"), "+new\nline]"},
                   {},
                   {"new\nline]", QString::fromUtf8("Müller😀%41.smd")}},
        RecentCase{"LatinOneNameKeepsItsBytes",
                   {},
                   {"+" + FileNameFromBytes("caf\xe9.smd")},
                   {},
                   {FileNameFromBytes("caf\xe9.smd")}}),
    [](const ::testing::TestParamInfo<RecentCase> &info) { return std::string(info.param.name); });

} // namespace
} // namespace pipora
