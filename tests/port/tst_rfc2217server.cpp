#include "servers.h"

#include "port/serialdevices.h"

#include <QTemporaryDir>

// A remote port against pyserial's RFC 2217 server over its loop device, which takes what a pseudo-terminal
// cannot: data bits, parity and the modem lines, each reported back as the server holds it.
class TestRfc2217Server : public QObject
{
    Q_OBJECT

    // The server tells its port first, then "connected" for each client and "state ..." at each change.
    struct PyserialServer
    {
        QTemporaryDir dir;
        QProcess process;
        QStringList lines;
        QString url;

        PyserialServer()
        {
            QFile script(dir.filePath(QStringLiteral("server.py")));
            if (!script.open(QIODevice::WriteOnly))
                return;
            script.write(R"(import socket, serial, serial.rfc2217
port = serial.serial_for_url("loop://", timeout=0)
server = socket.socket()
server.bind(("127.0.0.1", 0))
server.listen(1)
print("port", server.getsockname()[1], flush=True)
class Connection:
    def __init__(self, sock): self.sock = sock
    def write(self, data): self.sock.sendall(data)
while True:
    sock, _ = server.accept()
    print("connected", flush=True)
    manager = serial.rfc2217.PortManager(port, Connection(sock))
    sock.settimeout(0.05)
    last = None
    while True:
        try:
            data = sock.recv(1024)
            if not data:
                break
            sock.sendall(b"".join(manager.filter(data)))
        except socket.timeout:
            pass
        manager.check_modem_lines()
        state = "state %d,%s,%d,%d dtr=%d rts=%d" % (port.baudrate, port.parity.lower(), port.bytesize,
                                                     port.stopbits, port.dtr, port.rts)
        if state != last:
            print(state, flush=True)
            last = state
    sock.close()
)");
            script.close();
            QObject::connect(&process, &QProcess::readyReadStandardOutput, [this] {
                while (process.canReadLine())
                    lines << QString::fromUtf8(process.readLine()).trimmed();
            });
            endWithTheTest(process);
            process.start(QStringLiteral("/usr/bin/python3"), {script.fileName()});
        }
        ~PyserialServer() { stopProcess(process); }

        bool ready()
        {
            if (url.isEmpty() && !lines.isEmpty() && lines.first().startsWith(QLatin1String("port ")))
                url = QStringLiteral("rfc2217://127.0.0.1:") + lines.first().mid(5);
            return !url.isEmpty();
        }
        QString lastState() const
        {
            for (auto line = lines.crbegin(); line != lines.crend(); ++line)
                if (line->startsWith(QLatin1String("state ")))
                    return line->mid(6);
            return {};
        }
    };

private slots:
    void dataBitsAndParityAreTheServers()
    {
        PyserialServer server;
        QTRY_VERIFY_WITH_TIMEOUT(server.ready(), 20000);
        RemoteFixture f;
        QCOMPARE(f.open(server.url, QStringLiteral("2400,e,7,2")), std::nullopt);
        QCOMPARE(f.comm.settingsInForce(), (LineSettings{2400, Parity::Even, 7, 2}));
        QTRY_COMPARE_WITH_TIMEOUT(server.lastState(), QStringLiteral("2400,e,7,2 dtr=0 rts=0"), 10000);
        QCOMPARE(f.comm.notes(), QStringList());

        QCOMPARE(serverReport(&f.comm, server.url), QStringLiteral("Сервер сообщает: 2400,e,7,2"));
    }

    void theLinesReachTheServer()
    {
        PyserialServer server;
        QTRY_VERIFY_WITH_TIMEOUT(server.ready(), 20000);
        RemoteFixture f;
        QCOMPARE(f.open(server.url), std::nullopt);
        f.comm.setDTREnable(true);
        QTRY_COMPARE_WITH_TIMEOUT(server.lastState(), QStringLiteral("9600,n,8,1 dtr=1 rts=0"), 10000);
        f.comm.setRTSEnable(true);
        f.comm.setDTREnable(false);
        QTRY_COMPARE_WITH_TIMEOUT(server.lastState(), QStringLiteral("9600,n,8,1 dtr=0 rts=1"), 10000);
        QCOMPARE(f.comm.notes(), QStringList());
    }

    // The loop device wires RTS to CTS and DTR to DSR, with CD raised and RI dropped.
    void theDevicesLinesFollowTheWindowsOwn()
    {
        PyserialServer server;
        QTRY_VERIFY_WITH_TIMEOUT(server.ready(), 20000);
        RemoteFixture f;
        QCOMPARE(f.open(server.url), std::nullopt);
        const auto lines = [&f] {
            f.comm.input();
            return f.comm.lastStatus().lines;
        };
        QTRY_VERIFY_WITH_TIMEOUT(lines() == InputLines({false, false, true, false}), 5000);
        f.comm.setRTSEnable(true);
        QTRY_VERIFY_WITH_TIMEOUT(lines() == InputLines({true, false, true, false}), 5000);
        f.comm.setDTREnable(true);
        f.comm.setRTSEnable(false);
        QTRY_VERIFY_WITH_TIMEOUT(lines() == InputLines({false, true, true, false}), 5000);
        QVERIFY(!f.comm.lastStatus().errors);
    }

    void aPickOfTheSamePortKeepsTheSession()
    {
        PyserialServer server;
        QTRY_VERIFY_WITH_TIMEOUT(server.ready(), 20000);
        RemoteFixture f;
        f.comm.setRTSEnable(true);
        QCOMPARE(f.open(server.url), std::nullopt);
        f.comm.setPortOpen(false);
        QCOMPARE(f.open(server.url, QStringLiteral("19200,o,8,1")), std::nullopt);
        QTRY_COMPARE_WITH_TIMEOUT(server.lastState(), QStringLiteral("19200,o,8,1 dtr=0 rts=1"), 10000);
        QCOMPARE(server.lines.count(QStringLiteral("connected")), 1);
    }
};

QTEST_MAIN(TestRfc2217Server)
#include "tst_rfc2217server.moc"
