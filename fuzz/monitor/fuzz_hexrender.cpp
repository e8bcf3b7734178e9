#include "../check.h"

#include "monitor/hexrender.h"

namespace {

int digitValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

} // namespace

// n bytes render as exactly 3n characters, each byte a space and two uppercase hex digits that read back
// as that byte.
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
    return 0;
}
