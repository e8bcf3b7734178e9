#include "monitor/hexrender.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

class TestHexRender : public QObject
{
    Q_OBJECT

private slots:
    void rendersEachByteAsSpaceAndTwoDigits_data();
    void rendersEachByteAsSpaceAndTwoDigits();
    void lengthIsThreePerByte_data();
    void lengthIsThreePerByte();
    void randomBytesParseBack_data();
    void randomBytesParseBack();
};

void TestHexRender::rendersEachByteAsSpaceAndTwoDigits_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("digit threshold around 16") << QByteArray("\x00\x0F\x10\xFF", 4) << " 00 0F 10 FF";
    QTest::newRow("printable letters as codes") << QByteArray("abc") << " 61 62 63";
    QTest::newRow("line break then letter") << QByteArray("\r\nA") << " 0D 0A 41";
}

void TestHexRender::rendersEachByteAsSpaceAndTwoDigits()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);

    QCOMPARE(hexRendering(bytes), expected);
}

void TestHexRender::lengthIsThreePerByte_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("one byte") << QByteArray(1, '\x7F');
    QTest::newRow("full receive buffer of 1024") << QByteArray(1024, '\x5A');
    QTest::newRow("64 KiB") << QByteArray(64 * 1024, '\x00');
}

void TestHexRender::lengthIsThreePerByte()
{
    QFETCH(QByteArray, bytes);

    const QString text = hexRendering(bytes);
    QCOMPARE(text.size(), 3 * bytes.size());
    QVERIFY(text.startsWith(u' '));
    QCOMPARE(text.count(u' '), bytes.size());
}

void TestHexRender::randomBytesParseBack_data()
{
    QTest::addColumn<int>("length");

    for (const int length : {1, 2, 15, 16, 17, 255, 256, 1000, 1024, 4097, 65536})
        QTest::addRow("%d random bytes", length) << length;
}

void TestHexRender::randomBytesParseBack()
{
    QFETCH(int, length);

    QRandomGenerator random(static_cast<quint32>(length));
    QByteArray bytes(length, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(random.bounded(256));

    const QString text = hexRendering(bytes);
    static const QRegularExpression shape(QStringLiteral("^(?: [0-9A-F]{2})*+$"));
    QCOMPARE(text.size(), 3 * qsizetype(length));
    QVERIFY(shape.match(text).hasMatch());
    QCOMPARE(QByteArray::fromHex(text.toLatin1()), bytes);
}

QTEST_APPLESS_MAIN(TestHexRender)
#include "tst_hexrender.moc"
