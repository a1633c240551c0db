// Unsaved changes: every window's way of editing the song marks it dirty through the
// session, once, and the frame's title shows the mark until the song is saved.
#include "ui_fixture.h"

#include "views/property/property_window.h"
#include "views/score/score_editor_window.h"
#include "views/score/score_surface.h"
#include "views/source/source_editor_window.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QtTest>

using namespace pipora;
using namespace pipora::test;

// The ways of changing the song, one per window or command family.
enum class EditPath { ScoreKey, SourceEntry, VolumeClick, EditMenu, FitForSmd };
Q_DECLARE_METATYPE(EditPath)

class tst_dirty_mark : public QObject {
  Q_OBJECT

  // A two-note song, shown in both editors and clean, as after Open.
  void load(Editor &e, int secondNote) {
    AppendNote(e.song, 1, 60, "4");
    AppendNote(e.song, 1, secondNote, "4");
    BuildScoreList(e.song);
    e.frame->refreshViews();
    e.session.setDirty(false);
  }
  // The source editor's list shows part 1 as the song now holds it, without a click there.
  void listFollows(Editor &e) {
    QListWidget *list = e.frame->sourceEditor()->noteList();
    const Part &part = e.song.part(1);
    QTRY_COMPARE(list->count(), part.scoreHeader.count + 1);
    QCOMPARE(part.count, part.scoreHeader.count);
    // The list follows once the event loop has run, as after any key.
    for (int i = 0; i < part.count; ++i)
      QTRY_COMPARE(list->item(i)->text(),
                   SourceEditorWindow::lineText(e.song, part.notes[static_cast<std::size_t>(i)]));
  }
  void activateScore(Editor &e) {
    e.frame->childWindows().focusActiveWindow(WindowId::ScoreEditor);
    QTRY_VERIFY(e.frame->scoreEditor()->windowActive());
  }
  void edit(Editor &e, EditPath path) {
    switch (path) {
    case EditPath::ScoreKey:
      activateScore(e);
      QTest::keyClick(e.frame->scoreEditor()->surface(), Qt::Key_E);
      break;
    case EditPath::SourceEntry: {
      e.frame->showPartInList(1);
      SourceEditorWindow *source = e.frame->sourceEditor();
      QTest::keyClick(source->noteList(), Qt::Key_C);
      QTest::keyClick(source->pitchBox(), Qt::Key_Return);
      QTest::keyClick(source->lengthBox(), Qt::Key_Return);
      break;
    }
    case EditPath::VolumeClick:
      QTest::mouseClick(e.frame->propertyWindow()->bar(2), Qt::LeftButton, Qt::NoModifier,
                        QPoint(3, 3));
      break;
    case EditPath::EditMenu:
      activateScore(e);
      QTest::keyClick(e.frame->scoreEditor()->surface(), Qt::Key_A, Qt::ControlModifier);
      e.frame->action("UpItem")->trigger();
      break;
    case EditPath::FitForSmd:
      e.frame->action("FitForSmdItem")->trigger();
      break;
    }
  }

private slots:
  void initTestCase() { PrepareWindowTests(); }
  void init() { ClearProgramDirectory(); }
  void cleanup() { QVERIFY(VisibleTopLevels().isEmpty()); }

  void anEditMarksTheSongOnce_data();
  void anEditMarksTheSongOnce();
  void savingTakesTheMarkAway();
};

void tst_dirty_mark::anEditMarksTheSongOnce_data() {
  QTest::addColumn<EditPath>("path");
  QTest::addColumn<int>("secondNote"); // 100: beyond what SMD holds
  QTest::newRow("score editor: a typed note") << EditPath::ScoreKey << 62;
  QTest::newRow("source editor: an entered note") << EditPath::SourceEntry << 62;
  QTest::newRow("property window: a volume click") << EditPath::VolumeClick << 62;
  QTest::newRow("edit menu: transpose") << EditPath::EditMenu << 62;
  QTest::newRow("fit for SMD") << EditPath::FitForSmd << 100;
}

void tst_dirty_mark::anEditMarksTheSongOnce() {
  QFETCH(EditPath, path);
  QFETCH(int, secondNote);
  Editor e;
  e.start();
  load(e, secondNote);
  QCOMPARE(e.frame->windowTitle(), QString("PiporaPad"));
  QSignalSpy marks(&e.session, &EditorSession::dirtyChanged);
  edit(e, path);
  QVERIFY(e.session.isDirty());
  QCOMPARE(marks.count(), 1);
  QCOMPARE(marks.first().first().toBool(), true);
  QCOMPARE(e.frame->windowTitle(), QString("*PiporaPad"));
  listFollows(e);
}

void tst_dirty_mark::savingTakesTheMarkAway() {
  Editor e;
  e.start();
  load(e, 62);
  edit(e, EditPath::VolumeClick);
  QCOMPARE(e.frame->windowTitle(), QString("*PiporaPad"));
  QTemporaryDir dir;
  const QString path = dir.filePath("tune.smd");
  e.prompts->saveNames << path;
  e.frame->action("SaveAsItem")->trigger();
  QVERIFY(!e.session.isDirty());
  QCOMPARE(e.frame->windowTitle(), path + " - PiporaPad");
  e.session.setDirty(true); // a change after the save marks the named song
  QCOMPARE(e.frame->windowTitle(), "*" + path + " - PiporaPad");
}

QTEST_MAIN(tst_dirty_mark)
#include "tst_dirty_mark.moc"
