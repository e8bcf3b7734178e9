#include "monitor/localclock.h"

#include <QTest>
#include <ctime>

class TestLocalClock : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void agreesWithSystemClock_data();
    void agreesWithSystemClock();
};

void TestLocalClock::cleanup()
{
    qunsetenv("TZ");
    tzset();
}

void TestLocalClock::agreesWithSystemClock_data()
{
    // POSIX zone rules, so that no zone database is needed; their offsets count west of Greenwich.
    QTest::addColumn<QByteArray>("zone");
    QTest::newRow("utc") << QByteArray("UTC0");
    QTest::newRow("quarter hour east") << QByteArray("XST-5:45");
    QTest::newRow("half hour west") << QByteArray("YST3:30");
}

void TestLocalClock::agreesWithSystemClock()
{
    QFETCH(QByteArray, zone);
    qputenv("TZ", zone);
    tzset();

    LocalClock clock;
    const QTime before = QTime::currentTime();
    const QDateTime stamp = clock();
    const QTime after = QTime::currentTime();
    QCOMPARE(stamp.offsetFromUtc(), QDateTime::currentDateTime().offsetFromUtc());
    const QTime stamped = stamp.time();
    // Counted round the clock from the first reading, so that a midnight in between does not matter.
    constexpr int msPerDay = 24 * 60 * 60 * 1000;
    const auto since = [before](QTime time) { return (before.msecsTo(time) + msPerDay) % msPerDay; };
    QVERIFY2(since(stamped) <= since(after), qPrintable(stamped.toString(u"HH:mm:ss.zzz")));
}

QTEST_GUILESS_MAIN(TestLocalClock)
#include "tst_localclock.moc"
