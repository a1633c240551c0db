#pragma once
// Text with TAB-separated columns, drawn with tab stops every eight digit widths as the
// source editor's list and header show it.
#include <QLineEdit>
#include <QStyledItemDelegate>

namespace pipora {

// Distance between two tab stops for a font: the width of eight zeros.
qreal TabStopDistance(const QFontMetrics &metrics);

class TabItemDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter *painter, const QStyleOptionViewItem &option,
             const QModelIndex &index) const override;
};

// A read-only line whose TABs are drawn as columns.
class TabLineEdit : public QLineEdit {
public:
  using QLineEdit::QLineEdit;

protected:
  void paintEvent(QPaintEvent *event) override;
};

} // namespace pipora
