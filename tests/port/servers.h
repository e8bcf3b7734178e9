#pragma once

#include "../opening.h"
#include "port/commport.h"
#include "port/remotebackend.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace QTest {
template <> inline char *toString(const std::optional<SerialError> &failure)
{
    return qstrdup(failure ? QByteArray::number(int(*failure)).constData() : "none");
}
} // namespace QTest

// Servers on loopback for the network port, started by the test and stopped with it; nothing else is reached.

// A port nobody listens on now; the server started next takes it.
inline quint16 freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), size);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

// Told by the kernel's table, so that waiting for a server never connects to it.
inline bool isListening(quint16 port)
{
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray local = QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields[1].endsWith(':' + local) && fields[3] == "0A")
            return true;
    }
    return false;
}

// A TCP socket on a free port of 127.0.0.1, listening unless told not to; the kernel completes a handshake
// with a listening socket without accept().
struct LoopbackSocket
{
    explicit LoopbackSocket(bool listening = true)
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ready = ::bind(fd, reinterpret_cast<sockaddr *>(&address), size) == 0 &&
                ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size) == 0 &&
                (!listening || ::listen(fd, 1) == 0);
        port = ntohs(address.sin_port);
    }
    ~LoopbackSocket() { ::close(fd); }
    LoopbackSocket(const LoopbackSocket &) = delete;
    LoopbackSocket &operator=(const LoopbackSocket &) = delete;

    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    quint16 port = 0;
    bool ready = false;
};

// Numeric addresses stand for themselves and one made-up name gives two; nothing is ever resolved, and a
// name told to hang never answers.
struct LoopbackLookup : NameLookup
{
    void lookUp(const QString &host, QObject *receiver, Found found) override
    {
        ++asked;
        if (host == QLatin1String("hangs.invalid"))
            return;
        QList<QHostAddress> addresses;
        // A name that, as often for localhost, gives IPv6 first.
        if (host == QLatin1String("both.invalid"))
            addresses = {QHostAddress(QStringLiteral("::1")), QHostAddress(QStringLiteral("127.0.0.1"))};
        else if (QHostAddress numeric; numeric.setAddress(host))
            addresses = {numeric};
        QMetaObject::invokeMethod(
            receiver, [found, addresses] { found(addresses); }, Qt::QueuedConnection);
    }
    int asked = 0;
};

// The port component over the remote backend alone.
struct RemoteFixture
{
    LoopbackLookup lookup;
    RemoteBackend *backend = new RemoteBackend(&lookup);
    CommPort comm{std::unique_ptr<SerialBackend>(backend)};

    // Opens with the settings and waits for the server's answer, however long it takes.
    std::optional<SerialError> open(const QString &device,
                                    const QString &settings = QStringLiteral("9600,n,8,1"))
    {
        comm.setCommPort(device);
        comm.setSettings(settings);
        openAndWait(comm, 60000);
        return comm.lastFailure();
    }
};

// A server that ends with the test even when the test crashes.
inline void endWithTheTest(QProcess &process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

inline void stopProcess(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000))
        process.kill();
    process.waitForFinished(5000);
}
