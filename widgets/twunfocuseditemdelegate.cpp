#include "widgets/twunfocuseditemdelegate.h"

TwUnfocusedItemDelegate::TwUnfocusedItemDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

void TwUnfocusedItemDelegate::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem shown(option);
    shown.state = paintedState(option.state);
    QStyledItemDelegate::paint(painter, shown, index);
}

QStyle::State TwUnfocusedItemDelegate::paintedState(QStyle::State state)
{
    if (!(state & QStyle::State_Selected))
        state &= ~QStyle::State_HasFocus;
    return state;
}
