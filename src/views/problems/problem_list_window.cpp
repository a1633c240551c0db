#include "views/problems/problem_list_window.h"

#include "model/save_checks.h"
#include "model/source_line.h"
#include "model/vocabulary.h"
#include "views/problems/rows_text.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>

namespace pipora {
namespace {

constexpr int kFollowMs = 400;

QString NoteText(const NoteEntry &e) {
  const QString pitch = e.noteNumber == 0 ? QStringLiteral("R")
                                          : QString::fromStdString(PitchNameOf(e.noteNumber)) +
                                                QString::number(SourceOctave(e.noteNumber));
  return pitch + " " + QString::fromUtf8(std::string_view(e.length));
}

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
  list_ = new QTreeWidget(this);
  list_->setObjectName("problemList");
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setHeaderLabels({QStringLiteral("パート"), QStringLiteral("位置"), QStringLiteral("音符"),
                          QStringLiteral("内容")});
  list_->header()->setStretchLastSection(true);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  setWidget(list_);
  connect(list_, &QTreeWidget::itemActivated, this, &ProblemListWindow::onItemActivated);

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
  const std::vector<SaveProblem> problems = FindSaveProblems(song_);
  shownFingerprint_ = Fingerprint(problems);
  // After a fitting the row where the mended problem stood holds the next one.
  const int current = currentRow();
  list_->clear();
  QList<QTreeWidgetItem *> rows;
  rows.reserve(static_cast<qsizetype>(problems.size()));
  for (const SaveProblem &p : problems) {
    const Part &part = song_.part(p.part);
    QStringList notes;
    for (int element : ProblemElements(part, p))
      notes << NoteText(part.notes[static_cast<std::size_t>(element)]);
    const std::string_view what = p.listMessage();
    auto *row = new QTreeWidgetItem(
        {QStringLiteral("CH") + QString::number(p.part),
         QString::fromStdString(SourceLocation(p.tick, song_.ticksPerBeat, song_.beatsPerMeasure)),
         notes.join(QStringLiteral("  ")),
         QString::fromUtf8(what.data(), static_cast<qsizetype>(what.size()))});
    row->setData(0, Qt::UserRole, p.part);
    row->setData(1, Qt::UserRole, p.element);
    rows << row;
  }
  list_->addTopLevelItems(rows);
  if (current >= 0 && !rows.isEmpty())
    selectRow(std::min(current, static_cast<int>(rows.size()) - 1));
  fitAction_->setEnabled(!rows.isEmpty());
  copyAction_->setEnabled(!rows.isEmpty());
  setWindowTitle(problems.empty() ? QStringLiteral("保存できない箇所はありません")
                                  : QStringLiteral("保存できない箇所 (%1)").arg(problems.size()));
}

int ProblemListWindow::rowCount() const {
  return list_->topLevelItemCount();
}

void ProblemListWindow::activateRow(int row) {
  if (QTreeWidgetItem *item = list_->topLevelItem(row)) {
    list_->setCurrentItem(item);
    onItemActivated(item);
  }
}

void ProblemListWindow::selectRow(int row) {
  if (QTreeWidgetItem *item = list_->topLevelItem(row)) {
    list_->clearSelection();
    list_->setCurrentItem(item);
    item->setSelected(true);
  }
}

int ProblemListWindow::currentRow() const {
  QTreeWidgetItem *item = list_->currentItem();
  return item ? list_->indexOfTopLevelItem(item) : -1;
}

QString ProblemListWindow::selectedText() const {
  return RowsAsText(*list_);
}

void ProblemListWindow::copySelection() const {
  QApplication::clipboard()->setText(selectedText());
}

void ProblemListWindow::onContextMenu(const QPoint &pos) {
  QTreeWidgetItem *item = list_->itemAt(pos);
  if (item == nullptr)
    return;
  // A right click on a row outside the selection acts on that row alone.
  if (!item->isSelected())
    selectRow(list_->indexOfTopLevelItem(item));
  else
    list_->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
  rowMenu_->popup(list_->viewport()->mapToGlobal(pos));
}

void ProblemListWindow::onFitCurrent() {
  if (QTreeWidgetItem *item = list_->currentItem())
    emit fitRequested(item->data(0, Qt::UserRole).toInt(), item->data(1, Qt::UserRole).toInt());
}

void ProblemListWindow::onItemActivated(QTreeWidgetItem *item) {
  if (item != nullptr)
    emit problemActivated(item->data(0, Qt::UserRole).toInt(), item->data(1, Qt::UserRole).toInt());
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
