#pragma once

#include <QPixmap>
#include <QStyledItemDelegate>

// Draws each row without a focus frame and, on the hovered row, a small
// delete button at its right end; a press on that button reports the row.
class CListViewDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit CListViewDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;
    // Where the delete button of a row with the rectangle @p itemRect sits.
    static QRect deleteButtonRect(const QRect &itemRect);

    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
        const QModelIndex &index) override;

signals:
    void deleteItem(const QModelIndex &index);

private:
    QPixmap m_deletePixmap;
};
