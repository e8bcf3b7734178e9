#include "port/portaddress.h"

#include <QTest>

// What the port box names: devices by number, name or path, and ports on other machines.
class TestPortAddress : public QObject
{
    Q_OBJECT

private slots:
    void portDevice_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("device");
        QTest::newRow("port 1 is the first device") << "1"
                                                    << "/dev/ttyS0";
        QTest::newRow("port 12") << "12"
                                 << "/dev/ttyS11";
        QTest::newRow("largest 16-bit port") << "32767"
                                             << "/dev/ttyS32766";
        QTest::newRow("absolute path") << "/dev/ttyUSB0"
                                       << "/dev/ttyUSB0";
        QTest::newRow("path by id") << "/dev/serial/by-id/usb-FTDI_A1-if00"
                                    << "/dev/serial/by-id/usb-FTDI_A1-if00";
        QTest::newRow("bare name") << "ttyACM0"
                                   << "/dev/ttyACM0";
        QTest::newRow("refused: empty") << "" << QString();
        QTest::newRow("refused: zero") << "0" << QString();
        QTest::newRow("refused: negative") << "-1" << QString();
        QTest::newRow("refused: beyond 16 bits") << "32768" << QString();
        QTest::newRow("refused: fraction") << "1.5" << QString();
        QTest::newRow("refused: spaces inside") << "tty S0" << QString();
        QTest::newRow("refused: relative path") << "dev/ttyS0" << QString();
        QTest::newRow("refused: climbs out of /dev") << "/dev/../etc/passwd" << QString();
        QTest::newRow("refused: root alone") << "/" << QString();
        QTest::newRow("refused: trailing slash") << "/dev/" << QString();
        QTest::newRow("refused: line feed after a number") << "1\n" << QString();
        QTest::newRow("refused: line feed after a name") << "ttyUSB0\n" << QString();
        QTest::newRow("refused: line feed after a path") << "/dev/ttyUSB0\n" << QString();
        QTest::newRow("refused: ideographic space in a path") << "/dev/tty\u3000S0" << QString();
        QTest::newRow("refused: no-break space in a path") << "/dev/tty\u00A0S0" << QString();
        QTest::newRow("refused: NUL in a path") << QStringLiteral("/dev/ttyS0\0x") << QString();
        QTest::newRow("remote port stands as typed") << "rfc2217://127.0.0.1:7000"
                                                     << "rfc2217://127.0.0.1:7000";
        QTest::newRow("refused: remote port without a port number") << "rfc2217://pi4.local" << QString();
    }
    void portDevice()
    {
        QFETCH(QString, text);
        QFETCH(QString, device);
        const auto address = PortAddress::parse(text);
        QCOMPARE(address ? address->name() : QString(), device);
    }

    void remotePortText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("tcp");
        QTest::addColumn<QString>("address"); // empty when refused
        QTest::newRow("rfc2217 to an IPv4 address")
            << "rfc2217://127.0.0.1:7000" << false << "127.0.0.1:7000";
        QTest::newRow("rfc2217 to a name") << "rfc2217://pi4.local:7000" << false << "pi4.local:7000";
        QTest::newRow("rfc2217 to IPv6 in brackets") << "rfc2217://[::1]:7000" << false << "[::1]:7000";
        QTest::newRow("scheme in capitals") << "RFC2217://host:1" << false << "host:1";
        QTest::newRow("raw tcp") << "tcp://bridge-1:65535" << true << "bridge-1:65535";
        QTest::newRow("refused: port 0") << "rfc2217://host:0" << false << "";
        QTest::newRow("refused: port beyond 16 bits") << "tcp://host:65536" << true << "";
        QTest::newRow("refused: signed port") << "tcp://host:+80" << true << "";
        QTest::newRow("refused: no host") << "rfc2217://:7000" << false << "";
        QTest::newRow("refused: IPv6 without brackets") << "rfc2217://::1:7000" << false << "";
        QTest::newRow("refused: unclosed bracket") << "rfc2217://[::1:7000" << false << "";
        QTest::newRow("refused: name inside brackets") << "rfc2217://[localhost]:7000" << false << "";
        QTest::newRow("refused: path after the port") << "rfc2217://host:7000/x" << false << "";
        QTest::newRow("refused: user before the host") << "rfc2217://me@host:7000" << false << "";
        QTest::newRow("refused: space in the host") << "tcp://my host:7000" << true << "";
        QTest::newRow("refused: empty label") << "tcp://a..b:7000" << true << "";
        QTest::newRow("refused: other scheme") << "telnet://host:7000" << false << "";
    }
    void remotePortText()
    {
        QFETCH(QString, text);
        QFETCH(bool, tcp);
        QFETCH(QString, address);
        const auto remote = PortAddress::parse(text);
        QCOMPARE(remote && remote->isRemote() ? remote->hostAndPort() : QString(), address);
        if (remote)
            QCOMPARE(remote->kind() == PortAddress::Kind::Tcp, tcp);
    }
};

QTEST_GUILESS_MAIN(TestPortAddress)
#include "tst_portaddress.moc"
