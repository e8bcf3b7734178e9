#include "app/infopanel.h"

#include <QTest>

class TestInfoPanel : public QObject
{
    Q_OBJECT

private slots:
    void lineStructure_data();
    void lineStructure();
    void makerBlockNamesMakerAndProgram();
    void termsHaveHeadingAndSixPoints();
};

void TestInfoPanel::lineStructure_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("emptyLine");

    QTest::newRow("maker block: one empty line before the rights line") << makerBlockText() << 5;
    QTest::newRow("terms of use: no empty line") << termsOfUseText() << -1;
}

void TestInfoPanel::lineStructure()
{
    QFETCH(QString, text);
    QFETCH(int, emptyLine);

    QVERIFY(!text.endsWith(u'\r') && !text.endsWith(u'\n'));
    const qsizetype breaks = text.count(QStringLiteral("\r\n"));
    QCOMPARE(text.count(u'\r'), breaks);
    QCOMPARE(text.count(u'\n'), breaks);

    const QStringList lines = text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 7);
    for (qsizetype i = 0; i < lines.size(); ++i)
        QCOMPARE(lines[i].isEmpty(), i == emptyLine);
}

void TestInfoPanel::makerBlockNamesMakerAndProgram()
{
    const QStringList lines = makerBlockText().split(QStringLiteral("\r\n"));

    QCOMPARE(lines.value(0), QStringLiteral("Brantel"));
    QCOMPARE(lines.value(1), QStringLiteral("Kalvane v.1.0"));
    // Addresses must stay on reserved example domains so that no real site or mailbox is named.
    QVERIFY(lines.value(3).contains(QStringLiteral("example.")));
    QVERIFY(lines.value(4).contains(QStringLiteral("@example.")));
}

void TestInfoPanel::termsHaveHeadingAndSixPoints()
{
    const QStringList lines = termsOfUseText().split(QStringLiteral("\r\n"));

    QVERIFY(lines.value(0).contains(QStringLiteral("Kalvane v.1.0")));
    QVERIFY(lines.value(0).endsWith(u':'));
    for (int point = 1; point <= 6; ++point)
        QVERIFY2(lines.value(point).startsWith(QString::number(point) + ". "),
                 qPrintable(lines.value(point)));
}

QTEST_APPLESS_MAIN(TestInfoPanel)
#include "tst_infopanel.moc"
