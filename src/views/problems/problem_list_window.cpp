#include "views/problems/problem_list_window.h"

#include "model/save_checks.h"
#include "views/problems/report_table_view.h"
#include "views/problems/report_tables.h"
#include "views/problems/rows_text.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QMenu>
#include <QTableView>
#include <QTimer>

#include <algorithm>

namespace pipora {
namespace {

constexpr int kFollowMs = 400;

// Changes whenever a problem appears, goes or moves.
std::size_t Fingerprint(const std::vector<SaveProblem> &problems) {
  std::size_t h = problems.size();
  for (const SaveProblem &p : problems)
    h = h * 1000003u ^ (static_cast<std::size_t>(p.part) << 40) ^
        (static_cast<std::size_t>(p.element) << 8) ^ static_cast<std::size_t>(p.kind) ^
        static_cast<std::size_t>(static_cast<std::uint32_t>(p.tick)) << 20 ^
        static_cast<std::size_t>(p.noteNumber);
  return h;
}

} // namespace

ProblemListWindow::ProblemListWindow(const Song &song, QWidget *parent)
    : QDockWidget(QStringLiteral("保存できない箇所"), parent), song_(song) {
  setObjectName("ProblemListWindow");
  problems_ = new SaveProblemsModel(song_, this);
  list_ = MakeReportTableView(QStringLiteral("problemList"), this);
  list_->setModel(problems_);
  setWidget(list_);
  connect(list_, &QTableView::activated, this, &ProblemListWindow::onRowActivated);

  rowMenu_ = new QMenu(this);
  rowMenu_->setObjectName("problemMenu");
  fitAction_ = rowMenu_->addAction(QStringLiteral("SMDに合わせる(&M)"));
  fitAction_->setObjectName("FitProblemItem");
  connect(fitAction_, &QAction::triggered, this, &ProblemListWindow::onFitCurrent);
  copyAction_ = rowMenu_->addAction(QStringLiteral("コピー(&C)"));
  copyAction_->setObjectName("CopyProblemsItem");
  copyAction_->setShortcut(QKeySequence::Copy);
  copyAction_->setShortcutContext(Qt::WidgetShortcut);
  list_->addAction(copyAction_);
  connect(copyAction_, &QAction::triggered, this, &ProblemListWindow::copySelection);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list_, &QWidget::customContextMenuRequested, this, &ProblemListWindow::onContextMenu);

  followTimer_ = new QTimer(this);
  followTimer_->setInterval(kFollowMs);
  connect(followTimer_, &QTimer::timeout, this, [this] {
    if (Fingerprint(FindSaveProblems(song_)) != shownFingerprint_)
      refresh();
  });
}

void ProblemListWindow::refresh() {
  std::vector<SaveProblem> problems = FindSaveProblems(song_);
  shownFingerprint_ = Fingerprint(problems);
  // After a fitting the row where the mended problem stood holds the next one.
  const int current = currentRow();
  const auto count = static_cast<int>(problems.size());
  problems_->setProblems(std::move(problems));
  if (current >= 0 && count > 0)
    selectRow(std::min(current, count - 1));
  fitAction_->setEnabled(count > 0);
  copyAction_->setEnabled(count > 0);
  setWindowTitle(count == 0 ? QStringLiteral("保存できない箇所はありません")
                            : QStringLiteral("保存できない箇所 (%1)").arg(count));
}

int ProblemListWindow::rowCount() const {
  return problems_->rowCount();
}

void ProblemListWindow::activateRow(int row) {
  const QModelIndex index = problems_->index(row, 0);
  if (index.isValid()) {
    list_->setCurrentIndex(index);
    onRowActivated(index);
  }
}

void ProblemListWindow::selectRow(int row) {
  const QModelIndex index = problems_->index(row, 0);
  if (index.isValid())
    list_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                        QItemSelectionModel::Rows);
}

int ProblemListWindow::currentRow() const {
  const QModelIndex index = list_->currentIndex();
  return index.isValid() ? index.row() : -1;
}

QString ProblemListWindow::selectedText() const {
  return RowsAsText(*list_);
}

void ProblemListWindow::copySelection() const {
  QApplication::clipboard()->setText(selectedText());
}

void ProblemListWindow::onContextMenu(const QPoint &pos) {
  const QModelIndex index = list_->indexAt(pos);
  if (!index.isValid())
    return;
  // A right click on a row outside the selection acts on that row alone.
  if (!list_->selectionModel()->isRowSelected(index.row(), {}))
    selectRow(index.row());
  else
    list_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
  rowMenu_->popup(list_->viewport()->mapToGlobal(pos));
}

void ProblemListWindow::onFitCurrent() {
  if (const int row = currentRow(); row >= 0) {
    const SaveProblem &p = problems_->problem(row);
    emit fitRequested(p.part, p.element);
  }
}

void ProblemListWindow::onRowActivated(const QModelIndex &index) {
  if (index.isValid()) {
    const SaveProblem &p = problems_->problem(index.row());
    emit problemActivated(p.part, p.element);
  }
}

void ProblemListWindow::showEvent(QShowEvent *event) {
  QDockWidget::showEvent(event);
  refresh();
  followTimer_->start();
}

void ProblemListWindow::hideEvent(QHideEvent *event) {
  followTimer_->stop();
  QDockWidget::hideEvent(event);
}

} // namespace pipora
