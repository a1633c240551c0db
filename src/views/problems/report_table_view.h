#pragma once
// The look both report lists share: rows without a grid or row numbers, whole rows
// selected, the last column taking the room left. A table view, not a tree: a tree lays out
// every row when shown, and an import report may have a hundred thousand.
#include <QString>

class QTableView;
class QWidget;

namespace pipora {

QTableView *MakeReportTableView(const QString &objectName, QWidget *parent);

} // namespace pipora
