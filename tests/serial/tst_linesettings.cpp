#include "serial/linesettings.h"

#include <QTest>

Q_DECLARE_METATYPE(LineSettings)

class TestLineSettings : public QObject
{
    Q_OBJECT

private slots:
    void acceptsSettings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<LineSettings>("expected");
        QTest::newRow("defaults") << "9600,n,8,1" << LineSettings{9600, Parity::None, 8, 1};
        QTest::newRow("fastest listed rate, even, two stop bits")
            << "115200,e,7,2" << LineSettings{115200, Parity::Even, 7, 2};
        QTest::newRow("slowest listed rate, odd, five bits")
            << "110,o,5,1" << LineSettings{110, Parity::Odd, 5, 1};
        QTest::newRow("space parity upper case") << "1200,S,6,1" << LineSettings{1200, Parity::Space, 6, 1};
        QTest::newRow("mark parity") << "2400,m,8,2" << LineSettings{2400, Parity::Mark, 8, 2};
        QTest::newRow("custom rate") << "250000,n,8,1" << LineSettings{250000, Parity::None, 8, 1};
    }
    void acceptsSettings()
    {
        QFETCH(QString, text);
        QFETCH(LineSettings, expected);
        QCOMPARE(parseLineSettings(text), std::optional(expected));
    }

    void refusesSettings_data()
    {
        QTest::addColumn<QString>("text");
        for (const char *text : {"",
                                 "9600,n,8",
                                 "9600,n,8,1,",
                                 "9600,n,8,1,1",
                                 "9600, n,8,1",
                                 " 9600,n,8,1",
                                 "9600,n,8,1 ",
                                 "0,n,8,1",
                                 "-9600,n,8,1",
                                 "+9600,n,8,1",
                                 "96OO,n,8,1",
                                 "9600.5,n,8,1",
                                 "99999999999,n,8,1",
                                 "2147483648,n,8,1",
                                 "9600,x,8,1",
                                 "9600,,8,1",
                                 "9600,nn,8,1",
                                 "9600,n,4,1",
                                 "9600,n,9,1",
                                 "9600,n,8,0",
                                 "9600,n,8,1.5",
                                 "9600,n,8,3",
                                 "9600;n;8;1"})
            QTest::newRow(*text ? text : "empty") << QString::fromLatin1(text);
        QTest::newRow("line feed after the stop bits") << QStringLiteral("9600,n,8,1\n");
    }
    void refusesSettings()
    {
        QFETCH(QString, text);
        QCOMPARE(parseLineSettings(text), std::nullopt);
    }

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
        QCOMPARE(portDeviceName(text).value_or(QString()), device);
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
        const auto remote = remotePort(text);
        QCOMPARE(remote ? remote->address() : QString(), address);
        if (remote)
            QCOMPARE(remote->protocol == RemotePort::Protocol::Tcp, tcp);
    }
};

QTEST_GUILESS_MAIN(TestLineSettings)
#include "tst_linesettings.moc"
