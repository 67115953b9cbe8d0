#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <memory>
#include <vector>

#include "engine/twsearchresult.h"
#include "model/removalplan.h"
#include "model/scansettings.h"
#include "model/twfileitem.h"
#include "model/twfileitemgroup.h"
#include "results/removalconfirmdialog.h"
#include "tests/support/temptree.h"
#include "widgets/desktopprompts.h"

namespace {

template <typename T> T *child(QWidget *dialog, const char *name)
{
    T *found = dialog->findChild<T *>(QLatin1String(name));
    if (!found)
        qWarning("no %s", name);
    return found;
}

} // namespace

// The confirmation as the user reads it: figures, default button and what
// ticking "Remove every copy" changes, on groups of real files.
class TestRemovalConfirmDialog : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { DesktopPrompts::setOverride({}); }
    void permanentDeletionAndEveryCopy();
    void methodsSayWhereFilesGo_data();
    void methodsSayWhereFilesGo();

private:
    // `count` copies of `size` bytes in folders of their own; the first
    // `marked` are marked.
    TwFileItemGroup *copies(const QString &name, int count, int size, int marked);

    std::unique_ptr<TempTree> m_tree;
    std::vector<std::unique_ptr<TwFileItemGroup>> m_groups;
};

void TestRemovalConfirmDialog::init()
{
    m_groups.clear();
    m_tree = std::make_unique<TempTree>();
    QVERIFY(m_tree->isValid());
}

TwFileItemGroup *TestRemovalConfirmDialog::copies(
    const QString &name, int count, int size, int marked)
{
    std::unique_ptr<TwFileItemGroup> group;
    for (int i = 0; i < count; ++i) {
        const QString path = m_tree->writeFile(QStringLiteral("%1/f%2/%1.bin").arg(name).arg(i),
            QByteArray(size, name.at(0).toLatin1()));
        auto *item = new TwFileItem(path, true);
        if (!group)
            group = std::make_unique<TwFileItemGroup>(item);
        else
            group->addItem(item);
    }
    group->setName(name);
    const QList<TwFileItem *> items = group->items();
    for (int i = 0; i < marked; ++i) {
        items.at(i)->setChecked(true);
        group->itemCheckedChanged(true, size);
    }
    m_groups.push_back(std::move(group));
    return m_groups.back().get();
}

void TestRemovalConfirmDialog::permanentDeletionAndEveryCopy()
{
    TwFileItemGroup *whole = copies("whole", 3, 1000, 3);
    copies("partial", 3, 2000, 1);
    const RemovalPlan plan({ whole, m_groups.back().get() }, ScanSettings());
    QCOMPARE(plan.wholeGroups().size(), 1);
    const QString keeper = plan.wholeGroups().first().keeperPath;
    QVERIFY(!keeper.isEmpty());

    RemovalConfirmDialog dialog(plan, TwGenernalPreferences::RemovePermanently, QString());
    auto *figures = child<QLabel>(&dialog, "lab_figures");
    auto *lastCopy = child<QLabel>(&dialog, "lab_lastCopy");
    auto *groups = child<QListWidget>(&dialog, "lw_wholeGroups");
    auto *files = child<QListWidget>(&dialog, "lw_files");
    auto *remove = child<QPushButton>(&dialog, "btn_remove");
    auto *cancel = child<QPushButton>(&dialog, "btn_cancel");
    auto *everyCopy = child<QCheckBox>(&dialog, "chk_removeEveryCopy");
    QVERIFY(figures && lastCopy && groups && files && remove && cancel && everyCopy);
    QVERIFY(child<QLabel>(&dialog, "lab_permanent"));

    // Going for good is never what Enter does.
    QCOMPARE(cancel->text(), QStringLiteral("No"));
    QVERIFY(cancel->isDefault());
    QVERIFY(!remove->isDefault());

    // By default one member of the whole group stays.
    QCOMPARE(figures->text(),
        QStringLiteral("3 file(s), %1, from 2 group(s):").arg(TwSearchResult::sizeText(4000)));
    QCOMPARE(remove->text(), QStringLiteral("Delete 3 file(s)"));
    QCOMPARE(files->count(), 3);
    QVERIFY(!dialog.listedFiles().contains(keeper));
    QVERIFY(lastCopy->text().contains(QLatin1String("One file of each group is kept")));
    QVERIFY(groups->item(0)->text().contains(keeper));

    // Ticked, nothing may still claim that a copy stays.
    everyCopy->setChecked(true);
    QVERIFY(dialog.removesEveryCopy());
    QCOMPARE(figures->text(),
        QStringLiteral("4 file(s), %1, from 2 group(s):").arg(TwSearchResult::sizeText(5000)));
    QCOMPARE(remove->text(), QStringLiteral("Delete 4 file(s)"));
    QCOMPARE(files->count(), 4);
    QVERIFY(dialog.listedFiles().contains(keeper));
    QVERIFY(!lastCopy->text().contains(QLatin1String("kept:")));
    QVERIFY(lastCopy->text().contains(QLatin1String("every copy of these files will be removed")));
    QVERIFY(!groups->item(0)->text().contains(keeper));
    QVERIFY(!dialog.summaryText().contains(QLatin1String("One file of each group is kept")));
    QVERIFY(!dialog.summaryText().contains(QLatin1String("keeps")));

    everyCopy->setChecked(false);
    QCOMPARE(files->count(), 3);
    QVERIFY(groups->item(0)->text().contains(keeper));

    // An override is asked the same, with No as its default.
    DesktopPrompts::Request asked;
    DesktopPrompts::setOverride([&asked](const DesktopPrompts::Request &request) {
        asked = request;
        DesktopPrompts::Answer answer;
        answer.button = QMessageBox::Yes;
        answer.removeEveryCopy = true;
        return answer;
    });
    QCOMPARE(RemovalConfirmDialog::ask(
                 nullptr, plan, TwGenernalPreferences::RemovePermanently, QString()),
        RemovalConfirmDialog::RemoveEveryCopy);
    QCOMPARE(asked.kind, DesktopPrompts::Kind::ConfirmRemoval);
    QCOMPARE(asked.defaultButton, QMessageBox::No);
    QCOMPARE(asked.items.size(), 3);
    QVERIFY(asked.text.contains(QLatin1String("cannot be undone")));
}

void TestRemovalConfirmDialog::methodsSayWhereFilesGo_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("says");
    QTest::newRow("trash") << int(TwGenernalPreferences::MoveToTrash) << QString()
                           << "Move 2 file(s) to the trash"
                           << "move to the trash";
    QTest::newRow("folder") << int(TwGenernalPreferences::MoveToFolder) << "/backup/dups"
                            << "Move 2 file(s)"
                            << "/backup/dups. Each file keeps its folders below it";
    QTest::newRow("folder without a target")
        << int(TwGenernalPreferences::MoveToFolder) << QString() << "Move 2 file(s) to the trash"
        << "move to the trash";
}

void TestRemovalConfirmDialog::methodsSayWhereFilesGo()
{
    QFETCH(int, method);
    QFETCH(QString, target);
    QFETCH(QString, button);
    QFETCH(QString, says);
    TwFileItemGroup *group = copies("pair", 3, 500, 2);
    const RemovalPlan plan({ group }, ScanSettings());
    RemovalConfirmDialog dialog(plan, TwGenernalPreferences::TwRemovalMethodFlag(method), target);
    QVERIFY(!dialog.findChild<QCheckBox *>());
    QVERIFY(!dialog.findChild<QLabel *>(QStringLiteral("lab_permanent")));
    auto *remove = child<QPushButton>(&dialog, "btn_remove");
    QVERIFY(remove);
    QCOMPARE(remove->text(), button);
    // What can be undone may be confirmed with Enter.
    QVERIFY(remove->isDefault());
    QVERIFY2(child<QLabel>(&dialog, "lab_method")->text().contains(says),
        qPrintable(child<QLabel>(&dialog, "lab_method")->text()));
}

QTEST_MAIN(TestRemovalConfirmDialog)
#include "tst_removalconfirmdialog.moc"
