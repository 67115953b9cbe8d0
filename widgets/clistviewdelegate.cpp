#include "widgets/clistviewdelegate.h"

#include <QMouseEvent>
#include <QPainter>

CListViewDelegate::CListViewDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
    , m_deletePixmap(QStringLiteral(":/resource/btn_clear.png"))
{
}

QRect CListViewDelegate::deleteButtonRect(const QRect &itemRect)
{
    return QRect(itemRect.left() + itemRect.width() - 25, itemRect.top(), 20, 20);
}

void CListViewDelegate::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (!index.isValid())
        return;
    QStyleOptionViewItem plain(option);
    plain.state &= ~QStyle::State_HasFocus;
    QStyledItemDelegate::paint(painter, plain, index);
    if (option.state & QStyle::State_MouseOver)
        painter->drawPixmap(deleteButtonRect(option.rect), m_deletePixmap);
}

bool CListViewDelegate::editorEvent(QEvent *event, QAbstractItemModel *model,
    const QStyleOptionViewItem &option, const QModelIndex &index)
{
    // The press counts even before the hover painted the button.
    if (event->type() == QEvent::MouseButtonPress && index.isValid()) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (deleteButtonRect(option.rect).contains(mouse->pos()))
            emit deleteItem(index);
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}
