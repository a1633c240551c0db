#include "views/problems/rows_text.h"

#include <QStringList>
#include <QTreeWidget>

#include <algorithm>

namespace pipora {
namespace {

QString LineOf(const QTreeWidget &list, const QTreeWidgetItem &row) {
  QStringList cells;
  for (int c = 0; c < list.columnCount(); ++c)
    cells << row.text(c);
  return cells.join('\t');
}

} // namespace

QString RowsAsText(const QTreeWidget &list) {
  QList<QTreeWidgetItem *> rows = list.selectedItems();
  if (rows.isEmpty())
    for (int r = 0; r < list.topLevelItemCount(); ++r)
      rows << list.topLevelItem(r);
  // In the order the list shows them, not the order they were picked.
  std::sort(rows.begin(), rows.end(), [&list](QTreeWidgetItem *a, QTreeWidgetItem *b) {
    return list.indexOfTopLevelItem(a) < list.indexOfTopLevelItem(b);
  });
  QStringList lines{LineOf(list, *list.headerItem())};
  for (const QTreeWidgetItem *row : rows)
    lines << LineOf(list, *row);
  return lines.join('\n') + '\n';
}

} // namespace pipora
