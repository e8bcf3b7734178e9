// Instructions per polling tick, counted by callgrind over whole periods of the event loop; run it through
// bench/instructions.sh, which reads the counts from callgrind's dumps.
#include "../tests/form1fixture.h"
#include "../tests/ptypair.h"
#include "port/qtbackend.h"
#include "widgets/desktopstyle.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
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
    QStringList messages;
    Form1 window({std::make_unique<QtSerialBackend>(), Form1Fixture::pinnedDates(),
                  [&messages](QWidget *, const QString &text) { messages << text; }});
    window.Form_Load(pty.slavePath);
    letTheOpenAnswer();
    if (window.Comm1().portOpen() != true || window.Comm1().device() != pty.slavePath)
        qFatal("%s did not open", qPrintable(pty.slavePath));
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
            CALLGRIND_DUMP_STATS_AT(qPrintable(QStringLiteral("idle %1").arg(Idle)));
        if (tick == loadedFrom + Loaded) {
            CALLGRIND_DUMP_STATS_AT(qPrintable(QStringLiteral("loaded %1").arg(Loaded)));
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

    if (shortRows > 0 || !messages.isEmpty())
        qFatal("%d ticks showed less than a whole reading; messages: %s", shortRows,
               qPrintable(messages.join(QStringLiteral("; "))));
    return 0;
}
