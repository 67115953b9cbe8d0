#include "preferences/dialog/twpreferencesdialog.h"

#include <QFont>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "preferences/dialog/twgeneralwidget.h"
#include "preferences/dialog/twignorelistwidget.h"
#include "preferences/dialog/twselectionwidget.h"
#include "preferences/filecachesetting.h"
#include "preferences/twpreferences.h"
#include "update/qnetworkprocess.h"

namespace {

QWidget *makeTab(QWidget *page, const QString &name, QWidget *parent)
{
    auto *tab = new QWidget(parent);
    tab->setObjectName(name);
    auto *layout = new QHBoxLayout(tab);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(page);
    return tab;
}

} // namespace

TwPreferencesDialog::TwPreferencesDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Preferences"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(500, 650);
    setFont(TwPreferencesPage::pageFont());
    setStyleSheet(QStringLiteral(
        "TwPreferencesDialog{background:#f4f6f9;}"
        "QTabWidget::pane{border:1px solid #d8dde3;border-radius:6px;background:#ffffff;top:-1px;}"
        "QTabBar::tab{background:transparent;color:#5b6773;padding:7px 18px;margin-right:2px;"
        "border:none;border-bottom:2px solid transparent;}"
        "QTabBar::tab:hover{color:#3b99fc;}"
        "QTabBar::tab:selected{color:#3b99fc;border-bottom:2px solid #3b99fc;}"));

    m_general = new TwGeneralWidget(this);
    m_ignoreList = new TwIgnoreListWidget(this);
    m_selection = new TwSelectionWidget(this);

    tabPreference = new QTabWidget(this);
    tabPreference->setObjectName(QStringLiteral("tabPreference"));
    tabPreference->setDocumentMode(false);
    tabPreference->addTab(
        makeTab(m_general, QStringLiteral("tabGeneral"), tabPreference), tr("General"));
    tabPreference->addTab(
        makeTab(m_ignoreList, QStringLiteral("tabIgnoreList"), tabPreference), tr("Ignore List"));
    tabPreference->addTab(
        makeTab(m_selection, QStringLiteral("tabSelection"), tabPreference), tr("Selection"));
    tabPreference->setCurrentIndex(0);

    btnOK = new QPushButton(tr("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(tr("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    TwPreferencesPage::stylePrimaryButton(btnOK);
    TwPreferencesPage::styleSecondaryButton(btnCancel);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->addWidget(tabPreference, 1);
    layout->addLayout(buttons);

    connect(btnOK, &QPushButton::clicked, this, &TwPreferencesDialog::on_btnOK_clicked);
    connect(btnCancel, &QPushButton::clicked, this, &TwPreferencesDialog::on_btnCancel_clicked);
}

TwPreferences *TwPreferencesDialog::store() const
{
    return m_store ? m_store : TwPreferences::instance();
}

void TwPreferencesDialog::loadFromStore()
{
    TwPreferences *preferences = store();
    m_general->setPreferences(*preferences->general());
    m_ignoreList->setPreferences(*preferences->ignoreList());
    m_selection->setPreferences(*preferences->selection());
    m_general->setCheckUpdatesAtStart(QNetWorkProcess::checkAtStart());
    m_general->setSimilarMethod(SimilarMethodSetting::load());
    m_general->setCacheEnabled(FileCacheSetting::enabled());
}

void TwPreferencesDialog::on_btnOK_clicked()
{
    if (!m_general->validate())
        return;
    TwPreferences *preferences = store();
    preferences->setGeneral(m_general->preferences());
    preferences->setIgnoreList(m_ignoreList->preferences());
    preferences->setSelection(m_selection->preferences());
    // A failed write is logged by the store; the settings stay in effect.
    preferences->save();
    QNetWorkProcess::setCheckAtStart(m_general->checkUpdatesAtStart());
    SimilarMethodSetting::save(m_general->similarMethod());
    FileCacheSetting::setEnabled(m_general->cacheEnabled());
    accept();
}

void TwPreferencesDialog::on_btnCancel_clicked()
{
    reject();
}
