// The Edit menu's clipboard, find and transform commands in the real frame, through their
// shortcuts, the menu items and the score editor's keys: which window is active decides what
// they do, every change is one undo step.
#include "ui_fixture.h"

#include "editing/clipboard.h"
#include "editing/transforms.h"
#include "model/vocabulary.h"
#include "views/find/find_dialog.h"
#include "views/property/property_window.h"
#include "views/score/score_editor_window.h"
#include "views/score/score_surface.h"
#include "views/source/source_editor_window.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace pipora;
using namespace pipora::test;

namespace {

// "C4:4 D4:8" -> the part's notes; the same form back from PartText.
void Write(Song &song, int part, const QString &notes) {
  for (const QString &word : notes.split(' ', Qt::SkipEmptyParts)) {
    const QStringList pl = word.split(':');
    const int n = pl[0] == "R" ? 0 : NoteNumberFromText(pl[0].toStdString());
    InsertNote(song, part, song.part(part).count, n, pl[1].toStdString(), PitchNameOf(n));
  }
}

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString PartText(const Song &song, int part) {
  QStringList words;
  const Part &p = song.part(part);
  for (int i = 0; i < p.count; ++i) {
    const NoteEntry &e = p.notes[static_cast<std::size_t>(i)];
    const QString pitch = e.noteNumber == 0 ? QString("R")
                                            : QString::fromStdString(PitchNameOf(e.noteNumber)) +
                                                  QString::number(OctaveOf(e.noteNumber));
    words << pitch + ":" + QString::fromUtf8(std::string_view(e.length));
  }
  return words.join(' ');
}

} // namespace

class tst_edit_menu : public QObject {
  Q_OBJECT

  QListWidget *list(Editor &e) { return e.frame->sourceEditor()->noteList(); }
  ScoreEditorWindow &score(Editor &e) { return *e.frame->scoreEditor(); }
  QWidget *surface(Editor &e) { return e.frame->scoreEditor()->surface(); }
  int undoIndex(Editor &e) { return e.session.history().undoIndex(); }
  ScoreHeader &header(Editor &e, int part) { return e.song.part(part).scoreHeader; }

  // Puts parts in place as Open would; the song is clean.
  void load(Editor &e, const QStringList &parts) {
    for (int i = 0; i < parts.size(); ++i)
      Write(e.song, i + 1, parts[i]);
    RecalcTimes(e.song);
    BuildScoreList(e.song);
    e.session.setDirty(false);
    e.frame->refreshViews();
    e.session.takeSnapshot(); // undo comes back to this song
  }
  void activateScore(Editor &e) {
    e.frame->childWindows().focusActiveWindow(WindowId::ScoreEditor);
    QTRY_VERIFY(score(e).windowActive());
    QTRY_VERIFY(surface(e)->hasFocus());
  }
  void activateSource(Editor &e, int part) {
    e.frame->showPartInList(part);
    QTRY_VERIFY(list(e)->hasFocus());
    QVERIFY(e.frame->editsGoToSourceList());
  }
  void trigger(Editor &e, const char *item) {
    QAction *a = e.frame->action(QString::fromLatin1(item));
    QVERIFY(a);
    QVERIFY(a->isEnabled());
    a->trigger();
  }
  FindDialog *findDialog(Editor &e) { return e.frame->findChild<FindDialog *>("FindDialog"); }

private slots:
  void initTestCase() { PrepareWindowTests(); }
  void init() { ClearProgramDirectory(); }
  void cleanup() { QVERIFY(VisibleTopLevels().isEmpty()); }

  void sourceSelectAllCopyEndPasteDoublesThePart();
  void sourceDeleteKeepsTheEndMarkerAndUndoBringsTheRowsBack();
  void scoreShortcutsCutAndPasteASelection();
  void scoreCutWithoutSelectionDoesNothing();
  void pasteOverTheLimitIsRefusedWithAMessage();
  void deleteInThePropertyTitleBoxEditsTheTitleOnly_data();
  void deleteInThePropertyTitleBoxEditsTheTitleOnly();
  void transposeItems_data();
  void transposeItems();
  void sourceTransposeKeepsTheRowsSelected();
  void scoreKeysRunTheLengthAndTieItems_data();
  void scoreKeysRunTheLengthAndTieItems();
  void doubleAllIsOneUndoStepInBothEditors_data();
  void doubleAllIsOneUndoStepInBothEditors();
  void refusedHalveShowsTheNoteAndTakesNoStep();
  void findFromPartOneStandsOnTheHitInPartThree();
  void findNextStepsPastTheHitAndReportsTheEnd();
  void findInTheSourceEditorMakesTheHitTheCurrentLine();
  void findWithoutCriterionAsksForOne();
};

void tst_edit_menu::sourceSelectAllCopyEndPasteDoublesThePart() {
  Editor e;
  e.start();
  load(e, {"C4:4 D4:8 E4:2_ F4:16"});
  activateSource(e, 1);
  const int before = undoIndex(e);
  QTest::keyClick(list(e), Qt::Key_A, Qt::ControlModifier);
  QCOMPARE(list(e)->selectionModel()->selectedIndexes().size(), 5); // the EndMarker row too
  QTest::keyClick(list(e), Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(PartText(e.song, kClipboardPart), QString("C4:4 D4:8 E4:2_ F4:16"));
  QTest::keyClick(list(e), Qt::Key_End);
  QCOMPARE(e.song.part(1).cursor, 4);
  QTest::keyClick(list(e), Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(PartText(e.song, 1), QString("C4:4 D4:8 E4:2_ F4:16 C4:4 D4:8 E4:2_ F4:16"));
  QCOMPARE(list(e)->count(), 9);
  QVERIFY(e.song.dirty);
  QCOMPARE(undoIndex(e), before + 1);
  QVERIFY(list(e)->hasFocus());
}

void tst_edit_menu::sourceDeleteKeepsTheEndMarkerAndUndoBringsTheRowsBack() {
  Editor e;
  e.start();
  load(e, {"C4:4 D4:8 E4:2"});
  activateSource(e, 1);
  QTest::keyClick(list(e), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(list(e), Qt::Key_Delete);
  QCOMPARE(PartText(e.song, 1), QString());
  QCOMPARE(list(e)->count(), 1);
  QVERIFY(e.song.part(1).notes[0].isEndMarker());
  trigger(e, "UndoItem2");
  QCOMPARE(PartText(e.song, 1), QString("C4:4 D4:8 E4:2"));
}

void tst_edit_menu::scoreShortcutsCutAndPasteASelection() {
  Editor e;
  e.start();
  load(e, {"C4:4 D4:8 E4:2 F4:16"});
  activateScore(e);
  QTest::keyClick(surface(e), Qt::Key_Right);
  QTest::keyClick(surface(e), Qt::Key_Right, Qt::ShiftModifier);
  QTest::keyClick(surface(e), Qt::Key_Right, Qt::ShiftModifier);
  QCOMPARE(header(e, 1).selLength, 2);
  const int before = undoIndex(e);
  QTest::keyClick(surface(e), Qt::Key_X, Qt::ControlModifier);
  QCOMPARE(PartText(e.song, 1), QString("C4:4 F4:16"));
  QCOMPARE(header(e, 1).cursor, 1);
  QCOMPARE(undoIndex(e), before + 1);
  QTest::keyClick(surface(e), Qt::Key_End);
  QTest::keyClick(surface(e), Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(PartText(e.song, 1), QString("C4:4 F4:16 D4:8 E4:2"));
  QCOMPARE(header(e, 1).cursor, 4); // after what was pasted
  QCOMPARE(undoIndex(e), before + 2);
  // Select all, then paste over it: the part becomes the clipboard.
  QTest::keyClick(surface(e), Qt::Key_A, Qt::ControlModifier);
  QCOMPARE(header(e, 1).selLength, 4);
  QTest::keyClick(surface(e), Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(PartText(e.song, 1), QString("D4:8 E4:2"));
  QVERIFY(surface(e)->hasFocus());
}

void tst_edit_menu::scoreCutWithoutSelectionDoesNothing() {
  Editor e;
  e.start();
  load(e, {"C4:4 D4:8"});
  activateScore(e);
  const int before = undoIndex(e);
  QTest::keyClick(surface(e), Qt::Key_X, Qt::ControlModifier);
  QCOMPARE(PartText(e.song, 1), QString("C4:4 D4:8"));
  QCOMPARE(undoIndex(e), before);
  QVERIFY(!e.song.dirty);
  // Delete without a selection takes the note at the cursor.
  QTest::keyClick(surface(e), Qt::Key_Delete);
  QCOMPARE(PartText(e.song, 1), QString("D4:8"));
  QVERIFY(e.song.dirty);
}

void tst_edit_menu::pasteOverTheLimitIsRefusedWithAMessage() {
  Editor e;
  e.start();
  load(e, {"C4:4"});
  // A clipboard that cannot fit: the part would pass the most one part may hold.
  Part &clip = e.song.part(kClipboardPart);
  clip.notes.assign(static_cast<std::size_t>(kMaxPartElements), e.song.part(1).notes[0]);
  clip.notes.push_back(MakeEndMarker());
  clip.count = kMaxPartElements;
  activateSource(e, 1);
  const int before = undoIndex(e);
  QTest::keyClick(list(e), Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(e.prompts->messages, QStringList{Text(kPasteTooLongMessage)});
  QCOMPARE(PartText(e.song, 1), QString("C4:4"));
  QCOMPARE(undoIndex(e), before);
  QVERIFY(!e.song.dirty);
}

void tst_edit_menu::deleteInThePropertyTitleBoxEditsTheTitleOnly_data() {
  QTest::addColumn<int>("selectFrom");
  QTest::addColumn<int>("selectLength");
  QTest::addColumn<int>("caret");
  QTest::addColumn<QString>("after");
  QTest::newRow("selected text goes") << 1 << 2 << -1 << "ad";
  QTest::newRow("the character after the caret") << -1 << 0 << 1 << "acd";
  QTest::newRow("nothing at the end") << -1 << 0 << 4 << "abcd";
}

void tst_edit_menu::deleteInThePropertyTitleBoxEditsTheTitleOnly() {
  QFETCH(int, selectFrom);
  QFETCH(int, selectLength);
  QFETCH(int, caret);
  QFETCH(QString, after);
  Editor e;
  e.start();
  load(e, {"C4:4"});
  e.frame->childWindows().focusActiveWindow(WindowId::Property);
  QTRY_VERIFY(e.frame->propertyWindow()->isActive());
  QLineEdit *title = e.frame->propertyWindow()->titleBox();
  title->setText("abcd");
  title->setFocus();
  if (selectFrom >= 0)
    title->setSelection(selectFrom, selectLength);
  else
    title->setCursorPosition(caret);
  e.frame->action("DeleteItem")->trigger();
  QCOMPARE(title->text(), after);
  QCOMPARE(PartText(e.song, 1), QString("C4:4"));
}

void tst_edit_menu::transposeItems_data() {
  QTest::addColumn<QString>("item");
  QTest::addColumn<bool>("inSource");
  QTest::addColumn<QString>("after");
  QTest::newRow("source semitone up") << "UpItem" << true << "C#4:4 R:8 F4:4";
  QTest::newRow("source semitone down") << "DownItem" << true << "B3:4 R:8 D#4:4";
  QTest::newRow("source octave up") << "oUpItem" << true << "C5:4 R:8 E5:4";
  QTest::newRow("source octave down") << "oDownItem" << true << "C3:4 R:8 E3:4";
  QTest::newRow("score semitone up") << "UpItem" << false << "C#4:4 R:8 F4:4";
  QTest::newRow("score octave down") << "oDownItem" << false << "C3:4 R:8 E3:4";
}

void tst_edit_menu::transposeItems() {
  QFETCH(QString, item);
  QFETCH(bool, inSource);
  QFETCH(QString, after);
  Editor e;
  e.start();
  load(e, {"C4:4 R:8 E4:4"});
  if (inSource) {
    activateSource(e, 1);
    QTest::keyClick(list(e), Qt::Key_A, Qt::ControlModifier);
  } else {
    activateScore(e);
    QTest::keyClick(surface(e), Qt::Key_A, Qt::ControlModifier);
  }
  const int before = undoIndex(e);
  trigger(e, item.toLatin1().constData());
  QCOMPARE(PartText(e.song, 1), after);
  QCOMPARE(undoIndex(e), before + 1);
  trigger(e, "UndoItem2");
  QCOMPARE(PartText(e.song, 1), QString("C4:4 R:8 E4:4"));
}

void tst_edit_menu::sourceTransposeKeepsTheRowsSelected() {
  Editor e;
  e.start();
  load(e, {"C4:4 D4:8 E4:4 F4:2"});
  activateSource(e, 1);
  list(e)->setCurrentRow(1);
  QTest::keyClick(list(e), Qt::Key_Down, Qt::ShiftModifier);
  QCOMPARE(e.song.part(1).cursor, 2);
  trigger(e, "oUpItem");
  QCOMPARE(PartText(e.song, 1), QString("C4:4 D5:8 E5:4 F4:2"));
  QList<int> rows;
  for (const QModelIndex &i : list(e)->selectionModel()->selectedIndexes())
    rows << i.row();
  std::sort(rows.begin(), rows.end());
  QCOMPARE(rows, (QList<int>{1, 2}));
  QCOMPARE(list(e)->currentRow(), 2);
}

void tst_edit_menu::scoreKeysRunTheLengthAndTieItems_data() {
  QTest::addColumn<int>("key");
  QTest::addColumn<int>("modifiers");
  QTest::addColumn<QString>("after");
  QTest::newRow("Alt+Right longer") << int(Qt::Key_Right) << int(Qt::AltModifier) << "C4:4 D4:2";
  QTest::newRow("Alt+Left shorter") << int(Qt::Key_Left) << int(Qt::AltModifier) << "C4:4 D4:8";
  QTest::newRow("T tie") << int(Qt::Key_T) << int(Qt::NoModifier) << "C4:4 D4:4_";
  QTest::newRow("Alt+Up semitone up") << int(Qt::Key_Up) << int(Qt::AltModifier) << "C4:4 D#4:4";
  QTest::newRow("Page Down octave down")
      << int(Qt::Key_PageDown) << int(Qt::NoModifier) << "C4:4 D3:4";
}

void tst_edit_menu::scoreKeysRunTheLengthAndTieItems() {
  QFETCH(int, key);
  QFETCH(int, modifiers);
  QFETCH(QString, after);
  Editor e;
  e.start();
  load(e, {"C4:4 D4:4"});
  activateScore(e);
  QTest::keyClick(surface(e), Qt::Key_End);
  const int before = undoIndex(e);
  QTest::keyClick(surface(e), static_cast<Qt::Key>(key), Qt::KeyboardModifiers(modifiers));
  BuildNoteList(e.song);
  QCOMPARE(PartText(e.song, 1), after);
  QCOMPARE(undoIndex(e), before + 1);
  QVERIFY(e.song.dirty);
}

void tst_edit_menu::doubleAllIsOneUndoStepInBothEditors_data() {
  QTest::addColumn<bool>("inSource");
  QTest::newRow("source editor") << true;
  QTest::newRow("score editor") << false;
}

void tst_edit_menu::doubleAllIsOneUndoStepInBothEditors() {
  QFETCH(bool, inSource);
  Editor e;
  e.start();
  load(e, {"C4:2 D4:4", "E4:163 E4:163 E4:163", "G4:16_ G4:8"});
  if (inSource)
    activateSource(e, 2);
  else
    activateScore(e);
  const int before = undoIndex(e);
  trigger(e, "SlowItem");
  QCOMPARE(PartText(e.song, 1), QString("C4:2_ C4:2 D4:2"));
  QCOMPARE(PartText(e.song, 2), QString("E4:83 E4:83 E4:83"));
  QCOMPARE(PartText(e.song, 3), QString("G4:8_ G4:4"));
  QCOMPARE(undoIndex(e), before + 1);
  QVERIFY(e.song.dirty);
  if (inSource)
    QCOMPARE(list(e)->count(), 4);
  trigger(e, "FastItem");
  QCOMPARE(PartText(e.song, 1), QString("C4:4_ C4:4 D4:4"));
  trigger(e, "UndoItem2");
  trigger(e, "UndoItem2");
  QCOMPARE(PartText(e.song, 1), QString("C4:2 D4:4"));
  QCOMPARE(PartText(e.song, 3), QString("G4:16_ G4:8"));
}

void tst_edit_menu::refusedHalveShowsTheNoteAndTakesNoStep() {
  Editor e;
  e.start();
  load(e, {"C4:4 D4:4", "", "E4:2 F4:16 G4:8"});
  activateScore(e);
  const int before = undoIndex(e);
  trigger(e, "FastItem");
  QCOMPARE(e.prompts->messages, QStringList{Text(kHalveSixteenthMessage)});
  QCOMPARE(undoIndex(e), before);
  QVERIFY(!e.song.dirty);
  QCOMPARE(PartText(e.song, 3), QString("E4:2 F4:16 G4:8"));
  // The offending note is under the cursor of its part, which is now the current one.
  QCOMPARE(e.song.currentPart, 3);
  QCOMPARE(header(e, 3).cursor, 1);
  QCOMPARE(header(e, 1).partNumber, 3);
}

void tst_edit_menu::findFromPartOneStandsOnTheHitInPartThree() {
  Editor e;
  e.start();
  load(e, {"C4:4 D4:4", "E4:4", "F4:4 A4:8 B4:4"});
  activateScore(e);
  QTest::keyClick(surface(e), Qt::Key_F, Qt::ControlModifier);
  FindDialog *dialog = findDialog(e);
  QVERIFY(dialog);
  QTRY_VERIFY(dialog->isVisible());
  QTRY_VERIFY(dialog->noteText()->hasFocus());
  QTest::keyClicks(dialog->noteText(), "a");
  QVERIFY(dialog->noteCheck()->isChecked());
  dialog->allPartsOption()->setChecked(true);
  QTest::mouseClick(dialog->searchButton(), Qt::LeftButton);
  QVERIFY(!dialog->isVisible());
  QCOMPARE(e.song.currentPart, 3);
  QCOMPARE(header(e, 3).selStart, 1);
  QCOMPARE(header(e, 3).selLength, 1);
  QCOMPARE(header(e, 3).cursor, 1);
  QTRY_VERIFY(surface(e)->hasFocus());
}

void tst_edit_menu::findNextStepsPastTheHitAndReportsTheEnd() {
  Editor e;
  e.start();
  load(e, {"A4:4 C4:4 A5:8 D4:4"});
  activateScore(e);
  trigger(e, "FindItem");
  FindDialog *dialog = findDialog(e);
  dialog->noteText()->setText("ラ");
  QTest::mouseClick(dialog->searchButton(), Qt::LeftButton);
  QCOMPARE(header(e, 1).selStart, 0);
  QTest::keyClick(surface(e), Qt::Key_F3);
  QCOMPARE(header(e, 1).selStart, 2);
  QCOMPARE(header(e, 1).selLength, 1);
  QVERIFY(e.prompts->messages.isEmpty());
  QTest::keyClick(surface(e), Qt::Key_F3);
  QCOMPARE(e.prompts->messages, QStringList{"指定された音符は見つかりませんでした。"});
  dialog->hide();
}

void tst_edit_menu::findInTheSourceEditorMakesTheHitTheCurrentLine() {
  Editor e;
  e.start();
  load(e, {"C4:4 D4:43", "", "E4:4 G4:43"});
  activateSource(e, 1);
  QTest::keyClick(list(e), Qt::Key_F, Qt::ControlModifier);
  FindDialog *dialog = findDialog(e);
  QTRY_VERIFY(dialog->isVisible());
  dialog->lengthText()->setText("4");
  dialog->fromTopOption()->setChecked(true);
  dialog->allPartsOption()->setChecked(true);
  QTest::mouseClick(dialog->searchButton(), Qt::LeftButton);
  QVERIFY(!dialog->isVisible());
  QCOMPARE(e.song.currentPart, 1);
  QCOMPARE(list(e)->currentRow(), 0);
  // Find next from the list: the source editor matches "4" in "43" too.
  QTRY_VERIFY(list(e)->hasFocus());
  QTest::keyClick(list(e), Qt::Key_F3);
  QCOMPARE(list(e)->currentRow(), 1);
  QTest::keyClick(list(e), Qt::Key_F3);
  QCOMPARE(e.song.currentPart, 3);
  QCOMPARE(list(e)->currentRow(), 0);
}

void tst_edit_menu::findWithoutCriterionAsksForOne() {
  Editor e;
  e.start();
  load(e, {"C4:4"});
  activateScore(e);
  trigger(e, "FindItem");
  FindDialog *dialog = findDialog(e);
  QTest::mouseClick(dialog->searchButton(), Qt::LeftButton);
  QCOMPARE(e.prompts->messages, QStringList{"検索する音符を設定して下さい。"});
  QVERIFY(dialog->isVisible());
  // Cancel hides it and the keys go to the score editor again.
  QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
  QVERIFY(!dialog->isVisible());
  QTRY_VERIFY(surface(e)->hasFocus());
}

QTEST_MAIN(tst_edit_menu)
#include "tst_edit_menu.moc"
