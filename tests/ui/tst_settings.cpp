// pipora.ini: the keys and their forms, the order they are written in, loading with the
// larger-screen rule and the stop at a bad value, and what start-up does with them.
#include "ui_fixture.h"

#include "platform/text/cp932.h"
#include "settings/settings_store.h"
#include "views/frmScr.h"
#include "views/playpannel.h"
#include "views/srcview.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace pipora;
using namespace pipora::test;

namespace {

// Every key in the order the file gets them.
QStringList ExpectedKeys() {
  QStringList keys = {"Screen.Width", "Screen.Height"};
  keys << "main.Left"
       << "main.Top"
       << "main.Width"
       << "main.Height"
       << "main.WindowState";
  for (const char *w : {"srcview", "playpannel", "property", "frmScr"})
    for (const char *k : {"Left", "Top", "Width", "Height", "WindowState", "Visible"})
      keys << QString("%1.%2").arg(w, k);
  keys << "srcview.Text1.Font.Size"
       << "srcview.Text1.Font.Name"
       << "srcview.Text1.Font.Bold"
       << "srcview.Text1.Font.Italic";
  for (int i = 1; i <= 16; ++i)
    keys << QString("ToneCh(%1)").arg(i);
  keys << "isTick"
       << "is3"
       << "isAuto"
       << "frmScr.w4"
       << "frmScr.hch"
       << "isBar"
       << "isBarNum"
       << "isDoReMi"
       << "isShowCursol"
       << "isLongFile"
       << "isGrid"
       << "LastFileName";
  for (int i = 0; i <= 10; ++i)
    keys << QString("ShortCut(%1)").arg(i);
  keys << "isPreview"
       << "isManyUndo"
       << "isSaveTone"
       << "ActiveWindow"
       << "isNoCheck"
       << "isClassicScore";
  return keys;
}

// key -> value of the section "pipora", in file order.
QList<QPair<QString, QString>> ReadSection(const QString &path) {
  QList<QPair<QString, QString>> rows;
  const QString text = FromCp932(ReadBytes(path));
  bool inSection = false;
  for (const QString &line : text.split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts)) {
    if (line.startsWith('[')) {
      inSection = line == "[pipora]";
      continue;
    }
    const qsizetype eq = line.indexOf('=');
    if (inSection && eq > 0)
      rows << qMakePair(line.left(eq), line.mid(eq + 1));
  }
  return rows;
}

QString ValueOf(const QList<QPair<QString, QString>> &rows, const QString &key) {
  for (const auto &[k, v] : rows)
    if (k == key)
      return v;
  return QStringLiteral("<missing>");
}

void WriteIni(const QStringList &lines) {
  WriteBytes(SettingsFilePath(), ToCp932(QString("[pipora]\r\n") + lines.join("\r\n") + "\r\n"));
}

const QSize kScreen(800, 600);

} // namespace

class tst_settings : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { PrepareWindowTests(); }
  void init() { ClearProgramDirectory(); }
  void cleanup() { QVERIFY(VisibleTopLevels().isEmpty()); }

  void firstRunWritesEveryKeyOnClose();
  void valuesRoundTrip();
  void booleanForms_data();
  void booleanForms();
  void largerScreenTakesOptionsNotLayout();
  void badBooleanStopsAtThatKey();
  void badFontSizeStopsAtThatKey();
  void otherSectionsAndKeysAreKept();
  void missingShortCutKeepsDefault();
  void startUpAppliesLayoutAndFont();
  void maximisedWindowKeepsStoredPosition();
  void layoutRoundTripsThroughTheFile();
  void shortCut10ZeroBecomesM();
  void manyUndoOffHidesRedo();
  void tonesGoToTheSong();
  void tonesStoredPerFile();
};

void tst_settings::firstRunWritesEveryKeyOnClose() {
  {
    Editor e;
    e.start();
    QVERIFY(!QFile::exists(SettingsFilePath()));
    QVERIFY(e.frame->close());
  }
  const auto rows = ReadSection(SettingsFilePath());
  QStringList keys;
  for (const auto &row : rows)
    keys << row.first;
  QCOMPARE(keys, ExpectedKeys());
  QCOMPARE(ValueOf(rows, "isTick"), QString("False"));
  QCOMPARE(ValueOf(rows, "is3"), QString("True"));
  QCOMPARE(ValueOf(rows, "isNoCheck"), QString("False"));
  QCOMPARE(ValueOf(rows, "isClassicScore"), QString("False")); // engraved by default
  QCOMPARE(ValueOf(rows, "srcview.Visible"), QString("True"));
  QCOMPARE(ValueOf(rows, "ShortCut(0)"), QString("1062"));
  QCOMPARE(ValueOf(rows, "ShortCut(10)"), QString("77"));
  QCOMPARE(ValueOf(rows, "frmScr.w4"), QString("50"));
  QCOMPARE(ValueOf(rows, "frmScr.hch"), QString("120"));
  QCOMPARE(ValueOf(rows, "main.WindowState"), QString("0"));
  QCOMPARE(ValueOf(rows, "srcview.Text1.Font.Name"), QString("ＭＳ Ｐゴシック"));
  QCOMPARE(ValueOf(rows, "Screen.Width"), QString("800"));
  QVERIFY(ReadBytes(SettingsFilePath()).contains("\r\n"));
}

void tst_settings::valuesRoundTrip() {
  Settings out;
  out.isTick = true;
  out.is3 = false;
  out.isGrid = true;
  out.w4 = 75;
  out.hch = 150;
  out.tones[0] = 19;
  out.tones[15] = 127;
  out.ShortCut[3] = 2 * 256 + 72;
  out.LastFileName = "/楽曲/さくら.smd";
  out.ActiveWindow = "srcview";
  out.sourceFont.size = 10.5;
  out.sourceFont.bold = true;
  out.window(WindowId::FrmScr) = {10, 20, 300, 200, 0, false};
  QVERIFY(SaveSettings(out, SettingsFilePath(), kScreen));
  QVERIFY(
      ReadBytes(SettingsFilePath()).contains(ToCp932(QString("LastFileName=/楽曲/さくら.smd"))));
  QCOMPARE(ValueOf(ReadSection(SettingsFilePath()), "srcview.Text1.Font.Size"), QString("10.5"));

  Settings in;
  const LoadReport report = LoadSettings(in, SettingsFilePath(), kScreen);
  QCOMPARE(report.end, LoadEnd::Complete);
  QVERIFY(in.isTick);
  QVERIFY(!in.is3);
  QVERIFY(in.isGrid);
  QCOMPARE(in.w4, 75);
  QCOMPARE(in.hch, 150);
  QCOMPARE(in.tones, out.tones);
  QCOMPARE(in.ShortCut, out.ShortCut);
  QCOMPARE(in.LastFileName, out.LastFileName);
  QCOMPARE(in.ActiveWindow, QString("srcview"));
  QCOMPARE(in.sourceFont.size, 10.5);
  QVERIFY(in.sourceFont.bold);
  const WindowLayout &w = in.window(WindowId::FrmScr);
  QCOMPARE(QRect(w.left, w.top, w.width, w.height), QRect(10, 20, 300, 200));
  QCOMPARE(w.state, 0);
  QVERIFY(!w.visible);
}

void tst_settings::booleanForms_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("expected"); // -1: not a boolean
  QTest::newRow("True") << "True" << 1;
  QTest::newRow("False") << "False" << 0;
  QTest::newRow("lower case") << "true" << 1;
  QTest::newRow("0") << "0" << 0;
  QTest::newRow("-1") << "-1" << 1;
  QTest::newRow("2") << "2" << 1;
  QTest::newRow("abc") << "abc" << -1;
  QTest::newRow("empty") << "" << -1;
}

void tst_settings::booleanForms() {
  QFETCH(QString, text);
  QFETCH(int, expected);
  const auto value = ParseSettingsBool(text);
  QCOMPARE(value.has_value(), expected >= 0);
  if (value)
    QCOMPARE(*value, expected == 1);
}

void tst_settings::largerScreenTakesOptionsNotLayout() {
  WriteIni({"Screen.Width=4000", "Screen.Height=3000", "srcview.Left=50", "srcview.Top=60",
            "srcview.Width=400", "srcview.Height=300", "srcview.WindowState=0",
            "srcview.Text1.Font.Size=20", "ToneCh(2)=40", "isTick=True", "frmScr.w4=90",
            "ShortCut(7)=88", "isGrid=True"});
  Settings s;
  s.window(WindowId::SrcView) = {1, 2, 3, 4, 0, true};
  const LoadReport report = LoadSettings(s, SettingsFilePath(), kScreen);
  QCOMPARE(report.end, LoadEnd::LargerScreen);
  QVERIFY(s.isTick);
  QVERIFY(s.isGrid);
  QCOMPARE(s.tones[1], 40);
  QCOMPARE(s.ShortCut[7], 88);
  QCOMPARE(s.w4, 50);
  QCOMPARE(s.sourceFont.size, 10.0);
  QCOMPARE(s.window(WindowId::SrcView).left, 1);
  QCOMPARE(s.window(WindowId::SrcView).width, 3);
}

void tst_settings::badBooleanStopsAtThatKey() {
  WriteIni({"Screen.Width=0", "Screen.Height=0", "srcview.Width=400", "srcview.Height=300",
            "srcview.WindowState=0", "isTick=True", "is3=False", "frmScr.w4=90", "isBar=abc",
            "isGrid=True", "ShortCut(0)=5", "isNoCheck=True"});
  Settings s;
  const LoadReport report = LoadSettings(s, SettingsFilePath(), kScreen);
  QCOMPARE(report.end, LoadEnd::BadValue);
  QCOMPARE(report.badKey, QString("isBar"));
  QVERIFY(s.isTick);
  QVERIFY(!s.is3);
  QVERIFY(s.isBar);
  QVERIFY(!s.isGrid);
  QCOMPARE(s.ShortCut[0], 1062);
  QVERIFY(!s.isNoCheck);
  // The layout is applied only after a complete load.
  QCOMPARE(s.w4, 50);
  QCOMPARE(s.window(WindowId::SrcView).width, 0);
}

void tst_settings::badFontSizeStopsAtThatKey() {
  WriteIni({"srcview.Text1.Font.Size=big", "ToneCh(1)=5", "isTick=True"});
  Settings s;
  const LoadReport report = LoadSettings(s, SettingsFilePath(), kScreen);
  QCOMPARE(report.end, LoadEnd::BadValue);
  QCOMPARE(report.badKey, QString("srcview.Text1.Font.Size"));
  QCOMPARE(s.tones[0], 0);
  QVERIFY(!s.isTick);
}

void tst_settings::otherSectionsAndKeysAreKept() {
  WriteBytes(SettingsFilePath(),
             "[other]\r\nkeep=1\r\n[pipora]\r\nMidiOutput=port A\r\nisTick=True\r\n");
  Settings s;
  s.isTick = false;
  QVERIFY(SaveSettings(s, SettingsFilePath(), kScreen));
  const QByteArray bytes = ReadBytes(SettingsFilePath());
  QVERIFY(bytes.startsWith("[other]\r\nkeep=1\r\n"));
  const auto rows = ReadSection(SettingsFilePath());
  QCOMPARE(ValueOf(rows, "MidiOutput"), QString("port A"));
  QCOMPARE(ValueOf(rows, "isTick"), QString("False"));
}

void tst_settings::missingShortCutKeepsDefault() {
  Settings out;
  out.ShortCut[2] = 99;
  out.ShortCut[3] = 98;
  QVERIFY(SaveSettings(out, SettingsFilePath(), kScreen));
  QString text = FromCp932(ReadBytes(SettingsFilePath()));
  text.remove(QRegularExpression("ShortCut\\(3\\)=98\r\n"));
  WriteBytes(SettingsFilePath(), ToCp932(text));
  Settings in;
  QCOMPARE(LoadSettings(in, SettingsFilePath(), kScreen).end, LoadEnd::Complete);
  QCOMPARE(in.ShortCut[2], 99);
  QCOMPARE(in.ShortCut[3], 1061);
}

void tst_settings::startUpAppliesLayoutAndFont() {
  WriteIni({"Screen.Width=0", "Screen.Height=0", "srcview.Left=32", "srcview.Top=48",
            "srcview.Width=500", "srcview.Height=250", "srcview.WindowState=0",
            "srcview.Text1.Font.Size=12", "srcview.Text1.Font.Bold=True", "ActiveWindow=srcview"});
  Editor e;
  e.start();
  const QRect g = e.frame->subWindowOf(e.ctx.source)->geometry();
  QCOMPARE(g, QRect(32, 48, 500, 250));
  QVERIFY(e.ctx.source->List1->font().bold());
  QCOMPARE(e.ctx.source->Text2->font().pointSizeF(), 12.0);
  QCOMPARE(e.settings.ActiveWindow, QString("srcview"));
}

void tst_settings::maximisedWindowKeepsStoredPosition() {
  WriteIni({"Screen.Width=0", "Screen.Height=0", "frmScr.Left=77", "frmScr.Top=66",
            "frmScr.Width=321", "frmScr.Height=123", "frmScr.WindowState=2"});
  Editor e;
  e.start();
  QMdiSubWindow *sub = e.frame->subWindowOf(e.ctx.score);
  QVERIFY(sub->isMaximized());
  QVERIFY(sub->normalGeometry() != QRect(77, 66, 321, 123));
}

void tst_settings::layoutRoundTripsThroughTheFile() {
  QRect frame;
  {
    Editor e;
    e.start();
    e.frame->resize(900, 650);
    e.frame->move(30, 20);
    e.frame->subWindowOf(e.ctx.source)->setGeometry(40, 50, 420, 230);
    e.frame->setChildVisible(e.ctx.player, false);
    frame = QRect(e.frame->pos(), e.frame->size());
    QVERIFY(e.frame->close());
  }
  QCOMPARE(ValueOf(ReadSection(SettingsFilePath()), "playpannel.Visible"), QString("False"));
  Editor again;
  again.start();
  QCOMPARE(QRect(again.frame->pos(), again.frame->size()), frame);
  QCOMPARE(again.frame->subWindowOf(again.ctx.source)->geometry(), QRect(40, 50, 420, 230));
  // Which windows show is decided by the start-up, not by the file.
  QVERIFY(again.frame->isChildVisible(again.ctx.player));
}

void tst_settings::shortCut10ZeroBecomesM() {
  WriteIni({"ShortCut(10)=0", "ShortCut(9)=0"});
  Editor e;
  e.start();
  QCOMPARE(e.settings.ShortCut[10], 77);
  QCOMPARE(e.settings.ShortCut[9], 0);
}

void tst_settings::manyUndoOffHidesRedo() {
  WriteIni({"isManyUndo=False"});
  Editor e;
  e.start();
  QVERIFY(!e.frame->action("RedoItem")->isVisible());
  QVERIFY(e.frame->action("UndoItem2")->isVisible());
}

void tst_settings::tonesGoToTheSong() {
  WriteIni({"ToneCh(1)=24", "ToneCh(16)=73", "ToneCh(3)=999"});
  {
    Editor e;
    e.start();
    QCOMPARE(e.song.part(1).tone, 24);
    QCOMPARE(e.song.part(16).tone, 73);
    QCOMPARE(e.song.part(3).tone, 0); // not a program number: the tone stays
    e.song.part(2).tone = 11;
    QVERIFY(e.frame->close());
  }
  const auto rows = ReadSection(SettingsFilePath());
  QCOMPARE(ValueOf(rows, "ToneCh(1)"), QString("24"));
  QCOMPARE(ValueOf(rows, "ToneCh(2)"), QString("11"));
}

void tst_settings::tonesStoredPerFile() {
  Editor e;
  e.start();
  QTemporaryDir dir;
  const QString path = dir.filePath("toned.smd");
  WriteBytes(path, SmdBytes("t", {"6"}));
  e.prompts->openNames << path;
  e.frame->action("OpenItem")->trigger();
  e.song.part(1).tone = 40;
  e.song.part(16).tone = 9;
  e.frame->action("SaveItem")->trigger();
  QVERIFY(e.prompts->warnings.isEmpty());
  QVERIFY(FromCp932(ReadBytes(HomeFile("pipora.ton"))).contains("[" + path + "]"));
  e.song.part(1).tone = 0;
  e.song.part(16).tone = 0;
  e.prompts->openNames << path;
  e.frame->action("OpenItem")->trigger();
  QCOMPARE(e.song.part(1).tone, 40);
  QCOMPARE(e.song.part(16).tone, 9);
  // With the option off, opening keeps the tones as they are.
  e.settings.isSaveTone = false;
  e.song.part(1).tone = 3;
  e.prompts->openNames << path;
  e.frame->action("OpenItem")->trigger();
  QCOMPARE(e.song.part(1).tone, 3);
}

QTEST_MAIN(tst_settings)
#include "tst_settings.moc"
