#include "widgets/colorcode.h"
#include "widgets/indicatorcircle.h"

#include <QGroupBox>
#include <QPainter>
#include <QTest>

namespace {

// The circle as it was drawn before indicators kept finished pictures: straight onto the frame.
class PlainCircle : public QWidget
{
public:
    using QWidget::QWidget;
    quint32 code = 0;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.setBrush(colorFromCode(code));
        painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
};

} // namespace

// An indicator paints its frame's backdrop itself; in the window it must look exactly as a circle on the
// frame.
class TestIndicatorCircle : public QObject
{
    Q_OBJECT

private slots:
    void looksLikeACircleOnItsFrame_data()
    {
        QTest::addColumn<quint32>("first");
        QTest::addColumn<quint32>("then");
        // A new outline colour leaves the frame's own pixels beneath the circle as they were.
        QTest::addColumn<bool>("newOutline");
        QTest::newRow("red") << ColorCode::Red << ColorCode::Red << false;
        QTest::newRow("red, then green") << ColorCode::Red << ColorCode::Green << false;
        QTest::newRow("green, then untouched colour")
            << ColorCode::Green << ColorCode::WindowBackground << false;
        QTest::newRow("red, then a new outline colour") << ColorCode::Red << ColorCode::Red << true;
    }
    void looksLikeACircleOnItsFrame()
    {
        QFETCH(quint32, first);
        QFETCH(quint32, then);
        QFETCH(bool, newOutline);
        QGroupBox frame(QStringLiteral("Экран данных"));
        frame.resize(200, 120);
        IndicatorCircle indicator(first, &frame);
        PlainCircle plain(&frame);
        const QRect above(20, 24, 13, 13), below(20, 64, 13, 13);
        indicator.setGeometry(above);
        plain.setGeometry(below);
        plain.code = then;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        indicator.setBackColor(then);
        if (newOutline) {
            frame.grab();
            QPalette palette = frame.palette();
            palette.setColor(QPalette::WindowText, Qt::blue);
            frame.setPalette(palette);
        }
        QCOMPARE(frame.grab(above).toImage(), frame.grab(below).toImage());
    }
};

QTEST_MAIN(TestIndicatorCircle)
#include "tst_indicatorcircle.moc"
