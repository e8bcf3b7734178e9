#include "monitor/cp1251.h"

#include <QTest>
#include <cerrno>
#include <iconv.h>
#include <memory>
#include <type_traits>

namespace {

// The system's own table is the reference; 0x98, which it refuses, is expected as U+FFFD.
char16_t iconvCharacter(unsigned char byte)
{
    const std::unique_ptr<std::remove_pointer_t<iconv_t>, int (*)(iconv_t)> converter(
        iconv_open("UTF-16LE", "CP1251"), iconv_close);
    if (converter.get() == reinterpret_cast<iconv_t>(-1))
        qFatal("iconv has no CP1251 table; libc6 should provide gconv/CP1251.so");

    char in = char(byte);
    unsigned char out[4] = {};
    char *inPtr = &in;
    char *outPtr = reinterpret_cast<char *>(out);
    size_t inLeft = 1;
    size_t outLeft = sizeof out;
    if (iconv(converter.get(), &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1)) {
        if (errno != EILSEQ)
            qFatal("iconv failed on byte 0x%02X", byte);
        return u'\uFFFD';
    }
    if (sizeof out - outLeft != 2)
        qFatal("iconv gave other than one UTF-16 unit for byte 0x%02X", byte);
    return char16_t(out[0] | out[1] << 8);
}

} // namespace

class TestCp1251 : public QObject
{
    Q_OBJECT

private slots:
    void matchesSystemIconv_data();
    void matchesSystemIconv();
    void keepsOneCharacterPerByte_data();
    void keepsOneCharacterPerByte();
};

void TestCp1251::matchesSystemIconv_data()
{
    QTest::addColumn<int>("byte");

    for (int byte = 0; byte < 256; ++byte)
        QTest::addRow("byte 0x%02X", byte) << byte;
}

void TestCp1251::matchesSystemIconv()
{
    QFETCH(int, byte);

    const char in = char(byte);
    const QString text = cp1251Text(QByteArrayView(&in, 1));
    QCOMPARE(text.size(), 1);
    QCOMPARE(text[0].unicode(), iconvCharacter(byte));
}

void TestCp1251::keepsOneCharacterPerByte_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("zero bytes kept as characters")
        << QByteArray("\0a\0\0b\0", 6) << QString::fromUtf16(u"\0a\0\0b\0", 6);
    QTest::newRow("greeting in Cyrillic")
        << QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2") << QStringLiteral(u"Привет");
}

void TestCp1251::keepsOneCharacterPerByte()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);

    const QString text = cp1251Text(bytes);
    QCOMPARE(text.size(), bytes.size());
    QCOMPARE(text, expected);
}

QTEST_APPLESS_MAIN(TestCp1251)
#include "tst_cp1251.moc"
