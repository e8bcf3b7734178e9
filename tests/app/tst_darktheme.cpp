#include "../form1fixture.h"

#include "widgets/colorbutton.h"
#include "widgets/colorcode.h"

#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <cmath>

namespace {

double luminance(QColor color)
{
    const auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) + 0.0722 * linear(color.blueF());
}

double contrast(QColor a, QColor b)
{
    const double la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// Near-white text on dark faces, as dark desktop themes give.
QPalette darkPalette()
{
    QPalette dark(QColor(0x35, 0x35, 0x35));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::BrightText})
        dark.setColor(role, QColor(0xEE, 0xEE, 0xEC));
    dark.setColor(QPalette::Base, QColor(0x2D, 0x2D, 0x2D));
    return dark;
}

class PaletteWhileTesting
{
public:
    explicit PaletteWhileTesting(const QPalette &palette) : m_previous(QApplication::palette())
    {
        QApplication::setPalette(palette);
    }
    ~PaletteWhileTesting() { QApplication::setPalette(m_previous); }

private:
    QPalette m_previous;
};

} // namespace

// Texts on the window's fixed light backgrounds stay readable under a dark desktop theme.
class TestDarkTheme : public QObject
{
    Q_OBJECT

private slots:
    void textOnFixedBackgroundsReads_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("maker's block") << "Text38";
        QTest::newRow("terms of use") << "Text39";
        QTest::newRow("RTS Dis") << "Command8";
        QTest::newRow("DTR Dis") << "Command4";
        QTest::newRow("Text") << "Command5";
        QTest::newRow("Bit") << "Command6";
    }
    // On what reached the screen: the caption's strongest pixel against the face around it.
    void textOnFixedBackgroundsReads()
    {
        QFETCH(QString, control);
        const PaletteWhileTesting dark(darkPalette());
        Form1Fixture f;
        f.form->Form_Load();
        letTheOpenAnswer();
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        QWidget *text = f.find<QWidget>(control);
        QColor background;
        if (auto *panel = qobject_cast<QPlainTextEdit *>(text)) {
            f.find<QAction>("mnu_Prog")->trigger();
            background = colorFromCode(panel->property("backColor").toUInt());
            text = panel->viewport();
        } else {
            auto *button = static_cast<ColorButton *>(text);
            if (button->backColor() != ColorCode::BrightGreen)
                QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(button->backColor(), ColorCode::BrightGreen);
            background = colorFromCode(button->backColor());
        }
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        const QImage screen = f.form->screen()->grabWindow(f.form->winId()).toImage();
        // Inside the button's border, which is no caption.
        const QRect area = QRect(text->mapTo(f.form.get(), QPoint()), text->size()).adjusted(3, 3, -3, -3);
        double strongest = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                strongest = qMax(strongest, contrast(screen.pixelColor(x, y), background));
        QVERIFY2(strongest >= 4.5, qPrintable(QString::number(strongest)));
    }
};

QTEST_MAIN(TestDarkTheme)
#include "tst_darktheme.moc"
