#include "../tests/controls.h"
#include "../tests/processcounts.h"
#include "../tests/ptypair.h"
#include "app/form1.h"
#include "port/qtbackend.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// 115200 baud with 8N1 framing is 11520 bytes a second.
constexpr qsizetype ChunkBytes = 1152;
constexpr auto ChunkPeriod = std::chrono::milliseconds(100);

double cpuSeconds(int who)
{
    rusage usage{};
    ::getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long maxRssKiB()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int hexDigit(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

// " 0D 0A 41" back to its bytes; nothing when the text is not exactly such a rendering.
std::optional<QByteArray> parseHexRow(const QString &text)
{
    if (text.size() % 3 != 0)
        return std::nullopt;
    QByteArray bytes;
    bytes.reserve(text.size() / 3);
    for (qsizetype i = 0; i < text.size(); i += 3) {
        const int high = hexDigit(text[i + 1]);
        const int low = hexDigit(text[i + 2]);
        if (text[i] != u' ' || high < 0 || low < 0)
            return std::nullopt;
        bytes.append(char(high * 16 + low));
    }
    return bytes;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = app.arguments().value(1, QStringLiteral("60")).toInt();
    if (seconds < 1) {
        std::fprintf(stderr, "usage: bench_soak [SECONDS]\n");
        return 2;
    }

    PtyPair pty;
    if (pty.slavePath.isEmpty())
        qFatal("openpty failed");
    QRandomGenerator random(20240607);
    QByteArray sent(seconds * 10 * ChunkBytes, Qt::Uninitialized);
    for (char &byte : sent)
        byte = char(random.bounded(256));

    QStringList messages;
    Form1 window({std::make_unique<QtSerialBackend>(), systemDateSource(),
                  [&messages](QWidget *, const QString &text) { messages << text; }});
    // Form_Load opens the port: it must be the pseudo-terminal, never a real line or the console.
    if (!window.Comm1().setCommPort(pty.slavePath) || window.Comm1().device() != pty.slavePath ||
        !pty.slavePath.startsWith(QStringLiteral("/dev/pts/")))
        qFatal("the port is %s, not the pseudo-terminal %s", qPrintable(window.Comm1().device()),
               qPrintable(pty.slavePath));
    window.Form_Load();
    letTheOpenAnswer();
    if (window.Comm1().portOpen() != true)
        qFatal("%s did not open", qPrintable(pty.slavePath));
    window.show();

    const Form1Controls &c = window.controls();
    PollingCycle &cycle = window.pollingCycle();
    // Checked as they come rather than kept: an hour of bytes would swamp the memory being watched.
    qsizetype received = 0;
    bool inOrder = true;
    int ticks = 0;
    int malformedRows = 0;
    qsizetype largestReading = 0;
    bool writerDone = false;
    int ticksSinceDone = 0;
    int emptyTicksInARow = 0;
    // Counted at the first minute, as memory is: worker threads that start-up used keep an eventfd each
    // until they have idled for 30 s. Runs shorter than a minute count from the first tick.
    int descriptorsBefore = 0;
    int descriptorsAfter = 0;
    // Connected after the window's own handler, so it sees the row that tick has just written.
    QObject::connect(c.Timer1, &QTimer::timeout, &app, [&] {
        if (++ticks == 1 && seconds < 60)
            descriptorsBefore = openDescriptors();
        const int row = (cycle.Row_Index + 9) % 10;
        const auto parsed = parseHexRow(c.Text1[row]->text());
        const bool wellFormed = parsed && c.Label3[row]->text() == QString::number(parsed->size());
        if (!wellFormed)
            ++malformedRows;
        const QByteArray bytes = wellFormed ? *parsed : QByteArray();
        inOrder = inOrder && QByteArrayView(sent).sliced(received).startsWith(bytes);
        received += bytes.size();
        largestReading = std::max(largestReading, bytes.size());
        emptyTicksInARow = bytes.isEmpty() ? emptyTicksInARow + 1 : 0;
        // A closed port repeats its last reading on every tick, so the line may never fall quiet.
        if (writerDone && (emptyTicksInARow == 3 || ++ticksSinceDone == 50)) {
            cycle.Command2_Click();
            // Counted before quitting, which closes the window and with it the port.
            descriptorsAfter = openDescriptors();
            app.quit();
        }
    });

    c.Text2->setText(QStringLiteral("100"));
    cycle.Command1_Click();

    // Growth is judged from the first minute on, once the heap and Qt's caches have settled.
    QList<long> rssEachMinute;
    QTimer minute;
    QObject::connect(&minute, &QTimer::timeout, &app, [&] {
        rssEachMinute << residentKiB();
        if (rssEachMinute.size() == 1)
            descriptorsBefore = openDescriptors();
        std::printf("minute %lld  rss %ld KiB  descriptors %d\n",
                    static_cast<long long>(rssEachMinute.size()), rssEachMinute.last(), openDescriptors());
        std::fflush(stdout);
    });
    minute.start(std::chrono::minutes(1));

    double writerCpu = 0;
    const double cpuStart = cpuSeconds(RUSAGE_SELF);
    const auto wallStart = Clock::now();
    std::thread writer([&] {
        for (qsizetype offset = 0; offset < sent.size(); offset += ChunkBytes) {
            std::this_thread::sleep_until(wallStart + ChunkPeriod * (offset / ChunkBytes));
            for (qsizetype done = 0; done < ChunkBytes;) {
                const ssize_t written =
                    ::write(pty.master(), sent.constData() + offset + done, ChunkBytes - done);
                if (written <= 0)
                    qFatal("writing to the pseudo-terminal failed");
                done += written;
            }
        }
        writerCpu = cpuSeconds(RUSAGE_THREAD);
    });

    double cpuUsed = 0;
    double wallUsed = 0;
    QTimer::singleShot(std::chrono::seconds(seconds), Qt::PreciseTimer, &app, [&] {
        writer.join();
        cpuUsed = cpuSeconds(RUSAGE_SELF) - cpuStart;
        wallUsed = std::chrono::duration<double>(Clock::now() - wallStart).count();
        writerDone = true;
    });
    app.exec();
    minute.stop();

    const bool intact = inOrder && received == sent.size() && malformedRows == 0 && messages.isEmpty();
    long rssLow = 0;
    long rssHigh = 0;
    if (!rssEachMinute.isEmpty()) {
        const auto [low, high] = std::minmax_element(rssEachMinute.cbegin(), rssEachMinute.cend());
        rssLow = *low;
        rssHigh = *high;
    }
    const long rssDrift = rssEachMinute.isEmpty()
                              ? 0
                              : std::max(rssHigh - rssEachMinute.first(), rssEachMinute.first() - rssLow);
    const bool flat = rssDrift <= 1024 && descriptorsAfter == descriptorsBefore;
    std::printf(
        "seconds %.3f  ticks %d  bytes sent %lld  received %lld  largest reading %lld  malformed rows %d  "
        "messages %lld\n",
        wallUsed, ticks, static_cast<long long>(sent.size()), static_cast<long long>(received),
        static_cast<long long>(largestReading), malformedRows, static_cast<long long>(messages.size()));
    std::printf(
        "cpu %.3f s = %.2f %% of one core (writer thread %.3f s; without it %.2f %%)  max rss %ld KiB\n",
        cpuUsed, 100 * cpuUsed / wallUsed, writerCpu, 100 * (cpuUsed - writerCpu) / wallUsed, maxRssKiB());
    std::printf(
        "rss each minute %ld..%ld KiB, at most %ld KiB from the first minute's %ld KiB  descriptors %d "
        "before, %d after\n",
        rssLow, rssHigh, rssDrift, rssEachMinute.value(0), descriptorsBefore, descriptorsAfter);
    std::printf("%s\n", intact ? "every byte arrived once, in order" : "BYTES LOST, DUPLICATED OR REORDERED");
    std::printf("%s\n", flat ? "memory and descriptors flat" : "MEMORY OR DESCRIPTORS GREW");
    return intact && flat ? 0 : 1;
}
