#include "../opening.h"
#include "port/capture.h"
#include "port/commport.h"
#include "port/fakebackend.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator{quint32(size)};
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

QByteArray fileContents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A fake port feeding a capture, as the window wires them.
struct CapturedPort
{
    FakeBackend *fake;
    std::unique_ptr<Capture> capture;
    std::unique_ptr<CommPort> comm;

    explicit CapturedPort(const QString &path)
    {
        QString error;
        capture = Capture::open(path, &error);
        if (!capture)
            qFatal("cannot open %s: %s", qPrintable(path), qPrintable(error));
        auto backend = std::make_unique<FakeBackend>();
        fake = backend.get();
        comm = std::make_unique<CommPort>(std::move(backend));
        comm->setCapture(capture.get());
        if (!openAndWait(*comm))
            qFatal("the fake port did not open");
    }
};

} // namespace

class TestCapture : public QObject
{
    Q_OBJECT

private slots:
    void unopenablePathIsRefusedWithItsReason_data()
    {
        QTest::addColumn<QString>("relativePath");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing folder") << "none/log"
                                        << "нет такого файла или каталога";
        QTest::newRow("a directory") << "folder"
                                     << "это каталог";
        QTest::newRow("a file taken as a folder") << "file/log"
                                                  << "часть пути не является каталогом";
        QTest::newRow("a FIFO nobody reads") << "fifo"
                                             << "нет читающей стороны или устройства";
    }
    void unopenablePathIsRefusedWithItsReason()
    {
        QFETCH(QString, relativePath);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
        QFile file(dir.filePath(QStringLiteral("file")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo"))).constData(), 0600), 0);

        QString error;
        QVERIFY(!Capture::open(dir.filePath(relativePath), &error));
        QCOMPARE(error, reason);
    }

    void everyByteIsAppendedInOrderAcrossReopensAndBeyondTheReceiveBuffer()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("log"));
        QFile earlier(path);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier run\n");
        earlier.close();

        const QByteArray bytes = randomBytes(3 * CommPort::ReceiveCapacity + 777);
        {
            CapturedPort port(path);
            // More than the receive buffer keeps, with no tick to take it.
            port.fake->feed(bytes.first(2 * CommPort::ReceiveCapacity + 5));
            QCOMPARE(port.comm->input()->size(), CommPort::ReceiveCapacity);
            port.comm->setPortOpen(false);
            QVERIFY(openAndWait(*port.comm));
            port.fake->feed(bytes.sliced(2 * CommPort::ReceiveCapacity + 5, 100));
            port.comm->input();
            port.fake->feed(bytes.sliced(2 * CommPort::ReceiveCapacity + 105));
            port.capture->close();
            QCOMPARE(port.capture->failure().has_value(), false);
        }
        QCOMPARE(fileContents(path), "earlier run\n" + bytes);
    }

    void failedWriteStopsTheCaptureButNotThePort()
    {
        CapturedPort port(QStringLiteral("/dev/full"));
        QSignalSpy stopped(port.capture.get(), &Capture::stopped);
        port.fake->feed("first");
        port.comm->input();
        QVERIFY(stopped.wait());
        QVERIFY(!port.capture->running());
        QCOMPARE(port.capture->failure()->reason, QStringLiteral("на устройстве нет места"));
        QCOMPARE(port.capture->failure()->bytesWritten, 0);
        QVERIFY(port.capture->stateText().startsWith(QStringLiteral("Запись в «/dev/full» остановлена ")));

        port.fake->feed("second");
        QCOMPARE(port.comm->input(), std::optional(QByteArray("second")));
        QCOMPARE(stopped.size(), 1);
    }

    void stalledReaderNeverHoldsUpTheTick()
    {
        int pipeEnds[2];
        QCOMPARE(::pipe(pipeEnds), 0);
        CapturedPort port(QStringLiteral("/proc/self/fd/%1").arg(pipeEnds[1]));
        ::close(pipeEnds[1]);
        QSignalSpy stopped(port.capture.get(), &Capture::stopped);

        // Each tick returns with its bytes however long the reader sleeps, until the backlog is given up.
        const QByteArray chunk = randomBytes(CommPort::ReceiveCapacity);
        for (qsizetype fed = 0; fed <= Capture::MaxQueued + 2 * chunk.size(); fed += chunk.size()) {
            port.fake->feed(chunk);
            QCOMPARE(port.comm->input()->size(), chunk.size());
        }
        QVERIFY(stopped.wait());
        QVERIFY(port.capture->failure()->reason.startsWith(QStringLiteral("вывод не принимает данные")));

        // The reader going away releases the worker, so the close does not wait.
        ::close(pipeEnds[0]);
        port.capture->close();
        QCOMPARE(stopped.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestCapture)
#include "tst_capture.moc"
