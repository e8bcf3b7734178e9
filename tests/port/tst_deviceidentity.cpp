#include "port/deviceidentity.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A /dev under a temporary root: nodes by name, and stable names as "by-id name>node".
struct FakeDev
{
    QTemporaryDir root;

    void lay(const QStringList &entries)
    {
        QDir dev(root.filePath(QStringLiteral("dev")));
        dev.removeRecursively();
        dev.mkpath(QStringLiteral("serial/by-id"));
        for (const QString &entry : entries) {
            const QStringList parts = entry.split(QLatin1Char('>'));
            if (parts.size() == 2)
                QFile::link(QStringLiteral("../../") + parts[1],
                            dev.filePath(QStringLiteral("serial/by-id/") + parts[0]));
            else
                QFile(dev.filePath(entry)).open(QIODevice::WriteOnly);
        }
    }
};

const QString adapterA = QStringLiteral("usb-FTDI_FT232R_A1-if00-port0");
const QString adapterB = QStringLiteral("usb-FTDI_FT232R_B2-if00-port0");

} // namespace

// Which device a lost port is, and whether what sits under its names now is that device.
class TestDeviceIdentity : public QObject
{
    Q_OBJECT

private slots:
    void onlyTheSameDeviceIsReopened_data()
    {
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QStringList>("atOpen");
        QTest::addColumn<QString>("identity");
        QTest::addColumn<QStringList>("later");
        QTest::addColumn<QString>("reopened"); // empty: nothing is opened

        const QString byIdA = QStringLiteral("/dev/serial/by-id/") + adapterA;
        const QStringList aAsUsb0{"ttyUSB0", adapterA + ">ttyUSB0"};
        QTest::newRow("same adapter back under a new name")
            << "/dev/ttyUSB0" << aAsUsb0 << byIdA << QStringList{"ttyUSB1", adapterA + ">ttyUSB1"}
            << "/dev/ttyUSB1";
        QTest::newRow("another adapter under the old name")
            << "/dev/ttyUSB0" << aAsUsb0 << byIdA << QStringList{"ttyUSB0", adapterB + ">ttyUSB0"} << "";
        QTest::newRow("adapter still away") << "/dev/ttyUSB0" << aAsUsb0 << byIdA << QStringList{} << "";
        QTest::newRow("stable name left behind by its device")
            << "/dev/ttyUSB0" << aAsUsb0 << byIdA << QStringList{adapterA + ">ttyUSB0"} << "";
        QTest::newRow("port named by its stable name follows it")
            << byIdA << aAsUsb0 << byIdA << QStringList{"ttyUSB1", adapterA + ">ttyUSB1"} << byIdA;
        QTest::newRow("device without a stable name back by its path")
            << "/dev/ttyS4" << QStringList{"ttyS4", "ttyUSB0", adapterA + ">ttyUSB0"} << "/dev/ttyS4"
            << QStringList{"ttyS4"} << "/dev/ttyS4";
    }
    void onlyTheSameDeviceIsReopened()
    {
        QFETCH(QString, opened);
        QFETCH(QStringList, atOpen);
        QFETCH(QString, identity);
        QFETCH(QStringList, later);
        QFETCH(QString, reopened);
        FakeDev dev;
        dev.lay(atOpen);
        QCOMPARE(deviceIdentity(*PortAddress::parse(opened), dev.root.path()), identity);
        dev.lay(later);
        QCOMPARE(returnedDevice(identity, opened, dev.root.path()).value_or(QString()), reopened);
    }
};

QTEST_GUILESS_MAIN(TestDeviceIdentity)
#include "tst_deviceidentity.moc"
