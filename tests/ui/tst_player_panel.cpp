// The player panel and the play menu: buttons, keys, the position display and its mode
// switch, the layout rules, and what playing locks and stopping restores.
#include "ui_fixture.h"

#include "model/vocabulary.h"
#include "playback/player.h"
#include "views/player/player_panel.h"
#include "views/property/property_window.h"
#include "views/score/play_line.h"
#include "views/score/score_editor_window.h"
#include "views/score/score_surface.h"
#include "views/source/source_editor_window.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProgressBar>
#include <QScrollBar>
#include <QToolButton>
#include <QtTest>

using namespace pipora;
using namespace pipora::test;

namespace {

bool MenuEnabled(Editor &e, const char *name) {
  QMenu *menu = e.frame->menu(name);
  return menu && menu->menuAction()->isEnabled();
}

} // namespace

class tst_player_panel : public QObject {
  Q_OBJECT

  PlayerPanel *panel(Editor &e) { return e.frame->playerPanel(); }
  void withSong(Editor &e) {
    for (int note : {60, 62, 64, 65, 67, 69, 71, 72})
      AppendNote(e.song, 1, note, "4");
    AppendNote(e.song, 2, 48, "2");
    BuildScoreList(e.song);
    e.frame->refreshViews();
  }

private slots:
  void initTestCase() {
    // Tests never need a sound card.
    qputenv("PIPORAPAD_MIDI", "null");
    InstallFontSubstitutions();
    QApplication::setQuitOnLastWindowClosed(false);
  }
  void init() { ClearProgramDirectory(); }
  void cleanup() { QVERIFY(VisibleTopLevels().isEmpty()); }

  void creationState();
  void layout_data();
  void layout();
  void playLocksMenusAndBarsUntilStop();
  void runningDisplayAdvances();
  void sharedPlayAndStopKey();
  void keysOnlyActInTheirState();
  void labelClickSwitchesDisplayMode();
  void emptySongDoesNotPlay();
  void measurePlayLeavesTheCursor();
  void activationNamesThePanel();
  void stopShowsTheSelectedElementsPosition();
  void playLineDrawsScrollsAndErases();
  void playShowsTheLineOnTheScore();
  void previewFromTheScoreEditorUsesThePlayer();
};

void tst_player_panel::creationState() {
  Editor e;
  e.start();
  QVERIFY(panel(e)->playButton()->isEnabled());
  QVERIFY(!panel(e)->stopButton()->isEnabled());
  QCOMPARE(panel(e)->positionLabel()->text(), QString("0:00:00"));
  QCOMPARE(e.session.midi().backend().deviceCount(), 0); // the silent output in tests
}

void tst_player_panel::layout_data() {
  QTest::addColumn<int>("w");
  QTest::addColumn<int>("h");
  QTest::newRow("wide") << 3000 << 1500;
  QTest::newRow("square") << 1500 << 1500;
  QTest::newRow("tall") << 1200 << 3000;
}

void tst_player_panel::layout() {
  QFETCH(int, w);
  QFETCH(int, h);
  Editor e;
  e.start();
  PlayerPanel *p = panel(e);
  p->layoutForDesignSize(w, h);
  const int tpp = std::max(1, 1440 / p->logicalDpiX());
  const auto px = [tpp](int designUnits) {
    return static_cast<int>(std::nearbyint(double(designUnits) / tpp));
  };
  QCOMPARE(p->positionLabel()->x(), 0);
  QCOMPARE(p->positionLabel()->width(), px(w));
  QCOMPARE(p->positionLabel()->height(), px(h / 2));
  if (h < w) {
    const int side = h / 2;
    QCOMPARE(p->playButton()->geometry(),
             QRect(px(w / 4 - side / 2), px(h / 2), px(side), px(side)));
    QCOMPARE(p->stopButton()->geometry(),
             QRect(px(3 * w / 4 - side / 2), px(h / 2), px(side), px(side)));
  } else {
    const int side = w / 2;
    const int top = 3 * h / 4 - side / 2;
    QCOMPARE(p->playButton()->geometry(), QRect(0, px(top), px(side), px(side)));
    QCOMPARE(p->stopButton()->geometry(), QRect(px(w / 2), px(top), px(side), px(side)));
  }
}

void tst_player_panel::playLocksMenusAndBarsUntilStop() {
  Editor e;
  e.start();
  withSong(e);
  // Part 3's volume up twice, as two clicks on its bar give it.
  e.frame->propertyWindow()->clickVolume(2, Qt::LeftButton, false);
  e.frame->propertyWindow()->clickVolume(2, Qt::LeftButton, false);
  QCOMPARE(e.frame->propertyWindow()->bar(3)->value(), 6);
  QTest::mousePress(panel(e)->playButton(), Qt::LeftButton);
  QTest::mouseRelease(panel(e)->playButton(), Qt::LeftButton);
  QVERIFY(e.session.isPlaying());
  QVERIFY(panel(e)->player().playing());
  QVERIFY(!panel(e)->playButton()->isEnabled());
  QVERIFY(panel(e)->stopButton()->isEnabled());
  for (const char *menu : {"FileMenu", "EditMenu", "ViewMenu", "HelpMenu"})
    QVERIFY2(!MenuEnabled(e, menu), menu);
  for (const char *item : {"AllPlayItem", "SoloPlayItem", "MeasurePlayItem"})
    QVERIFY2(!e.frame->action(item)->isEnabled(), item);
  QVERIFY(e.frame->action("StopPlayItem")->isEnabled());
  QVERIFY(!e.frame->propertyWindow()->titleBox()->isEnabled());
  QCOMPARE(e.frame->propertyWindow()->bar(3)->maximum(), 100);
  QCOMPARE(e.frame->propertyWindow()->bar(3)->value(), 0);

  QTest::mousePress(panel(e)->stopButton(), Qt::LeftButton);
  QTest::mouseRelease(panel(e)->stopButton(), Qt::LeftButton);
  QVERIFY(!e.session.isPlaying());
  QVERIFY(panel(e)->playButton()->isEnabled());
  QVERIFY(!panel(e)->stopButton()->isEnabled());
  for (const char *menu : {"FileMenu", "EditMenu", "ViewMenu", "HelpMenu"})
    QVERIFY2(MenuEnabled(e, menu), menu);
  QVERIFY(e.frame->action("AllPlayItem")->isEnabled());
  QVERIFY(e.frame->propertyWindow()->titleBox()->isEnabled());
  QCOMPARE(e.frame->propertyWindow()->bar(3)->maximum(), 8);
  QCOMPARE(e.frame->propertyWindow()->bar(3)->value(), 6);
}

void tst_player_panel::runningDisplayAdvances() {
  Editor e;
  e.start();
  withSong(e);
  e.frame->action("AllPlayItem")->trigger();
  QVERIFY(e.session.isPlaying());
  // Without a sound device the clock and the display still run.
  QTRY_VERIFY_WITH_TIMEOUT(panel(e)->positionLabel()->text() >= QString("0:00:20"), 3000);
  e.frame->action("StopPlayItem")->trigger();
  QVERIFY(!e.session.isPlaying());
}

void tst_player_panel::sharedPlayAndStopKey() {
  Editor e;
  e.start();
  withSong(e);
  QCOMPARE(e.settings.shortcuts[kShortCutPlayAll], 32);
  QCOMPARE(e.settings.shortcuts[kShortCutStop], 32);
  panel(e)->setFocus();
  QTest::keyClick(panel(e), Qt::Key_Space);
  QVERIFY(e.session.isPlaying()); // the same key does not stop what it just started
  QTest::keyClick(panel(e), Qt::Key_Space);
  QVERIFY(!e.session.isPlaying());
}

void tst_player_panel::keysOnlyActInTheirState() {
  Editor e;
  e.start();
  withSong(e);
  e.settings.shortcuts[kShortCutPlayAll] = 'p';
  e.settings.shortcuts[kShortCutStop] = 'x';
  QTest::keyClick(panel(e), Qt::Key_X);
  QVERIFY(!e.session.isPlaying()); // stop key while idle: nothing
  QTest::keyClick(panel(e), Qt::Key_P);
  QVERIFY(e.session.isPlaying());
  QTest::keyClick(panel(e), Qt::Key_P); // play key while playing: nothing
  QVERIFY(e.session.isPlaying());
  QTest::keyClick(panel(e), Qt::Key_X);
  QVERIFY(!e.session.isPlaying());
}

void tst_player_panel::labelClickSwitchesDisplayMode() {
  Editor e;
  e.start();
  QVERIFY(!e.settings.isTick);
  QTest::mousePress(panel(e)->positionLabel(), Qt::LeftButton);
  QVERIFY(e.settings.isTick);
  QVERIFY(e.frame->action("tickItem")->isChecked());
  QVERIFY(!e.frame->action("minuteItem")->isChecked());
  QCOMPARE(panel(e)->positionLabel()->text(), QString("01:1:00"));
  QTest::mousePress(panel(e)->positionLabel(), Qt::LeftButton);
  QVERIFY(!e.settings.isTick);
  QVERIFY(e.frame->action("minuteItem")->isChecked());
  // The switch writes the minutes with room for a sign.
  QCOMPARE(panel(e)->positionLabel()->text(), QString(" 0:00:00"));
}

void tst_player_panel::emptySongDoesNotPlay() {
  Editor e;
  e.start();
  e.frame->action("AllPlayItem")->trigger();
  QVERIFY(!e.session.isPlaying());
  QVERIFY(panel(e)->playButton()->isEnabled());
  QVERIFY(MenuEnabled(e, "FileMenu"));
}

void tst_player_panel::measurePlayLeavesTheCursor() {
  Editor e;
  e.start();
  withSong(e);
  e.song.part(1).cursor = 6; // tick 2880: one measure earlier is element 2
  BuildScoreList(e.song);
  e.frame->showPartInList(1);
  // The list takes the keyboard, as a click on it would give it.
  QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
  QApplication::sendEvent(e.frame->sourceEditor()->noteList(), &focusIn);
  QVERIFY(e.frame->editsGoToSourceList());
  e.frame->action("MeasurePlayItem")->trigger();
  QVERIFY(e.session.isPlaying());
  // The play starts a measure earlier; the song's cursor stays where the user put it.
  QCOMPARE(e.song.part(1).cursor, 6);
  e.frame->action("StopPlayItem")->trigger();
  QCOMPARE(e.song.part(1).cursor, 6);
}

void tst_player_panel::stopShowsTheSelectedElementsPosition() {
  Editor e;
  e.start();
  withSong(e);
  e.frame->showPartInList(1);
  e.frame->sourceEditor()->noteList()->setCurrentRow(3); // tick 1440
  e.frame->action("AllPlayItem")->trigger();
  QTRY_VERIFY_WITH_TIMEOUT(panel(e)->positionLabel()->text() >= QString("0:00:10"), 3000);
  e.frame->action("StopPlayItem")->trigger();
  // 1440 ticks at 121.7 quarters a minute: 1479 ms.
  QCOMPARE(panel(e)->positionLabel()->text(), QString("0:01:47"));
}

void tst_player_panel::activationNamesThePanel() {
  Editor e;
  e.start();
  e.frame->childWindows().mdiArea()->setActiveSubWindow(
      e.frame->childWindows().subWindowOf(panel(e)));
  QCOMPARE(e.settings.activeWindow, std::optional(WindowId::Player));
}

void tst_player_panel::playLineDrawsScrollsAndErases() {
  Editor e;
  e.start();
  for (int i = 0; i < 64; ++i)
    AppendNote(e.song, 1, 60 + i % 12, "4");
  BuildScoreList(e.song);
  e.frame->refreshViews();
  ScoreEditorWindow *score = e.frame->scoreEditor();
  e.frame->childWindows().setChildVisible(score, true);
  e.frame->childWindows().subWindowOf(score)->resize(500, 300);
  QTest::qWait(50);
  score->drawNote();
  QScrollBar *scroll = score->horizontalScrollBar();
  QVERIFY(scroll->maximum() > 1000);
  scroll->setValue(scroll->minimum());

  PlayLine line(e.ctx, *score);
  line.beginPlayLine();
  const QImage before = score->surface()->image().copy();
  const int width = score->surface()->width();

  QCOMPARE(line.movePlayLine(-10000, 480), 480);
  const int x = line.lineX(480, scroll->value());
  QCOMPARE(line.drawnX(), std::optional<int>(x));
  const QImage &drawn = score->surface()->image();
  QCOMPARE(drawn.pixel(x, 5), before.pixel(x, 5) ^ 0x00FFFFFFu);
  QCOMPARE(drawn.pixel(x + 1, 5), before.pixel(x + 1, 5));

  // Moving on erases the old line: only the new column differs from the score.
  line.movePlayLine(480, 960);
  QCOMPARE(score->surface()->image().pixel(x, 5), before.pixel(x, 5));

  // Past the right margin the score scrolls a page less 96 pixels and the marker is -1000.
  const int value = scroll->value();
  const int farTick = score->sheet().tickAtX(width - 49 + value - 6) + 480;
  QCOMPARE(line.movePlayLine(960, farTick), -1000);
  QCOMPARE(scroll->value(), value + width - 96);
  QVERIFY(!line.drawnX().has_value());

  // Near the end the scroll stops at its maximum and the line is drawn there.
  const int lastTick = e.song.part(1).notes.back().start + 9600;
  scroll->setValue(scroll->maximum() - 10);
  QCOMPARE(line.movePlayLine(-1000, lastTick), lastTick);
  QCOMPARE(scroll->value(), scroll->maximum());
  QVERIFY(line.drawnX().has_value());

  line.restartPlayLine();
  QCOMPARE(scroll->value(), scroll->minimum());
  QVERIFY(!line.drawnX().has_value());
  line.movePlayLine(-10000, 0);
  line.endPlayLine(0);
  QVERIFY(!line.drawnX().has_value());
  QCOMPARE(score->surface()->image(), before);
}

void tst_player_panel::playShowsTheLineOnTheScore() {
  Editor e;
  e.start();
  withSong(e);
  e.frame->childWindows().setChildVisible(e.frame->scoreEditor(), true);
  e.frame->childWindows().mdiArea()->setActiveSubWindow(
      e.frame->childWindows().subWindowOf(e.frame->scoreEditor()));
  const QImage idle = e.frame->scoreEditor()->surface()->image().copy();
  e.frame->action("AllPlayItem")->trigger();
  QVERIFY(e.session.isPlaying());
  QVERIFY(!e.frame->scoreEditor()->cursorShown); // the editing cursor is erased while playing
  QTRY_VERIFY_WITH_TIMEOUT(e.frame->scoreEditor()->surface()->image() != idle, 2000);
  e.frame->action("StopPlayItem")->trigger();
  QVERIFY(!e.session.isPlaying());
}

void tst_player_panel::previewFromTheScoreEditorUsesThePlayer() {
  Editor e;
  e.start();
  e.settings.isPreview = true;
  ScoreEditorWindow *score = e.frame->scoreEditor();
  e.frame->childWindows().setChildVisible(score, true);
  QTRY_VERIFY(score->windowActive());
  AppendNote(e.song, 1, 60, "4");
  BuildScoreList(e.song);
  QTest::keyClick(score->surface(), Qt::Key_E); // a note typed sounds
  const int part = ScoreCurrentPart(e.song);
  QVERIFY(panel(e)->player().previewKey(part) > 0);
  QTRY_COMPARE_WITH_TIMEOUT(panel(e)->player().previewKey(part), 0, 2000);
}

QTEST_MAIN(tst_player_panel)
#include "tst_player_panel.moc"
