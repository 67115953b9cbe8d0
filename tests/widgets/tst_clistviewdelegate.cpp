#include <QListView>
#include <QPainter>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

#include "resources/twresources.h"
#include "widgets/clistviewdelegate.h"

class TestCListViewDelegate : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { initTwResources(); }
    void pressOnButtonEmitsOncePerPress();
    void pressElsewhereEmitsNothing();
    void invalidIndexIsIgnored();
};

namespace {
struct Strip {
    QStandardItemModel model;
    QListView view;
    CListViewDelegate *delegate = new CListViewDelegate(&view);

    Strip()
    {
        for (const char *name : { "alpha", "beta", "gamma" })
            model.appendRow(new QStandardItem(QString::fromLatin1(name)));
        view.setModel(&model);
        view.setItemDelegate(delegate);
        view.resize(300, 200);
        view.show();
    }
    QPoint buttonCentre(int row) const
    {
        const QRect item = view.visualRect(model.index(row, 0));
        return CListViewDelegate::deleteButtonRect(item).center();
    }
};
}

void TestCListViewDelegate::pressOnButtonEmitsOncePerPress()
{
    Strip strip;
    QVERIFY(QTest::qWaitForWindowExposed(&strip.view));
    QSignalSpy spy(strip.delegate, &CListViewDelegate::deleteItem);

    // No hover first: the press alone must count.
    QTest::mousePress(strip.view.viewport(), Qt::LeftButton, {}, strip.buttonCentre(1));
    QTest::mouseRelease(strip.view.viewport(), Qt::LeftButton, {}, strip.buttonCentre(1));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<QModelIndex>().row(), 1);

    QTest::mouseClick(strip.view.viewport(), Qt::LeftButton, {}, strip.buttonCentre(2));
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).value<QModelIndex>().row(), 2);
}

void TestCListViewDelegate::pressElsewhereEmitsNothing()
{
    Strip strip;
    QVERIFY(QTest::qWaitForWindowExposed(&strip.view));
    QSignalSpy spy(strip.delegate, &CListViewDelegate::deleteItem);
    const QRect item = strip.view.visualRect(strip.model.index(0, 0));
    QTest::mouseClick(strip.view.viewport(), Qt::LeftButton, {}, item.topLeft() + QPoint(2, 2));
    QTest::mouseClick(strip.view.viewport(), Qt::LeftButton, {},
        CListViewDelegate::deleteButtonRect(item).bottomRight() + QPoint(2, 2));
    QCOMPARE(spy.count(), 0);
}

void TestCListViewDelegate::invalidIndexIsIgnored()
{
    CListViewDelegate delegate;
    QSignalSpy spy(&delegate, &CListViewDelegate::deleteItem);
    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, 100, 20);
    QMouseEvent press(
        QEvent::MouseButtonPress, QPointF(85, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QStandardItemModel model;
    delegate.editorEvent(&press, &model, option, QModelIndex());
    QCOMPARE(spy.count(), 0);

    // Painting an invalid index must leave the canvas untouched.
    QImage canvas(100, 20, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    option.state |= QStyle::State_MouseOver;
    delegate.paint(&painter, option, QModelIndex());
    painter.end();
    for (int x = 0; x < 100; ++x)
        QCOMPARE(canvas.pixel(x, 5), 0u);
}

QTEST_MAIN(TestCListViewDelegate)
#include "tst_clistviewdelegate.moc"
