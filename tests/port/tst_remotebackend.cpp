#include "../ptypair.h"
#include "servers.h"

#include "port/capture.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>

// A remote port against Debian's ser2net serving a pseudo-terminal, and the reasons a remote open fails.
class TestRemoteBackend : public QObject
{
    Q_OBJECT

    // ser2net on a fresh loopback port, serving the pseudo-terminal's slave over RFC 2217.
    struct Ser2net
    {
        PtyPair pty;
        QTemporaryDir dir;
        QProcess process;
        quint16 port = freeLoopbackPort();
        QString url = QStringLiteral("rfc2217://127.0.0.1:%1").arg(port);

        Ser2net()
        {
            QFile config(dir.filePath(QStringLiteral("ser2net.yaml")));
            if (!config.open(QIODevice::WriteOnly))
                return;
            QTextStream(&config) << "connection: &k\n"
                                 << "  accepter: telnet(rfc2217),tcp,127.0.0.1," << port << "\n"
                                 << "  connector: serialdev," << pty.slavePath << ",9600n81,local\n";
            config.close();
            endWithTheTest(process);
            process.start(QStringLiteral("/usr/sbin/ser2net"),
                          {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"),
                           config.fileName(), QStringLiteral("-P"), dir.filePath(QStringLiteral("pid"))});
        }
        ~Ser2net() { stopProcess(process); }
        bool listening() const { return process.state() == QProcess::Running && isListening(port); }
    };

private slots:
    void everyByteArrivesAndIsCapturedExactly()
    {
        Ser2net server;
        QTRY_VERIFY_WITH_TIMEOUT(server.listening(), 10000);
        QTemporaryDir dir;
        QString reason;
        auto capture = Capture::open(dir.filePath(QStringLiteral("log")), &reason);
        QVERIFY2(capture, qPrintable(reason));
        RemoteFixture f;
        f.comm.setCapture(capture.get());
        QCOMPARE(f.open(server.url), std::nullopt);
        QCOMPARE(f.comm.portOpen(), std::optional(true));

        QByteArray sent(1024 * 1024, Qt::Uninitialized);
        QRandomGenerator(23).fillRange(reinterpret_cast<quint32 *>(sent.data()), sent.size() / 4);
        sent[0] = char(0xFF);
        sent[1] = char(0xFF);
        QByteArray received;
        qsizetype written = 0;
        const int flags = ::fcntl(server.pty.master(), F_GETFL);
        ::fcntl(server.pty.master(), F_SETFL, flags | O_NONBLOCK);
        // Written as the pseudo-terminal takes it, read as it comes; only a stall of the whole path fails.
        // The port keeps only so much between two reads, so no more than that is in flight, however late the
        // test gets to read.
        QElapsedTimer sinceProgress;
        sinceProgress.start();
        while (received.size() < sent.size() && sinceProgress.elapsed() < 30000) {
            bool wrote = false;
            if (written < sent.size() && written - received.size() < CommPort::ReceiveCapacity / 2) {
                const ssize_t n = ::write(server.pty.master(), sent.constData() + written,
                                          size_t(qMin<qsizetype>(4096, sent.size() - written)));
                wrote = n > 0;
                if (wrote)
                    written += n;
            }
            QTest::qWait(1);
            const QByteArray bytes = *f.comm.input();
            if (!bytes.isEmpty() || wrote)
                sinceProgress.restart();
            received += bytes;
        }
        QCOMPARE(received.size(), sent.size());
        QVERIFY(received == sent);
        f.comm.setPortOpen(false);
        capture->close();
        QFile log(dir.filePath(QStringLiteral("log")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll() == sent);
    }

    void aPickOfTheSamePortAppliesTheSettingsOnTheSession()
    {
        Ser2net server;
        QTRY_VERIFY_WITH_TIMEOUT(server.listening(), 10000);
        RemoteFixture f;
        QCOMPARE(f.open(server.url), std::nullopt);
        f.comm.setPortOpen(false);
        QCOMPARE(f.open(server.url, QStringLiteral("19200,n,8,2")), std::nullopt);
        const KernelTermios2 termios = server.pty.slaveTermios();
        QCOMPARE(termios.ospeed, speed_t(19200));
        QVERIFY(termios.cflag & CSTOPB);
        QCOMPARE(f.comm.settingsInForce(), (LineSettings{19200, Parity::None, 8, 2}));
        // Both lines go out at every open; ser2net on a pseudo-terminal, which refuses them, never answers.
        QTRY_COMPARE_WITH_TIMEOUT(f.comm.notes(),
                                  QStringList{QStringLiteral("сервер не подтвердил: DTR, RTS")}, 15000);
    }

    void aSecondUserIsToldTheServerIsBusy()
    {
        Ser2net server;
        QTRY_VERIFY_WITH_TIMEOUT(server.listening(), 10000);
        RemoteFixture first;
        QCOMPARE(first.open(server.url), std::nullopt);
        RemoteFixture second;
        QCOMPARE(second.open(server.url), std::optional(SerialError::ServerBusy));
    }

    void aServerThatGoesAwayLosesThePort()
    {
        Ser2net server;
        QTRY_VERIFY_WITH_TIMEOUT(server.listening(), 10000);
        RemoteFixture f;
        QCOMPARE(f.open(server.url), std::nullopt);
        f.comm.setReconnect(false);
        server.process.kill();
        QTRY_COMPARE_WITH_TIMEOUT(f.comm.state(), CommPort::State::Closed, 10000);
        QCOMPARE(f.comm.portOpen(), std::optional(false));
        QCOMPARE(f.comm.lastFailure(), std::optional(SerialError::Lost));
    }

    void rawTcpCarriesTheBytesAsTheyCome()
    {
        const LoopbackSocket listener;
        QVERIFY(listener.ready);
        RemoteFixture f;
        // Listening on IPv4 only, reached by a name whose first address is IPv6.
        QCOMPARE(f.open(QStringLiteral("tcp://both.invalid:%1").arg(listener.port)), std::nullopt);
        QCOMPARE(f.comm.notes(),
                 QStringList{QStringLiteral(
                     "tcp: скорость, чётность, биты данных, стоповые биты, DTR и RTS здесь не действуют")});
        const int peer = ::accept(listener.fd, nullptr, nullptr);
        // No telnet here: a doubled 0xFF stays doubled.
        const QByteArray sent("\xff\xff\x01\r\nabc", 8);
        QCOMPARE(::write(peer, sent.constData(), size_t(sent.size())), ssize_t(sent.size()));
        QByteArray received;
        QTRY_VERIFY_WITH_TIMEOUT((received += *f.comm.input()).size() >= sent.size(), 10000);
        QCOMPARE(received, sent);
        ::close(peer);
    }

    void aNameThatNeverAnswersHoldsNothingUp()
    {
        const LoopbackSocket listener;
        QVERIFY(listener.ready);
        RemoteFixture f;
        f.comm.setCommPort(QStringLiteral("rfc2217://hangs.invalid:7000"));
        f.comm.setPortOpen(true);
        QCOMPARE(f.comm.state(), CommPort::State::Opening);
        f.comm.setPortOpen(false);
        QCOMPARE(f.comm.state(), CommPort::State::Closed);
        QCOMPARE(f.open(QStringLiteral("tcp://127.0.0.1:%1").arg(listener.port)), std::nullopt);
        QCOMPARE(f.lookup.asked, 2);
    }

    void failuresAreToldApart_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<SerialError>("failure");
        QTest::newRow("unknown host") << "name" << SerialError::HostNotFound;
        QTest::newRow("nobody listening") << "closed" << SerialError::ConnectionRefused;
        QTest::newRow("accepts and stays silent") << "silent" << SerialError::NoAnswer;
        QTest::newRow("speaks, but not RFC 2217") << "chatty" << SerialError::NotRfc2217;
    }
    void failuresAreToldApart()
    {
        QFETCH(QString, kind);
        QFETCH(SerialError, failure);
        const LoopbackSocket listener(kind != QLatin1String("closed"));
        QVERIFY(listener.ready);
        const QString host = kind == QLatin1String("name") ? QStringLiteral("no-such-host.invalid")
                                                           : QStringLiteral("127.0.0.1");
        RemoteFixture f;
        f.comm.setCommPort(QStringLiteral("rfc2217://%1:%2").arg(host).arg(listener.port));
        f.comm.setPortOpen(true);
        int peer = -1;
        if (kind == QLatin1String("chatty")) {
            pollfd waiting{listener.fd, POLLIN, 0};
            QTRY_VERIFY(::poll(&waiting, 1, 0) == 1);
            peer = ::accept(listener.fd, nullptr, nullptr);
            QCOMPARE(::write(peer, "login: ", 7), 7);
        }
        QTRY_VERIFY_WITH_TIMEOUT(f.comm.state() != CommPort::State::Opening, 60000);
        QCOMPARE(f.comm.lastFailure(), std::optional(failure));
        if (peer >= 0)
            ::close(peer);
    }
};

QTEST_MAIN(TestRemoteBackend)
#include "tst_remotebackend.moc"
