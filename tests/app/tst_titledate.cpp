#include "app/titledate.h"

#include <QTest>

class TestTitleDate : public QObject
{
    Q_OBJECT

private slots:
    void caption_data();
    void caption();
    void monthGenitive_data();
    void monthGenitive();
    void systemSourceGivesNames();
};

void TestTitleDate::caption_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("weekday");
    QTest::addColumn<QString>("afterPrefix");

    QTest::newRow("Sunday 6 December 2026 in Russian")
        << QDate(2026, 12, 6) << ::monthGenitive("Декабрь") << "воскресенье"
        << "6  Декабря  2026 года  воскресенье";
    QTest::newRow("day 1 as one digit") << QDate(2026, 3, 1) << "Марта"
                                        << "воскресенье"
                                        << "1  Марта  2026 года  воскресенье";
    QTest::newRow("day 9 as one digit") << QDate(2026, 4, 9) << "Апреля"
                                        << "четверг"
                                        << "9  Апреля  2026 года  четверг";
    QTest::newRow("two-digit day") << QDate(2030, 12, 31) << "Декабря"
                                   << "вторник"
                                   << "31  Декабря  2030 года  вторник";
    QTest::newRow("English names in the Russian frame") << QDate(2026, 12, 7) << "December"
                                                        << "Monday"
                                                        << "7  December  2026 года  Monday";
    QTest::newRow("five-digit year without grouping") << QDate(10000, 1, 2) << "Января"
                                                      << "воскресенье"
                                                      << "2  Января  10000 года  воскресенье";
    QTest::newRow("empty month after a failed lookup") << QDate(2026, 5, 4) << QString() << "понедельник"
                                                       << "4    2026 года  понедельник";
}

void TestTitleDate::caption()
{
    QFETCH(QDate, date);
    QFETCH(QString, month);
    QFETCH(QString, weekday);
    QFETCH(QString, afterPrefix);

    const QString prefix =
        "Brantel" + QString(7, u' ') + "Kalvane v.1.0" + QString(15, u' ') + QStringLiteral("Сегодня: ");
    QCOMPARE(titleCaption(date, month, weekday), prefix + afterPrefix);
}

void TestTitleDate::monthGenitive_data()
{
    QTest::addColumn<QString>("systemName");
    QTest::addColumn<QString>("expected");

    QTest::newRow("January") << "Январь"
                             << "Января";
    QTest::newRow("February") << "Февраль"
                              << "Февраля";
    QTest::newRow("March") << "Март"
                           << "Марта";
    QTest::newRow("April") << "Апрель"
                           << "Апреля";
    QTest::newRow("May") << "Май"
                         << "Мая";
    QTest::newRow("June") << "Июнь"
                          << "Июня";
    QTest::newRow("July") << "Июль"
                          << "Июля";
    QTest::newRow("August") << "Август"
                            << "Августа";
    QTest::newRow("September") << "Сентябрь"
                               << "Сентября";
    QTest::newRow("October") << "Октябрь"
                             << "Октября";
    QTest::newRow("November") << "Ноябрь"
                              << "Ноября";
    QTest::newRow("December") << "Декабрь"
                              << "Декабря";
    QTest::newRow("English name unchanged") << "December"
                                            << "December";
    QTest::newRow("lower-case nominative unchanged") << "декабрь"
                                                     << "декабрь";
    QTest::newRow("lower-case genitive unchanged") << "декабря"
                                                   << "декабря";
    QTest::newRow("trailing space unchanged") << "Декабрь "
                                              << "Декабрь ";
    QTest::newRow("empty unchanged") << ""
                                     << "";
}

void TestTitleDate::monthGenitive()
{
    QFETCH(QString, systemName);
    QFETCH(QString, expected);

    QCOMPARE(::monthGenitive(systemName), expected);
}

void TestTitleDate::systemSourceGivesNames()
{
    const DateSource source = systemDateSource();

    QVERIFY(source.today().isValid());
    for (int month = 1; month <= 12; ++month)
        QVERIFY2(!source.monthName(month).isEmpty(), qPrintable(QString::number(month)));
    for (int day = 1; day <= 7; ++day)
        QVERIFY2(!source.weekdayName(day).isEmpty(), qPrintable(QString::number(day)));
}

QTEST_GUILESS_MAIN(TestTitleDate)
#include "tst_titledate.moc"
