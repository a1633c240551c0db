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
#include <QItemSelectionModel>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
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
  auto *tree = list->findChild<QTableView *>("problemList");
  return tree ? tree->model()->index(row, column).data().toString() : QString();
}

// What the report list shows in `row`, `column`: its text, or its sort value with UserRole.
QVariant At(QTableView *list, int row, int column, int role = Qt::DisplayRole) {
  return list->model()->index(row, column).data(role);
}

void SelectRow(QTableView *list, int row) {
  list->selectionModel()->select(list->model()->index(row, 0),
                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
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
  void rowMenuFitsOnlyThatProblemAsOneUndoStep();
  void rowMenuCopiesTheSelectedRows();
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
  QCOMPARE(Cell(list, 0, 3), QString("この音符は扱えません。")); // nothing was saved
  QCOMPARE(Cell(list, 1, 0), QString("CH3"));
  QCOMPARE(Cell(list, 1, 2), QString("C4 83  D4 83  E4 4")); // the group, up to its failing note
  QCOMPARE(Cell(list, 1, 3), QString("3連符は3つセットになっていなければなりません。"));
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
  // The song has no file of its own yet: Save asks where, its name proposed.
  e.prompts->saveNames << dir.filePath("fitted.smd");
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

void tst_problem_list::rowMenuFitsOnlyThatProblemAsOneUndoStep() {
  Editor e;
  e.start();
  FillUnsavableSong(e.song);
  e.frame->showProblems();
  ProblemListWindow *list = e.frame->problemList();
  QCOMPARE(list->rowCount(), 2);

  // A right click on the second row (part 3's lone pair) makes it the row the menu acts on.
  auto *tree = list->findChild<QTableView *>("problemList");
  const QPoint onRow = tree->visualRect(tree->model()->index(1, 0)).center();
  emit tree->customContextMenuRequested(onRow);
  QMenu *menu = list->rowMenu();
  QTRY_VERIFY(menu->isVisible());
  QCOMPARE(list->currentRow(), 1);
  QCOMPARE(menu->actions().first()->text(), QString("SMDに合わせる(&M)"));
  menu->actions().first()->trigger();
  menu->hide();

  // Part 3's pair became plain; part 2's note above the range is as it was.
  QCOMPARE(e.song.part(3).notes[1].length, std::string("16"));
  QCOMPARE(e.song.part(3).notes[2].length, std::string("8"));
  QCOMPARE(e.song.part(2).notes[2].noteNumber, 100);
  QVERIFY(e.song.dirty);
  QCOMPARE(list->rowCount(), 1);
  QCOMPARE(Cell(list, 0, 0), QString("CH2"));

  // One undo brings the pair and its row back, though the song still cannot be saved (and
  // so took no snapshot).
  QVERIFY(e.ctx.session.undo().ok());
  QCOMPARE(e.song.part(3).notes[1].length, std::string("83"));
  QCOMPARE(e.song.part(3).notes[2].length, std::string("83"));
  QTRY_COMPARE(list->rowCount(), 2);
  list->hide();
}

void tst_problem_list::rowMenuCopiesTheSelectedRows() {
  Editor e;
  e.start();
  FillUnsavableSong(e.song);
  e.frame->showProblems();
  ProblemListWindow *list = e.frame->problemList();
  list->selectRow(1);
  list->copyAction()->trigger();
  const QStringList lines = QApplication::clipboard()->text().trimmed().split('\n');
  QCOMPARE(lines.size(), 2);
  QCOMPARE(lines[0], QString("パート\t位置\t音符\t内容"));
  QVERIFY(lines[1].startsWith("CH3\t"));
  // Without a selection: every row.
  list->findChild<QTableView *>("problemList")->clearSelection();
  list->copyAction()->trigger();
  QCOMPARE(QApplication::clipboard()->text().trimmed().split('\n').size(), 3);
  list->hide();
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
  QVERIFY(report->summary()->text().contains("音を書き込み"));
  QVERIFY(report->summary()->text().contains("テンポ「"));
  QTableView *list = report->list();
  const int count = list->model()->rowCount();
  QVERIFY(count > 100);
  // By part, then position, until the user sorts.
  for (int r = 1; r < count; ++r)
    QVERIFY(At(list, r - 1, 0, Qt::UserRole).toInt() <= At(list, r, 0, Qt::UserRole).toInt());
  // A strip per part that has notes, wide enough for the whole song.
  QVERIFY(report->strips()->partCount() >= 2);
  QVERIFY(report->strips()->width() > 1000);

  // Sorted by key, numbers compare as numbers.
  list->sortByColumn(3, Qt::AscendingOrder);
  for (int r = 1; r < count; ++r)
    QVERIFY(At(list, r - 1, 3).toString().toInt() <= At(list, r, 3).toString().toInt());

  // Copy: the header and the selected rows as tab-separated lines.
  list->clearSelection();
  SelectRow(list, 0);
  SelectRow(list, 2);
  report->copySelection();
  const QStringList lines = QApplication::clipboard()->text().trimmed().split('\n');
  QCOMPARE(lines.size(), 3);
  QCOMPARE(lines[0], QString("パート\t要素\t位置\tキー\t内容"));
  QCOMPARE(lines[1].split('\t').size(), 5);
  QCOMPARE(lines[2], QStringList({At(list, 2, 0).toString(), At(list, 2, 1).toString(),
                                  At(list, 2, 2).toString(), At(list, 2, 3).toString(),
                                  At(list, 2, 4).toString()})
                         .join('\t'));

  // Selecting a late note scrolls the strips to it.
  list->sortByColumn(2, Qt::DescendingOrder);
  list->clearSelection();
  SelectRow(list, 0);
  QVERIFY(report->stripArea()->horizontalScrollBar()->value() > 0);
  QCOMPARE(report->strips()->marker(), At(list, 0, 2, Qt::UserRole).toLongLong());

  // Scrolling the list in time order takes the strips along to its top row.
  report->resize(900, 560);
  QApplication::processEvents();
  list->sortByColumn(2, Qt::AscendingOrder);
  list->clearSelection();
  QScrollBar *rows = list->verticalScrollBar();
  QScrollBar *strip = report->stripArea()->horizontalScrollBar();
  rows->setValue(rows->maximum());
  const int atEnd = strip->value();
  QVERIFY(atEnd > 0);
  QCOMPARE(report->strips()->marker(),
           list->indexAt(QPoint(0, 0)).siblingAtColumn(2).data(Qt::UserRole).toLongLong());
  rows->setValue(rows->maximum() / 2);
  QVERIFY(strip->value() < atEnd);
  rows->setValue(0);
  QCOMPARE(strip->value(), 0);

  // With PIPORAPAD_SCREENSHOTS=DIR: the report, and the frame with the list of what the
  // imported song still cannot save.
  if (const QString out = qEnvironmentVariable("PIPORAPAD_SCREENSHOTS"); !out.isEmpty()) {
    QVERIFY(report->grab().save(out + "/import_report.png"));
    e.frame->showProblems();
    QVERIFY(e.frame->problemList()->rowCount() > 0);
    e.frame->problemList()->selectRow(1);
    QApplication::processEvents();
    QVERIFY(e.frame->problemList()->grab().save(out + "/problem_list.png"));
    QVERIFY(e.frame->grab().save(out + "/frame_with_problems.png"));
    e.frame->problemList()->hide();
  }
  report->close();
}

QTEST_MAIN(tst_problem_list)
#include "tst_problem_list.moc"
