// The source editor: list lines, the typing loop, Esc, part switching, the boxes' key
// filters, shortcuts, drops and the layout.
#include "ui_fixture.h"

#include "session/song_files.h"

#include "model/vocabulary.h"
#include "playback/player.h"
#include "views/source/source_editor_window.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

using namespace pipora;
using namespace pipora::test;

namespace {

const NoteEntry &Entry(const Song &song, int part, int index) {
  return song.part(part).notes[static_cast<std::size_t>(index)];
}

} // namespace

class tst_source_editor_window : public QObject {
  Q_OBJECT

  SourceEditorWindow *view(Editor &e) { return e.frame->sourceEditor(); }
  void key(Editor &e, QWidget *target, int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    (void)e;
    QTest::keyClick(target, static_cast<Qt::Key>(k), m);
  }
  void type(QWidget *target, const char *text) { QTest::keyClicks(target, text); }
  // Drags a file over the list and drops it there, as the window system delivers it.
  void drop(Editor &e, const QString &path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QWidget *target = view(e)->noteList()->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
  }

private slots:
  void initTestCase() { PrepareWindowTests(); }
  void init() { ClearProgramDirectory(); }
  void cleanup() { QVERIFY(VisibleTopLevels().isEmpty()); }

  void newSongShowsEndMarkerLine();
  void lineColumns_data();
  void lineColumns();
  void selectionFillsBoxesAndLabel();
  void typingLoopAppendsC4Quarter();
  void enterOnEmptyPartCommitsQuarterRest();
  void rememberedOctaveFollowsTheList();
  void typedOctaveAndLengthAreStored();
  void unknownLengthBecomesQuestionMark();
  void escRemovesPendingInsertion();
  void escWithoutInsertionDeletesNothing();
  void escInLengthBoxOnlyForLastEntry();
  void boxesRejectOtherCharacters_data();
  void boxesRejectOtherCharacters();
  void pitchBoxIsUpperCase();
  void rightAndLeftWrapParts();
  void insertCopiesSelectedEntry();
  void insertOnEndMarkerAppends();
  void playShortcutsTriggerPlayItems();
  void stopShortcutOnlyWhilePlaying();
  void dropOpensByKind();
  void header();
  void layoutFollowsFont();
  void listFocusSetsFlag();
  void mouseOverSnapsToGrid();
};

void tst_source_editor_window::newSongShowsEndMarkerLine() {
  Editor e;
  e.start();
  for (int part : {1, 7, 16}) {
    e.frame->showPartInList(part);
    QCOMPARE(view(e)->noteList()->count(), 1);
    QCOMPARE(view(e)->noteList()->item(0)->text(), QString("1:1:0\t0\t0\t* End of Track *"));
    QCOMPARE(view(e)->partLabel()->text(), QString("CH%1[1/0]").arg(part));
    QCOMPARE(view(e)->pitchBox()->text(), QString());
    QCOMPARE(view(e)->lengthBox()->text(), QString());
  }
}

void tst_source_editor_window::lineColumns_data() {
  QTest::addColumn<int>("start");
  QTest::addColumn<int>("note");
  QTest::addColumn<QString>("pitch");
  QTest::addColumn<QString>("length");
  QTest::addColumn<int>("ticksPerBeat");
  QTest::addColumn<int>("beats");
  QTest::addColumn<QString>("line");
  QTest::newRow("C#4 at 1440") << 1440 << 61 << "C#"
                               << "4" << 480 << 4 << "1:4:0\tC#4\t61\t4";
  QTest::newRow("rest") << 0 << 0 << "R"
                        << "8" << 480 << 4 << "1:1:0\tR0\t0\t8";
  QTest::newRow("second measure") << 2040 << 72 << "C"
                                  << "16" << 480 << 4 << "2:1:12\tC5\t72\t16";
  QTest::newRow("3/8 at 240") << 600 << 57 << "A"
                              << "83" << 240 << 3 << "1:3:12\tA3\t57\t83";
  QTest::newRow("unknown length") << 0 << 60 << "C"
                                  << "？" << 480 << 4 << "1:1:0\tC4\t60\t？";
}

void tst_source_editor_window::lineColumns() {
  QFETCH(int, start);
  QFETCH(int, note);
  QFETCH(QString, pitch);
  QFETCH(QString, length);
  QFETCH(int, ticksPerBeat);
  QFETCH(int, beats);
  QFETCH(QString, line);
  Song song;
  song.ticksPerBeat = static_cast<std::int16_t>(ticksPerBeat);
  song.beatsPerMeasure = static_cast<std::int16_t>(beats);
  NoteEntry entry;
  entry.start = start;
  entry.noteNumber = static_cast<std::int16_t>(note);
  entry.pitch = pitch.toStdString();
  entry.length = length.toStdString();
  QCOMPARE(SourceEditorWindow::lineText(song, entry), line);
}

void tst_source_editor_window::selectionFillsBoxesAndLabel() {
  Editor e;
  e.start();
  QSignalSpy positions(&e.session, &EditorSession::positionTextChanged);
  AppendNote(e.song, 1, 61, "8");
  AppendNote(e.song, 1, 0, "4");
  AppendNote(e.song, 1, 64, "2_");
  e.frame->showPartInList(1);
  view(e)->noteList()->setCurrentRow(0);
  QCOMPARE(view(e)->pitchBox()->text(), QString("C#4"));
  QCOMPARE(view(e)->lengthBox()->text(), QString("8"));
  QCOMPARE(view(e)->partLabel()->text(), QString("CH1[1/3]"));
  QCOMPARE(positions.last().first().toString(), QString("0:00:00"));
  view(e)->noteList()->setCurrentRow(1);
  QCOMPARE(view(e)->pitchBox()->text(), QString("R"));
  QCOMPARE(view(e)->lengthBox()->text(), QString("4"));
  // 240 ticks at 121.7 quarters a minute: 246.5 ms.
  QCOMPARE(positions.last().first().toString(), QString("0:00:24"));
  view(e)->noteList()->setCurrentRow(3);
  QCOMPARE(view(e)->pitchBox()->text(), QString());
  QCOMPARE(view(e)->partLabel()->text(), QString("CH1[4/3]"));
  QCOMPARE(e.song.part(1).cursor, 3);
  e.settings.isTick = true;
  view(e)->noteList()->setCurrentRow(2);
  QCOMPARE(positions.last().first().toString(), QString("01:2:24"));
}

void tst_source_editor_window::typingLoopAppendsC4Quarter() {
  Editor e;
  e.start();
  e.frame->showPartInList(1);
  QListWidget *list = view(e)->noteList();
  QCOMPARE(list->currentRow(), 0);
  key(e, list, Qt::Key_C);
  QCOMPARE(e.song.part(1).count, 1);
  QCOMPARE(view(e)->pitchBox()->text(), QString("C"));
  QVERIFY(view(e)->pendingInsertion());
  key(e, view(e)->pitchBox(), Qt::Key_Return);
  QVERIFY(view(e)->lengthBox()->hasFocus());
  key(e, view(e)->lengthBox(), Qt::Key_Return);
  QCOMPARE(e.song.part(1).count, 1);
  QCOMPARE(Entry(e.song, 1, 0).noteNumber, 60);
  QCOMPARE(Entry(e.song, 1, 0).pitch, std::string("C"));
  QCOMPARE(Entry(e.song, 1, 0).length, std::string("4"));
  QCOMPARE(list->item(0)->text(), QString("1:1:0\tC4\t60\t4"));
  QCOMPARE(list->currentRow(), 1); // the EndMarker again
  QVERIFY(list->hasFocus());
  QVERIFY(e.song.dirty);
  QVERIFY(!view(e)->pendingInsertion());
  // The next letter repeats the previous note's length; typing a new one replaces it.
  key(e, list, Qt::Key_E);
  key(e, view(e)->pitchBox(), Qt::Key_Return);
  type(view(e)->lengthBox(), "8");
  key(e, view(e)->lengthBox(), Qt::Key_Return);
  QCOMPARE(e.song.part(1).count, 2);
  QCOMPARE(Entry(e.song, 1, 1).noteNumber, 64);
  QCOMPARE(Entry(e.song, 1, 1).length, std::string("8"));
  QCOMPARE(list->item(1)->text(), QString("1:2:0\tE4\t64\t8"));
  QCOMPARE(view(e)->partLabel()->text(), QString("CH1[3/2]"));
  // The score lists follow the note lists.
  QCOMPARE(e.song.part(1).scoreHeader.count, 2);
}

void tst_source_editor_window::enterOnEmptyPartCommitsQuarterRest() {
  Editor e;
  e.start();
  e.frame->showPartInList(3);
  key(e, view(e)->noteList(), Qt::Key_Return);
  QCOMPARE(e.song.part(3).count, 1);
  QCOMPARE(Entry(e.song, 3, 0).pitch, std::string());
  QCOMPARE(view(e)->pitchBox()->text(), QString());
  key(e, view(e)->pitchBox(), Qt::Key_Return);
  key(e, view(e)->lengthBox(), Qt::Key_Return);
  QCOMPARE(Entry(e.song, 3, 0).pitch, std::string("R"));
  QCOMPARE(Entry(e.song, 3, 0).noteNumber, 0);
  QCOMPARE(Entry(e.song, 3, 0).length, std::string("4"));
}

void tst_source_editor_window::rememberedOctaveFollowsTheList() {
  Editor e;
  e.start();
  AppendNote(e.song, 2, 81, "4"); // A5: octave 5
  AppendNote(e.song, 2, 0, "4");  // rest: the cursor entry gives no octave
  e.frame->showPartInList(2);
  QCOMPARE(view(e)->rememberedOctave(), 5);
  view(e)->noteList()->setCurrentRow(1);
  view(e)->noteList()->setFocus();
  key(e, view(e)->noteList(), Qt::Key_Return); // an existing entry: nothing inserted
  QCOMPARE(e.song.part(2).count, 2);
  view(e)->pitchBox()->setText("D");
  key(e, view(e)->pitchBox(), Qt::Key_Return);
  key(e, view(e)->lengthBox(), Qt::Key_Return);
  QCOMPARE(Entry(e.song, 2, 1).noteNumber, 74); // D5
  QCOMPARE(Entry(e.song, 2, 1).length, std::string("4"));
}

void tst_source_editor_window::typedOctaveAndLengthAreStored() {
  Editor e;
  e.start();
  e.frame->showPartInList(1);
  key(e, view(e)->noteList(), Qt::Key_F);
  type(view(e)->pitchBox(), "#5");
  QCOMPARE(view(e)->pitchBox()->text(), QString("F#5"));
  key(e, view(e)->pitchBox(), Qt::Key_Return);
  type(view(e)->lengthBox(), "163_");
  key(e, view(e)->lengthBox(), Qt::Key_Return);
  QCOMPARE(Entry(e.song, 1, 0).noteNumber, 78);
  QCOMPARE(Entry(e.song, 1, 0).pitch, std::string("F#"));
  QCOMPARE(Entry(e.song, 1, 0).length, std::string("163_"));
}

void tst_source_editor_window::unknownLengthBecomesQuestionMark() {
  Editor e;
  e.start();
  e.frame->showPartInList(1);
  key(e, view(e)->noteList(), Qt::Key_G);
  key(e, view(e)->pitchBox(), Qt::Key_Return);
  type(view(e)->lengthBox(), "12");
  key(e, view(e)->lengthBox(), Qt::Key_Return);
  QCOMPARE(Entry(e.song, 1, 0).length, std::string("？"));
  QCOMPARE(view(e)->noteList()->item(0)->text(), QString("1:1:0\tG4\t67\t？"));
}

void tst_source_editor_window::escRemovesPendingInsertion() {
  Editor e;
  e.start();
  e.frame->showPartInList(1);
  key(e, view(e)->noteList(), Qt::Key_Return);
  QCOMPARE(e.song.part(1).count, 1);
  key(e, view(e)->pitchBox(), Qt::Key_Escape);
  QCOMPARE(e.song.part(1).count, 0);
  QCOMPARE(view(e)->noteList()->count(), 1);
  QVERIFY(view(e)->noteList()->hasFocus());
  QVERIFY(!view(e)->pendingInsertion());
}

void tst_source_editor_window::escWithoutInsertionDeletesNothing() {
  Editor e;
  e.start();
  AppendNote(e.song, 1, 60, "4");
  e.frame->showPartInList(1);
  view(e)->noteList()->setCurrentRow(0);
  key(e, view(e)->noteList(), Qt::Key_Return);
  QVERIFY(view(e)->pitchBox()->hasFocus());
  key(e, view(e)->pitchBox(), Qt::Key_Escape);
  QCOMPARE(e.song.part(1).count, 1);
  QCOMPARE(view(e)->pitchBox()->text(), QString("C4"));
}

void tst_source_editor_window::escInLengthBoxOnlyForLastEntry() {
  Editor e;
  e.start();
  AppendNote(e.song, 1, 60, "4");
  AppendNote(e.song, 1, 62, "4");
  e.frame->showPartInList(1);
  // Insert before the first note: the pending entry is not the last one.
  view(e)->noteList()->setCurrentRow(0);
  key(e, view(e)->noteList(), Qt::Key_Insert);
  QCOMPARE(e.song.part(1).count, 3);
  key(e, view(e)->pitchBox(), Qt::Key_Return);
  key(e, view(e)->lengthBox(), Qt::Key_Escape);
  QCOMPARE(e.song.part(1).count, 3);
  // An entry appended at the end is taken back by Esc in the length box.
  view(e)->noteList()->setCurrentRow(3);
  key(e, view(e)->noteList(), Qt::Key_Return);
  QCOMPARE(e.song.part(1).count, 4);
  key(e, view(e)->pitchBox(), Qt::Key_Return);
  key(e, view(e)->lengthBox(), Qt::Key_Escape);
  QCOMPARE(e.song.part(1).count, 3);
}

void tst_source_editor_window::boxesRejectOtherCharacters_data() {
  QTest::addColumn<bool>("pitchBox");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("kept");
  QTest::newRow("9 in pitch") << true << "9"
                              << "";
  QTest::newRow("x in pitch") << true << "x"
                              << "";
  QTest::newRow("pitch letters") << true << "a#3r"
                                 << "A#3R";
  QTest::newRow("1 in pitch") << true << "c1"
                              << "C";
  QTest::newRow("5 in length") << false << "5"
                               << "";
  QTest::newRow("length codes") << false << "83_"
                                << "83_";
  QTest::newRow("letters in length") << false << "4a"
                                     << "4";
}

void tst_source_editor_window::boxesRejectOtherCharacters() {
  QFETCH(bool, pitchBox);
  QFETCH(QString, typed);
  QFETCH(QString, kept);
  Editor e;
  e.start();
  QLineEdit *box = pitchBox ? view(e)->pitchBox() : view(e)->lengthBox();
  box->clear();
  box->setFocus();
  QTest::keyClicks(box, typed);
  QCOMPARE(box->text(), kept);
}

void tst_source_editor_window::pitchBoxIsUpperCase() {
  Editor e;
  e.start();
  QLineEdit *box = view(e)->pitchBox();
  box->setText("cd");
  box->setCursorPosition(1);
  QCOMPARE(box->text(), QString("CD"));
  QCOMPARE(box->cursorPosition(), 1);
}

void tst_source_editor_window::rightAndLeftWrapParts() {
  Editor e;
  e.start();
  e.frame->showPartInList(16);
  key(e, view(e)->noteList(), Qt::Key_Right);
  QCOMPARE(e.song.currentPart, 1);
  QCOMPARE(view(e)->partLabel()->text(), QString("CH1[1/0]"));
  key(e, view(e)->noteList(), Qt::Key_Left);
  QCOMPARE(e.song.currentPart, 16);
  key(e, view(e)->noteList(), Qt::Key_Left);
  QCOMPARE(e.song.currentPart, 15);
  // With a modifier the arrows are not part switches.
  key(e, view(e)->noteList(), Qt::Key_Right, Qt::ShiftModifier);
  QCOMPARE(e.song.currentPart, 15);
}

void tst_source_editor_window::insertCopiesSelectedEntry() {
  Editor e;
  e.start();
  AppendNote(e.song, 1, 60, "4");
  AppendNote(e.song, 1, 64, "8");
  e.frame->showPartInList(1);
  view(e)->noteList()->setCurrentRow(1);
  key(e, view(e)->noteList(), Qt::Key_Insert);
  QCOMPARE(e.song.part(1).count, 3);
  QCOMPARE(Entry(e.song, 1, 1).noteNumber, 64);
  QCOMPARE(Entry(e.song, 1, 2).noteNumber, 64);
  QVERIFY(view(e)->pitchBox()->hasFocus());
  QVERIFY(view(e)->pendingInsertion());
  QVERIFY(e.song.dirty);
  view(e)->pitchBox()->setText("G4");
  key(e, view(e)->pitchBox(), Qt::Key_Return);
  key(e, view(e)->lengthBox(), Qt::Key_Return);
  QCOMPARE(Entry(e.song, 1, 1).noteNumber, 67);
  QCOMPARE(Entry(e.song, 1, 2).noteNumber, 64);
  QCOMPARE(view(e)->noteList()->currentRow(), 2);
}

void tst_source_editor_window::insertOnEndMarkerAppends() {
  Editor e;
  e.start();
  AppendNote(e.song, 1, 62, "2");
  e.frame->showPartInList(1);
  view(e)->noteList()->setCurrentRow(1);
  key(e, view(e)->noteList(), Qt::Key_Insert);
  QCOMPARE(e.song.part(1).count, 2);
  QCOMPARE(Entry(e.song, 1, 1).noteNumber, 62);
  QCOMPARE(Entry(e.song, 1, 1).length, std::string("2"));
  QCOMPARE(view(e)->noteList()->currentRow(), 1);
}

void tst_source_editor_window::playShortcutsTriggerPlayItems() {
  Editor e;
  e.start();
  QSignalSpy all(e.frame->action("AllPlayItem"), &QAction::triggered);
  QSignalSpy solo(e.frame->action("SoloPlayItem"), &QAction::triggered);
  QSignalSpy measure(e.frame->action("MeasurePlayItem"), &QAction::triggered);
  QSignalSpy stop(e.frame->action("StopPlayItem"), &QAction::triggered);
  // A play item that starts playback must not be stopped by the same key.
  AppendNote(e.song, 1, 60, "4");
  e.frame->showPartInList(1);
  key(e, view(e)->noteList(), Qt::Key_Space);
  QCOMPARE(all.count(), 1);
  QVERIFY(e.session.isPlaying());
  QCOMPARE(stop.count(), 0);
  e.session.player().stop();
  key(e, view(e)->noteList(), Qt::Key_S);
  QCOMPARE(solo.count(), 1);
  e.session.player().stop();
  key(e, view(e)->noteList(), Qt::Key_M);
  QCOMPARE(measure.count(), 1);
  e.session.player().stop();
  // A changed shortcut table is used at once; solo play is compared first.
  e.settings.shortcuts[kShortCutSoloPlay] = 32;
  key(e, view(e)->noteList(), Qt::Key_Space);
  QCOMPARE(solo.count(), 2);
  QCOMPARE(all.count(), 1);
  e.session.player().stop();
}

void tst_source_editor_window::stopShortcutOnlyWhilePlaying() {
  Editor e;
  e.start();
  QSignalSpy all(e.frame->action("AllPlayItem"), &QAction::triggered);
  QSignalSpy stop(e.frame->action("StopPlayItem"), &QAction::triggered);
  AppendNote(e.song, 1, 60, "4");
  e.frame->showPartInList(1);
  e.session.player().playAll();
  QVERIFY(e.session.isPlaying());
  key(e, view(e)->noteList(), Qt::Key_Space);
  QCOMPARE(stop.count(), 1);
  QCOMPARE(all.count(), 0);
  QVERIFY(!e.session.isPlaying());
  e.session.player().playAll();
  key(e, view(e)->noteList(), Qt::Key_S); // play shortcuts are ignored while playing
  QCOMPARE(all.count(), 0);
  e.session.player().stop();
}

// A dropped file is read as what its content says: a text file is refused with the reason and
// the song stays; SMD text opens whatever its name.
void tst_source_editor_window::dropOpensByKind() {
  QTemporaryDir dir;
  const QString smz = dir.filePath("SONG.SMZ");
  WriteBytes(smz, SmdBytes("drop", {"66"}));
  const QString txt = dir.filePath("a.txt");
  WriteBytes(txt, "just some words\n");
  Editor e;
  e.start();
  drop(e, txt);
  QCOMPARE(e.song.part(1).count, 0);
  QVERIFY(e.prompts->openRequests.isEmpty());
  QCOMPARE(e.prompts->warnings.size(), 1);
  QVERIFY(e.prompts->warnings.takeFirst().contains(QString::fromUtf8(kNotASongFileMessage.data())));
  drop(e, smz);
  QVERIFY(e.prompts->openRequests.isEmpty());
  QCOMPARE(e.prompts->warnings, QStringList());
  QCOMPARE(e.song.part(1).count, 2);
  QCOMPARE(e.frame->windowTitle(), smz + " - PiporaPad");
  // The name was handed to that one open: the Open command asks again.
  e.prompts->openNames << QString();
  e.frame->action("OpenItem")->trigger();
  QCOMPARE(e.prompts->openRequests.size(), 1);
}

void tst_source_editor_window::header() {
  Editor e;
  e.start();
  QCOMPARE(view(e)->headerBox()->text(), QString("Loc\tNote\t\tLen"));
  QVERIFY(view(e)->headerBox()->isReadOnly());
  QTest::keyClicks(view(e)->headerBox(), "abc");
  QCOMPARE(view(e)->headerBox()->text(), QString("Loc\tNote\t\tLen"));
}

void tst_source_editor_window::layoutFollowsFont() {
  Editor e;
  e.start();
  SourceFont font;
  font.size = 14;
  font.bold = true;
  view(e)->applyFont(font);
  const QFontMetrics fm(view(e)->pitchBox()->font());
  QVERIFY(view(e)->pitchBox()->font().bold());
  QCOMPARE(view(e)->noteList()->font().pointSizeF(), 14.0);
  QCOMPARE(view(e)->pitchBox()->x(), fm.horizontalAdvance(QString(16, '0')));
  QCOMPARE(view(e)->lengthBox()->x(), fm.horizontalAdvance(QString(31, '0')));
  const int h = view(e)->headerBox()->height();
  QVERIFY(h >= fm.height());
  QCOMPARE(view(e)->pitchBox()->height(), h);
  QCOMPARE(view(e)->pitchBox()->width(), 2 * h);
  QCOMPARE(view(e)->noteList()->y(), h);
  QCOMPARE(view(e)->noteList()->height(), view(e)->height() - h);
  QCOMPARE(view(e)->partLabel()->geometry().right(), view(e)->width() - 1);
  QCOMPARE(view(e)->headerBox()->width(), view(e)->width() - view(e)->partLabel()->width());
}

void tst_source_editor_window::listFocusSetsFlag() {
  Editor e;
  e.start();
  e.frame->showPartInList(1);
  QVERIFY(view(e)->noteList()->hasFocus());
  QVERIFY(e.frame->editsGoToSourceList());
  view(e)->lengthBox()->setFocus();
  QVERIFY(!e.frame->editsGoToSourceList());
}

void tst_source_editor_window::mouseOverSnapsToGrid() {
  Editor e;
  e.start();
  QMdiSubWindow *sub = e.frame->childWindows().subWindowOf(view(e));
  sub->move(23, 41);
  QMouseEvent move(QEvent::MouseMove, QPointF(10, 10), QPointF(10, 10), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(view(e)->noteList(), &move);
  QCOMPARE(sub->pos(), QPoint(23, 41)); // no grid: one pixel steps
  e.settings.isGrid = true;
  QApplication::sendEvent(view(e)->noteList(), &move);
  QCOMPARE(sub->pos(), QPoint(16, 48));
  sub->showMaximized();
  e.settings.isGrid = true;
  QApplication::sendEvent(view(e)->partLabel(), &move);
  QVERIFY(sub->isMaximized());
}

QTEST_MAIN(tst_source_editor_window)
#include "tst_source_editor_window.moc"
