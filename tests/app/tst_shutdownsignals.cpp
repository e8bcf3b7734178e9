#include "app/shutdownsignals.h"

#include <QTest>

// A shut-down signal reaches the event loop as one call and leaves the process running until then.
class TestShutdownSignals : public QObject
{
    Q_OBJECT

private slots:
    void eachSignalRunsTheShutDownOnTheEventLoop_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
        QTest::newRow("SIGINT") << SIGINT;
    }
    void eachSignalRunsTheShutDownOnTheEventLoop()
    {
        QFETCH(int, signal);
        struct sigaction before = {};
        sigaction(signal, nullptr, &before);
        int shutDowns = 0;
        {
            ShutdownSignals shutdownSignals([&] { ++shutDowns; });
            QCOMPARE(::raise(signal), 0);
            QCOMPARE(shutDowns, 0);
            QTRY_COMPARE(shutDowns, 1);
        }
        struct sigaction after = {};
        sigaction(signal, nullptr, &after);
        QVERIFY(after.sa_sigaction == before.sa_sigaction);
    }
};

QTEST_MAIN(TestShutdownSignals)
#include "tst_shutdownsignals.moc"
