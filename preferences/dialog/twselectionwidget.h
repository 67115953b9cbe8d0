#pragma once

#include "preferences/dialog/twpreferencespage.h"
#include "preferences/twselectionpreferences.h"

class QButtonGroup;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTableWidgetItem;

// The "Selection" page: automatic selection rules and priority folders,
// edited on a copy of the selection preferences.
class TwSelectionWidget : public TwPreferencesPage {
    Q_OBJECT

public:
    enum Column { PriorityColumn = 0, PathColumn = 1 };

    explicit TwSelectionWidget(QWidget *parent = nullptr);

    const TwSelectionPreferences &preferences() const { return m_preferences; }
    void setPreferences(const TwSelectionPreferences &preferences);
    void refresh();

private slots:
    void on_duplicateHint_valueChanged(bool checked);
    void on_similarHint_valueChanged(bool checked);
    void on_btnAddPrior_clicked();
    void on_btnRemovePrior_clicked();
    void on_tableWidget_itemSelectionChanged();
    void on_tableWidget_itemChanged(QTableWidgetItem *item);

private:
    void buildControls();
    void rebuildTable();
    // A write to a cell that must not count as the user's edit.
    void restoreCell(QTableWidgetItem *item, const QString &folder);

    TwSelectionPreferences m_preferences;
    bool updatingTable = false;

    QRadioButton *rbSelectionNewest = nullptr;
    QRadioButton *rbSelectionOldest = nullptr;
    QRadioButton *rbAutoSelection = nullptr;
    QRadioButton *rbSelectionPriority = nullptr;
    QButtonGroup *m_duplicateGroup = nullptr;
    QTableWidget *tableWidget = nullptr;
    QPushButton *btnAddPrior = nullptr;
    QPushButton *btnRemovePrior = nullptr;
    QLabel *lblTip = nullptr;
    QRadioButton *rbFollowDuplicateRules = nullptr;
    QRadioButton *rbHighResolution = nullptr;
    QRadioButton *rbLowResolution = nullptr;
    QRadioButton *rbHighQuality = nullptr;
    QRadioButton *rbLowQuality = nullptr;
    QButtonGroup *m_similarGroup = nullptr;
};
