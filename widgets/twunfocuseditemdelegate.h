#pragma once

#include <QStyledItemDelegate>

// Draws the keyboard focus frame only on a chosen row. A list that receives
// the focus makes its first row current, and the frame alone would make that
// row look chosen although the user has not picked anything.
class TwUnfocusedItemDelegate : public QStyledItemDelegate {
public:
    explicit TwUnfocusedItemDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;

    // The state a row is drawn with: focus is kept only together with selection.
    static QStyle::State paintedState(QStyle::State state);
};
