#include "../form1fixture.h"

#include "widgets/indicatorcircle.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QToolTip>

Q_DECLARE_METATYPE(SerialError)

// What the window tells when asked: why the port is closed, where a row's reading came from, what is typed.
class TestPassiveHelp : public QObject
{
    Q_OBJECT

    // What the pointer resting on the widget shows.
    static QString hoverText(QWidget *widget)
    {
        QHelpEvent hover(QEvent::ToolTip, QPoint(4, 4), widget->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(widget, &hover);
        const QString text = QToolTip::text();
        QToolTip::hideText();
        return text;
    }

private slots:
    void portIndicatorTellsTheSettingsOrWhyItIsClosed_data()
    {
        QTest::addColumn<std::optional<SerialError>>("refusal");
        QTest::addColumn<bool>("unplugged");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("detail");
        const std::optional<SerialError> none;
        QTest::newRow("open") << none << false << "открыт"
                              << "/dev/ttyS0 — 9600,n,8,1\nлинии: нет сведений";
        QTest::newRow("no such device") << std::optional(SerialError::NoSuchDevice) << false << "закрыт"
                                        << "/dev/ttyS0 — нет такого устройства";
        QTest::newRow("busy") << std::optional(SerialError::Busy) << false << "закрыт"
                              << "/dev/ttyS0 — занят другой программой";
        QTest::newRow("no permission")
            << std::optional(SerialError::NoPermission) << false << "закрыт"
            << "/dev/ttyS0 — нет прав доступа: добавьте пользователя в группу dialout "
               "(sudo adduser $USER dialout) и войдите в систему заново";
        QTest::newRow("not a serial device") << std::optional(SerialError::NotATerminal) << false << "закрыт"
                                             << "/dev/ttyS0 — это не последовательный порт";
        QTest::newRow("settings refused by the device")
            << std::optional(SerialError::SettingsRefused) << false << "закрыт"
            << "/dev/ttyS0 — устройство не приняло настройки 9600,n,8,1";
        QTest::newRow("system console")
            << std::optional(SerialError::SystemConsole) << false << "закрыт"
            << "/dev/ttyS0 — это системная консоль: выберите другой порт или запустите kalvane --demo";
        QTest::newRow("connection lost") << none << true << "закрыт"
                                         << "/dev/ttyS0 — связь потеряна: устройство отключено или не "
                                            "отвечает\nждём возвращения /dev/ttyS0";
    }
    void portIndicatorTellsTheSettingsOrWhyItIsClosed()
    {
        QFETCH(std::optional<SerialError>, refusal);
        QFETCH(bool, unplugged);
        QFETCH(QString, state);
        QFETCH(QString, detail);
        Form1Fixture f;
        if (refusal)
            f.port->openErrors.insert(QStringLiteral("/dev/ttyS0"), *refusal);
        f.form->Form_Load();
        letTheOpenAnswer();
        if (unplugged)
            f.port->unplug();
        auto *Shape1 = f.find<IndicatorCircle>(QStringLiteral("Shape1"));
        QCOMPARE(Shape1->toolTip(), detail);
        QAccessible::setActive(true);
        const auto inactive = qScopeGuard([] { QAccessible::setActive(false); });
        QCOMPARE(Shape1->accessibleName(), state);
        QCOMPARE(Shape1->accessibleDescription(), detail);
    }

    void aRowSaysWhenItRepeatsAnEarlierReading()
    {
        Form1Fixture f;
        f.form->Form_Load();
        letTheOpenAnswer();
        QDateTime now(QDate(2026, 12, 8), QTime(10, 0));
        f.form->pollingCycle().clock = [&] { return now = now.addMSecs(1500); };
        auto row = [&](int i) { return f.find<QLineEdit>(elementName("Text1", i)); };
        auto indicator = [&](int i) { return f.find<IndicatorCircle>(elementName("Shape2", i)); };

        f.port->feed("abc");
        f.form->pollingCycle().Timer1_Timer();
        const QString fresh = QStringLiteral("посылка от 10:00:01.500\n3 байта, в шестнадцатеричном виде");
        QCOMPARE(hoverText(row(0)), fresh);

        f.port->unplug();
        QTest::mouseClick(f.find<QPushButton>(QStringLiteral("Command5")), Qt::LeftButton);
        f.form->pollingCycle().Timer1_Timer();
        const QString repeat =
            QStringLiteral("повтор посылки от 10:00:01.500 — порт закрыт\n3 байта, текстом");
        QCOMPARE(row(1)->text(), QStringLiteral("abc"));
        QCOMPARE(hoverText(row(1)), repeat);
        QCOMPARE(hoverText(row(0)), fresh);

        // A screen reader that starts later hears what each row was written with.
        QAccessible::setActive(true);
        const auto inactive = qScopeGuard([] { QAccessible::setActive(false); });
        QCOMPARE(row(0)->accessibleDescription(), fresh);
        QCOMPARE(indicator(0)->accessibleDescription(), fresh);
        QCOMPARE(row(1)->accessibleDescription(), repeat);
        QCOMPARE(indicator(1)->accessibleDescription(), repeat);
        QCOMPARE(indicator(0)->accessibleName(), QStringLiteral("пройдена"));
        QCOMPARE(indicator(1)->accessibleName(), QStringLiteral("записана последней"));
        QCOMPARE(indicator(2)->accessibleName(), QStringLiteral("не записана"));
    }

    void receiveErrorsAndTheLinesAreTold()
    {
        Form1Fixture f;
        f.port->status = {InputLines{true, false, true, false}, 0, ReceiveErrors{}};
        f.form->Form_Load();
        letTheOpenAnswer();
        f.form->pollingCycle().clock = [] { return QDateTime(QDate(2026, 12, 8), QTime(10, 0)); };
        auto *port = f.find<IndicatorCircle>(QStringLiteral("Shape1"));
        const QString state = QStringLiteral("/dev/ttyS0 — 9600,n,8,1\nлинии: CTS ● DSR ○ CD ● RI ○\n");
        QCOMPARE(hoverText(port),
                 state + QStringLiteral("ошибки приёма: кадра 0, чётности 0, переполнения 0, разрывов 0"));

        f.port->status.errors->frame = 12;
        f.port->feed("\xF0\xE0");
        f.form->pollingCycle().Timer1_Timer();
        QCOMPARE(hoverText(f.find<QLineEdit>(QStringLiteral("Text1(0)"))),
                 QStringLiteral(
                     "посылка от 10:00:00.000\n2 байта, в шестнадцатеричном виде\nс ошибками: кадра 12"));
        const QString told =
            state + QStringLiteral("ошибки приёма: кадра 12, чётности 0, переполнения 0, разрывов 0\n"
                                   "много ошибок кадра: проверьте скорость");
        QCOMPARE(port->accessibleDescription(), told);
        QCOMPARE(hoverText(port), told);
        // No bytes and no new errors: the hint goes.
        f.form->pollingCycle().Timer1_Timer();
        QVERIFY(!hoverText(port).contains(QStringLiteral("много ошибок")));
    }

    void aRowBeforeAnyReadingSaysThereWasNone()
    {
        Form1Fixture f;
        f.port->devices.clear();
        f.form->Form_Load();
        letTheOpenAnswer();
        f.form->pollingCycle().Timer1_Timer();
        QCOMPARE(hoverText(f.find<QLineEdit>(QStringLiteral("Text1(0)"))),
                 QStringLiteral("посылок ещё не было — порт закрыт\n0 байт, в шестнадцатеричном виде"));
    }

    void aReadingCutAtTheBoundSaysSo()
    {
        Form1Fixture f;
        f.form->Form_Load();
        letTheOpenAnswer();
        f.form->pollingCycle().clock = [] { return QDateTime(QDate(2026, 12, 8), QTime(23, 59, 59, 999)); };
        f.port->feed(QByteArray(CommPort::ReceiveCapacity + 4464, 'x'));
        f.form->pollingCycle().Timer1_Timer();
        QCOMPARE(hoverText(f.find<QLineEdit>(QStringLiteral("Text1(0)"))),
                 QStringLiteral("посылка от 23:59:59.999\n65 536 байт, в шестнадцатеричном виде\n"
                                "показаны первые 65 536 байт, отброшено не меньше 4 464 байт"));
    }

    void portBoxHelpIsReadAfreshEachTimeItShows()
    {
        Form1Fixture f;
        auto *box = f.find<QComboBox>(QStringLiteral("Combo1(0)"));
        auto typeAndAskForHelp = [&](const QString &text) {
            box->lineEdit()->clear();
            QTest::keyClicks(box->lineEdit(), text);
            QHelpEvent event(QEvent::ToolTip, QPoint(2, 2), box->mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(box->lineEdit(), &event);
            [&] { QCOMPARE(box->accessibleDescription(), box->toolTip()); }();
            return box->toolTip().section(QLatin1Char('\n'), 0, 1);
        };
        QCOMPARE(typeAndAskForHelp(QStringLiteral("port 2")),
                 QStringLiteral("В поле порта набрано:\n«port 2» — нет такого устройства"));
        QCOMPARE(
            typeAndAskForHelp(QStringLiteral("/dev/kalvane-absent")),
            QStringLiteral(
                "В поле порта набрано:\n«/dev/kalvane-absent» — /dev/kalvane-absent: нет такого устройства"));
    }

    // A screen reader's user never hovers: the description follows the typing on its own.
    void portBoxDescriptionFollowsTheTextForAScreenReader()
    {
        Form1Fixture f;
        auto *box = f.find<QComboBox>(QStringLiteral("Combo1(0)"));
        QAccessible::setActive(true);
        const auto inactiveAfterwards = qScopeGuard([] { QAccessible::setActive(false); });
        box->lineEdit()->clear();
        QTest::keyClicks(box->lineEdit(), QStringLiteral("port 2"));
        QCOMPARE(box->accessibleDescription().section(QLatin1Char('\n'), 0, 1),
                 QStringLiteral("В поле порта набрано:\n«port 2» — нет такого устройства"));
    }
};

QTEST_MAIN(TestPassiveHelp)
#include "tst_passivehelp.moc"
