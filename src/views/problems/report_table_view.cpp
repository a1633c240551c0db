#include "views/problems/report_table_view.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTableView>

namespace pipora {

QTableView *MakeReportTableView(const QString &objectName, QWidget *parent) {
  auto *list = new QTableView(parent);
  list->setObjectName(objectName);
  list->setShowGrid(false);
  list->setWordWrap(false);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->horizontalHeader()->setStretchLastSection(true);
  list->horizontalHeader()->setHighlightSections(false);
  list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  // Every row one line high, never measured row by row.
  QHeaderView *rows = list->verticalHeader();
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(list->fontMetrics().height() + 4);
  return list;
}

} // namespace pipora
