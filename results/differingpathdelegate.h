#pragma once

#include <QStyledItemDelegate>

// Paints a path cell so that what tells the row's file from the other rows
// stays readable when the column is narrow (see PathDisplay). The cell's
// display text is the full path; DifferStartRole and DifferEndRole carry its
// span among the rows shown together.
class DifferingPathDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    enum Role { DifferStartRole = Qt::UserRole + 40, DifferEndRole };

    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};
