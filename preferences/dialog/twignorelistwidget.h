#pragma once

#include <functional>

#include <QStringList>

#include "preferences/dialog/twpreferencespage.h"
#include "preferences/twignorelistpreferences.h"

class QCheckBox;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// The "Ignore List" page: paths, extensions and hidden entries a scan skips,
// edited on a copy of the ignore-list preferences.
class TwIgnoreListWidget : public TwPreferencesPage {
    Q_OBJECT

public:
    // Returns the chosen files and folders; empty when cancelled.
    using PathsPicker = std::function<QStringList(QWidget *parent)>;

    explicit TwIgnoreListWidget(QWidget *parent = nullptr);

    const TwIgnoreListPreferences &preferences() const { return m_preferences; }
    void setPreferences(const TwIgnoreListPreferences &preferences);
    void refresh();

    // An empty function restores the file dialog.
    void setPathsPicker(PathsPicker picker);

private slots:
    void on_btnAddIgnore_clicked();
    void on_btnRemoveIgnore_clicked();
    void on_btnClear_clicked();
    void on_lwIgnoreList_itemSelectionChanged();
    void on_pxtFileTypes_textChanged();
    void on_chkIgnoreSystemHidden_stateChanged(int state);

private:
    QStringList choosePaths();

    TwIgnoreListPreferences m_preferences;
    PathsPicker m_pathsPicker;

    QListWidget *lwIgnoreList = nullptr;
    QPushButton *btnAddIgnore = nullptr;
    QPushButton *btnRemoveIgnore = nullptr;
    QPushButton *btnClear = nullptr;
    QPlainTextEdit *pxtFileTypes = nullptr;
    QCheckBox *chkIgnoreSystemHidden = nullptr;
};
