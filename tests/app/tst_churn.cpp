#include "../churn.h"
#include "../form1fixture.h"

#include "monitor/hexrender.h"
#include "port/qtbackend.h"

// Hundreds of picks and pulled cables on the real backend leave no descriptor, lock file or object behind.
class TestChurn : public QObject
{
    Q_OBJECT

    struct Bench
    {
        churn::PluggablePty adapter;
        QtSerialBackend *backend = nullptr;
        std::unique_ptr<Form1> window;
        QStringList messages;

        Bench()
        {
            auto real = std::make_unique<QtSerialBackend>();
            backend = real.get();
            // No Form_Load: it would open port 1, which is the console here.
            window = std::make_unique<Form1>(
                Form1Services{std::move(real), Form1Fixture::pinnedDates(),
                              [this](QWidget *, const QString &text) { messages << text; }});
        }
        int objects() const { return churn::liveObjects(*window, backend); }
    };

private slots:
    void reopensLeaveNothingBehind()
    {
        Bench bench;
        churn::Operator person(*bench.window);
        person.typePort(bench.adapter.path);
        for (int i = 0; i < 50; ++i)
            QVERIFY2(person.pickAndReopen(), qPrintable(QString::number(i)));
        const int descriptors = openDescriptors();
        const QStringList locks = churn::lockFiles(bench.adapter.path);
        const int objects = bench.objects();
        QCOMPARE(locks.size(), 1);

        for (int i = 0; i < 300; ++i)
            QVERIFY2(person.pickAndReopen(), qPrintable(QString::number(i)));

        QCOMPARE(openDescriptors(), descriptors);
        QCOMPARE(churn::lockFiles(bench.adapter.path), locks);
        QCOMPARE(bench.objects(), objects);
        QVERIFY(bench.messages.isEmpty());
    }

    void unplugsLeaveNothingBehind()
    {
        Bench bench;
        churn::Operator person(*bench.window);
        person.typePort(bench.adapter.path);
        QVERIFY(person.pickAndReopen());
        person.startPolling(QStringLiteral("10"));
        QByteArray shown;
        const Form1Controls &c = bench.window->controls();
        // Runs after the window's own handler, so it reads the row that tick has just written.
        connect(c.Timer1, &QTimer::timeout, bench.window.get(), [&] {
            const int row = (bench.window->pollingCycle().Row_Index + 9) % 10;
            const QString text = c.Text1[row]->text();
            if (!text.isEmpty() && text == hexRendering(bench.window->pollingCycle().Rx_Data))
                shown += bench.window->pollingCycle().Rx_Data;
        });
        const int descriptors = openDescriptors();
        const QStringList locks = churn::lockFiles(bench.adapter.path);
        const int objects = bench.objects();

        for (int i = 0; i < 50; ++i) {
            const QByteArray reading = "reading " + QByteArray::number(i) + "\r\n";
            bench.adapter.pullOut();
            QTRY_VERIFY2(person.portLampIs(ColorCode::Red), qPrintable(QString::number(i)));
            QCOMPARE(bench.window->Comm1().portOpen(), std::optional(false));
            QVERIFY(churn::lockFiles(bench.adapter.path).isEmpty());

            QVERIFY(bench.adapter.plugIn());
            QVERIFY2(person.pickAndReopen(), qPrintable(QString::number(i)));
            shown.clear();
            QVERIFY(bench.adapter.send(reading));
            QTRY_COMPARE(shown, reading);
        }

        QCOMPARE(openDescriptors(), descriptors);
        QCOMPARE(churn::lockFiles(bench.adapter.path), locks);
        QCOMPARE(bench.objects(), objects);
        QVERIFY(bench.messages.isEmpty());
    }
};

QTEST_MAIN(TestChurn)
#include "tst_churn.moc"
