#include "../form1fixture.h"

#include "app/dibimage.h"
#include "app/infopanel.h"
#include "widgets/colorbutton.h"
#include "widgets/colorcode.h"
#include "widgets/indicatorcircle.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTimer>

// The window as the operator meets it: layout, keyboard order, start-up, the panel and shut-down.
class TestForm1 : public QObject
{
    Q_OBJECT

private slots:
    void controlsStandWhereDesigned_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        QTest::newRow("data screen") << "Frame2"
                                     << "client" << QRect(20, 16, 665, 269)
                                     << "Экран данных полученных от Сом порта";
        QTest::newRow("first row indicator") << "Shape2(0)"
                                             << "Frame2" << QRect(20, 24, 13, 13) << "";
        QTest::newRow("last row") << "Text1(9)"
                                  << "Frame2" << QRect(36, 236, 609, 23) << "";
        QTest::newRow("count heading") << "Label4"
                                       << "client" << QRect(685, 5, 91, 14) << "Длина посылки:";
        QTest::newRow("count of row 1 stands apart") << "Label3(1)"
                                                     << "client" << QRect(689, 64, 41, 17) << "";
        QTest::newRow("count of row 2") << "Label3(2)"
                                        << "client" << QRect(688, 88, 41, 17) << "";
        QTest::newRow("settings frame") << "Frame1"
                                        << "client" << QRect(180, 296, 185, 165) << "Настройка порта";
        QTest::newRow("port label, Cyrillic Es") << "Label1(0)"
                                                 << "Frame1" << QRect(76, 32, 29, 17) << "\u0421OM";
        QTest::newRow("port indicator") << "Shape1"
                                        << "Frame1" << QRect(160, 32, 13, 13) << "";
        QTest::newRow("baud list") << "Combo1(1)"
                                   << "Frame1" << QRect(76, 52, 81, 21) << "9600";
        QTest::newRow("polling frame")
            << "Frame3"
            << "client" << QRect(412, 300, 201, 161) << "Анализируемый интервал времени";
        QTest::newRow("interval") << "Text2"
                                  << "Frame3" << QRect(120, 20, 65, 21) << "100";
        QTest::newRow("start") << "Command1"
                               << "Frame3" << QRect(16, 132, 41, 17) << "пуск";
        QTest::newRow("stop") << "Command2"
                              << "Frame3" << QRect(76, 132, 41, 17) << "стоп";
        QTest::newRow("signals heading") << "Label6"
                                         << "client" << QRect(16, 296, 145, 17) << "Выходные сигналы:";
        QTest::newRow("RTS Dis") << "Command8"
                                 << "client" << QRect(88, 312, 57, 25) << "RTS Dis";
        QTest::newRow("DTR Enb") << "Command3"
                                 << "client" << QRect(24, 344, 57, 25) << "DTR Enb";
        QTest::newRow("mode heading") << "Label5"
                                      << "client" << QRect(16, 384, 130, 20) << "Тип отображения данных";
        QTest::newRow("Bit") << "Command6"
                             << "client" << QRect(88, 408, 57, 25) << "Bit";
        QTest::newRow("panel") << "Frame4"
                               << "client" << QRect(0, 0, 449, 265) << "";
        QTest::newRow("terms of use") << "Text39"
                                      << "Frame4" << QRect(24, 136, 409, 113) << "";
        QTest::newRow("picture") << "Image2"
                                 << "Frame4" << QRect(288, 16, 112, 80) << "";
    }
    void controlsStandWhereDesigned()
    {
        QFETCH(QString, name);
        QFETCH(QString, container);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        Form1Fixture f;
        auto *control = f.find<QWidget>(name);
        QCOMPARE(control->parentWidget()->objectName(), container);
        QCOMPARE(control->geometry(), geometry);
        QString shown;
        if (auto *box = qobject_cast<QGroupBox *>(control))
            shown = box->title();
        else if (auto *label = qobject_cast<QLabel *>(control))
            shown = label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(control))
            shown = button->text();
        else if (auto *line = qobject_cast<QLineEdit *>(control))
            shown = line->text();
        else if (auto *combo = qobject_cast<QComboBox *>(control))
            shown = combo->currentText();
        QCOMPARE(shown, caption);
        if (qobject_cast<QGroupBox *>(control) || qobject_cast<QAbstractButton *>(control))
            QCOMPARE(control->accessibleName(), caption);
    }

    void settingsListsHoldTheirItems_data()
    {
        QTest::addColumn<int>("list");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("accessibleName");
        QTest::newRow("port") << 0
                              << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}
                              << "\u0421OM";
        QTest::newRow("baud") << 1
                              << QStringList{"110",   "300",   "600",   "1200",  "2400",  "4800",  "9600",
                                             "14400", "19200", "28800", "38400", "57600", "115200"}
                              << "Скорость";
        QTest::newRow("parity") << 2 << QStringList{"n", "e", "o", "s", "m"} << "чет/нечет";
        QTest::newRow("data bits") << 3 << QStringList{"5", "6", "7", "8"} << "бит";
        QTest::newRow("stop bits") << 4 << QStringList{"1", "2"} << "стоп бит";
    }
    void settingsListsHoldTheirItems()
    {
        QFETCH(int, list);
        QFETCH(QStringList, items);
        QFETCH(QString, accessibleName);
        Form1Fixture f;
        auto *box = f.find<QComboBox>(elementName("Combo1", list));
        QVERIFY(box->isEditable());
        QStringList actual;
        for (int i = 0; i < box->count(); ++i)
            actual << box->itemText(i);
        QCOMPARE(actual, items);
        QCOMPARE(box->accessibleName(), accessibleName);

        box->lineEdit()->selectAll();
        QTest::keyClicks(box->lineEdit(), QStringLiteral("11"));
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Enter);
        QCOMPARE(box->currentText(), QStringLiteral("11"));
        QCOMPARE(box->count(), items.size());
        QVERIFY(!f.find<QTimer>("Timer2")->isActive());
    }

    void theLayoutStartsAtRest()
    {
        Form1Fixture f;
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Kalvane v1.0"));
        QCOMPARE(f.form->menuBar()->actions().size(), 1);
        QCOMPARE(f.form->menuBar()->actions()[0]->text(), QStringLiteral("О программе"));
        QVERIFY(!f.find<QTimer>("Timer1")->isActive());
        QCOMPARE(f.find<QTimer>("Timer1")->interval(), 1000);
        QVERIFY(!f.find<QTimer>("Timer2")->isActive());
        QVERIFY(f.find<QWidget>("Frame4")->isHidden());
        QCOMPARE(f.find<IndicatorCircle>("Shape1")->backColor(), ColorCode::Red);
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(f.find<IndicatorCircle>(elementName("Shape2", i))->backColor(),
                     ColorCode::WindowBackground);
            QVERIFY(f.find<QLineEdit>(elementName("Text1", i))->text().isEmpty());
            QVERIFY(f.find<QLabel>(elementName("Label3", i))->text().isEmpty());
        }
        const QList<std::pair<const char *, quint32>> buttons{
            {"Command3", ColorCode::ButtonFace},  {"Command4", ColorCode::BrightGreen},
            {"Command5", ColorCode::BrightGreen}, {"Command6", ColorCode::ButtonFace},
            {"Command7", ColorCode::ButtonFace},  {"Command8", ColorCode::BrightGreen}};
        for (const auto &[name, colour] : buttons)
            QCOMPARE(f.find<ColorButton>(name)->backColor(), colour);
        QCOMPARE(f.find<QWidget>("Text39")->property("backColor").toUInt(), ColorCode::LightYellow);
        QCOMPARE(f.find<QWidget>("Text38")->property("backColor").toUInt(), ColorCode::ActiveBorder);
        QCOMPARE(f.find<QWidget>("Frame4")->property("backColor").toUInt(), ColorCode::ActiveBorder);
    }

    void theWindowOpensAtItsSizeAndResizingMovesNothing()
    {
        Form1Fixture f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        QCOMPARE(f.form->centralWidget()->size(), QSize(780, 469));
        QCOMPARE(f.form->height(), 469 + f.form->menuBar()->height());
        const QRect row = f.find<QWidget>("Text1(3)")->geometry();
        const QRect frame = f.find<QWidget>("Frame3")->geometry();
        f.form->resize(1200, 900);
        QTRY_COMPARE(f.form->centralWidget()->width(), 1200);
        QCOMPARE(f.find<QWidget>("Text1(3)")->geometry(), row);
        QCOMPARE(f.find<QWidget>("Frame3")->geometry(), frame);
    }

    void tabRunsInTheKeyboardOrderAndReopensNothing()
    {
        Form1Fixture f;
        f.form->Form_Load();
        letTheOpenAnswer();
        f.form->show();
        QApplication::setActiveWindow(f.form.get());
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        const QStringList expected{"Combo1(0)", "Combo1(1)", "Combo1(2)", "Combo1(3)", "Combo1(4)",
                                   "Text1(0)",  "Text1(1)",  "Text1(2)",  "Text1(3)",  "Text1(4)",
                                   "Text1(5)",  "Text1(6)",  "Text1(7)",  "Text1(8)",  "Text1(9)",
                                   "Text2",     "Command1",  "Command2",  "Command3",  "Command4",
                                   "Command5",  "Command6",  "Command7",  "Command8",  "Combo1(0)"};
        const auto focused = [&] {
            for (QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget())
                if (expected.contains(w->objectName()) || w->objectName().startsWith(QLatin1String("Text3")))
                    return w->objectName();
            return QString();
        };
        QTRY_COMPARE(focused(), expected[0]);
        for (qsizetype i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(focused(), expected[i]);
        }
        for (qsizetype i = expected.size() - 2; i >= 0; --i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
            QCOMPARE(focused(), expected[i]);
        }
        // Passing through the settings lists is no pick.
        QVERIFY(!f.find<QTimer>("Timer2")->isActive());
        QCOMPARE(f.port->closeCount, 0);
        QCOMPARE(f.port->openCalls.size(), 1);

        f.form->mnu_Prog_Click();
        f.find<QWidget>("Command8")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(focused(), QStringLiteral("Text39"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(focused(), QStringLiteral("Text38"));
    }

    void startUpColoursThePortIndicator_data()
    {
        QTest::addColumn<QString>("portState");
        QTest::addColumn<quint32>("indicator");
        QTest::newRow("present and free") << "free" << ColorCode::Green;
        QTest::newRow("absent") << "absent" << ColorCode::Red;
        QTest::newRow("held by another program") << "busy" << ColorCode::Red;
        QTest::newRow("state unreadable") << "unreadable" << ColorCode::Red;
    }
    void startUpColoursThePortIndicator()
    {
        QFETCH(QString, portState);
        QFETCH(quint32, indicator);
        Form1Fixture f;
        if (portState == QLatin1String("absent"))
            f.port->devices.clear();
        if (portState == QLatin1String("busy"))
            f.port->busyDevices << QStringLiteral("/dev/ttyS0");
        f.port->stateUnreadable = portState == QLatin1String("unreadable");
        f.form->Form_Load();
        letTheOpenAnswer();

        QCOMPARE(f.find<IndicatorCircle>("Shape1")->backColor(), indicator);
        QCOMPARE(f.port->openCalls.size(), 1);
        QCOMPARE(f.port->openCalls[0].device, QStringLiteral("/dev/ttyS0"));
        QCOMPARE(f.port->openCalls[0].settings, (LineSettings{9600, Parity::None, 8, 1}));
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(f.form->displayMode().Text_Mode, 0);
        QCOMPARE(f.find<ColorButton>("Command5")->backColor(), ColorCode::ButtonFace);
        QCOMPARE(f.find<ColorButton>("Command6")->backColor(), ColorCode::BrightGreen);
        QCOMPARE(f.find<ColorButton>("Command3")->backColor(), ColorCode::ButtonFace);
        QCOMPARE(f.find<ColorButton>("Command4")->backColor(), ColorCode::BrightGreen);
        QCOMPARE(f.find<ColorButton>("Command7")->backColor(), ColorCode::ButtonFace);
        QCOMPARE(f.find<ColorButton>("Command8")->backColor(), ColorCode::BrightGreen);
        QCOMPARE(f.form->windowTitle(), titleCaption(QDate(2026, 12, 7), "Декабря", "понедельник"));
        QCOMPARE(f.find<QPlainTextEdit>("Text38")->toPlainText(),
                 QString(makerBlockText()).replace("\r\n", "\n"));
        QVERIFY(!f.find<QPlainTextEdit>("Text39")->toPlainText().isEmpty());
        QVERIFY(!f.find<QTimer>("Timer1")->isActive());
        QVERIFY(!f.find<QTimer>("Timer2")->isActive());
        QVERIFY(f.find<QWidget>("Frame4")->isHidden());
        if (f.port->opened) {
            QCOMPARE(f.port->dtr, false);
            QCOMPARE(f.port->rts, false);
        }
    }

    void aFailingStartUpStatementAbandonsOnlyItself()
    {
        const auto fail = [](int) -> QString { throw std::runtime_error("locale unavailable"); };
        Form1Fixture monthFails(
            {[] { return QDate(2026, 3, 1); }, fail, [](int) { return QStringLiteral("Sun"); }});
        monthFails.form->Form_Load();
        letTheOpenAnswer();
        QVERIFY(monthFails.form->Month_Genitive.isEmpty());
        QCOMPARE(monthFails.form->windowTitle(), titleCaption(QDate(2026, 3, 1), QString(), "Sun"));
        QVERIFY(!monthFails.find<QPlainTextEdit>("Text39")->toPlainText().isEmpty());

        Form1Fixture captionFails(
            {[] { return QDate(2026, 3, 1); }, [](int) { return QStringLiteral("Март"); }, fail});
        captionFails.form->Form_Load();
        letTheOpenAnswer();
        QCOMPARE(captionFails.form->Month_Genitive, QStringLiteral("Марта"));
        QCOMPARE(captionFails.form->windowTitle(), QStringLiteral("Kalvane v1.0"));
        QVERIFY(!captionFails.find<QPlainTextEdit>("Text38")->toPlainText().isEmpty());
        QVERIFY(!captionFails.find<QPlainTextEdit>("Text39")->toPlainText().isEmpty());
    }

    void closingClosesAnOpenPortOnly_data()
    {
        QTest::addColumn<bool>("portPresent");
        QTest::newRow("port open") << true;
        QTest::newRow("port closed") << false;
    }
    void closingClosesAnOpenPortOnly()
    {
        QFETCH(bool, portPresent);
        Form1Fixture f;
        if (!portPresent)
            f.port->devices.clear();
        f.form->Form_Load();
        letTheOpenAnswer();
        f.form->show();
        QVERIFY(f.form->close());
        QCOMPARE(f.port->opened, false);
        QCOMPARE(f.port->closeCount, portPresent ? 1 : 0);
        QVERIFY(f.port->lineWrites.size() <= 2);
    }

    void thePanelShowsAndHides_data()
    {
        QTest::addColumn<QString>("clickOn");
        QTest::addColumn<bool>("staysShown");
        QTest::newRow("free area hides") << "Frame4" << false;
        QTest::newRow("picture hides") << "Image2" << false;
        QTest::newRow("maker's block hides") << "Text38" << false;
        QTest::newRow("terms of use do not") << "Text39" << true;
    }
    void thePanelShowsAndHides()
    {
        QFETCH(QString, clickOn);
        QFETCH(bool, staysShown);
        Form1Fixture f;
        f.form->Form_Load();
        letTheOpenAnswer();
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        auto *panel = f.find<QWidget>("Frame4");
        f.find<QAction>("mnu_Prog")->trigger();
        QVERIFY(panel->isVisible());
        // Read when the panel first opens.
        QCOMPARE(f.find<QLabel>("Image2")->pixmap().toImage(),
                 QPixmap::fromImage(readImage(QStringLiteral(":/image2.bmp"))).toImage());
        const QPoint overRow = f.find<QWidget>("Text1(0)")->mapTo(f.form->centralWidget(), QPoint(5, 5));
        QVERIFY(panel->isAncestorOf(f.form->centralWidget()->childAt(overRow)) ||
                f.form->centralWidget()->childAt(overRow) == panel);

        QWidget *target = f.find<QWidget>(clickOn);
        if (auto *text = qobject_cast<QPlainTextEdit *>(target))
            target = text->viewport();
        QTest::mouseClick(target, Qt::LeftButton, {},
                          clickOn == QLatin1String("Frame4") ? QPoint(5, 5) : QPoint());
        QCOMPARE(panel->isVisible(), staysShown);

        f.find<QAction>("mnu_Prog")->trigger();
        QCOMPARE(panel->isVisible(), !staysShown);
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
