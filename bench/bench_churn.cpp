#include "../tests/churn.h"
#include "../tests/form1fixture.h"

#include "monitor/hexrender.h"
#include "port/qtbackend.h"

#include <QApplication>

namespace {

struct Leftovers
{
    int descriptors;
    QStringList locks;
    int objects;
    long rssKiB;
};

Leftovers count(const QString &device, Form1 &window, const QObject *backend)
{
    return {openDescriptors(), churn::lockFiles(device), churn::liveObjects(window, backend), residentKiB()};
}

void print(const char *when, const Leftovers &counted)
{
    std::printf("%-6s descriptors %d  lock files %lld  objects %d  rss %ld KiB\n", when, counted.descriptors,
                static_cast<long long>(counted.locks.size()), counted.objects, counted.rssKiB);
}

} // namespace

// Picks, pulled adapters and adapters that come back by themselves, by the hundred and thousand on the real
// backend: nothing may pile up.
int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int reopens = app.arguments().value(1, QStringLiteral("10000")).toInt();
    const int unplugs = app.arguments().value(2, QStringLiteral("200")).toInt();
    const int returns = app.arguments().value(3, QStringLiteral("200")).toInt();
    constexpr int WarmUp = 50;

    churn::PluggablePty adapter;
    auto real = std::make_unique<QtSerialBackend>();
    QtSerialBackend *backend = real.get();
    QStringList messages;
    // No Form_Load: it would open port 1.
    Form1 window({std::move(real), Form1Fixture::pinnedDates(),
                  [&messages](QWidget *, const QString &text) { messages << text; }});
    churn::Operator person(window);
    person.typePort(adapter.path);
    for (int i = 0; i < WarmUp; ++i)
        if (!person.pickAndReopen())
            qFatal("warm-up reopen %d failed", i);

    const Leftovers before = count(adapter.path, window, backend);
    print("before", before);

    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < reopens; ++i)
        if (!person.pickAndReopen())
            qFatal("reopen %d failed", i);
    const double reopenSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    const Form1Controls &c = window.controls();
    PollingCycle &cycle = window.pollingCycle();
    QByteArray shown;
    QObject::connect(c.Timer1, &QTimer::timeout, &window, [&] {
        const QString text = c.Text1[(cycle.Row_Index + 9) % 10]->text();
        if (!text.isEmpty() && text == hexRendering(cycle.Rx_Data))
            shown += cycle.Rx_Data;
    });
    person.startPolling(QStringLiteral("10"));
    int whole = 0;
    for (int i = 0; i < unplugs; ++i) {
        const QByteArray reading = "reading " + QByteArray::number(i) + "\r\n";
        adapter.pullOut();
        if (!QTest::qWaitFor([&] { return person.portLampIs(ColorCode::Red); }))
            qFatal("unplug %d: the lamp stayed green", i);
        if (!adapter.plugIn() || !person.pickAndReopen())
            qFatal("unplug %d: the adapter did not reopen", i);
        shown.clear();
        if (!adapter.send(reading))
            qFatal("unplug %d: cannot write", i);
        if (QTest::qWaitFor([&] { return shown.size() >= reading.size(); }) && shown == reading)
            ++whole;
    }
    const Leftovers afterUnplugs = count(adapter.path, window, backend);
    print("unplug", afterUnplugs);

    // The adapter comes back under its name and the window reopens it by itself, with no pick.
    int back = 0;
    double longestReturnMs = 0;
    for (int i = 0; i < returns; ++i) {
        const QByteArray reading = "returned " + QByteArray::number(i) + "\r\n";
        adapter.pullOut();
        if (!QTest::qWaitFor([&] { return person.portLampIs(ColorCode::Red); }))
            qFatal("loss %d: the lamp stayed green", i);
        if (!adapter.plugIn())
            qFatal("loss %d: the adapter did not come back", i);
        const auto pluggedIn = std::chrono::steady_clock::now();
        if (!QTest::qWaitFor([&] { return person.portLampIs(ColorCode::Green); }, 5000))
            qFatal("loss %d: the port did not reopen by itself", i);
        longestReturnMs = std::max(
            longestReturnMs,
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - pluggedIn).count());
        shown.clear();
        if (!adapter.send(reading))
            qFatal("loss %d: cannot write", i);
        if (QTest::qWaitFor([&] { return shown.size() >= reading.size(); }) && shown == reading)
            ++back;
    }
    QTest::mouseClick(c.Command2, Qt::LeftButton);

    const Leftovers after = count(adapter.path, window, backend);
    print("after", after);
    const long growth = after.rssKiB - before.rssKiB;
    const long returnGrowth = after.rssKiB - afterUnplugs.rssKiB;
    std::printf(
        "%d reopens in %.1f s (%.2f ms each), %d unplugs with %d readings whole, messages %lld, rss grew "
        "%ld KiB\n",
        reopens, reopenSeconds, 1000 * reopenSeconds / std::max(reopens, 1), unplugs, whole,
        static_cast<long long>(messages.size()), growth);
    std::printf(
        "%d losses reopened by themselves with %d readings whole, longest return %.0f ms, rss grew %ld "
        "KiB over them\n",
        returns, back, longestReturnMs, returnGrowth);
    const bool clean = after.descriptors == before.descriptors && after.locks == before.locks &&
                       after.objects == before.objects && afterUnplugs.descriptors == before.descriptors &&
                       afterUnplugs.objects == before.objects && growth <= 1024 && returnGrowth <= 512 &&
                       whole == unplugs && back == returns && messages.isEmpty();
    std::printf("%s\n", clean ? "nothing left behind" : "SOMETHING WAS LEFT BEHIND");
    return clean ? 0 : 1;
}
