#include "../form1fixture.h"

#include "widgets/colorbutton.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

// One readable interface font in which every designed caption shows whole.
class TestInterfaceFont : public QObject
{
    Q_OBJECT

private:
    // The room a caption has: a label's contents, a button's contents, the band of a frame's title.
    static QRect captionRoom(QWidget *control)
    {
        if (auto *button = qobject_cast<QPushButton *>(control)) {
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        }
        if (auto *frame = qobject_cast<QGroupBox *>(control)) {
            QStyleOptionGroupBox option;
            option.initFrom(frame);
            option.text = frame->title();
            option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
            const QRect title =
                frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
            // The title may run as far as the frame's right edge less the inset it has on the left.
            return QRect(title.topLeft(), QPoint(frame->width() - 1 - title.left(), title.bottom()));
        }
        return control->contentsRect();
    }

    static QString caption(QWidget *control)
    {
        if (auto *button = qobject_cast<QPushButton *>(control))
            return button->text();
        if (auto *frame = qobject_cast<QGroupBox *>(control))
            return frame->title();
        return qobject_cast<QLabel *>(control)->text();
    }

private slots:
    void everyCaptionShowsWhole_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name :
             {"Frame1", "Frame2", "Frame3", "Label2", "Label4", "Label5", "Label6", "Command1", "Command2",
              "Command3", "Command4", "Command5", "Command6", "Command7", "Command8"})
            QTest::newRow(name) << name;
        for (int i = 0; i < 5; ++i)
            QTest::newRow(qPrintable(elementName("Label1", i))) << elementName("Label1", i);
    }
    void everyCaptionShowsWhole()
    {
        QFETCH(QString, name);
        Form1Fixture f;
        f.form->Form_Load();
        letTheOpenAnswer();
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        auto *control = f.find<QWidget>(name);
        const QFontMetrics metrics = control->fontMetrics();
        const QSize needed = metrics.size(Qt::TextSingleLine, caption(control));
        const QRect room = captionRoom(control);
        QVERIFY2(needed.width() <= room.width() && metrics.height() <= room.height(),
                 qPrintable(QStringLiteral("\"%1\" needs %2x%3 px, has %4x%5")
                                .arg(caption(control))
                                .arg(needed.width())
                                .arg(metrics.height())
                                .arg(room.width())
                                .arg(room.height())));
        QCOMPARE(control->font(), f.form->font());
    }

    void theInterfaceFontIsReadable()
    {
        Form1Fixture f;
        const QFontInfo font(f.form->font());
        QCOMPARE(font.family(), f.form->font().family());
        QVERIFY2(font.pointSizeF() >= 8, qPrintable(QString::number(font.pointSizeF())));
    }

    // Message boxes, tooltips and open lists keep the desktop's font.
    void theApplicationFontIsLeftAsItWas()
    {
        QFont tooltips(QStringLiteral("DejaVu Serif"));
        tooltips.setPixelSize(17);
        QApplication::setFont(tooltips, "QTipLabel");
        const QFont before = QApplication::font();
        Form1Fixture f;
        QCOMPARE(QApplication::font(), before);
        QVERIFY(QApplication::font() != f.form->font());
        QCOMPARE(QApplication::font("QTipLabel"), tooltips);
    }

    void colouredButtonsKeepTheWindowFont_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("partner");
        for (const auto &[name, partner] : {std::pair{"Command3", "Command4"},
                                            {"Command4", "Command3"},
                                            {"Command5", "Command6"},
                                            {"Command6", "Command5"},
                                            {"Command7", "Command8"},
                                            {"Command8", "Command7"}})
            QTest::newRow(name) << name << partner;
    }
    void colouredButtonsKeepTheWindowFont()
    {
        QFETCH(QString, name);
        QFETCH(QString, partner);
        Form1Fixture f;
        f.form->Form_Load();
        letTheOpenAnswer();
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        auto *button = f.find<ColorButton>(name);
        const QFontInfo window(f.form->font());
        const auto sameFont = [&](const QString &moment) {
            const QFontInfo shown = button->fontInfo();
            QVERIFY2(shown.family() == window.family() && shown.pixelSize() == window.pixelSize(),
                     qPrintable(QStringLiteral("%1: %2 %3 px, window %4 %5 px")
                                    .arg(moment, shown.family())
                                    .arg(shown.pixelSize())
                                    .arg(window.family())
                                    .arg(window.pixelSize())));
        };
        sameFont("before a press");
        QTest::mouseClick(button, Qt::LeftButton);
        sameFont("after its press");
        QTest::mouseClick(f.find<ColorButton>(partner), Qt::LeftButton);
        sameFont("after its partner's press");
    }
};

QTEST_MAIN(TestInterfaceFont)
#include "tst_interfacefont.moc"
