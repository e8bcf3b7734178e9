#include "../check.h"

#include "monitor/cp1251.h"
#include "monitor/hexrender.h"
#include "monitor/journalline.h"

#include <QHash>

namespace {

int digitValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

// The byte each Text-mode character stands for.
const QHash<QChar, int> &textBytes()
{
    static const auto table = [] {
        QHash<QChar, int> bytes;
        for (int value = 0; value < 256; ++value) {
            const char single = char(value);
            bytes.insert(cp1251Text(QByteArrayView(&single, 1)).at(0), value);
        }
        return bytes;
    }();
    return table;
}

// The bytes a journal's text field was written from; every character is either a printable one of Text mode
// or an escape.
QByteArray unescaped(const QByteArray &field)
{
    const QString text = QString::fromUtf8(field);
    FUZZ_CHECK(text.toUtf8() == field);
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\') {
            FUZZ_CHECK(c.unicode() >= 0x20 && c.unicode() != 0x7F && c != QChar::ReplacementCharacter);
            FUZZ_CHECK(textBytes().contains(c));
            bytes += char(textBytes().value(c));
            continue;
        }
        FUZZ_CHECK(i + 1 < text.size());
        const QChar kind = text[++i];
        if (kind == u'x') {
            FUZZ_CHECK(i + 2 < text.size());
            const int high = digitValue(text[i + 1]), low = digitValue(text[i + 2]);
            FUZZ_CHECK(high >= 0 && low >= 0);
            const int value = high * 16 + low;
            FUZZ_CHECK(value < 0x20 || value == 0x7F || value == 0x98);
            FUZZ_CHECK(value != '\t' && value != '\r' && value != '\n');
            bytes += char(value);
            i += 2;
        } else {
            const int escaped = kind == u't'    ? '\t'
                                : kind == u'r'  ? '\r'
                                : kind == u'n'  ? '\n'
                                : kind == u'\\' ? '\\'
                                                : -1;
            FUZZ_CHECK(escaped >= 0);
            bytes += char(escaped);
        }
    }
    return bytes;
}

} // namespace

// n bytes render as exactly 3n characters, each byte a space and two uppercase hex digits that read back
// as that byte; the reading's journal line is one line of four fields, its count, exactly that rendering, and
// a text that reads back as the same bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = hexRendering(bytes);
    FUZZ_CHECK(text.size() == 3 * bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const int high = digitValue(text[3 * i + 1]);
        const int low = digitValue(text[3 * i + 2]);
        FUZZ_CHECK(text[3 * i] == u' ' && high >= 0 && low >= 0);
        FUZZ_CHECK(high * 16 + low == static_cast<unsigned char>(bytes[i]));
    }

    static const QDateTime stamp(QDate(2026, 12, 8), QTime(16, 51, 12, 345), Qt::OffsetFromUTC, 3 * 3600);
    const QByteArray line = journalLine({stamp, bytes, 0, false, {}, {}});
    FUZZ_CHECK(line.endsWith('\n') && line.count('\n') == 1 && !line.contains('\r'));
    const QList<QByteArray> fields = line.chopped(1).split('\t');
    FUZZ_CHECK(fields.size() == 4);
    FUZZ_CHECK(fields[0] == "2026-12-08T16:51:12.345+03:00");
    FUZZ_CHECK(fields[1] == QByteArray::number(bytes.size()));
    FUZZ_CHECK(fields[2] == text.toLatin1());
    FUZZ_CHECK(unescaped(fields[3]) == bytes);
    return 0;
}
