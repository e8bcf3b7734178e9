#include "../check.h"

#include "serial/linesettings.h"

#include <QRegularExpression>
#include <algorithm>

// The port text yields only a clean absolute device path (no blanks or control characters, no "..", no
// trailing slash) that names itself when typed again; a number n from 1 to 32767 is /dev/ttyS{n-1}. A remote
// port stands as typed, with a clean host and a port 1..65535 that its address gives back.
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
    if (const auto remote = remotePort(text)) {
        FUZZ_CHECK(*device == text);
        FUZZ_CHECK(remote->port >= 1 && !remote->host.isEmpty());
        FUZZ_CHECK(std::none_of(remote->host.cbegin(), remote->host.cend(), [](QChar c) {
            return c.isSpace() || c.category() == QChar::Other_Control || c == QLatin1Char('/') ||
                   c == QLatin1Char('[') || c == QLatin1Char('@');
        }));
        const QString scheme = remote->protocol == RemotePort::Protocol::Tcp ? QStringLiteral("tcp://")
                                                                             : QStringLiteral("rfc2217://");
        FUZZ_CHECK(remotePort(scheme + remote->address()) == remote);
        return 0;
    }
    FUZZ_CHECK(device->startsWith(QLatin1Char('/')) && !device->endsWith(QLatin1Char('/')));
    FUZZ_CHECK(std::none_of(device->cbegin(), device->cend(),
                            [](QChar c) { return c.isSpace() || c.category() == QChar::Other_Control; }));
    FUZZ_CHECK(!device->split(QLatin1Char('/')).contains(QStringLiteral("..")));
    FUZZ_CHECK(*device == text || *device == QStringLiteral("/dev/") + text);
    FUZZ_CHECK(portDeviceName(*device) == device);
    return 0;
}
