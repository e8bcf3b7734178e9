#include "../check.h"

#include "serial/linesettings.h"

#include <QRegularExpression>
#include <algorithm>

// The port text yields only a clean absolute device path (no blanks or control characters, no "..", no
// trailing slash) that names itself when typed again; a number n from 1 to 32767 is /dev/ttyS{n-1}.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto device = portDeviceName(text);
    static const QRegularExpression number(
        QRegularExpression::anchoredPattern(QStringLiteral("[0-9]{1,10}")));
    if (number.match(text).hasMatch()) {
        const qint64 value = text.toLongLong();
        FUZZ_CHECK(device == (value >= 1 && value <= 32767
                                  ? std::optional(QStringLiteral("/dev/ttyS%1").arg(value - 1))
                                  : std::nullopt));
        return 0;
    }
    if (!device)
        return 0;
    FUZZ_CHECK(device->startsWith(QLatin1Char('/')) && !device->endsWith(QLatin1Char('/')));
    FUZZ_CHECK(std::none_of(device->cbegin(), device->cend(),
                            [](QChar c) { return c.isSpace() || c.category() == QChar::Other_Control; }));
    FUZZ_CHECK(!device->split(QLatin1Char('/')).contains(QStringLiteral("..")));
    FUZZ_CHECK(*device == text || *device == QStringLiteral("/dev/") + text);
    FUZZ_CHECK(portDeviceName(*device) == device);
    return 0;
}
