#include "../opening.h"
#include "../ptypair.h"
#include "port/commport.h"
#include "port/qtbackend.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>

Q_DECLARE_METATYPE(SerialError)

namespace {

// A device on this machine answers on the next turn of the event loop, never inside open().
std::optional<SerialError> openAtOnce(SerialBackend &backend, const QString &device)
{
    std::optional<SerialError> answer = SerialError::Io;
    int answers = 0;
    const auto connection = QObject::connect(&backend, &SerialBackend::openFinished, [&](auto failure) {
        answer = failure;
        ++answers;
    });
    backend.open(*PortAddress::parse(device), LineSettings{});
    const bool answeredInside = answers > 0;
    QCoreApplication::processEvents();
    QObject::disconnect(connection);
    return !answeredInside && answers == 1 ? answer : SerialError::Io;
}

// Period 251 against writes of other sizes: a lost, doubled or reordered chunk changes the bytes.
QByteArray sequence(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(i % 251);
    return bytes;
}

// AddressSanitizer's quarantine keeps freed blocks resident, so the peak says nothing under it.
#ifdef __SANITIZE_ADDRESS__
constexpr bool peakResidentSizeIsMeaningful = false;
#else
constexpr bool peakResidentSizeIsMeaningful = true;
#endif

qint64 statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong();
    return -1;
}

QByteArray &collect(CommPort &comm, QByteArray &received)
{
    return received += comm.input().value_or(QByteArray());
}

} // namespace

class TestQtBackend : public QObject
{
    Q_OBJECT

private slots:
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }

    void appliesRateAndStopBits_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<speed_t>("baud");
        QTest::addColumn<bool>("twoStopBits");
        QTest::newRow("standard 19200,n,8,1") << "19200,n,8,1" << speed_t(19200) << false;
        QTest::newRow("standard 110,o,7,2") << "110,o,7,2" << speed_t(110) << true;
        QTest::newRow("custom 250000,e,8,2") << "250000,e,8,2" << speed_t(250000) << true;
        QTest::newRow("custom 12345,m,5,1") << "12345,m,5,1" << speed_t(12345) << false;
    }
    void appliesRateAndStopBits()
    {
        QFETCH(QString, settings);
        QFETCH(speed_t, baud);
        QFETCH(bool, twoStopBits);
        PtyPair pty;
        CommPort comm(std::make_unique<QtSerialBackend>());
        QVERIFY(comm.setCommPort(pty.slavePath));
        QVERIFY(comm.setSettings(settings));
        QVERIFY(openAndWait(comm));
        const KernelTermios2 applied = pty.slaveTermios();
        QCOMPARE(applied.ospeed, baud);
        QCOMPARE(applied.ispeed, baud);
        QCOMPARE(bool(applied.cflag & CSTOPB), twoStopBits);
    }

    void lastCloseKeepsTheLines()
    {
        PtyPair pty;
        termios attributes{};
        QCOMPARE(::tcgetattr(pty.master(), &attributes), 0);
        attributes.c_cflag |= HUPCL;
        QCOMPARE(::tcsetattr(pty.master(), TCSANOW, &attributes), 0);
        QtSerialBackend backend;
        QCOMPARE(openAtOnce(backend, pty.slavePath), std::nullopt);
        QVERIFY(!(pty.slaveTermios().cflag & HUPCL));
        backend.close();
        QVERIFY(!(pty.slaveTermios().cflag & HUPCL));
    }

    void everyByteValueArrivesInOrder()
    {
        PtyPair pty;
        CommPort comm(std::make_unique<QtSerialBackend>());
        QVERIFY(comm.setCommPort(pty.slavePath));
        QVERIFY(openAndWait(comm));
        QByteArray all(256, Qt::Uninitialized);
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        QVERIFY(pty.writeAll(all));
        QByteArray received;
        QTRY_COMPARE(collect(comm, received), all);
    }

    void aPseudoTerminalTellsNeitherLinesNorErrors()
    {
        PtyPair pty;
        CommPort comm(std::make_unique<QtSerialBackend>());
        QVERIFY(comm.setCommPort(pty.slavePath));
        QVERIFY(openAndWait(comm));
        for (int look = 0; look < 2; ++look) {
            const DeviceStatus status = comm.deviceStatus();
            QVERIFY(!status.lines && !status.errors);
            QVERIFY(comm.input());
            QVERIFY(!comm.linesChangedAtLastInput() && !comm.errorsAtLastInput().any());
        }
    }

    void closingTheMasterLosesThePort()
    {
        PtyPair pty;
        CommPort comm(std::make_unique<QtSerialBackend>());
        QVERIFY(comm.setCommPort(pty.slavePath));
        QVERIFY(openAndWait(comm));
        pty.closeMaster();
        QTRY_COMPARE_WITH_TIMEOUT(comm.lastFailure(), std::optional(SerialError::Lost), 30000);
        QCOMPARE(comm.portOpen(), std::optional(false));
        QCOMPARE(comm.input(), std::nullopt);
    }

    void refusesWhatIsNoTerminal_data()
    {
        QTest::addColumn<QString>("path"); // relative to a fresh directory holding "fifo" and "file"
        QTest::addColumn<SerialError>("expected");
        QTest::newRow("/dev/null") << "/dev/null" << SerialError::NotATerminal;
        QTest::newRow("FIFO") << "fifo" << SerialError::NotATerminal;
        QTest::newRow("regular file") << "file" << SerialError::NotATerminal;
        QTest::newRow("directory") << "." << SerialError::NotATerminal;
        QTest::newRow("missing path") << "absent" << SerialError::NoSuchDevice;
        QTest::newRow("path below a regular file") << "file/port" << SerialError::NoSuchDevice;
    }
    void refusesWhatIsNoTerminal()
    {
        QFETCH(QString, path);
        QFETCH(SerialError, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo"))).constData(), 0600), 0);
        QFile file(dir.filePath(QStringLiteral("file")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QtSerialBackend backend;
        QCOMPARE(openAtOnce(backend, QDir(dir.path()).absoluteFilePath(path)), std::optional(expected));
        QCOMPARE(backend.isOpen(), std::optional(false));
    }

    void leavesTheSystemConsoleUnopened_data()
    {
        QTest::addColumn<QByteArray>("consoles"); // the names sysfs lists as active, "pty" for the test's
        QTest::addColumn<QByteArray>("ttyS0Number");
        QTest::addColumn<std::optional<SerialError>>("expected");
        const std::optional<SerialError> opens;
        QTest::newRow("the console") << QByteArray("ttyS0") << QByteArray("pty")
                                     << std::optional(SerialError::SystemConsole);
        QTest::newRow("one of several consoles")
            << QByteArray("tty0 ttyS0\n") << QByteArray("pty") << std::optional(SerialError::SystemConsole);
        QTest::newRow("a pty bound in place of the console's node")
            << QByteArray("ttyS0\n") << QByteArray("4:64") << opens;
        QTest::newRow("no console listed") << QByteArray() << QByteArray("pty") << opens;
    }
    void leavesTheSystemConsoleUnopened()
    {
        QFETCH(QByteArray, consoles);
        QFETCH(QByteArray, ttyS0Number);
        QFETCH(std::optional<SerialError>, expected);
        PtyPair pty;
        struct stat status;
        QCOMPARE(::stat(QFile::encodeName(pty.slavePath).constData(), &status), 0);
        if (ttyS0Number == "pty")
            ttyS0Number =
                QByteArray::number(major(status.st_rdev)) + ':' + QByteArray::number(minor(status.st_rdev));
        QTemporaryDir root;
        const auto write = [&](const QString &path, const QByteArray &content) {
            QVERIFY(QDir(root.path()).mkpath(QFileInfo(path).path()));
            QFile file(root.filePath(path));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        };
        write(QStringLiteral("sys/class/tty/ttyS0/dev"), ttyS0Number + '\n');
        write(QStringLiteral("sys/class/tty/tty0/dev"), "4:0\n");
        if (!consoles.isEmpty())
            write(QStringLiteral("sys/class/tty/console/active"), consoles);
        // Named as the console's node is, so that only the number can tell.
        const QString ttyS0 = root.filePath(QStringLiteral("ttyS0"));
        QVERIFY(QFile::link(pty.slavePath, ttyS0));
        QtSerialBackend backend;
        backend.setSystemRoot(root.path());
        QCOMPARE(openAtOnce(backend, ttyS0), expected);
        QCOMPARE(backend.isOpen(), std::optional(!expected));
    }

    void refusesAPortAlreadyHeld_data()
    {
        QTest::addColumn<bool>("throughSymlink");
        QTest::newRow("same name") << false;
        QTest::newRow("another name for the same device") << true;
    }
    void refusesAPortAlreadyHeld()
    {
        QFETCH(bool, throughSymlink);
        PtyPair pty;
        QTemporaryDir dir;
        QString second = pty.slavePath;
        if (throughSymlink) {
            second = dir.filePath(QStringLiteral("port"));
            QVERIFY(QFile::link(pty.slavePath, second));
        }
        QtSerialBackend holder;
        QtSerialBackend other;
        QCOMPARE(openAtOnce(holder, pty.slavePath), std::nullopt);
        QCOMPARE(openAtOnce(other, second), std::optional(SerialError::Busy));
        QCOMPARE(holder.isOpen(), std::optional(true));
        holder.close();
        QCOMPARE(openAtOnce(other, second), std::nullopt);
    }

    void modemLinesOnAPtyChangeNothing()
    {
        PtyPair pty;
        CommPort comm(std::make_unique<QtSerialBackend>());
        comm.setDTREnable(true);
        QVERIFY(comm.setCommPort(pty.slavePath));
        QVERIFY(openAndWait(comm));
        comm.setRTSEnable(true);
        comm.setDTREnable(false);
        QVERIFY(pty.writeAll("after the lines"));
        QByteArray received;
        QTRY_COMPARE(collect(comm, received), QByteArray("after the lines"));
        QCOMPARE(comm.portOpen(), std::optional(true));
        QCOMPARE(comm.lastFailure(), std::nullopt);
    }

    // About ten seconds: 115200 baud, 8N1, read at the polling rate.
    void steadyStreamArrivesExactlyOnce()
    {
        PtyPair pty;
        CommPort comm(std::make_unique<QtSerialBackend>());
        QVERIFY(comm.setCommPort(pty.slavePath));
        QVERIFY(openAndWait(comm));
        const QByteArray stream = sequence(100 * 1152);
        qsizetype sent = 0;
        QByteArray received;
        QTimer writer;
        connect(&writer, &QTimer::timeout, this, [&] {
            QVERIFY(pty.writeAll(QByteArrayView(stream).sliced(sent, 1152)));
            sent += 1152;
            if (sent == stream.size())
                writer.stop();
        });
        QTimer reader;
        connect(&reader, &QTimer::timeout, this, [&] { collect(comm, received); });
        writer.start(100);
        reader.start(100);
        QTRY_VERIFY_WITH_TIMEOUT(!writer.isActive(), 120000);
        QTRY_VERIFY_WITH_TIMEOUT(received.size() >= stream.size(), 30000);
        QCOMPARE(received, stream);
    }

    // A tick takes the first bytes up to the bound; what arrived beyond them is never shown, and nothing
    // after.
    void aFullReadingDiscardsOnlyWhatArrivedBeforeIt_data()
    {
        QTest::addColumn<qsizetype>("beyond");
        QTest::newRow("exactly the bound") << qsizetype(0);
        QTest::newRow("beyond it, held by Qt") << qsizetype(1000);
        QTest::newRow("beyond Qt's buffer, in the system's queue") << qsizetype(65536 + 2000);
    }
    void aFullReadingDiscardsOnlyWhatArrivedBeforeIt()
    {
        QFETCH(qsizetype, beyond);
        PtyPair pty;
        QVERIFY(::fcntl(pty.master(), F_SETFL, O_NONBLOCK) == 0);
        CommPort comm(std::make_unique<QtSerialBackend>());
        QVERIFY(comm.setCommPort(pty.slavePath));
        QVERIFY(openAndWait(comm));

        const QByteArray flood = sequence(CommPort::ReceiveCapacity + beyond);
        qsizetype sent = 0;
        const auto writeSome = [&] {
            const ssize_t written = ::write(pty.master(), flood.constData() + sent, flood.size() - sent);
            sent += std::max<ssize_t>(written, 0);
            return sent == flood.size();
        };
        QTRY_VERIFY(writeSome());
        QTRY_COMPARE(comm.bytesWaiting(), CommPort::ReceiveCapacity);
        QCOMPARE(comm.input().value_or(QByteArray()), flood.first(CommPort::ReceiveCapacity));
        // A lower bound: the system counts its line discipline's queue, not what the pty still holds before
        // it.
        const qsizetype dropped = comm.droppedAtLastInput();
        QVERIFY(dropped <= beyond && (dropped > 0) == (beyond > 0));

        const QByteArray next(3000, '\xA5');
        QVERIFY(pty.writeAll(next));
        // Read as they arrive, not only at the next tick.
        QTRY_COMPARE(comm.bytesWaiting(), next.size());
        QCOMPARE(comm.input(), std::optional(next));
    }

    // Unbounded, as a capture of every byte needs it: the port reads on, and memory stays bounded all the
    // same.
    void floodKeepsMemoryBounded()
    {
        PtyPair pty;
        QVERIFY(::fcntl(pty.master(), F_SETFL, O_NONBLOCK) == 0);
        CommPort comm(std::make_unique<QtSerialBackend>());
        comm.setBoundedReading(false);
        QVERIFY(comm.setCommPort(pty.slavePath));
        QVERIFY(openAndWait(comm));
        const QByteArray stream = sequence(16 * 1024 * 1024);
        // Resets the peak resident size, so that the flood's own peak is measured.
        QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
        QVERIFY(clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1);
        clearRefs.close();
        const qint64 residentBefore = statusKiB("VmRSS:");
        qsizetype sent = 0;
        QTimer writer;
        connect(&writer, &QTimer::timeout, this, [&] {
            while (sent < stream.size()) {
                const ssize_t written = ::write(pty.master(), stream.constData() + sent,
                                                std::min<qsizetype>(65536, stream.size() - sent));
                // Full until the port reads: the event loop gets its turn.
                if (written <= 0)
                    return;
                sent += written;
            }
        });
        writer.start(0);
        QTRY_VERIFY_WITH_TIMEOUT(sent == stream.size(), 120000);
        writer.stop();
        QCOMPARE(comm.input().value_or(QByteArray()), stream.first(CommPort::ReceiveCapacity));
        if (peakResidentSizeIsMeaningful)
            QCOMPARE_LT(statusKiB("VmHWM:") - residentBefore, 8 * 1024);
    }
};

QTEST_GUILESS_MAIN(TestQtBackend)
#include "tst_qtbackend.moc"
