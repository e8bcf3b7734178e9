#include "../form1fixture.h"

#include "widgets/colorcode.h"
#include "widgets/indicatorcircle.h"

#include <QComboBox>
#include <QTimer>

// Settings picks, the deferred reopen and the port indicator, over the fake port.
class TestPortSettings : public QObject
{
    Q_OBJECT

private:
    static quint32 indicator(const Form1Fixture &f) { return f.find<IndicatorCircle>("Shape1")->backColor(); }
    static QTimer *timer2(const Form1Fixture &f) { return f.find<QTimer>("Timer2"); }

private slots:
    void aPickClosesAtOnceAndReopensWithAllFiveTexts()
    {
        Form1Fixture f;
        f.form->Form_Load();
        letTheOpenAnswer();
        QCOMPARE(indicator(f), ColorCode::Green);

        f.pick(1, "19200");
        QCOMPARE(f.form->Comm1().portOpen(), std::optional(false));
        QCOMPARE(indicator(f), ColorCode::Green);
        QVERIFY(timer2(f)->isActive());
        QCOMPARE(timer2(f)->interval(), 100);

        QTRY_VERIFY(!timer2(f)->isActive());
        QCOMPARE(f.port->openCalls.size(), 2);
        QCOMPARE(f.port->openCalls.last().device, QStringLiteral("/dev/ttyS0"));
        QCOMPARE(f.port->openCalls.last().settings, (LineSettings{19200, Parity::None, 8, 1}));
        QTRY_COMPARE(indicator(f), ColorCode::Green);
        QVERIFY(f.messages.isEmpty());
    }

    void aPortThatAnswersLaterTurnsGreenWhenItDoes()
    {
        Form1Fixture f;
        f.port->answerLater = true;
        f.port->devices << QStringLiteral("rfc2217://[::1]:7000");
        f.find<QComboBox>("Combo1(0)")->setEditText("rfc2217://[::1]:7000");
        f.pick(1, "19200");
        f.form->portSettings().Timer2_Timer();
        letTheOpenAnswer();
        QCOMPARE(indicator(f), ColorCode::Red);
        QCOMPARE(f.find<IndicatorCircle>(QStringLiteral("Shape1"))->toolTip(),
                 QStringLiteral("rfc2217://[::1]:7000 — подключение к [::1]:7000…"));
        QCOMPARE(f.form->Comm1().input(), std::nullopt);

        f.port->reportedSettings = LineSettings{19200, Parity::None, 8, 2};
        f.port->reportedNotes = QStringList{QStringLiteral("сервер не подтвердил: DTR")};
        f.port->finishOpen();
        QCOMPARE(indicator(f), ColorCode::Green);
        QCOMPARE(f.find<IndicatorCircle>(QStringLiteral("Shape1"))->toolTip(),
                 QStringLiteral(
                     "rfc2217://[::1]:7000 — 19200,n,8,2\nлинии: нет сведений\nсервер не подтвердил: DTR"));
        QCOMPARE(f.port->lineWrites.size(), 2);
    }

    void aPickWhileThePortOpensAppliesThePick_data()
    {
        QTest::addColumn<bool>("answeredInTheCountdown");
        QTest::newRow("the first open answers inside the countdown") << true;
        QTest::newRow("the first open is still under way at the tick") << false;
    }
    void aPickWhileThePortOpensAppliesThePick()
    {
        QFETCH(bool, answeredInTheCountdown);
        Form1Fixture f;
        f.port->answerLater = true;
        f.form->Form_Load();
        f.pick(1, "19200");
        if (answeredInTheCountdown)
            f.port->finishOpen();
        f.form->portSettings().Timer2_Timer();
        f.port->finishOpen();
        QCOMPARE(f.messages, QStringList());
        QCOMPARE(f.port->openCalls.last().settings.baudRate, 19200);
        QCOMPARE(f.form->Comm1().state(), CommPort::State::Open);
        QCOMPARE(indicator(f), ColorCode::Green);
    }

    void aPortThatFailsLaterTurnsRedWithTheReason()
    {
        Form1Fixture f;
        f.port->answerLater = true;
        f.form->Form_Load();
        letTheOpenAnswer();
        f.port->finishOpen(SerialError::ServerBusy);
        QCOMPARE(indicator(f), ColorCode::Red);
        QCOMPARE(f.find<IndicatorCircle>(QStringLiteral("Shape1"))->toolTip(),
                 QStringLiteral("/dev/ttyS0 — порт занят: сервер уже обслуживает другого пользователя"));
    }

    void severalPicksGiveOneReopenWithTheTextsAtTheTick()
    {
        Form1Fixture f;
        f.form->Form_Load();
        letTheOpenAnswer();
        f.pick(1, "115200");
        f.pick(2, "e");
        f.find<QComboBox>("Combo1(3)")->setEditText("7");
        f.pick(4, "2");
        QCOMPARE(f.port->closeCount, 1);
        f.form->portSettings().Timer2_Timer();
        letTheOpenAnswer();
        QCOMPARE(f.port->openCalls.size(), 2);
        QCOMPARE(f.port->openCalls.last().settings, (LineSettings{115200, Parity::Even, 7, 2}));
        QVERIFY(!timer2(f)->isActive());
    }

    void typedTextWaitsForAPick()
    {
        Form1Fixture f;
        f.form->Form_Load();
        letTheOpenAnswer();
        f.find<QComboBox>("Combo1(1)")->setEditText("57600");
        QVERIFY(!timer2(f)->isActive());
        QCOMPARE(f.form->Comm1().portOpen(), std::optional(true));
        f.pick(0, "1");
        f.form->portSettings().Timer2_Timer();
        letTheOpenAnswer();
        QCOMPARE(f.port->openCalls.last().settings.baudRate, 57600);
    }

    void refusedTextsShowOneMessageAndOpenWithThePrevious_data()
    {
        QTest::addColumn<QString>("portText");
        QTest::addColumn<QString>("baudText");
        QTest::addColumn<QString>("device");
        QTest::newRow("letters for a baud rate") << "2"
                                                 << "fast"
                                                 << "/dev/ttyS1";
        QTest::newRow("port number zero") << "0"
                                          << "19200"
                                          << "/dev/ttyS0";
        QTest::newRow("port number beyond 16 bits") << "40000"
                                                    << "19200"
                                                    << "/dev/ttyS0";
        QTest::newRow("both refused") << "x y"
                                      << "9600 "
                                      << "/dev/ttyS0";
    }
    void refusedTextsShowOneMessageAndOpenWithThePrevious()
    {
        QFETCH(QString, portText);
        QFETCH(QString, baudText);
        QFETCH(QString, device);
        Form1Fixture f;
        f.form->Form_Load();
        letTheOpenAnswer();
        f.find<QComboBox>("Combo1(0)")->setEditText(portText);
        f.find<QComboBox>("Combo1(1)")->setEditText(baudText);
        f.pick(2, "n");
        f.form->portSettings().Timer2_Timer();
        letTheOpenAnswer();
        QCOMPARE(f.messages, QStringList{"Недопустимо"});
        const auto expectedBaud = baudText == QLatin1String("19200") ? 19200 : 9600;
        QCOMPARE(f.port->openCalls.last().device, device);
        QCOMPARE(f.port->openCalls.last().settings.baudRate, expectedBaud);
        QCOMPARE(indicator(f), ColorCode::Green);
        QCOMPARE(f.find<QComboBox>("Combo1(1)")->currentText(), baudText);
    }

    void aMissingPortTurnsRedSilentlyAndALaterPickRecovers()
    {
        Form1Fixture f;
        f.form->Form_Load();
        letTheOpenAnswer();
        f.pick(0, "5");
        f.form->portSettings().Timer2_Timer();
        letTheOpenAnswer();
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(indicator(f), ColorCode::Red);
        QVERIFY(!timer2(f)->isActive());

        f.pick(0, "2");
        QCOMPARE(f.port->closeCount, 1);
        f.form->portSettings().Timer2_Timer();
        letTheOpenAnswer();
        QCOMPARE(indicator(f), ColorCode::Green);
        QCOMPARE(f.port->openCalls.last().device, QStringLiteral("/dev/ttyS1"));
    }

    void ticksUnderTheMessageBoxDoNotStackBoxes()
    {
        Form1Fixture f;
        f.form->Form_Load();
        letTheOpenAnswer();
        f.whileMessageShown = [&] {
            QVERIFY(timer2(f)->isActive());
            f.form->portSettings().Timer2_Timer();
            letTheOpenAnswer();
            f.form->portSettings().Timer2_Timer();
            letTheOpenAnswer();
        };
        f.find<QComboBox>("Combo1(4)")->setEditText("1.5");
        f.pick(3, "8");
        f.form->portSettings().Timer2_Timer();
        letTheOpenAnswer();
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.port->openCalls.size(), 2);
        QVERIFY(!timer2(f)->isActive());

        f.pick(3, "8");
        f.form->portSettings().Timer2_Timer();
        letTheOpenAnswer();
        QCOMPARE(f.messages.size(), 2);
    }

    void aLostPortTurnsTheIndicatorRedAtOnce()
    {
        Form1Fixture f;
        f.form->Form_Load();
        letTheOpenAnswer();
        f.port->unplug();
        QCOMPARE(indicator(f), ColorCode::Red);
        QCOMPARE(f.form->Comm1().portOpen(), std::optional(false));
    }
};

QTEST_MAIN(TestPortSettings)
#include "tst_portsettings.moc"
