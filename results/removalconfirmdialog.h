#pragma once

#include <QDialog>

#include "model/removalplan.h"
#include "preferences/twgenernalpreferences.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

// The one question before any removal: how, how many files and bytes, from
// how many groups, and which files. Groups marked in full come first; one
// member of each stays unless the user ticks "Remove every copy".
class RemovalConfirmDialog : public QDialog {
    Q_OBJECT
public:
    enum Decision { Declined, RemoveKeepingOneOfEach, RemoveEveryCopy };

    RemovalConfirmDialog(const RemovalPlan &plan, TwGenernalPreferences::TwRemovalMethodFlag method,
        const QString &targetFolder, QWidget *parent = nullptr);

    // Asks through DesktopPrompts (kind ConfirmRemoval, Yes to remove) so an
    // override can answer; otherwise runs the dialog.
    static Decision ask(QWidget *parent, const RemovalPlan &plan,
        TwGenernalPreferences::TwRemovalMethodFlag method, const QString &targetFolder);

    bool removesEveryCopy() const;
    // Everything the dialog says, as plain text, and the files it lists.
    QString summaryText() const;
    QStringList listedFiles() const;

private:
    void buildWholeGroups(class QVBoxLayout *layout);
    void refresh();
    QString methodText() const;
    QString figuresText() const;
    QString wholeGroupsText() const;
    QString lastCopyText() const;
    void refreshWholeGroups();

    const RemovalPlan &m_plan;
    TwGenernalPreferences::TwRemovalMethodFlag m_method;
    QString m_targetFolder;
    QCheckBox *m_everyCopy = nullptr;
    QLabel *m_lastCopy = nullptr;
    QListWidget *m_wholeGroups = nullptr;
    QLabel *m_figures = nullptr;
    QListWidget *m_files = nullptr;
    QPushButton *m_remove = nullptr;
};
