#include "../form1fixture.h"

#include "port/returnwatch.h"
#include "widgets/colorcode.h"
#include "widgets/indicatorcircle.h"

#include <QDir>
#include <QFile>

using namespace std::chrono_literals;

// A lost port waiting for its device over the fake port: refusals while it comes back, a pick, and the
// growing pauses of a port without a node.
class TestPortReturn : public QObject
{
    Q_OBJECT

private:
    static void putNodeBack(const Form1Fixture &f)
    {
        QDir(f.deviceRoot.path()).mkpath(QStringLiteral("dev"));
        QFile node(f.deviceRoot.filePath(QStringLiteral("dev/ttyS0")));
        QVERIFY(node.open(QIODevice::WriteOnly));
    }
    static QString detail(const Form1Fixture &f)
    {
        return f.find<IndicatorCircle>(QStringLiteral("Shape1"))->toolTip();
    }

private slots:
    void aReturningDeviceIsOpenedUnlessItRefuses_data()
    {
        QTest::addColumn<std::optional<SerialError>>("refusal");
        QTest::addColumn<bool>("refusalLifts");
        QTest::addColumn<quint32>("colour");
        QTest::addColumn<QString>("detail");
        const std::optional<SerialError> none;
        QTest::newRow("back at once")
            << none << false << ColorCode::Green << "/dev/ttyS0 — 9600,n,8,1\nлинии: нет сведений";
        QTest::newRow("permissions set a moment after the node")
            << std::optional(SerialError::NoPermission) << true << ColorCode::Green
            << "/dev/ttyS0 — 9600,n,8,1\nлинии: нет сведений";
        QTest::newRow("permissions never given")
            << std::optional(SerialError::NoPermission) << false << ColorCode::Red
            << "/dev/ttyS0 — нет прав доступа: добавьте пользователя в группу dialout "
               "(sudo adduser $USER dialout) и войдите в систему заново";
        QTest::newRow("taken by another program") << std::optional(SerialError::Busy) << false
                                                  << ColorCode::Red << "/dev/ttyS0 — занят другой программой";
    }
    void aReturningDeviceIsOpenedUnlessItRefuses()
    {
        QFETCH(std::optional<SerialError>, refusal);
        QFETCH(bool, refusalLifts);
        QFETCH(quint32, colour);
        QFETCH(QString, detail);
        Form1Fixture f;
        f.form->Form_Load();
        letTheOpenAnswer();
        f.port->unplug();
        QCOMPARE(f.find<IndicatorCircle>(QStringLiteral("Shape1"))->backColor(), ColorCode::Red);
        QCOMPARE(TestPortReturn::detail(f),
                 QStringLiteral("/dev/ttyS0 — связь потеряна: устройство отключено или "
                                "не отвечает\nждём возвращения /dev/ttyS0"));
        QCOMPARE(f.find<IndicatorCircle>(QStringLiteral("Shape1"))->accessibleDescription(),
                 TestPortReturn::detail(f));
        if (refusal)
            f.port->openErrors.insert(QStringLiteral("/dev/ttyS0"), *refusal);
        putNodeBack(f);
        if (refusalLifts) {
            QTRY_VERIFY(f.port->openCalls.size() >= 3);
            QVERIFY(!f.form->Comm1().awaited().isEmpty());
            f.port->openErrors.clear();
        }
        QTRY_VERIFY_WITH_TIMEOUT(f.form->Comm1().awaited().isEmpty(), 15000);
        QCOMPARE(f.find<IndicatorCircle>(QStringLiteral("Shape1"))->backColor(), colour);
        QCOMPARE(TestPortReturn::detail(f), detail);
    }

    void aPickWhileWaitingLeavesTheOpenToItsTick()
    {
        Form1Fixture f;
        f.form->Form_Load();
        letTheOpenAnswer();
        f.port->unplug();
        f.pick(1, QStringLiteral("19200"));
        QVERIFY(f.form->Comm1().awaited().isEmpty());
        f.find<QTimer>(QStringLiteral("Timer2"))->stop();
        putNodeBack(f);
        QTest::qWait(3 * NodeReturnWatch::LookInterval.count());
        QCOMPARE(f.port->openCalls.size(), 1);

        f.form->portSettings().Timer2_Timer();
        letTheOpenAnswer();
        QCOMPARE(f.port->openCalls.size(), 2);
        QCOMPARE(f.port->openCalls.last().settings.baudRate, 19200);
        QTRY_COMPARE(f.find<IndicatorCircle>(QStringLiteral("Shape1"))->backColor(), ColorCode::Green);
    }

    void eachKindOfPortHasItsOwnWatch()
    {
        const QString root = QStringLiteral("/");
        const auto watch = [&](const QString &identity) {
            return defaultReturnWatch(*PortAddress::parse(identity), identity, root);
        };
        QVERIFY(qobject_cast<NodeReturnWatch *>(watch(QStringLiteral("/tmp/bench/port")).get()));
        QVERIFY(qobject_cast<BackoffReturnWatch *>(watch(QStringLiteral("rfc2217://127.0.0.1:2217")).get()));
        QVERIFY(!watch(QStringLiteral("/dev/pts/3")));
    }

    void pausesGrowToTheLongest()
    {
        BackoffReturnWatch watch(QStringLiteral("rfc2217://127.0.0.1:2217"));
        QList<std::chrono::milliseconds> pauses{watch.pause()};
        for (int i = 0; i < 5; ++i) {
            QVERIFY(watch.goOnAfter(SerialError::NoSuchDevice));
            pauses << watch.pause();
        }
        const QList<std::chrono::milliseconds> expected{1s, 2s, 4s, 8s, 10s, 10s};
        QCOMPARE(pauses, expected);
    }

    void aPortWithoutANodeIsTriedAfterPausesTillItAnswers()
    {
        Form1Fixture f;
        f.form->Comm1().setWatchFactory([](const PortAddress &address, const QString &) {
            return std::make_unique<BackoffReturnWatch>(address.name(), 10ms, 40ms);
        });
        f.form->Form_Load();
        letTheOpenAnswer();
        f.port->devices.clear();
        f.port->unplug();
        QTRY_VERIFY(f.port->openCalls.size() >= 4);
        QCOMPARE(f.find<IndicatorCircle>(QStringLiteral("Shape1"))->backColor(), ColorCode::Red);
        f.port->devices.insert(QStringLiteral("/dev/ttyS0"));
        QTRY_COMPARE(f.find<IndicatorCircle>(QStringLiteral("Shape1"))->backColor(), ColorCode::Green);
        QVERIFY(f.form->Comm1().awaited().isEmpty());
    }

    void aPortAnsweringLaterIsWaitedForTillItAnswers()
    {
        Form1Fixture f;
        f.form->Comm1().setWatchFactory([](const PortAddress &address, const QString &) {
            return std::make_unique<BackoffReturnWatch>(address.name(), 10ms, 10ms);
        });
        f.form->Form_Load();
        letTheOpenAnswer();
        f.port->answerLater = true;
        f.port->unplug();
        QTRY_COMPARE(f.port->openCalls.size(), 2);
        f.port->finishOpen(SerialError::NoAnswer);
        QTRY_COMPARE(f.port->openCalls.size(), 3);
        QVERIFY(!f.form->Comm1().awaited().isEmpty());
        f.port->finishOpen();
        QCOMPARE(f.find<IndicatorCircle>(QStringLiteral("Shape1"))->backColor(), ColorCode::Green);
        QVERIFY(f.form->Comm1().awaited().isEmpty());
    }
};

QTEST_MAIN(TestPortReturn)
#include "tst_portreturn.moc"
