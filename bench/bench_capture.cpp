// The capture under a flood and at 115200 baud: every byte in order (cmp), memory, answers, CPU.
//   bench_capture [FLOOD_SECONDS=10] [RATE_SECONDS=30]   (pseudo-terminals only; no port is opened)
#include "../tests/controls.h"
#include "../tests/ptypair.h"
#include "app/form1.h"
#include "port/qtbackend.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

long statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLong();
    return -1;
}

double processCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Time the capture's worker thread has run, from the scheduler's own count.
double captureThreadSeconds()
{
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + QStringLiteral("/comm")));
        QFile schedstat(tasks.filePath(task + QStringLiteral("/schedstat")));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "capture" &&
            schedstat.open(QIODevice::ReadOnly))
            return schedstat.readAll().split(' ').first().toDouble() / 1e9;
    }
    return 0;
}

// Runs the event loop, idle between checks, until the condition holds or the time is up.
void waitUntil(const std::function<bool()> &done, std::chrono::milliseconds limit)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(50);
    QTimer::singleShot(limit, &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs the window on the pseudo-terminal with a capture to path, feeding it for the given time at the given
// rate (0: as fast as the pseudo-terminal takes it), and writes what was sent to sentPath.
struct Run
{
    qint64 sent = 0;
    double seconds = 0;
    double cpu = 0;
    double captureThread = 0;
    long rssBeforeKiB = 0;
    long rssPeakKiB = 0;
    std::vector<double> answerMs;
    bool complete = false;
};

Run runWindow(QApplication &app, const QString &path, const QString &sentPath, int seconds,
              qint64 bytesPerSecond, bool polling = true)
{
    PtyPair pty;
    if (!pty.slavePath.startsWith(QStringLiteral("/dev/pts/")))
        qFatal("openpty failed");
    std::unique_ptr<Capture> capture;
    if (!path.isEmpty()) {
        QString reason;
        capture = Capture::open(path, &reason);
        if (!capture)
            qFatal("%s: %s", qPrintable(path), qPrintable(reason));
    }
    Form1 window({std::make_unique<QtSerialBackend>(), systemDateSource(), [](QWidget *, const QString &) {},
                  std::move(capture)});
    window.Form_Load(pty.slavePath);
    letTheOpenAnswer();
    if (window.Comm1().portOpen() != true || window.Comm1().device() != pty.slavePath)
        qFatal("the pseudo-terminal did not open");
    window.show();
    window.controls().Text2->setText(QStringLiteral("100"));
    if (polling)
        window.pollingCycle().Command1_Click();
    app.processEvents();

    QFile sentFile(sentPath);
    if (!sentFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(sentPath));
    QByteArray block(1 << 20, Qt::Uninitialized);
    QRandomGenerator random(20261208);
    for (char &byte : block)
        byte = char(random.bounded(256));

    Run run;
    // Resets the peak resident size, so that the flood's own peak is read at the end.
    if (QFile clearRefs(QStringLiteral("/proc/self/clear_refs")); clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
    run.rssBeforeKiB = statusKiB("VmRSS:");
    const double cpuStart = processCpuSeconds();
    const double threadStart = captureThreadSeconds();
    const auto start = Clock::now();
    const auto end = start + std::chrono::seconds(seconds);
    std::atomic<bool> writing = true;
    std::thread writer([&] {
        const qsizetype chunk = bytesPerSecond ? bytesPerSecond / 10 : 64 * 1024;
        for (qint64 i = 0; Clock::now() < end; ++i) {
            if (bytesPerSecond)
                std::this_thread::sleep_until(start + std::chrono::milliseconds(100) * i);
            // A different stretch of the block each time, so that a reordering shows in the comparison.
            const QByteArrayView bytes(block.constData() + (i * 7919) % (block.size() - chunk), chunk);
            if (!pty.writeAll(bytes))
                qFatal("writing to the pseudo-terminal failed");
            sentFile.write(bytes.data(), bytes.size());
            run.sent += bytes.size();
        }
        writing = false;
    });
    // A ping from outside, answered by the window's event loop, as a window manager's _NET_WM_PING is.
    std::atomic<bool> pinging = true;
    std::thread pinger([&] {
        while (pinging) {
            const auto sentAt = Clock::now();
            QMetaObject::invokeMethod(
                &app,
                [&run, sentAt] {
                    run.answerMs.push_back(
                        std::chrono::duration<double, std::milli>(Clock::now() - sentAt).count());
                },
                Qt::QueuedConnection);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    waitUntil([&] { return !writing; }, std::chrono::hours(1));
    writer.join();
    sentFile.close();
    // The rest of the flood is still in the pseudo-terminal: read until the file has it all.
    waitUntil([&] { return path.isEmpty() || QFileInfo(path).size() >= run.sent; }, std::chrono::seconds(30));
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.cpu = processCpuSeconds() - cpuStart;
    run.captureThread = captureThreadSeconds() - threadStart;
    pinging = false;
    pinger.join();
    app.processEvents();
    run.rssPeakKiB = statusKiB("VmHWM:");
    window.Form_Unload();
    run.complete = path.isEmpty() || QFileInfo(path).size() == run.sent;
    return run;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int floodSeconds = app.arguments().value(1, QStringLiteral("10")).toInt();
    const int rateSeconds = app.arguments().value(2, QStringLiteral("30")).toInt();
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/bench_capture-XXXXXX"));
    const QString log = dir.filePath(QStringLiteral("capture.log"));
    const QString sent = dir.filePath(QStringLiteral("sent.bin"));

    bool identical = true;
    const auto flood = [&](bool withCapture, bool polling) {
        QFile::remove(log);
        const Run run = runWindow(app, withCapture ? log : QString(), sent, floodSeconds, 0, polling);
        const QByteArray cmp = "cmp " + QFile::encodeName(sent) + ' ' + QFile::encodeName(log);
        const bool same = !withCapture || (run.complete && std::system(cmp.constData()) == 0);
        identical = identical && same;
        std::printf("flood, %s, %s: %lld bytes in %.1f s (%.1f MB/s); memory before %ld KiB, peak %ld KiB "
                    "(+%.1f MiB); answer to a ping median %.2f ms, max %.1f ms over %zu pings%s\n",
                    polling ? "polling" : "idle", withCapture ? "with capture" : "without capture",
                    (long long)run.sent, run.seconds, run.sent / run.seconds / 1e6, run.rssBeforeKiB,
                    run.rssPeakKiB, (run.rssPeakKiB - run.rssBeforeKiB) / 1024.0, median(run.answerMs),
                    *std::max_element(run.answerMs.begin(), run.answerMs.end()), run.answerMs.size(),
                    !withCapture ? ""
                    : same       ? "; cmp: identical"
                                 : "; CAPTURE DIFFERS FROM WHAT WAS SENT");
    };
    flood(false, true);
    flood(true, true);
    flood(true, false);

    // 115200 baud with 8N1 framing is 11520 bytes a second.
    for (int round = 0; round < 2; ++round) {
        for (const bool withCapture : {false, true}) {
            QFile::remove(log);
            const Run rate = runWindow(app, withCapture ? log : QString(), sent, rateSeconds, 11520);
            std::printf("115200 baud, %s: %.1f s, process cpu %.3f %% of a core, capture thread %.4f %% of a "
                        "core%s\n",
                        withCapture ? "with capture   " : "without capture", rate.seconds,
                        100 * rate.cpu / rate.seconds, 100 * rate.captureThread / rate.seconds,
                        rate.complete ? "" : " INCOMPLETE");
        }
    }
    return identical ? 0 : 1;
}
