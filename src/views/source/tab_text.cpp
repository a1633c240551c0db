#include "views/source/tab_text.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionFrame>
#include <QTextOption>

namespace pipora {
namespace {

void DrawTabbedText(QPainter &painter, const QRectF &rect, const QString &text,
                    const QFontMetrics &metrics) {
  QTextOption option(Qt::AlignLeft | Qt::AlignVCenter);
  option.setTabStopDistance(TabStopDistance(metrics));
  option.setWrapMode(QTextOption::NoWrap);
  painter.drawText(rect, text, option);
}

} // namespace

qreal TabStopDistance(const QFontMetrics &metrics) {
  return metrics.horizontalAdvance(QStringLiteral("00000000"));
}

void TabItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const {
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  const QString text = opt.text;
  opt.text.clear();
  const QWidget *widget = opt.widget;
  QStyle *style = widget ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
  painter->save();
  const bool selected = opt.state & QStyle::State_Selected;
  painter->setPen(
      opt.palette.color(QPalette::Normal, selected ? QPalette::HighlightedText : QPalette::Text));
  painter->setFont(opt.font);
  DrawTabbedText(*painter, QRectF(opt.rect).adjusted(2, 0, 0, 0), text, QFontMetrics(opt.font));
  painter->restore();
}

void TabLineEdit::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  QStyleOptionFrame frame;
  initStyleOption(&frame);
  style()->drawPrimitive(QStyle::PE_PanelLineEdit, &frame, &painter, this);
  const QRect inner = style()->subElementRect(QStyle::SE_LineEditContents, &frame, this);
  painter.setPen(palette().color(QPalette::Text));
  DrawTabbedText(painter, QRectF(inner).adjusted(2, 0, 0, 0), text(), fontMetrics());
}

} // namespace pipora
