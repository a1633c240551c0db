// The property window: volume clicks and labels, the title's byte limit, tempo buttons,
// height snapping and the level meters the player drives.
#include "ui_fixture.h"

#include "formats/smd/smd_writer.h"
#include "views/property/property_window.h"
#include "views/property/signature_boxes.h"
#include "views/score/score_display_menu.h"

#include <QComboBox>
#include <QTemporaryDir>

#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QRadioButton>
#include <QScreen>
#include <QtTest>

using namespace pipora;
using namespace pipora::test;

class tst_property_window : public QObject {
  Q_OBJECT

  pipora::PropertyWindow *props(Editor &e) { return e.frame->propertyWindow(); }

private slots:
  void initTestCase() { PrepareWindowTests(); }
  void init() { ClearProgramDirectory(); }
  void cleanup() { QVERIFY(VisibleTopLevels().isEmpty()); }

  void startsAtVolumeFour();
  void volumeClick_data();
  void volumeClick();
  void clicksOnLabelsCountToo();
  void titleCut_data();
  void titleCut();
  void titleCutKeepsCaret();
  void deactivationTakesTitleAndTempo();
  void openedSongFillsWindow();
  void tempoButtonsTellTheirSpeed();
  void keyAndTimeShownAndChanged();
  void heightSnaps_data();
  void heightSnaps();
  void resizeSnapsSubWindow();
  void levelMeters();
  void barOnScreenFollowsTheVolume_data();
  void barOnScreenFollowsTheVolume();
};

namespace {

// What the screen shows of a widget: its window's pixels as last painted, not a fresh paint.
QImage OnScreen(QWidget *w) {
  QWidget *window = w->window();
  const QPoint at = w->mapTo(window, QPoint(0, 0));
  return window->screen()
      ->grabWindow(window->winId(), at.x(), at.y(), w->width(), w->height())
      .toImage();
}

} // namespace

void tst_property_window::startsAtVolumeFour() {
  Editor e;
  e.start();
  for (int part = 1; part <= 16; ++part) {
    QCOMPARE(props(e)->bar(part)->value(), 4);
    QCOMPARE(props(e)->bar(part)->maximum(), 8);
    QCOMPARE(props(e)->volumeLabels()[static_cast<std::size_t>(part - 1)]->text(), QString("0"));
    QCOMPARE(props(e)->partNumberLabels()[static_cast<std::size_t>(part - 1)]->text(),
             QString::number(part));
  }
  QCOMPARE(props(e)->tempoButtons()[0]->text(), QString("&1速い"));
  QCOMPARE(props(e)->tempoButtons()[3]->text(), QString("&4遅い"));
  QVERIFY(props(e)->tempoButtons()[1]->isChecked());
}

void tst_property_window::volumeClick_data() {
  QTest::addColumn<int>("start");
  QTest::addColumn<int>("button");
  QTest::addColumn<bool>("shift");
  QTest::addColumn<int>("value");
  QTest::addColumn<QString>("label");
  QTest::newRow("left raises") << 4 << int(Qt::LeftButton) << false << 5 << "1";
  QTest::newRow("shift left lowers") << 4 << int(Qt::LeftButton) << true << 3 << "-1";
  QTest::newRow("right lowers") << 1 << int(Qt::RightButton) << false << 0 << "-4";
  QTest::newRow("shift right raises") << 7 << int(Qt::RightButton) << true << 8 << "4";
  QTest::newRow("left at 8 stays") << 8 << int(Qt::LeftButton) << false << 8 << "4";
  QTest::newRow("right at 0 stays") << 0 << int(Qt::RightButton) << false << 0 << "-4";
  QTest::newRow("middle changes nothing") << 4 << int(Qt::MiddleButton) << false << 4 << "0";
}

void tst_property_window::volumeClick() {
  QFETCH(int, start);
  QFETCH(int, button);
  QFETCH(bool, shift);
  QFETCH(int, value);
  QFETCH(QString, label);
  Editor e;
  e.start();
  e.song.part(6).volume = start;
  props(e)->loadFromSong();
  e.session.setDirty(false);
  QTest::mouseClick(props(e)->bar(6), static_cast<Qt::MouseButton>(button),
                    shift ? Qt::ShiftModifier : Qt::NoModifier, QPoint(3, 3));
  QCOMPARE(e.song.part(6).volume, value);
  QCOMPARE(props(e)->bar(6)->value(), value);
  QCOMPARE(props(e)->volumeLabels()[5]->text(), label);
  QVERIFY(e.song.dirty); // every click marks the song, also one that changes nothing
  QCOMPARE(e.song.part(5).volume, 4);
}

void tst_property_window::clicksOnLabelsCountToo() {
  Editor e;
  e.start();
  QTest::mouseClick(props(e)->partNumberLabels()[0], Qt::LeftButton);
  QTest::mouseClick(props(e)->volumeLabels()[0], Qt::LeftButton);
  QCOMPARE(e.song.part(1).volume, 6);
  QCOMPARE(props(e)->volumeLabels()[0]->text(), QString("2"));
}

void tst_property_window::titleCut_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("kept");
  QTest::newRow("30 ASCII") << QString(30, 'a') << QString(24, 'a');
  QTest::newRow("24 ASCII") << QString(24, 'b') << QString(24, 'b');
  QTest::newRow("13 double-byte") << QString("あいうえおかきくけこさしす")
                                  << QString("あいうえおかきくけこさし");
  // 1 + 2 * 12 bytes: the twelfth double-byte character does not fit whole.
  QTest::newRow("odd mix") << QString("aあいうえおかきくけこさし")
                           << QString("aあいうえおかきくけこさ");
  QTest::newRow("half-width kana") << QString(26, QChar(0xFF71)) << QString(24, QChar(0xFF71));
}

void tst_property_window::titleCut() {
  QFETCH(QString, typed);
  QFETCH(QString, kept);
  Editor e;
  e.start();
  props(e)->titleBox()->setFocus();
  TypeText(props(e)->titleBox(), typed);
  QCOMPARE(props(e)->titleBox()->text(), kept);
  QCOMPARE(pipora::PropertyWindow::CutTitle(typed), kept);
}

void tst_property_window::titleCutKeepsCaret() {
  Editor e;
  e.start();
  QLineEdit *title = props(e)->titleBox();
  title->setText(QString(24, 'x'));
  title->setCursorPosition(5);
  QTest::keyClick(title, Qt::Key_Y); // inserted at 5, the last character falls off
  QCOMPARE(title->text(), QString(5, 'x') + "y" + QString(18, 'x'));
  QCOMPARE(title->cursorPosition(), 6);
}

void tst_property_window::deactivationTakesTitleAndTempo() {
  Editor e;
  e.start();
  e.frame->childWindows().setChildVisible(props(e), true); // activates it
  QVERIFY(e.frame->propertyWindow()->isActive());
  QCOMPARE(e.settings.activeWindow, std::optional(WindowId::Property));
  props(e)->titleBox()->setText("melody");
  props(e)->tempoButtons()[3]->setChecked(true);
  e.frame->showPartInList(1); // the source editor becomes active
  QVERIFY(!e.frame->propertyWindow()->isActive());
  QCOMPARE(e.song.title, std::string("melody"));
  QCOMPARE(e.song.tempo, TempoChoice::Slow);
  QCOMPARE(e.song.msPerTick, 60000.0 / 91 / 480);
}

void tst_property_window::openedSongFillsWindow() {
  Editor e;
  e.start();
  QTemporaryDir dir;
  const QString path = dir.filePath("t.smd");
  // Tempo slow ("!+"), part 1 two steps louder, part 2 one step softer.
  QByteArray smd = "tune\x1b$D!+!/!/!$6\x0f\x1b$D!+!-!$6\x0f\r\n";
  WriteBytes(path, smd);
  e.prompts->openNames << path;
  e.frame->action("OpenItem")->trigger();
  QCOMPARE(props(e)->titleBox()->text(), QString("tune"));
  QVERIFY(props(e)->tempoButtons()[3]->isChecked());
  QCOMPARE(props(e)->bar(1)->value(), 6);
  QCOMPARE(props(e)->volumeLabels()[0]->text(), QString("2"));
  QCOMPARE(props(e)->bar(2)->value(), 3);
  QCOMPARE(props(e)->volumeLabels()[1]->text(), QString("-1"));
  QCOMPARE(props(e)->bar(3)->value(), 4);
}

void tst_property_window::tempoButtonsTellTheirSpeed() {
  Editor e;
  QStringList tips;
  for (QRadioButton *b : props(e)->tempoButtons())
    tips << b->toolTip();
  QCOMPARE(tips, QStringList({"♩=146", "♩=121.7", "♩=104.2", "♩=91"}));
  QCOMPARE(props(e)->tempoButtons()[0]->text(), QString("&1速い"));
}

void tst_property_window::keyAndTimeShownAndChanged() {
  Editor e;
  e.start();
  QTemporaryDir dir;
  const QString path = dir.filePath("d.smd");
  // D E F G A B-flat C-sharp D, twice: D minor, kept once opened.
  Song written;
  for (int round = 0; round < 2; ++round)
    for (int n : {62, 64, 65, 67, 69, 70, 61, 62})
      AppendNote(written, 1, n, "4");
  const Result<QByteArray> bytes = EncodeSmd(written);
  QVERIFY(bytes);
  WriteBytes(path, *bytes);
  e.prompts->openNames << path;
  e.frame->action("OpenItem")->trigger();
  QComboBox *key = props(e)->signatures()->keyBox();
  QComboBox *time = props(e)->signatures()->timeBox();
  QCOMPARE(time->currentText(), QString("4/4"));
  QCOMPARE(e.song.display.key, std::optional(KeySignature{-1, true}));
  QCOMPARE(key->currentText().toStdString(),
           KeyChoices(e.song)[static_cast<std::size_t>(key->currentIndex())].second.toStdString());
  // Chosen here: kept, unsaved, and shown.
  const int gMajor = key->findText(QStringLiteral("ト長調（♯1）"));
  QVERIFY(gMajor > 0);
  key->setCurrentIndex(gMajor);
  emit key->activated(gMajor);
  QCOMPARE(e.song.display.key, std::optional(KeySignature{1, false}));
  QVERIFY(e.song.dirty);
  const int threeFour = time->findText(QStringLiteral("3/4"));
  time->setCurrentIndex(threeFour);
  emit time->activated(threeFour);
  QCOMPARE(e.song.beatsPerMeasure, 3);
  QCOMPARE(e.song.ticksPerBeat, 480);
  // Automatic asks the notes again and keeps what they say.
  key->setCurrentIndex(0);
  emit key->activated(0);
  QVERIFY(e.song.display.key.has_value());
  QVERIFY(e.song.display.key != std::optional(KeySignature{1, false}));
  QCOMPARE(key->currentIndex() > 0, true);
}

void tst_property_window::heightSnaps_data() {
  QTest::addColumn<int>("designUnits");
  QTest::addColumn<bool>("grid");
  QTest::addColumn<int>("snappedDesignUnits");
  QTest::newRow("2300 -> tall") << 2300 << false << 3100;
  QTest::newRow("2000 -> short") << 2000 << false << 1400;
  QTest::newRow("5000 -> tall") << 5000 << false << 3100;
  // With the grid the heights are multiples of 16 pixels (240 design units at 96 dpi).
  QTest::newRow("grid tall") << 2300 << true << 3120;
  QTest::newRow("grid short") << 1000 << true << 1440;
}

void tst_property_window::heightSnaps() {
  QFETCH(int, designUnits);
  QFETCH(bool, grid);
  QFETCH(int, snappedDesignUnits);
  Editor e;
  e.start();
  e.settings.isGrid = grid;
  const int tpp = 1440 / props(e)->logicalDpiY();
  QCOMPARE(tpp, 15);
  QCOMPARE(props(e)->snappedHeight(designUnits / tpp),
           static_cast<int>(std::lround(snappedDesignUnits / 15.0)));
}

void tst_property_window::resizeSnapsSubWindow() {
  Editor e;
  e.start();
  QMdiSubWindow *sub = e.frame->childWindows().subWindowOf(props(e));
  sub->resize(sub->width(), 2300 / 15);
  QCOMPARE(sub->height(), 207);
  sub->resize(sub->width(), 2000 / 15);
  QCOMPARE(sub->height(), 93);
}

void tst_property_window::levelMeters() {
  Editor e;
  e.start();
  e.song.part(2).volume = 7;
  const QColor volumeColour = props(e)->bar(2)->palette().color(QPalette::Highlight);
  props(e)->showLevels(true);
  // Meters are drawn in their own colour.
  QVERIFY(props(e)->bar(2)->palette().color(QPalette::Highlight) != volumeColour);
  QCOMPARE(props(e)->bar(2)->maximum(), 100);
  QCOMPARE(props(e)->bar(2)->value(), 0);
  props(e)->setLevel(2, 88);
  QCOMPARE(props(e)->bar(2)->value(), 88);
  props(e)->setControlsEnabled(false);
  QVERIFY(!props(e)->titleBox()->isEnabled());
  QVERIFY(!props(e)->tempoButtons()[0]->isEnabled());
  props(e)->showLevels(false);
  props(e)->setControlsEnabled(true);
  QCOMPARE(props(e)->bar(2)->maximum(), 8);
  QCOMPARE(props(e)->bar(2)->value(), 7);
  QCOMPARE(props(e)->bar(2)->palette().color(QPalette::Highlight), volumeColour);
  props(e)->setLevel(2, 50); // above the volume scale: ignored
  QCOMPARE(props(e)->bar(2)->value(), 7);
  QVERIFY(props(e)->titleBox()->isEnabled());
}

void tst_property_window::barOnScreenFollowsTheVolume_data() {
  QTest::addColumn<int>("button");
  QTest::addColumn<bool>("reload");
  QTest::newRow("one click raises") << int(Qt::LeftButton) << false;
  QTest::newRow("one click lowers") << int(Qt::RightButton) << false;
  QTest::newRow("next song opened") << int(Qt::NoButton) << true;
}

// After one click on bar 7, or a song with other volumes, the bar on screen shows the new
// value without anything else repainting it.
void tst_property_window::barOnScreenFollowsTheVolume() {
  QFETCH(int, button);
  QFETCH(bool, reload);
  Editor e;
  e.start();
  QProgressBar *bar = props(e)->bar(7);
  QVERIFY(QTest::qWaitForWindowExposed(e.frame.get()));
  QVERIFY(bar->isVisible());
  QApplication::processEvents();
  const QImage before = OnScreen(bar);
  if (reload) {
    e.song.part(7).volume = 5;
    props(e)->loadFromSong();
  } else {
    QTest::mouseClick(bar, static_cast<Qt::MouseButton>(button), Qt::NoModifier, QPoint(3, 3));
  }
  QApplication::processEvents();
  const QImage shown = OnScreen(bar);
  bar->repaint();
  QApplication::processEvents();
  const QImage painted = OnScreen(bar);
  QVERIFY(painted != before); // one step of the volume is visible at all
  QCOMPARE(shown, painted);
}

QTEST_MAIN(tst_property_window)
#include "tst_property_window.moc"
