#include "monitorfixture.h"

#include "port/capture.h"
#include "widgets/colorbutton.h"
#include "widgets/colorcode.h"
#include "widgets/indicatorcircle.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

// Start, stop and the tick over the ten rows, in both display modes, with readings from the fake port.
class TestPollingCycle : public QObject
{
    Q_OBJECT

private:
    static QString row(const MonitorFixture &f, int i)
    {
        return f.find<QLineEdit>(elementName("Text1", i))->text();
    }
    static QString count(const MonitorFixture &f, int i)
    {
        return f.find<QLabel>(elementName("Label3", i))->text();
    }
    static quint32 indicator(const MonitorFixture &f, int i)
    {
        return f.find<IndicatorCircle>(elementName("Shape2", i))->backColor();
    }
    static QString indicators(const MonitorFixture &f)
    {
        QString pattern;
        for (int i = 0; i < 10; ++i) {
            const quint32 colour = indicator(f, i);
            pattern += colour == ColorCode::Red ? 'R' : colour == ColorCode::Green ? 'G' : '.';
        }
        return pattern;
    }
    static void loadAndStart(MonitorFixture &f)
    {
        f.load();
        QTest::mouseClick(f.find<QPushButton>("Command1"), Qt::LeftButton);
    }
    // A journal in a folder of its own, read back once closed.
    struct Journal
    {
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("j.tsv"));
        QString reason;
        std::unique_ptr<Capture> capture = Capture::open(path, &reason);

        QStringList closedLines()
        {
            capture->close();
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))
                                                  : QStringList();
        }
    };
    static void tick(MonitorFixture &f, const QByteArray &arriving = {})
    {
        f.port->feed(arriving);
        f.pollingCycle.Timer1_Timer();
    }

private slots:
    void eachTickWritesTheNextRowAndWrapsAfterTheTenth()
    {
        MonitorFixture f;
        loadAndStart(f);
        QVERIFY(f.find<QTimer>("Timer1")->isActive());
        QCOMPARE(f.find<QTimer>("Timer1")->interval(), 100);

        tick(f, "\x01");
        QCOMPARE(indicators(f), QStringLiteral("R........."));
        for (int i = 1; i < 10; ++i)
            tick(f, QByteArray(i + 1, char(i + 1)));
        QCOMPARE(indicators(f), QStringLiteral("GGGGGGGGGG"));
        QCOMPARE(f.pollingCycle.Row_Index, 0);
        QCOMPARE(row(f, 0), QStringLiteral(" 01"));
        QCOMPARE(row(f, 9), QStringLiteral(" 0A").repeated(10));
        QCOMPARE(count(f, 9), QStringLiteral("10"));

        tick(f, "\xFF");
        QCOMPARE(indicators(f), QStringLiteral("RGGGGGGGGG"));
        QCOMPARE(row(f, 0), QStringLiteral(" FF"));
        QCOMPARE(count(f, 0), QStringLiteral("1"));
        QCOMPARE(row(f, 1), QStringLiteral(" 02 02"));
    }

    void stopAfterRowFourAndStartAgain()
    {
        MonitorFixture f;
        loadAndStart(f);
        for (int i = 0; i < 5; ++i)
            tick(f, "x");
        QTest::mouseClick(f.find<QPushButton>("Command2"), Qt::LeftButton);
        QVERIFY(!f.find<QTimer>("Timer1")->isActive());
        QCOMPARE(indicators(f), QStringLiteral("GGGGR....G"));
        QCOMPARE(f.pollingCycle.Row_Index, 5);

        QTest::mouseClick(f.find<QPushButton>("Command1"), Qt::LeftButton);
        QCOMPARE(f.pollingCycle.Row_Index, 0);
        tick(f, "y");
        QCOMPARE(indicators(f), QStringLiteral("RGGGR....G"));
        QCOMPARE(row(f, 0), QStringLiteral(" 79"));
        QCOMPARE(row(f, 1), QStringLiteral(" 78"));
    }

    void startWhilePollingRestartsAtRowZeroWithTheNewInterval()
    {
        MonitorFixture f;
        loadAndStart(f);
        tick(f, "a");
        tick(f, "b");
        f.find<QLineEdit>("Text2")->setText(" 250 ");
        QTest::mouseClick(f.find<QPushButton>("Command1"), Qt::LeftButton);
        QCOMPARE(f.find<QTimer>("Timer1")->interval(), 250);
        QVERIFY(f.find<QTimer>("Timer1")->isActive());
        tick(f, "c");
        QCOMPARE(row(f, 0), QStringLiteral(" 63"));
        QCOMPARE(row(f, 1), QStringLiteral(" 62"));
    }

    void anUnusableIntervalChangesNothing_data()
    {
        QTest::addColumn<QString>("text");
        for (const char *text :
             {"", "   ", "abc", "0", "-5", "1.5", "1e3", "2147483648", "99999999999", "10 0", "0x10", "+100"})
            QTest::newRow(*text ? text : "empty") << QString::fromLatin1(text);
    }
    void anUnusableIntervalChangesNothing()
    {
        QFETCH(QString, text);
        MonitorFixture f;
        loadAndStart(f);
        tick(f);
        tick(f);
        f.find<QLineEdit>("Text2")->setText(text);
        QTest::mouseClick(f.find<QPushButton>("Command1"), Qt::LeftButton);
        QCOMPARE(f.pollingCycle.Row_Index, 2);
        QCOMPARE(f.find<QTimer>("Timer1")->interval(), 100);
        QVERIFY(f.find<QTimer>("Timer1")->isActive());

        QTest::mouseClick(f.find<QPushButton>("Command2"), Qt::LeftButton);
        QTest::mouseClick(f.find<QPushButton>("Command1"), Qt::LeftButton);
        QVERIFY(!f.find<QTimer>("Timer1")->isActive());
    }

    void usableIntervals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("interval");
        QTest::newRow("one millisecond") << "1" << 1;
        QTest::newRow("leading zero") << "050" << 50;
        QTest::newRow("largest the timer takes") << "2147483647" << 2147483647;
    }
    void usableIntervals()
    {
        QFETCH(QString, text);
        QFETCH(int, interval);
        QCOMPARE(parsePollingInterval(text), std::optional(interval));
    }

    void noDataBlanksTheRowsInTurn()
    {
        MonitorFixture f;
        f.load();
        f.find<QLineEdit>("Text1(0)")->setText("old");
        f.find<QLineEdit>("Text1(1)")->setText("old");
        QTest::mouseClick(f.find<QPushButton>("Command1"), Qt::LeftButton);
        tick(f);
        QCOMPARE(row(f, 0), QString());
        QCOMPARE(count(f, 0), QStringLiteral("0"));
        QCOMPARE(row(f, 1), QStringLiteral("old"));
    }

    void aSelectionSurvivesTheSameReadingAgain()
    {
        MonitorFixture f;
        loadAndStart(f);
        f.window.show();
        tick(f, "OK");
        auto *first = f.find<QLineEdit>(elementName("Text1", 0));
        QTest::mouseClick(first, Qt::LeftButton);
        QTest::keyClick(first, Qt::Key_Home);
        QTest::keyClick(first, Qt::Key_End, Qt::ShiftModifier);
        for (int i = 0; i < 10; ++i)
            tick(f, "OK");
        QCOMPARE(first->selectedText(), QStringLiteral(" 4F 4B"));
        for (int i = 0; i < 10; ++i)
            tick(f, "NO");
        QCOMPARE(first->text(), QStringLiteral(" 4E 4F"));
        QCOMPARE(first->selectedText(), QString());
    }

    void aClosedPortWritesThePreviousReadingAgain()
    {
        MonitorFixture f;
        loadAndStart(f);
        tick(f, "AB");
        f.comm1.setPortOpen(false);
        tick(f, "lost");
        QCOMPARE(row(f, 1), QStringLiteral(" 41 42"));
        QCOMPARE(count(f, 1), QStringLiteral("2"));
        QTest::mouseClick(f.find<ColorButton>("Command5"), Qt::LeftButton);
        tick(f);
        QCOMPARE(row(f, 2), QStringLiteral("AB"));
        f.openPort();
        tick(f, "C");
        QCOMPARE(row(f, 3), QStringLiteral("C"));
    }

    void aModeSwitchTakesEffectAtTheNextTick()
    {
        MonitorFixture f;
        loadAndStart(f);
        tick(f, "\x0D\x0A\x41");
        QTest::mouseClick(f.find<ColorButton>("Command5"), Qt::LeftButton);
        QCOMPARE(f.displayMode.Text_Mode, 1);
        QCOMPARE(f.find<ColorButton>("Command5")->backColor(), ColorCode::BrightGreen);
        QCOMPARE(f.find<ColorButton>("Command6")->backColor(), ColorCode::ButtonFace);
        QCOMPARE(row(f, 0), QStringLiteral(" 0D 0A 41"));
        tick(f, QByteArray("A\0\xC0\xFF\xA8", 5));
        QCOMPARE(row(f, 1), QStringLiteral("A") + QChar(0) + QStringLiteral("АяЁ"));
        QCOMPARE(count(f, 1), QString());
        QCOMPARE(count(f, 0), QStringLiteral("3"));

        QTest::mouseClick(f.find<ColorButton>("Command6"), Qt::LeftButton);
        QCOMPARE(f.displayMode.Text_Mode, 0);
        tick(f, "z");
        QCOMPARE(row(f, 2), QStringLiteral(" 7A"));
        QCOMPARE(row(f, 1), QStringLiteral("A") + QChar(0) + QStringLiteral("АяЁ"));
    }

    void aFullBufferReadingFitsItsRow()
    {
        MonitorFixture f;
        loadAndStart(f);
        tick(f, QByteArray(CommPort::ReceiveCapacity, '\x5A'));
        QCOMPARE(row(f, 0).size(), 3 * CommPort::ReceiveCapacity);
        QCOMPARE(f.find<QLineEdit>("Text1(0)")->cursorPosition(), 0);
        QCOMPARE(count(f, 0), QString::number(CommPort::ReceiveCapacity));
    }

    void theJournalKeepsEachTickThatWroteAReading()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("j.tsv"));
        QDateTime now(QDate(2026, 12, 8), QTime(16, 51, 12), Qt::OffsetFromUTC, 3 * 3600);
        const auto run = [&](auto &&ticks) {
            QString reason;
            auto journal = Capture::open(path, &reason);
            QVERIFY2(journal, qPrintable(reason));
            MonitorFixture f;
            f.pollingCycle.clock = [&] { return now = now.addMSecs(100); };
            loadAndStart(f);
            f.pollingCycle.startJournal(journal.get());
            ticks(f);
            journal->close();
        };
        run([](MonitorFixture &f) {
            tick(f, "\xCA\xE0");
            tick(f);
            QTest::mouseClick(f.find<ColorButton>("Command5"), Qt::LeftButton);
            tick(f, "a\tb");
            f.comm1.setPortOpen(false);
            tick(f, "lost");
            tick(f);
            f.openPort();
            tick(f);
            tick(f, "\\");
        });
        run([](MonitorFixture &f) { tick(f, "z"); });

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList expected{
            QStringLiteral("время\tбайт\tBit\tText\tпримечание"),
            QStringLiteral("2026-12-08T16:51:12.100+03:00\t\t\t\tзапуск: /dev/ttyS0 — 9600,n,8,1"),
            QStringLiteral("2026-12-08T16:51:12.200+03:00\t2\t CA E0\tКа"),
            QStringLiteral("2026-12-08T16:51:12.400+03:00\t3\t 61 09 62\ta\\tb"),
            QStringLiteral("2026-12-08T16:51:12.500+03:00\t3\t 61 09 62\ta\\tb\tповтор: порт закрыт"),
            QStringLiteral("2026-12-08T16:51:12.700+03:00\t1\t 5C\t\\\\"),
            QStringLiteral("2026-12-08T16:51:12.800+03:00\t\t\t\tзапуск: /dev/ttyS0 — 9600,n,8,1"),
            QStringLiteral("2026-12-08T16:51:12.900+03:00\t1\t 7A\tz"),
        };
        QCOMPARE(QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')),
                 expected + QStringList{QString()});
    }

    void theJournalStartsWithThePortAsItsOpenLeftIt()
    {
        Journal journal;
        QVERIFY2(journal.capture, qPrintable(journal.reason));
        MonitorFixture f;
        f.port->answerLater = true;
        f.port->reportedSettings = LineSettings{19200, Parity::Even, 7, 2};
        f.comm1.setPortOpen(true);
        f.pollingCycle.startJournal(journal.capture.get());
        f.port->finishOpen();
        const QStringList lines = journal.closedLines();
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[1].endsWith(QStringLiteral("\tзапуск: /dev/ttyS0 — 19200,e,7,2")));
    }

    void theJournalKeepsTheLinesAndTheErrors()
    {
        Journal journal;
        QVERIFY2(journal.capture, qPrintable(journal.reason));
        MonitorFixture f;
        f.pollingCycle.clock = [] { return QDateTime(QDate(2026, 12, 8), QTime(16, 51), Qt::UTC); };
        f.port->status = {InputLines{true, false, false, false}, 0, ReceiveErrors{}};
        f.pollingCycle.startJournal(journal.capture.get());
        f.load();
        tick(f);
        f.port->status.lines->dsr = true;
        tick(f);
        f.port->status.errors->frame = 12;
        tick(f, "ab");
        // A pulse between two ticks: the same levels, but the driver counted two changes.
        f.port->status.lineChanges = 2;
        tick(f);
        const QString at = QStringLiteral("2026-12-08T16:51:00.000+00:00\t");
        const QStringList expected{at + QStringLiteral("\t\t\tлинии: CTS=1 DSR=0 CD=0 RI=0"),
                                   at + QStringLiteral("\t\t\tлинии: CTS=1 DSR=1 CD=0 RI=0"),
                                   at + QStringLiteral("2\t 61 62\tab\tошибки: кадра +12"),
                                   at + QStringLiteral("\t\t\tлинии: CTS=1 DSR=1 CD=0 RI=0"), QString()};
        QCOMPARE(journal.closedLines().mid(2), expected);
    }

    void theTickRunsOnItsTimer()
    {
        MonitorFixture f;
        f.load();
        f.find<QLineEdit>("Text2")->setText("200");
        QTest::mouseClick(f.find<QPushButton>("Command1"), Qt::LeftButton);
        f.port->feed("hi");
        QSignalSpy ticks(f.find<QTimer>("Timer1"), &QTimer::timeout);
        QVERIFY(ticks.wait());
        QCOMPARE(row(f, 0), QStringLiteral(" 68 69"));
        QCOMPARE(indicator(f, 0), ColorCode::Red);
    }
};

QTEST_MAIN(TestPollingCycle)
#include "tst_pollingcycle.moc"
