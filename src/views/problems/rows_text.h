#pragma once
// The text a report list copies: its header and the selected rows (all rows when none is
// selected), in the order the list shows them, one tab-separated line each.
#include <QString>

class QTreeWidget;

namespace pipora {

QString RowsAsText(const QTreeWidget &list);

} // namespace pipora
