#include "../check.h"

#include "port/portaddress.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

// The port text yields only a clean absolute device path (no blanks or control characters, no "..", no
// trailing slash) that names itself when typed again; a number n from 1 to 32767 is /dev/ttyS{n-1}. A remote
// port stands as typed, with a clean host and a port 1..65535 that its HOST:PORT gives back.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto address = PortAddress::parse(text);
    static const QRegularExpression number(
        QRegularExpression::anchoredPattern(QStringLiteral("[0-9]{1,10}")));
    if (number.match(text).hasMatch()) {
        const qint64 value = text.toLongLong();
        FUZZ_CHECK(address.has_value() == (value >= 1 && value <= 32767));
        FUZZ_CHECK(!address || address->name() == QStringLiteral("/dev/ttyS%1").arg(value - 1));
        return 0;
    }
    if (!address)
        return 0;
    if (address->isRemote()) {
        FUZZ_CHECK(address->name() == text);
        FUZZ_CHECK(address->port() >= 1 && !address->host().isEmpty());
        FUZZ_CHECK(std::none_of(address->host().cbegin(), address->host().cend(), [](QChar c) {
            return c.isSpace() || c.category() == QChar::Other_Control || c == QLatin1Char('/') ||
                   c == QLatin1Char('[') || c == QLatin1Char('@');
        }));
        const QString scheme = address->kind() == PortAddress::Kind::Tcp ? QStringLiteral("tcp://")
                                                                         : QStringLiteral("rfc2217://");
        const auto again = PortAddress::parse(scheme + address->hostAndPort());
        FUZZ_CHECK(again && again->kind() == address->kind() && again->host() == address->host() &&
                   again->port() == address->port());
        return 0;
    }
    const QString device = address->name();
    FUZZ_CHECK(device.startsWith(QLatin1Char('/')) && !device.endsWith(QLatin1Char('/')));
    FUZZ_CHECK(std::none_of(device.cbegin(), device.cend(),
                            [](QChar c) { return c.isSpace() || c.category() == QChar::Other_Control; }));
    FUZZ_CHECK(!device.split(QLatin1Char('/')).contains(QStringLiteral("..")));
    FUZZ_CHECK(device == text || device == QStringLiteral("/dev/") + text);
    FUZZ_CHECK(PortAddress::parse(device) == address);
    return 0;
}
