// The list of what an SMD save would refuse, and the Edit menu's fitting for SMD.
#include "ui_fixture.h"

#include "model/save_checks.h"
#include "session/undo_history.h"
#include "views/problems/import_report_window.h"
#include "views/problems/problem_list_window.h"
#include "views/score/score_editor_window.h"
#include "views/source/source_editor_window.h"

#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QListWidget>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace pipora;
using namespace pipora::test;

namespace {

// Part 2: a note above the range at element 2; part 3: a lone pair of eighth triplets.
void FillUnsavableSong(Song &song) {
  AppendNote(song, 1, 60, "4");
  AppendNote(song, 2, 60, "4");
  AppendNote(song, 2, 62, "4");
  AppendNote(song, 2, 100, "8");
  AppendNote(song, 2, 60, "4");
  AppendNote(song, 3, 64, "4");
  AppendNote(song, 3, 60, "83");
  AppendNote(song, 3, 62, "83");
  AppendNote(song, 3, 64, "4");
}

QString Cell(ProblemListWindow *list, int row, int column) {
  auto *tree = list->findChild<QTreeWidget *>("problemList");
  return tree && tree->topLevelItem(row) ? tree->topLevelItem(row)->text(column) : QString();
}

} // namespace

class tst_problem_list : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { PrepareWindowTests(); }
  void init() { ClearProgramDirectory(); }
  void cleanup() { QVERIFY(VisibleTopLevels().isEmpty()); }

  void refusedSaveOpensTheList();
  void rowActivationPutsBothEditorsOnTheNote();
  void listFollowsEdits();
  void fittingIsOneUndoStepAndTheSongSaves();
  void fittingASavableSongChangesNothing();
  void midiImportShowsItsReport();
};

void tst_problem_list::refusedSaveOpensTheList() {
  Editor e;
  e.start();
  FillUnsavableSong(e.song);
  QTemporaryDir dir;
  e.song.fileName = dir.filePath("x.smd").toStdString();
  QVERIFY(!e.frame->problemList()->isVisible());
  e.frame->action("SaveItem")->trigger();
  QCOMPARE(e.prompts->warnings.size(), 1);
  ProblemListWindow *list = e.frame->problemList();
  QVERIFY(list->isVisible());
  QCOMPARE(list->rowCount(), 2);
  QCOMPARE(Cell(list, 0, 0), QString("CH2"));
  QCOMPARE(Cell(list, 0, 1), QString("1:3:0")); // 960 ticks: measure 1, beat 3
  QCOMPARE(Cell(list, 0, 2), QString("E7 8"));
  QCOMPARE(Cell(list, 0, 3), QString("この音符は扱えません。保存に失敗しました。"));
  QCOMPARE(Cell(list, 1, 0), QString("CH3"));
  QCOMPARE(Cell(list, 1, 3),
           QString("3連符は3つセットになっていなければなりません。保存に失敗しました。"));
  // The first row is what the save's own message named.
  QCOMPARE(e.song.currentPart, 2);
  QVERIFY(!QFile::exists(dir.filePath("x.smd")));
}

void tst_problem_list::rowActivationPutsBothEditorsOnTheNote() {
  Editor e;
  e.start();
  FillUnsavableSong(e.song);
  e.frame->showProblems();
  ProblemListWindow *list = e.frame->problemList();
  QCOMPARE(list->rowCount(), 2);
  list->activateRow(1);
  QCOMPARE(e.song.currentPart, 3);
  const SaveProblem second = FindSaveProblems(e.song)[1];
  QCOMPARE(e.song.part(3).cursor, second.element);
  QCOMPARE(e.frame->sourceEditor()->noteList()->currentRow(), second.element);
  QCOMPARE(e.song.part(3).scoreHeader.cursor, second.element);
  QCOMPARE(e.song.part(3).scoreHeader.selStart, second.element);
  QCOMPARE(e.song.part(3).scoreHeader.selLength, 1);
  list->hide();
}

void tst_problem_list::listFollowsEdits() {
  Editor e;
  e.start();
  FillUnsavableSong(e.song);
  e.frame->showProblems();
  ProblemListWindow *list = e.frame->problemList();
  QCOMPARE(list->rowCount(), 2);
  // Mending the note above the range by hand: the list drops its row by itself.
  e.song.part(2).notes[2].noteNumber = 64;
  QTRY_COMPARE(list->rowCount(), 1);
  list->hide();
}

void tst_problem_list::fittingIsOneUndoStepAndTheSongSaves() {
  Editor e;
  e.start();
  FillUnsavableSong(e.song);
  QTemporaryDir dir;
  e.song.fileName = dir.filePath("fitted.smd").toStdString();
  const int before = e.ctx.session.history().undoIndex();
  e.frame->action("FitForSmdItem")->trigger();
  QVERIFY(FindSaveProblems(e.song).empty());
  QCOMPARE(e.ctx.session.history().undoIndex(), before + 1);
  QVERIFY(e.song.dirty);
  // The lone pair became plain lengths on the nearest sixteenths; part 2's note folded.
  QCOMPARE(e.song.part(2).notes[2].noteNumber, 88);
  QCOMPARE(e.song.part(3).notes[1].length, std::string("16"));
  QCOMPARE(e.song.part(3).notes[2].length, std::string("8"));
  e.frame->action("SaveItem")->trigger();
  QVERIFY(e.prompts->warnings.isEmpty());
  QVERIFY(QFile::exists(dir.filePath("fitted.smd")));
  QVERIFY(!e.song.dirty);
}

void tst_problem_list::fittingASavableSongChangesNothing() {
  Editor e;
  e.start();
  AppendNote(e.song, 1, 60, "4");
  const int before = e.ctx.session.history().undoIndex();
  e.frame->action("FitForSmdItem")->trigger();
  QCOMPARE(e.prompts->messages.size(), 1);
  QCOMPARE(e.ctx.session.history().undoIndex(), before);
  QCOMPARE(e.song.part(1).count, 1);
}

void tst_problem_list::midiImportShowsItsReport() {
  Editor e;
  e.start();
  const QString path =
      QStringLiteral(PIPORAPAD_SOURCE_DIR) + "/tests/data/midi-corpus/openmsx/tttheme2.mid";
  e.prompts->openNames << path;
  e.frame->action("OpenMidiItem")->trigger();
  QCOMPARE(e.prompts->warnings, QStringList());
  ImportReportWindow *report = e.frame->importReport();
  QVERIFY(report && report->isVisible());
  QVERIFY(report->summary()->text().contains("notes written"));
  QTreeWidget *list = report->list();
  QVERIFY(list->topLevelItemCount() > 100);
  // A strip per part that has notes, wide enough for the whole song.
  QVERIFY(report->strips()->partCount() >= 2);
  QVERIFY(report->strips()->width() > 1000);

  // Sorted by key, numbers compare as numbers.
  list->sortByColumn(3, Qt::AscendingOrder);
  for (int r = 1; r < list->topLevelItemCount(); ++r)
    QVERIFY(list->topLevelItem(r - 1)->text(3).toInt() <= list->topLevelItem(r)->text(3).toInt());

  // Copy: the header and the selected rows as tab-separated lines.
  list->clearSelection();
  list->topLevelItem(0)->setSelected(true);
  list->topLevelItem(2)->setSelected(true);
  report->copySelection();
  const QStringList lines = QApplication::clipboard()->text().trimmed().split('\n');
  QCOMPARE(lines.size(), 3);
  QCOMPARE(lines[0], QString("パート\t要素\t位置\tキー\t内容"));
  QCOMPARE(lines[1].split('\t').size(), 5);

  // Selecting a late note scrolls the strips to it.
  list->sortByColumn(2, Qt::DescendingOrder);
  list->clearSelection();
  list->topLevelItem(0)->setSelected(true);
  QVERIFY(report->stripArea()->horizontalScrollBar()->value() > 0);

  if (const QByteArray out = qgetenv("PIPORAPAD_SCREENSHOTS"); !out.isEmpty())
    QVERIFY(report->grab().save(QString::fromLocal8Bit(out) + "/import_report.png"));
  report->close();
}

QTEST_MAIN(tst_problem_list)
#include "tst_problem_list.moc"
