#include "widgets/colorcode.h"
#include "widgets/indicatorcircle.h"

#include <QGroupBox>
#include <QPainter>
#include <QScreen>
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
        // The window loses activation and gets it back, under a style sheet that paints the frames of
        // active and inactive windows unlike.
        QTest::addColumn<bool>("reactivated");
        QTest::newRow("red") << ColorCode::Red << ColorCode::Red << false << false;
        QTest::newRow("red, then green") << ColorCode::Red << ColorCode::Green << false << false;
        QTest::newRow("green, then untouched colour")
            << ColorCode::Green << ColorCode::WindowBackground << false << false;
        QTest::newRow("red, then a new outline colour") << ColorCode::Red << ColorCode::Red << true << false;
        QTest::newRow("red, inactive, then active") << ColorCode::Red << ColorCode::Red << false << true;
    }
    // What reached the screen, not a paint asked for now.
    void looksLikeACircleOnItsFrame()
    {
        QFETCH(quint32, first);
        QFETCH(quint32, then);
        QFETCH(bool, newOutline);
        QFETCH(bool, reactivated);
        QWidget other;
        QGroupBox frame(QStringLiteral("Экран данных"));
        frame.setStyleSheet(
            QStringLiteral("QGroupBox:!active{background:#ffc0c0} QGroupBox:active{background:#c0e0ff}"));
        frame.resize(200, 120);
        IndicatorCircle indicator(first, &frame);
        PlainCircle plain(&frame);
        const QRect above(20, 24, 13, 13), below(20, 64, 13, 13);
        indicator.setGeometry(above);
        plain.setGeometry(below);
        plain.code = then;
        other.show();
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        indicator.setBackColor(then);
        if (newOutline) {
            QCoreApplication::processEvents();
            QPalette palette = frame.palette();
            palette.setColor(QPalette::WindowText, Qt::blue);
            frame.setPalette(palette);
        }
        const auto circlesAlike = [&] {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            const QImage screen = frame.screen()->grabWindow(frame.winId()).toImage();
            return screen.copy(above) == screen.copy(below);
        };
        QVERIFY(circlesAlike());
        if (reactivated) {
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
            QVERIFY2(circlesAlike(), "inactive");
            frame.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&frame));
            QVERIFY2(circlesAlike(), "active again");
        }
    }
};

QTEST_MAIN(TestIndicatorCircle)
#include "tst_indicatorcircle.moc"
