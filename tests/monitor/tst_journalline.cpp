#include "monitor/journalline.h"

#include <QTest>

// One reading, one line: the fields the rows show, escaped so that nothing a device sends can break a line.
class TestJournalLine : public QObject
{
    Q_OBJECT

private slots:
    void aReadingIsOneLine_data()
    {
        QTest::addColumn<QDateTime>("stamp");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qsizetype>("dropped");
        QTest::addColumn<bool>("repeated");
        QTest::addColumn<QString>("line");

        const QDate day(2026, 12, 8);
        const QDateTime moscow(day, QTime(16, 51, 12, 345), Qt::OffsetFromUTC, 3 * 3600);
        const QDateTime utc(day, QTime(0, 0, 0, 7), Qt::UTC);
        const QDateTime newfoundland(day, QTime(23, 59, 59, 999), Qt::OffsetFromUTC, -(3 * 3600 + 1800));
        QTest::newRow("control characters and the backslash")
            << moscow << QByteArray("a\tb\r\n\\\0\x1B\x7F", 9) << qsizetype(0) << false
            << QStringLiteral("2026-12-08T16:51:12.345+03:00\t9\t 61 09 62 0D 0A 5C 00 1B 7F\t"
                              "a\\tb\\r\\n\\\\\\x00\\x1B\\x7F\n");
        QTest::newRow("Cyrillic") << moscow << QByteArray("\xCA\xE0\xED\xE0\xEB 1") << qsizetype(0) << false
                                  << QStringLiteral(
                                         "2026-12-08T16:51:12.345+03:00\t7\t CA E0 ED E0 EB 20 31\t"
                                         "Канал 1\n");
        QTest::newRow("0xFF, the ellipsis and the unassigned 0x98")
            << utc << QByteArray("\xFF\x85\x98") << qsizetype(0) << false
            << QStringLiteral("2026-12-08T00:00:00.007+00:00\t3\t FF 85 98\tя…\\x98\n");
        QTest::newRow("empty") << newfoundland << QByteArray() << qsizetype(0) << false
                               << QStringLiteral("2026-12-08T23:59:59.999-03:30\t0\t\t\n");
        QTest::newRow("repeat") << moscow << QByteArray("ok") << qsizetype(0) << true
                                << QStringLiteral("2026-12-08T16:51:12.345+03:00\t2\t 6F 6B\tok\t"
                                                  "повтор: порт закрыт\n");
        QTest::newRow("cut") << moscow << QByteArray("xy") << qsizetype(4464) << false
                             << QStringLiteral("2026-12-08T16:51:12.345+03:00\t2\t 78 79\txy\t"
                                               "отброшено ≥ 4464\n");
        QTest::newRow("repeat of a cut reading")
            << moscow << QByteArray("x") << qsizetype(1) << true
            << QStringLiteral(
                   "2026-12-08T16:51:12.345+03:00\t1\t 78\tx\tповтор: порт закрыт; отброшено ≥ 1\n");
    }

    void aReadingIsOneLine()
    {
        QFETCH(QDateTime, stamp);
        QFETCH(QByteArray, bytes);
        QFETCH(qsizetype, dropped);
        QFETCH(bool, repeated);
        QFETCH(QString, line);
        QCOMPARE(QString::fromUtf8(journalLine({stamp, bytes, dropped, repeated, {}, {}})), line);
    }

    void theDevicesNotesFollowTheOthers()
    {
        const QDateTime stamp(QDate(2026, 12, 8), QTime(16, 51, 12, 345), Qt::OffsetFromUTC, 3 * 3600);
        QCOMPARE(QString::fromUtf8(
                     journalLine({stamp, "x", 1, false, {12, 0, 2, 0}, InputLines{true, false, true}})),
                 QStringLiteral("2026-12-08T16:51:12.345+03:00\t1\t 78\tx\tотброшено ≥ 1; ошибки: кадра +12, "
                                "переполнения +2; линии: CTS=1 DSR=0 CD=1 RI=0\n"));
    }
};

QTEST_GUILESS_MAIN(TestJournalLine)
#include "tst_journalline.moc"
