// pipora.ini without a window: values and their forms, the load's stop at a bad value and
// the larger-screen rule, keys of other programs, and the stored window spellings.
#include "platform/text/cp932.h"
#include "settings/settings_store.h"
#include "settings/stored_names.h"

#include <QFile>
#include <QRect>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace pipora {
namespace {

const QSize kScreen(800, 600);

class SettingsStore : public ::testing::Test {
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

TEST_F(SettingsStore, ValuesRoundTrip) {
  Settings out;
  out.isTick = true;
  out.is3 = false;
  out.isGrid = true;
  out.quarterWidth = 75;
  out.staffDistance = 150;
  out.tones[0] = 19;
  out.tones[15] = 127;
  out.ShortCut[3] = 2 * 256 + 72;
  out.LastFileName = "/楽曲/さくら.smd";
  out.activeWindow = WindowId::SourceEditor;
  out.sourceFont.size = 10.5;
  out.sourceFont.bold = true;
  out.window(WindowId::ScoreEditor) = {10, 20, 300, 200, 0, false};
  ASSERT_TRUE(SaveSettings(out, path(), kScreen));
  EXPECT_TRUE(readBytes().contains(ToCp932(QString("LastFileName=/楽曲/さくら.smd"))));
  EXPECT_EQ(valueOf("srcview.Text1.Font.Size"), "10.5");
  EXPECT_EQ(valueOf("ActiveWindow"), "srcview");
  EXPECT_EQ(valueOf("frmScr.w4"), "75");
  EXPECT_EQ(valueOf("frmScr.hch"), "150");

  Settings in;
  const LoadReport report = LoadSettings(in, path(), kScreen);
  EXPECT_EQ(report.end, LoadEnd::Complete);
  EXPECT_TRUE(in.isTick);
  EXPECT_FALSE(in.is3);
  EXPECT_TRUE(in.isGrid);
  EXPECT_EQ(in.quarterWidth, 75);
  EXPECT_EQ(in.staffDistance, 150);
  EXPECT_EQ(in.tones, out.tones);
  EXPECT_EQ(in.ShortCut, out.ShortCut);
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

TEST_F(SettingsStore, LargerScreenTakesOptionsNotLayout) {
  writeIni({"Screen.Width=4000", "Screen.Height=3000", "srcview.Left=50", "srcview.Top=60",
            "srcview.Width=400", "srcview.Height=300", "srcview.WindowState=0",
            "srcview.Text1.Font.Size=20", "ToneCh(2)=40", "isTick=True", "frmScr.w4=90",
            "ShortCut(7)=88", "isGrid=True"});
  Settings s;
  s.window(WindowId::SourceEditor) = {1, 2, 3, 4, 0, true};
  const LoadReport report = LoadSettings(s, path(), kScreen);
  EXPECT_EQ(report.end, LoadEnd::LargerScreen);
  EXPECT_TRUE(s.isTick);
  EXPECT_TRUE(s.isGrid);
  EXPECT_EQ(s.tones[1], 40);
  EXPECT_EQ(s.ShortCut[7], 88);
  EXPECT_EQ(s.quarterWidth, 50);
  EXPECT_EQ(s.sourceFont.size, 10.0);
  EXPECT_EQ(s.window(WindowId::SourceEditor).left, 1);
  EXPECT_EQ(s.window(WindowId::SourceEditor).width, 3);
}

TEST_F(SettingsStore, BadBooleanStopsAtThatKey) {
  writeIni({"Screen.Width=0", "Screen.Height=0", "srcview.Width=400", "srcview.Height=300",
            "srcview.WindowState=0", "isTick=True", "is3=False", "frmScr.w4=90", "isBar=abc",
            "isGrid=True", "ShortCut(0)=5", "isNoCheck=True"});
  Settings s;
  const LoadReport report = LoadSettings(s, path(), kScreen);
  EXPECT_EQ(report.end, LoadEnd::BadValue);
  EXPECT_EQ(report.badKey, "isBar");
  EXPECT_TRUE(s.isTick);
  EXPECT_FALSE(s.is3);
  EXPECT_TRUE(s.isBar);
  EXPECT_FALSE(s.isGrid);
  EXPECT_EQ(s.ShortCut[0], 1062);
  EXPECT_FALSE(s.isNoCheck);
  // The layout is applied only after a complete load.
  EXPECT_EQ(s.quarterWidth, 50);
  EXPECT_EQ(s.window(WindowId::SourceEditor).width, 0);
}

TEST_F(SettingsStore, BadFontSizeStopsAtThatKey) {
  writeIni({"srcview.Text1.Font.Size=big", "ToneCh(1)=5", "isTick=True"});
  Settings s;
  const LoadReport report = LoadSettings(s, path(), kScreen);
  EXPECT_EQ(report.end, LoadEnd::BadValue);
  EXPECT_EQ(report.badKey, "srcview.Text1.Font.Size");
  EXPECT_EQ(s.tones[0], 0);
  EXPECT_FALSE(s.isTick);
}

TEST_F(SettingsStore, OtherSectionsAndKeysAreKept) {
  writeBytes("[other]\r\nkeep=1\r\n[pipora]\r\nMidiOutput=port A\r\nisTick=True\r\n");
  Settings s;
  s.isTick = false;
  ASSERT_TRUE(SaveSettings(s, path(), kScreen));
  EXPECT_TRUE(readBytes().startsWith("[other]\r\nkeep=1\r\n"));
  EXPECT_EQ(valueOf("MidiOutput"), "port A");
  EXPECT_EQ(valueOf("isTick"), "False");
}

TEST_F(SettingsStore, MissingShortCutKeepsDefault) {
  Settings out;
  out.ShortCut[2] = 99;
  out.ShortCut[3] = 98;
  ASSERT_TRUE(SaveSettings(out, path(), kScreen));
  QString text = FromCp932(readBytes());
  text.remove(QRegularExpression("ShortCut\\(3\\)=98\r\n"));
  writeBytes(ToCp932(text));
  Settings in;
  EXPECT_EQ(LoadSettings(in, path(), kScreen).end, LoadEnd::Complete);
  EXPECT_EQ(in.ShortCut[2], 99);
  EXPECT_EQ(in.ShortCut[3], 1061);
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
  EXPECT_EQ(LoadSettings(s, path, kScreen).end, LoadEnd::Complete);
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

} // namespace
} // namespace pipora
