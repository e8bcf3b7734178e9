#include "../tests/form1fixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QRandomGenerator>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Counts the paint events a widget receives, to show that the painted runs really paint the rows.
class PaintCounter : public QObject
{
public:
    using QObject::QObject;
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

struct Percentiles
{
    double median;
    double p90;
};

Percentiles percentiles(std::vector<double> milliseconds)
{
    std::sort(milliseconds.begin(), milliseconds.end());
    return {milliseconds[milliseconds.size() / 2], milliseconds[milliseconds.size() * 9 / 10]};
}

double elapsedMs(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

void run(bool textMode, qsizetype size, bool paintEachTick, int iterations)
{
    Form1Fixture window;
    window.form->Form_Load();
    letTheOpenAnswer();
    if (textMode)
        window.form->displayMode().Command5_Click();
    window.form->show();
    if (!QTest::qWaitForWindowExposed(window.form.get()))
        qFatal("the window was never exposed");

    PaintCounter counter;
    const auto &rows = window.form->controls().Text1;
    for (QLineEdit *row : rows)
        row->installEventFilter(&counter);

    // Seven different readings, a period prime to the ten rows, so no row is ever given its own text back.
    QRandomGenerator random{quint32(size)};
    std::vector<QByteArray> readings(7, QByteArray(size, Qt::Uninitialized));
    for (QByteArray &reading : readings)
        for (char &byte : reading)
            byte = char(random.bounded(256));

    // Two passes over the rows first, so every row already holds a reading of this size when timing starts.
    constexpr int warmUp = 20;
    PollingCycle &cycle = window.form->pollingCycle();
    std::vector<double> tick, tickAndPaint;
    for (int i = 0; i < warmUp + iterations; ++i) {
        window.port->feed(readings[i % readings.size()]);
        if (i == warmUp)
            counter.paints = 0;
        const auto start = Clock::now();
        cycle.Timer1_Timer();
        const auto ticked = Clock::now();
        if (paintEachTick)
            QApplication::processEvents();
        const auto painted = Clock::now();
        if (i >= warmUp) {
            tick.push_back(elapsedMs(start, ticked));
            tickAndPaint.push_back(elapsedMs(start, painted));
        }
    }

    const qsizetype expected = textMode ? size : 3 * size;
    const qsizetype shown = rows[(cycle.Row_Index + 9) % 10]->text().size();
    if (shown != expected) {
        std::fprintf(stderr, "the last row holds %lld characters, not %lld\n", static_cast<long long>(shown),
                     static_cast<long long>(expected));
        std::exit(1);
    }

    const auto t = percentiles(tick);
    std::printf("%-4s %6lld B  %-14s %5d ticks  tick median %8.3f ms  p90 %8.3f ms",
                textMode ? "text" : "hex", static_cast<long long>(size),
                paintEachTick ? "painted" : "shown, unpainted", iterations, t.median, t.p90);
    if (paintEachTick) {
        const auto p = percentiles(tickAndPaint);
        std::printf("  | tick+paint median %8.3f ms  p90 %8.3f ms  row paints/tick %.2f", p.median, p.p90,
                    double(counter.paints) / iterations);
    }
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // Iterations for the 1 KiB readings; the 64 KiB ones, each 64 times the work, get a tenth as many.
    const int iterations = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;
    for (const bool textMode : {false, true})
        for (const qsizetype size : {qsizetype(1024), qsizetype(64 * 1024)})
            for (const bool paintEachTick : {false, true})
                run(textMode, size, paintEachTick, size > 1024 ? std::max(10, iterations / 10) : iterations);
}
