#include "port/serialdevices.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A root directory laid out as sysfs and /dev are: a standard UART, an empty 8250 slot, a USB adapter with a
// stable name, a device whose node is gone, and a console.
struct FakeRoot
{
    QTemporaryDir dir;

    FakeRoot()
    {
        file("sys/class/tty/ttyS0/type", "4\n");
        file("sys/class/tty/ttyS1/type", "0\n");
        file("sys/class/tty/ttyS10/type", "4\n");
        for (const char *name : {"ttyS0", "ttyS1", "ttyS10"})
            QDir(dir.path()).mkpath(QStringLiteral("sys/class/tty/%1/device").arg(QLatin1String(name)));
        QDir(dir.path()).mkpath(QStringLiteral("sys/devices/usb1/ttyUSB0/device"));
        QDir(dir.path()).mkpath(QStringLiteral("sys/devices/usb1/ttyACM0/device"));
        QFile::link(dir.filePath("sys/devices/usb1/ttyUSB0"), dir.filePath("sys/class/tty/ttyUSB0"));
        QFile::link(dir.filePath("sys/devices/usb1/ttyACM0"), dir.filePath("sys/class/tty/ttyACM0"));
        QDir(dir.path()).mkpath(QStringLiteral("sys/class/tty/tty0"));
        for (const char *node : {"ttyS0", "ttyS1", "ttyS10", "ttyUSB0", "tty0"})
            file(QStringLiteral("dev/%1").arg(QLatin1String(node)), "");
        QDir(dir.path()).mkpath(QStringLiteral("dev/serial/by-id"));
        QFile::link(QStringLiteral("../../ttyUSB0"),
                    dir.filePath("dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0"));
    }

    void file(const QString &path, const QByteArray &content)
    {
        QDir(dir.path()).mkpath(QFileInfo(path).path());
        QFile out(dir.filePath(path));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(content);
    }
};

const QString usbById = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0");

} // namespace

class TestSerialDevices : public QObject
{
    Q_OBJECT

private slots:
    void findsPresentDevicesAndHowToTypeThem()
    {
        FakeRoot root;
        const QList<SerialDevice> expected{
            {QStringLiteral("/dev/ttyS0"), {QStringLiteral("1")}},
            {QStringLiteral("/dev/ttyS10"), {QStringLiteral("11")}},
            {QStringLiteral("/dev/ttyUSB0"), {QStringLiteral("ttyUSB0"), usbById}}};
        QCOMPARE(presentSerialDevices(root.dir.path()), expected);
    }

    void helpStartsWithTheTypedTextAndTheDeviceItNames_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("named");
        QTest::newRow("port number") << "1"
                                     << "«1» — /dev/ttyS0";
        QTest::newRow("bare name") << "ttyUSB0"
                                   << "«ttyUSB0» — /dev/ttyUSB0";
        QTest::newRow("stable path") << usbById << "«" + usbById + "» — " + usbById;
        QTest::newRow("absent port number") << "13"
                                            << "«13» — /dev/ttyS12: нет такого устройства";
        QTest::newRow("text naming no device") << "<b>a b</b>"
                                               << "«<b>a b</b>» — нет такого устройства";
        QTest::newRow("remote port")
            << "rfc2217://[::1]:7000"
            << "«rfc2217://[::1]:7000» — порт на другой машине, [::1]:7000, RFC 2217";
        QTest::newRow("raw TCP port")
            << "tcp://bridge:23"
            << "«tcp://bridge:23» — порт на другой машине, bridge:23, TCP: только байты";
    }
    void helpStartsWithTheTypedTextAndTheDeviceItNames()
    {
        QFETCH(QString, typed);
        QFETCH(QString, named);
        FakeRoot root;
        const QString expected = QStringLiteral("В поле порта набрано:\n") + named +
                                 QStringLiteral("\nПоследовательные устройства сейчас (что набрать):\n"
                                                "/dev/ttyS0 — 1\n"
                                                "/dev/ttyS10 — 11\n"
                                                "/dev/ttyUSB0 — ttyUSB0 или ") +
                                 usbById;
        QCOMPARE(portBoxHelp(typed, root.dir.path()), expected);
    }

    void helpSaysWhenNoDeviceIsPresent()
    {
        QTemporaryDir empty;
        QCOMPARE(portBoxHelp(QStringLiteral("1"), empty.path()),
                 QStringLiteral("В поле порта набрано:\n«1» — /dev/ttyS0: нет такого устройства\n"
                                "Последовательных устройств не найдено."));
    }
};

QTEST_GUILESS_MAIN(TestSerialDevices)
#include "tst_serialdevices.moc"
