#include "../opening.h"
#include "port/commport.h"
#include "port/demodevice.h"
#include "port/qtbackend.h"

#include <QElapsedTimer>
#include <QTest>

// The built-in sample instrument: a port on its terminal reads lines and frames, no faster than 9600 baud.
class TestDemoDevice : public QObject
{
    Q_OBJECT

private slots:
    void aPortOnItsTerminalReadsTheStreamAtLinePace()
    {
        QElapsedTimer clock;
        clock.start();
        DemoDevice device;
        QVERIFY2(device.path().startsWith(QStringLiteral("/dev/pts/")), qPrintable(device.path()));

        CommPort port(std::make_unique<QtSerialBackend>());
        QVERIFY(port.setCommPort(device.path()));
        QVERIFY(openAndWait(port));
        QByteArray received;
        QTRY_VERIFY_WITH_TIMEOUT((received += port.input().value_or(QByteArray())).contains('\x7F'), 10000);

        QVERIFY(received.contains("\r\n"));
        QVERIFY(received.contains('\x7E'));
        QVERIFY(received.contains("\xCA\xE0\xED\xE0\xEB")); // "Канал" in Windows-1251
        // Only an upper bound: a loaded machine may deliver less, never more than the line can carry.
        QVERIFY2(received.size() <= clock.elapsed() * DemoDevice::BytesPerSecond / 1000 + 64,
                 qPrintable(QString::number(received.size())));
    }
};

QTEST_MAIN(TestDemoDevice)
#include "tst_demodevice.moc"
