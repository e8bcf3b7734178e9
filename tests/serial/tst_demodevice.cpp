#include "serial/commport.h"
#include "serial/demodevice.h"
#include "serial/qtbackend.h"

#include <QElapsedTimer>
#include <QTest>

// The built-in sample instrument: what it sends, that a real port reads it, and that it keeps a 9600-baud
// pace.
class TestDemoDevice : public QObject
{
    Q_OBJECT

private slots:
    void sendsLinesAndFrames_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<QByteArray>("end");

        // "Канал" in Windows-1251.
        QTest::newRow("first line") << 0 << QByteArray("\xCA\xE0\xED\xE0\xEB 1: U=")
                                    << QByteArray(" \xC2, T=");
        QTest::newRow("later line") << 5 << QByteArray("\xCA\xE0\xED\xE0\xEB 1: U=")
                                    << QByteArray("\xB0"
                                                  "C\r\n");
        QTest::newRow("binary frame") << 3 << QByteArray("\x7E\x03\x02") << QByteArray("\x7F");
    }

    void sendsLinesAndFrames()
    {
        QFETCH(int, n);
        QFETCH(QByteArray, start);
        QFETCH(QByteArray, end);

        const QByteArray message = DemoDevice::message(n);
        QVERIFY2(message.startsWith(start), message.toHex(' ').constData());
        QVERIFY2(message.contains(end), message.toHex(' ').constData());
        if (message.startsWith('\x7E')) {
            char check = 0;
            for (qsizetype i = 1; i < message.size() - 2; ++i)
                check ^= message[i];
            QCOMPARE(message.at(message.size() - 2), check);
        } else {
            QVERIFY(message.endsWith("\r\n"));
        }
    }

    void theReadingChanges()
    {
        QVERIFY(DemoDevice::message(0) != DemoDevice::message(1));
        QVERIFY(DemoDevice::message(3) != DemoDevice::message(7));
    }

    void aPortOnItsTerminalReadsTheStreamAtLinePace()
    {
        QElapsedTimer clock;
        clock.start();
        DemoDevice device;
        QVERIFY2(device.path().startsWith(QStringLiteral("/dev/pts/")), qPrintable(device.path()));

        CommPort port(std::make_unique<QtSerialBackend>());
        QVERIFY(port.setCommPort(device.path()));
        QVERIFY(port.setPortOpen(true));
        QByteArray received;
        QTRY_VERIFY_WITH_TIMEOUT((received += port.input().value_or(QByteArray())).contains('\x7F'), 10000);

        QVERIFY(received.contains("\r\n"));
        QVERIFY(received.contains("\xCA\xE0\xED\xE0\xEB"));
        // Only an upper bound: a loaded machine may deliver less, never more than the line can carry.
        QVERIFY2(received.size() <= clock.elapsed() * DemoDevice::BytesPerSecond / 1000 + 64,
                 qPrintable(QString::number(received.size())));
    }
};

QTEST_MAIN(TestDemoDevice)
#include "tst_demodevice.moc"
