#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include "widgets/crotatelabel.h"

// A picture whose rotation is visible: one red quarter in the top-left corner.
static QPixmap markedPicture(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.fillRect(0, 0, size / 2, size / 2, Qt::red);
    return QPixmap::fromImage(image);
}

class TestCRotateLabel : public QObject {
    Q_OBJECT
private slots:
    void ticksOnlyWhileShown();
    void angleWrapsAfterOneTurn();
    void paintsOnlyWhileRotating();
};

void TestCRotateLabel::ticksOnlyWhileShown()
{
    CRotateLabel label;
    QTimer *timer = label.rotationTimer();
    QVERIFY(!timer->isActive());
    QSignalSpy ticks(timer, &QTimer::timeout);

    label.show();
    QVERIFY(timer->isActive());
    QVERIFY(ticks.wait(5000));
    const double shownAngle = label.angle();
    QVERIFY(shownAngle > 0);

    // The timer runs while shown whether or not the label rotates.
    QVERIFY(!label.isRotating());

    label.hide();
    QVERIFY(!timer->isActive());
    const double hiddenAngle = label.angle();
    QTest::qWait(100);
    QCOMPARE(label.angle(), hiddenAngle);

    // Shown again, it carries on from where it stopped.
    ticks.clear();
    label.show();
    QVERIFY(ticks.wait(5000));
    QVERIFY(label.angle() > hiddenAngle || label.angle() < 8.0 + 1e-9);
}

void TestCRotateLabel::angleWrapsAfterOneTurn()
{
    CRotateLabel label;
    QTimer *timer = label.rotationTimer();
    QList<double> angles;
    connect(timer, &QTimer::timeout, &label, [&] { angles << label.angle(); });
    // Drive 50 ticks by hand: one turn is 45 ticks of 8 degrees.
    for (int i = 0; i < 50; ++i)
        QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
    QCOMPARE(angles.size(), 50);
    QCOMPARE(angles.at(0), 8.0);
    QCOMPARE(angles.at(43), 352.0);
    QCOMPARE(angles.at(44), 0.0); // 360 wraps to 0
    QCOMPARE(angles.at(45), 8.0);
    for (double a : angles)
        QVERIFY(a >= 0 && a < 360);
}

void TestCRotateLabel::paintsOnlyWhileRotating()
{
    CRotateLabel label;
    label.resize(40, 40);
    label.setPixmap(markedPicture(40));
    label.setStyleSheet("background:transparent;");

    auto render = [&label] {
        QImage out(40, 40, QImage::Format_ARGB32);
        out.fill(Qt::transparent);
        label.render(&out, QPoint(), QRegion(), QWidget::RenderFlags());
        return out;
    };

    QImage idle = render();
    QCOMPARE(qAlpha(idle.pixel(5, 5)), 0);

    label.startRotation();
    QImage upright = render();
    QCOMPARE(QColor(upright.pixel(5, 5)), QColor(Qt::red));
    QCOMPARE(QColor(upright.pixel(34, 34)), QColor(Qt::white));

    // Half a turn later the marked quarter sits bottom-right.
    QTimer *timer = label.rotationTimer();
    for (int i = 0; i < 22; ++i) // 176 degrees
        QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
    QImage turned = render();
    QCOMPARE(QColor(turned.pixel(34, 34)).red(), 255);
    QVERIFY(QColor(turned.pixel(34, 34)).green() < 80);
    QVERIFY(QColor(turned.pixel(5, 5)).green() > 200);

    label.stopRotation();
    QImage stopped = render();
    QCOMPARE(qAlpha(stopped.pixel(34, 34)), 0);
}

QTEST_MAIN(TestCRotateLabel)
#include "tst_crotatelabel.moc"
