#include "../opening.h"
#include "port/commport.h"
#include "port/fakebackend.h"

#include <QSignalSpy>
#include <QTest>

namespace {

struct Port
{
    FakeBackend *fake;
    std::unique_ptr<CommPort> comm;

    Port()
    {
        auto backend = std::make_unique<FakeBackend>();
        fake = backend.get();
        comm = std::make_unique<CommPort>(std::move(backend));
    }
};

} // namespace

class TestCommPort : public QObject
{
    Q_OBJECT

private slots:
    void startsClosedOnPortOneAt9600()
    {
        Port port;
        QCOMPARE(port.comm->portOpen(), std::optional(false));
        QVERIFY(openAndWait(*port.comm));
        QCOMPARE(port.fake->openCalls.size(), 1);
        QCOMPARE(port.fake->openCalls[0].device, QStringLiteral("/dev/ttyS0"));
        QCOMPARE(port.fake->openCalls[0].settings, (LineSettings{9600, Parity::None, 8, 1}));
        QCOMPARE(port.comm->portOpen(), std::optional(true));
    }

    void refusedValuesKeepThePreviousOnes()
    {
        Port port;
        QVERIFY(port.comm->setCommPort(QStringLiteral("2")));
        QVERIFY(port.comm->setSettings(QStringLiteral("19200,e,7,2")));
        QVERIFY(!port.comm->setCommPort(QStringLiteral("0")));
        QVERIFY(!port.comm->setSettings(QStringLiteral("19200,e,7,1.5")));
        QVERIFY(openAndWait(*port.comm));
        QCOMPARE(port.fake->openCalls.last().device, QStringLiteral("/dev/ttyS1"));
        QCOMPARE(port.fake->openCalls.last().settings, (LineSettings{19200, Parity::Even, 7, 2}));
    }

    void portNumberIsRefusedWhileOpen()
    {
        Port port;
        QVERIFY(openAndWait(*port.comm));
        QVERIFY(!port.comm->setCommPort(QStringLiteral("2")));
        QCOMPARE(port.comm->device(), QStringLiteral("/dev/ttyS0"));
    }

    void failedOpenLeavesItClosed_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<bool>("refuseSettings");
        QTest::newRow("missing device") << "7" << false << false;
        QTest::newRow("busy device") << "1" << true << false;
        QTest::newRow("settings refused by the device") << "1" << false << true;
    }
    void failedOpenLeavesItClosed()
    {
        QFETCH(QString, port);
        QFETCH(bool, busy);
        QFETCH(bool, refuseSettings);
        Port p;
        if (busy)
            p.fake->busyDevices << QStringLiteral("/dev/ttyS0");
        p.fake->refuseSettingsAtOpen = refuseSettings;
        QVERIFY(p.comm->setCommPort(port));
        QVERIFY(!openAndWait(*p.comm));
        QCOMPARE(p.comm->portOpen(), std::optional(false));
        QCOMPARE(p.comm->input(), std::nullopt);
    }

    void linesAreKeptAndAppliedRightAfterEveryOpen()
    {
        Port port;
        port.comm->setDTREnable(true);
        QVERIFY(port.fake->lineWrites.isEmpty());
        QVERIFY(openAndWait(*port.comm));
        QCOMPARE(port.fake->dtr, true);
        QCOMPARE(port.fake->rts, false);
        port.comm->setRTSEnable(true);
        port.comm->setDTREnable(false);
        port.comm->setPortOpen(false);
        QVERIFY(openAndWait(*port.comm));
        const QList<FakeBackend::LineWrite> expected{{'D', true},  {'R', false}, {'R', true},
                                                     {'D', false}, {'D', false}, {'R', true}};
        QCOMPARE(port.fake->lineWrites, expected);
    }

    void inputTakesEveryWaitingByteOnce()
    {
        Port port;
        QCOMPARE(port.comm->input(), std::nullopt);
        QVERIFY(openAndWait(*port.comm));
        QCOMPARE(port.comm->input(), std::optional(QByteArray()));
        port.fake->feed(QByteArray("\x00\x01", 2));
        port.fake->pending = "late";
        QCOMPARE(port.comm->input(), std::optional(QByteArray("\x00\x01late", 6)));
        QCOMPARE(port.comm->input(), std::optional(QByteArray()));
    }

    void aFullBufferDropsTheNewestBytes()
    {
        Port port;
        QVERIFY(openAndWait(*port.comm));
        QByteArray sent;
        for (int i = 0; i < 3 * CommPort::ReceiveCapacity / 1000; ++i) {
            const QByteArray chunk(1000, char(i));
            sent += chunk;
            port.fake->feed(chunk);
        }
        const auto reading = port.comm->input();
        QVERIFY(reading);
        QCOMPARE(reading->size(), CommPort::ReceiveCapacity);
        QCOMPARE(*reading, sent.left(CommPort::ReceiveCapacity));
    }

    void aLostPortIsClosedAndReported()
    {
        Port port;
        port.comm->setReconnect(false);
        QVERIFY(openAndWait(*port.comm));
        QSignalSpy changed(port.comm.get(), &CommPort::stateChanged);
        port.fake->unplug();
        QCOMPARE(changed.size(), 1);
        QCOMPARE(port.comm->state(), CommPort::State::Closed);
        QCOMPARE(port.comm->lastFailure(), std::optional(SerialError::Lost));
        QCOMPARE(port.comm->portOpen(), std::optional(false));
        QCOMPARE(port.fake->opened, false);
        QCOMPARE(port.comm->input(), std::nullopt);
    }

    void anUnreadableStateIsNotOpen()
    {
        Port port;
        QVERIFY(openAndWait(*port.comm));
        port.fake->stateUnreadable = true;
        QCOMPARE(port.comm->portOpen(), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestCommPort)
#include "tst_commport.moc"
