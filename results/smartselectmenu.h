#pragma once

#include <QMenu>

#include "results/smartaction.h"

// The smart-select menu: nine entries, each carrying its SmartAction in the
// action's data. The size and resolution entries only make sense for images.
class SmartSelectMenu : public QMenu {
    Q_OBJECT
public:
    explicit SmartSelectMenu(QWidget *parent = nullptr);

    void setImageEntriesVisible(bool visible);
    static SmartAction actionOf(const QAction *action);

signals:
    void actionChosen(SmartAction action);
};
