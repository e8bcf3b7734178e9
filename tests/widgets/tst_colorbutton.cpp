#include "widgets/colorbutton.h"
#include "widgets/colorcode.h"

#include <QTest>

// The bright green button of a pair reports itself checked, and looks and acts as it did before it could.
class TestColorButton : public QObject
{
    Q_OBJECT

private slots:
    void checkedFollowsTheGreenColour()
    {
        ColorButton button(QStringLiteral("DTR Dis"), ColorCode::BrightGreen);
        QVERIFY(button.isChecked());
        button.setBackColor(ColorCode::ButtonFace);
        QVERIFY(!button.isChecked());
        button.setBackColor(ColorCode::BrightGreen);
        QVERIFY(button.isChecked());
    }

    void aPressLeavesTheStateToTheColour_data()
    {
        QTest::addColumn<quint32>("color");
        QTest::newRow("active button") << ColorCode::BrightGreen;
        QTest::newRow("inactive button") << ColorCode::ButtonFace;
    }
    void aPressLeavesTheStateToTheColour()
    {
        QFETCH(quint32, color);
        ColorButton button(QStringLiteral("DTR Enb"), color);
        button.resize(57, 25);
        button.show();
        int clicks = 0;
        connect(&button, &QPushButton::clicked, &button, [&] { ++clicks; });
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::keyClick(&button, Qt::Key_Space);
        // What a screen reader's "toggle" action calls.
        button.toggle();
        QCOMPARE(clicks, 3);
        QCOMPARE(button.isChecked(), color == ColorCode::BrightGreen);
    }

    void beingCheckedChangesNoPixel()
    {
        ColorButton button(QStringLiteral("Bit"), ColorCode::BrightGreen);
        button.resize(57, 25);
        const QImage checked = button.grab().toImage();
        button.setChecked(false);
        QCOMPARE(button.grab().toImage(), checked);
    }
};

QTEST_MAIN(TestColorButton)
#include "tst_colorbutton.moc"
