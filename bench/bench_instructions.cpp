// Instructions per polling tick, counted by callgrind over whole periods of the event loop; run it through
// bench/instructions.sh, which reads the counts from callgrind's dumps. With "rfc2217" the window reads the
// same pseudo-terminal through ser2net on loopback.
#include "../tests/form1fixture.h"
#include "../tests/port/servers.h"
#include "../tests/ptypair.h"
#include "port/qtbackend.h"
#include "port/routingbackend.h"
#include "widgets/desktopstyle.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <malloc.h>
#include <thread>
#include <valgrind/callgrind.h>
#include <vector>

namespace {

// Two passes over the rows before each count, so every row already holds what the phase writes.
constexpr int WarmUp = 20;
// Multiples of the ten rows, so each row and indicator takes its turn equally often; the second is also a
// multiple of the seven readings.
constexpr int Idle = 100;
constexpr int Loaded = 70;
constexpr qsizetype ChunkBytes = 1152;

// Callgrind's collection is a toggle, and per thread: only this, the UI thread, is ever counted.
void collect(bool on)
{
    static bool collecting = false;
    if (std::exchange(collecting, on) != on)
        CALLGRIND_TOGGLE_COLLECT;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The program's own event loop, which it chooses in main().
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    // As the program sets it in main(), so that its heap grows as the program's does.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    QApplication app(argc, argv);
    QApplication::setStyle(new DesktopStyle);

    PtyPair pty;
    if (!pty.slavePath.startsWith(QStringLiteral("/dev/pts/")))
        qFatal("openpty failed");
    const bool remote = argc > 1 && qstrcmp(argv[1], "rfc2217") == 0;
    QString port = pty.slavePath;
    QTemporaryDir dir;
    QProcess ser2net;
    if (remote) {
        const quint16 tcpPort = freeLoopbackPort();
        QFile config(dir.filePath(QStringLiteral("ser2net.yaml")));
        if (!config.open(QIODevice::WriteOnly))
            qFatal("no room for ser2net's configuration");
        QTextStream(&config) << "connection: &k\n  accepter: telnet(rfc2217),tcp,127.0.0.1," << tcpPort
                             << "\n  connector: serialdev," << pty.slavePath << ",9600n81,local\n";
        config.close();
        endWithTheTest(ser2net);
        ser2net.start(QStringLiteral("/usr/sbin/ser2net"),
                      {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"), config.fileName(),
                       QStringLiteral("-P"), dir.filePath(QStringLiteral("pid"))});
        if (!QTest::qWaitFor([&] { return isListening(tcpPort); }, 20000))
            qFatal("ser2net did not listen");
        port = QStringLiteral("rfc2217://127.0.0.1:%1").arg(tcpPort);
    }
    QStringList messages;
    Form1 window({std::make_unique<RoutingBackend>(std::make_unique<QtSerialBackend>(),
                                                   std::make_unique<RemoteBackend>()),
                  Form1Fixture::pinnedDates(),
                  [&messages](QWidget *, const QString &text) { messages << text; }});
    window.Form_Load(port);
    if (!QTest::qWaitFor([&] { return window.Comm1().state() != CommPort::State::Opening; }, 20000) ||
        window.Comm1().portOpen() != true)
        qFatal("%s did not open", qPrintable(port));
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        qFatal("the window was never exposed");

    // Seven readings, a period prime to the ten rows, so no row is ever given its own text back.
    QRandomGenerator random(1152);
    std::vector<QByteArray> readings(7, QByteArray(ChunkBytes, Qt::Uninitialized));
    for (QByteArray &reading : readings)
        for (char &byte : reading)
            byte = char(random.bounded(256));

    const Form1Controls &c = window.controls();
    PollingCycle &cycle = window.pollingCycle();
    int tick = 0;
    int shortRows = 0;
    // Connected after the window's own handler: each count runs from the end of one tick to the end of
    // another, so it holds whole periods, each with its tick's repaint and, when loaded, its read. What this
    // handler does itself is never counted.
    QObject::connect(c.Timer1, &QTimer::timeout, &app, [&] {
        collect(false);
        ++tick;
        constexpr int loadedFrom = WarmUp + Idle + WarmUp;
        if (tick > WarmUp + Idle && c.Text1[(cycle.Row_Index + 9) % 10]->text().size() != 3 * ChunkBytes)
            ++shortRows;
        if (tick == WarmUp + Idle)
            CALLGRIND_DUMP_STATS_AT(
                qPrintable(QStringLiteral("%1idle %2").arg(remote ? "remote-" : "").arg(Idle)));
        if (tick == loadedFrom + Loaded) {
            CALLGRIND_DUMP_STATS_AT(
                qPrintable(QStringLiteral("%1loaded %2").arg(remote ? "remote-" : "").arg(Loaded)));
            app.quit();
            return;
        }
        if (tick == WarmUp || tick == loadedFrom) {
            // Each count starts from a consolidated heap rather than from wherever start-up left malloc's
            // free blocks, which moved the idle count by 0.7 % from run to run.
            malloc_trim(0);
            CALLGRIND_ZERO_STATS;
        }
        if (tick >= WarmUp + Idle) {
            if (!pty.writeAll(readings[tick % readings.size()]))
                qFatal("writing to the pseudo-terminal failed");
            // Long enough for the kernel to hand the reader every byte, so that one wake-up reads them all.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        collect((tick >= WarmUp && tick < WarmUp + Idle) || tick >= loadedFrom);
    });
    QTest::mouseClick(findControl<QPushButton>(window, QStringLiteral("Command1")), Qt::LeftButton);
    if (!c.Timer1->isActive() || c.Timer1->interval() != 100)
        qFatal("polling did not start every 100 ms");
    app.exec();

    stopProcess(ser2net);
    if (shortRows > 0 || !messages.isEmpty())
        qFatal("%d ticks showed less than a whole reading; messages: %s", shortRows,
               qPrintable(messages.join(QStringLiteral("; "))));
    return 0;
}
