#include "results/differingpathdelegate.h"

#include <QApplication>

#include "results/pathdisplay.h"

void DifferingPathDelegate::initStyleOption(
    QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    PathDisplay::Span span;
    span.differStart = index.data(DifferStartRole).toInt();
    span.differEnd = index.data(DifferEndRole).toInt();
    const QStyle *style = option->widget ? option->widget->style() : QApplication::style();
    // The text rectangle is the cell less the style's margins on both sides.
    const int margin
        = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option->widget) + 1;
    const int width = option->rect.width() - 2 * margin;
    option->text = PathDisplay::fitted(
        index.data(Qt::DisplayRole).toString(), span, option->fontMetrics, width);
    // Already fitted: the style must not cut it again somewhere else.
    option->textElideMode = Qt::ElideNone;
}
