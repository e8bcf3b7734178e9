#include "port/linesettings.h"

#include <QTest>

Q_DECLARE_METATYPE(LineSettings)

class TestLineSettings : public QObject
{
    Q_OBJECT

private slots:
    void acceptsSettings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<LineSettings>("expected");
        QTest::newRow("defaults") << "9600,n,8,1" << LineSettings{9600, Parity::None, 8, 1};
        QTest::newRow("fastest listed rate, even, two stop bits")
            << "115200,e,7,2" << LineSettings{115200, Parity::Even, 7, 2};
        QTest::newRow("slowest listed rate, odd, five bits")
            << "110,o,5,1" << LineSettings{110, Parity::Odd, 5, 1};
        QTest::newRow("space parity upper case") << "1200,S,6,1" << LineSettings{1200, Parity::Space, 6, 1};
        QTest::newRow("mark parity") << "2400,m,8,2" << LineSettings{2400, Parity::Mark, 8, 2};
        QTest::newRow("custom rate") << "250000,n,8,1" << LineSettings{250000, Parity::None, 8, 1};
    }
    void acceptsSettings()
    {
        QFETCH(QString, text);
        QFETCH(LineSettings, expected);
        QCOMPARE(parseLineSettings(text), std::optional(expected));
    }

    void refusesSettings_data()
    {
        QTest::addColumn<QString>("text");
        for (const char *text : {"",
                                 "9600,n,8",
                                 "9600,n,8,1,",
                                 "9600,n,8,1,1",
                                 "9600, n,8,1",
                                 " 9600,n,8,1",
                                 "9600,n,8,1 ",
                                 "0,n,8,1",
                                 "-9600,n,8,1",
                                 "+9600,n,8,1",
                                 "96OO,n,8,1",
                                 "9600.5,n,8,1",
                                 "99999999999,n,8,1",
                                 "2147483648,n,8,1",
                                 "9600,x,8,1",
                                 "9600,,8,1",
                                 "9600,nn,8,1",
                                 "9600,n,4,1",
                                 "9600,n,9,1",
                                 "9600,n,8,0",
                                 "9600,n,8,1.5",
                                 "9600,n,8,3",
                                 "9600;n;8;1"})
            QTest::newRow(*text ? text : "empty") << QString::fromLatin1(text);
        QTest::newRow("line feed after the stop bits") << QStringLiteral("9600,n,8,1\n");
    }
    void refusesSettings()
    {
        QFETCH(QString, text);
        QCOMPARE(parseLineSettings(text), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestLineSettings)
#include "tst_linesettings.moc"
