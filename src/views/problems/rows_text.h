#pragma once
// The text a report list copies: its header and the selected rows (all rows when none is
// selected), in the order the list shows them, one tab-separated line each.
#include <QString>

class QAbstractItemView;

namespace pipora {

QString RowsAsText(const QAbstractItemView &list);

} // namespace pipora
