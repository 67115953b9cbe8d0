#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include "widgets/flatui.h"

class TestFlatUI : public QObject {
    Q_OBJECT
private slots:
    void singleInstanceAndRecreation();
    void buttonShapes_data();
    void buttonShapes();
    void buttonStyleReplacesPreviousSheet();
    void unknownShapeGivesEmptySheet();
    void lineEditAndComboBox();
    void sliderArithmetic_data();
    void sliderArithmetic();
};

void TestFlatUI::singleInstanceAndRecreation()
{
    FlatUI *first = FlatUI::instance();
    QVERIFY(first);
    QCOMPARE(FlatUI::instance(), first);
    QPointer<FlatUI> guard(first);
    FlatUI::destroyInstance();
    QVERIFY(guard.isNull());
    FlatUI *second = FlatUI::instance();
    QVERIFY(second);
    QCOMPARE(FlatUI::instance(), second);
    FlatUI::destroyInstance();
    FlatUI::destroyInstance(); // a second release is harmless
}

void TestFlatUI::buttonShapes_data()
{
    QTest::addColumn<int>("shape");
    QTest::addColumn<QString>("expected");
    const QString tail
        = QStringLiteral("QPushButton:hover{color:#h2;background:#h1;border-color:#h3}"
                         "QPushButton:pressed{color:#p2;background:#p1;border-color:#p3}"
                         "QPushButton:checked{color:#p2;background:#p1;border-color:#p3}");
    QTest::newRow("rounded")
        << int(FlatUI::Rounded)
        << QStringLiteral("QPushButton{border-style:solid ;border-width:1px;border-color:#n3;"
                          "padding:7px;border-radius:4px;color:#n2;background:#n1;}")
            + tail
            + QStringLiteral("QPushButton:disabled{color:#n2;background:#b2b2b2;"
                             "border-color:#b2b2b2}");
    QTest::newRow("left")
        << int(FlatUI::LeftRounded)
        << QStringLiteral("QPushButton{border-style:solid ;border-width:1px;border-color:#n3;"
                          "padding:7px;border-top-left-radius:4px;border-bottom-left-radius:"
                          "4px;color:#n2;background:#n1;}")
            + tail;
    QTest::newRow("square") << int(FlatUI::Square)
                            << QStringLiteral("QPushButton{border-style:solid ;border-width:1px;"
                                              "border-color:#n3;padding:7px;color:#n2;background:"
                                              "#n1;}")
            + tail;
    QTest::newRow("right")
        << int(FlatUI::RightRounded)
        << QStringLiteral("QPushButton{border-style:solid ;border-width:1px;border-color:#n3;"
                          "padding:7px;border-top-right-radius:4px;border-bottom-right-radius:"
                          "4px;color:#n2;background:#n1;}")
            + tail;
}

void TestFlatUI::buttonShapes()
{
    QFETCH(int, shape);
    QFETCH(QString, expected);
    QPushButton button;
    FlatUI::instance()->applyButtonStyle(
        &button, 4, 7, "#n1", "#n2", "#n3", "#h1", "#h2", "#h3", "#p1", "#p2", "#p3", shape);
    QCOMPARE(button.styleSheet(), expected);
    // Only a free-standing button says anything about radius when it is square.
    if (shape == FlatUI::Square)
        QVERIFY(!expected.contains("radius"));
    FlatUI::destroyInstance();
}

void TestFlatUI::buttonStyleReplacesPreviousSheet()
{
    QPushButton button;
    button.setStyleSheet("QPushButton{color:red;}");
    FlatUI::instance()->applyButtonStyle(
        &button, 2, 3, "a", "b", "c", "d", "e", "f", "g", "h", "i", FlatUI::Square);
    QVERIFY(!button.styleSheet().contains("red"));
    QVERIFY(button.styleSheet().startsWith("QPushButton{border-style:solid"));
    FlatUI::destroyInstance();
}

void TestFlatUI::unknownShapeGivesEmptySheet()
{
    QPushButton button;
    button.setStyleSheet("QPushButton{color:red;}");
    FlatUI::instance()->applyButtonStyle(
        &button, 2, 3, "a", "b", "c", "d", "e", "f", "g", "h", "i", 4);
    QCOMPARE(button.styleSheet(), QString());
    FlatUI::instance()->applyButtonStyle(
        &button, 2, 3, "a", "b", "c", "d", "e", "f", "g", "h", "i", -1);
    QCOMPARE(button.styleSheet(), QString());
    FlatUI::destroyInstance();
}

void TestFlatUI::lineEditAndComboBox()
{
    QLineEdit edit;
    FlatUI::instance()->applyLineEditStyle(&edit, 5, 2, "#DCE4EC", "#3b99fc");
    QCOMPARE(edit.styleSheet(),
        QStringLiteral("QLineEdit{border-style:none;padding:3px;border-radius:5px;border:2px "
                       "solid #DCE4EC;}QLineEdit:focus{border:2px solid #3b99fc;}"));

    QComboBox combo;
    FlatUI::instance()->applyComboBoxStyle(&combo, 3, 1, "#DCE4EC", "#3b99fc");
    QCOMPARE(combo.styleSheet(),
        QStringLiteral(
            "QComboBox{border-style:none;padding:3px;border-radius:3px;border:1px solid "
            "#DCE4EC;}QComboBox:focus{border:1px solid #3b99fc;}"
            "QComboBox::drop-down { subcontrol-origin: padding; subcontrol-position: top "
            "right; width: 20px; border-left-width: 0px; border-left-color: darkgray; "
            "border-left-style: solid;  border-top-right-radius: 5px; "
            "border-bottom-right-radius: 5px;}"
            "QComboBox::down-arrow { image: url(:/resource/down_arrow);}"));
    FlatUI::destroyInstance();
}

void TestFlatUI::sliderArithmetic_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("handle");
    QTest::addColumn<int>("margin");
    QTest::addColumn<int>("radius");
    QTest::addColumn<int>("half");
    QTest::newRow("8") << 8 << 13 << 3 << 6 << 4;
    QTest::newRow("5") << 5 << 8 << 2 << 4 << 2;
    QTest::newRow("11") << 11 << 18 << 4 << 9 << 5;
}

void TestFlatUI::sliderArithmetic()
{
    QFETCH(int, height);
    QFETCH(int, handle);
    QFETCH(int, margin);
    QFETCH(int, radius);
    QFETCH(int, half);
    QSlider slider;
    FlatUI::instance()->applySliderStyle(&slider, height, "#N", "#G", "#H");
    const QString h = QString::number(height);
    const QString r = QString::number(half);
    const QString gradient = QStringLiteral(
        "background:qradialgradient(spread:pad,cx:0.5,cy:0.5,radius:0.5,fx:0.5,fy:0.5,"
        "stop:0.6 #FFFFFF,stop:0.8 #H);}");
    const QString expected = "QSlider::groove:horizontal{background:#N;height:" + h
        + "px;border-radius:" + r + "px;}" + "QSlider::add-page:horizontal{background:#N;height:"
        + h + "px;border-radius:" + r + "px;}"
        + "QSlider::sub-page:horizontal{background:#G;height:" + h + "px;border-radius:" + r
        + "px;}" + "QSlider::handle:horizontal{width:" + QString::number(handle) + "px;margin-top:-"
        + QString::number(margin) + "px;margin-bottom:-" + QString::number(margin)
        + "px;border-radius:" + QString::number(radius) + "px;" + gradient
        + "QSlider::groove:vertical{width:" + h + "px;border-radius:" + r + "px;background:#N;}"
        + "QSlider::add-page:vertical{width:" + h + "px;border-radius:" + r + "px;background:#G;}"
        + "QSlider::sub-page:vertical{width:" + h + "px;border-radius:" + r + "px;background:#N;}"
        + "QSlider::handle:vertical{height:" + QString::number(handle + 1) + "px;margin-left:-"
        + QString::number(margin) + "px;margin-right:-" + QString::number(margin)
        + "px;border-radius:" + QString::number(radius) + "px;" + gradient;
    QCOMPARE(slider.styleSheet(), expected);
    FlatUI::destroyInstance();
}

QTEST_MAIN(TestFlatUI)
#include "tst_flatui.moc"
