#pragma once

#include <QDialog>

class QPushButton;
class QTabWidget;
class TwGeneralWidget;
class TwIgnoreListWidget;
class TwPreferences;
class TwSelectionWidget;

// Edits every setting of the preferences store on three pages. Nothing
// reaches the store until OK; Cancel drops the edits.
class TwPreferencesDialog : public QDialog {
    Q_OBJECT

public:
    explicit TwPreferencesDialog(QWidget *parent = nullptr);

    // The store that loadFromStore() reads and OK writes; the shared store
    // unless another one is set.
    void setStore(TwPreferences *store) { m_store = store; }
    TwPreferences *store() const;

    // Shows the store's current values on the pages; call before each showing.
    void loadFromStore();

    TwGeneralWidget *generalWidget() const { return m_general; }
    TwIgnoreListWidget *ignoreListWidget() const { return m_ignoreList; }
    TwSelectionWidget *selectionWidget() const { return m_selection; }

private slots:
    void on_btnOK_clicked();
    void on_btnCancel_clicked();

private:
    TwPreferences *m_store = nullptr;
    QTabWidget *tabPreference = nullptr;
    TwGeneralWidget *m_general = nullptr;
    TwIgnoreListWidget *m_ignoreList = nullptr;
    TwSelectionWidget *m_selection = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;
};
