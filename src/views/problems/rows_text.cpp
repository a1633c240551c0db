#include "views/problems/rows_text.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace pipora {

QString RowsAsText(const QAbstractItemView &list) {
  const QAbstractItemModel *model = list.model();
  if (model == nullptr)
    return {};
  const int columns = model->columnCount();
  std::vector<int> rows;
  if (const QItemSelectionModel *selection = list.selectionModel())
    for (const QModelIndex &index : selection->selectedRows())
      rows.push_back(index.row());
  if (rows.empty())
    for (int r = 0; r < model->rowCount(); ++r)
      rows.push_back(r);
  // In the order the list shows them, not the order they were picked.
  std::sort(rows.begin(), rows.end());
  QStringList cells;
  for (int c = 0; c < columns; ++c)
    cells << model->headerData(c, Qt::Horizontal).toString();
  QStringList lines{cells.join('\t')};
  for (int r : rows) {
    cells.clear();
    for (int c = 0; c < columns; ++c)
      cells << model->index(r, c).data().toString();
    lines << cells.join('\t');
  }
  return lines.join('\n') + '\n';
}

} // namespace pipora
