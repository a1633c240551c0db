// pipora.ini with the editor: the keys in the order a close writes them, and what start-up
// does with them. The store alone is tested in tests/core/settings_store_test.cpp.
#include "ui_fixture.h"

#include "platform/text/cp932.h"
#include "settings/settings_store.h"
#include "views/player/player_panel.h"
#include "views/property/property_window.h"
#include "views/score/score_editor_window.h"
#include "views/source/source_editor_window.h"

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
       << "isNearestOctave"
       << "isKeyAccidentals"
       << "isManyUndo"
       << "UndoDiskMB"
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

} // namespace

class tst_settings : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { PrepareWindowTests(); }
  void init() { ClearProgramDirectory(); }
  void cleanup() { QVERIFY(VisibleTopLevels().isEmpty()); }

  void firstRunWritesEveryKeyOnClose();
  void startUpAppliesLayoutAndFont();
  void maximisedWindowKeepsStoredPosition();
  void layoutRoundTripsThroughTheFile();
  void arrangedLayoutComesBack_data();
  void arrangedLayoutComesBack();
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

void tst_settings::startUpAppliesLayoutAndFont() {
  WriteIni({"Screen.Width=0", "Screen.Height=0", "srcview.Left=32", "srcview.Top=48",
            "srcview.Width=500", "srcview.Height=250", "srcview.WindowState=0",
            "srcview.Text1.Font.Size=12", "srcview.Text1.Font.Bold=True", "ActiveWindow=srcview"});
  Editor e;
  e.start();
  const QRect g = e.frame->childWindows().subWindowOf(e.frame->sourceEditor())->geometry();
  QCOMPARE(g, QRect(32, 48, 500, 250));
  QVERIFY(e.frame->sourceEditor()->noteList()->font().bold());
  QCOMPARE(e.frame->sourceEditor()->pitchBox()->font().pointSizeF(), 12.0);
  QCOMPARE(e.settings.activeWindow, std::optional(WindowId::SourceEditor));
}

void tst_settings::maximisedWindowKeepsStoredPosition() {
  WriteIni({"Screen.Width=0", "Screen.Height=0", "frmScr.Left=77", "frmScr.Top=66",
            "frmScr.Width=321", "frmScr.Height=123", "frmScr.WindowState=2"});
  Editor e;
  e.start();
  QMdiSubWindow *sub = e.frame->childWindows().subWindowOf(e.frame->scoreEditor());
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
    e.frame->childWindows().subWindowOf(e.frame->sourceEditor())->setGeometry(40, 50, 420, 230);
    e.frame->childWindows().setChildVisible(e.frame->playerPanel(), false);
    frame = QRect(e.frame->pos(), e.frame->size());
    QVERIFY(e.frame->close());
  }
  QCOMPARE(ValueOf(ReadSection(SettingsFilePath()), "playpannel.Visible"), QString("False"));
  Editor again;
  again.start();
  QCOMPARE(QRect(again.frame->pos(), again.frame->size()), frame);
  QCOMPARE(again.frame->childWindows().subWindowOf(again.frame->sourceEditor())->geometry(),
           QRect(40, 50, 420, 230));
  // Which windows show is decided by the start-up, not by the file.
  QVERIFY(again.frame->childWindows().isChildVisible(again.frame->playerPanel()));
}

void tst_settings::arrangedLayoutComesBack_data() {
  QTest::addColumn<QString>("item");
  QTest::addRow("tiled") << "HorizonItem";
  QTest::addRow("cascaded") << "CascadeItem";
}

// Every child window comes back where the View menu's arrangement put it.
void tst_settings::arrangedLayoutComesBack() {
  QFETCH(QString, item);
  const auto placesOf = [](Editor &e) {
    QList<QRect> places;
    for (QWidget *w : {static_cast<QWidget *>(e.frame->scoreEditor()),
                       static_cast<QWidget *>(e.frame->sourceEditor()),
                       static_cast<QWidget *>(e.frame->propertyWindow()),
                       static_cast<QWidget *>(e.frame->playerPanel())})
      places << e.frame->childWindows().subWindowOf(w)->geometry();
    return places;
  };
  QList<QRect> arranged;
  {
    Editor e;
    e.start();
    const QList<QRect> designed = placesOf(e);
    e.frame->action(item)->trigger();
    arranged = placesOf(e);
    QVERIFY(arranged != designed);
    QVERIFY(e.frame->close());
  }
  Editor again;
  again.start();
  QCOMPARE(placesOf(again), arranged);
}

void tst_settings::shortCut10ZeroBecomesM() {
  WriteIni({"ShortCut(10)=0", "ShortCut(9)=0"});
  Editor e;
  e.start();
  QCOMPARE(e.settings.shortcuts[10], 77);
  QCOMPARE(e.settings.shortcuts[9], 0);
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
