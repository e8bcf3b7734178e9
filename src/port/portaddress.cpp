#include "portaddress.h"

#include "linesettings.h"

#include <QStringList>
#include <algorithm>
#include <limits>

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A letter, then letters, digits, "_", "." and "-": a name such as ttyUSB0 that lives in /dev.
bool isBareName(QStringView text)
{
    return !text.isEmpty() && isAsciiLetter(text.front()) &&
           std::all_of(text.begin(), text.end(), [](QChar c) {
               return isAsciiLetter(c) || isAsciiDigit(c) || c == QLatin1Char('_') || c == QLatin1Char('.') ||
                      c == QLatin1Char('-');
           });
}

// No blank of any script, and no control character: a NUL would cut the path short at open.
bool isPath(QStringView text)
{
    return text.size() >= 2 && text.front() == QLatin1Char('/') && text.back() != QLatin1Char('/') &&
           std::none_of(text.begin(), text.end(),
                        [](QChar c) { return c.isSpace() || c.category() == QChar::Other_Control; });
}

bool isHexDigit(QChar c)
{
    return isAsciiDigit(c) || (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

// A DNS name or an IPv4 address: labels of letters, digits, "-" and "_" joined by single dots.
bool isHostName(QStringView text)
{
    if (text.isEmpty() || text.size() > 253 || text.front() == QLatin1Char('.') ||
        text.front() == QLatin1Char('-') || text.back() == QLatin1Char('.') || text.contains(u".."))
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return isAsciiLetter(c) || isAsciiDigit(c) || c == QLatin1Char('-') || c == QLatin1Char('_') ||
               c == QLatin1Char('.');
    });
}

// Only the characters an IPv6 address is written with; the resolver judges the rest.
bool isIpv6Address(QStringView text)
{
    return text.size() >= 2 && text.size() <= 45 && text.contains(QLatin1Char(':')) &&
           std::all_of(text.begin(), text.end(), [](QChar c) {
               return isHexDigit(c) || c == QLatin1Char(':') || c == QLatin1Char('.');
           });
}

} // namespace

std::optional<PortAddress> PortAddress::parse(const QString &text)
{
    PortAddress address;
    QStringView rest(text);
    if (rest.startsWith(u"rfc2217://", Qt::CaseInsensitive)) {
        address.m_kind = Kind::Rfc2217;
        rest = rest.mid(10);
    } else if (rest.startsWith(u"tcp://", Qt::CaseInsensitive)) {
        address.m_kind = Kind::Tcp;
        rest = rest.mid(6);
    }
    if (address.isRemote()) {
        const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
        const auto port = colon < 0 ? std::nullopt : wholeNumber(rest.mid(colon + 1));
        if (!port || *port < 1 || *port > 65535)
            return std::nullopt;
        QStringView host = rest.left(colon);
        if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'))) {
            host = host.mid(1, host.size() - 2);
            if (!isIpv6Address(host))
                return std::nullopt;
        } else if (!isHostName(host)) {
            return std::nullopt;
        }
        address.m_name = text;
        address.m_host = host.toString();
        address.m_port = static_cast<quint16>(*port);
        return address;
    }
    if (const auto number = wholeNumber(text)) {
        if (*number < 1 || *number > std::numeric_limits<qint16>::max())
            return std::nullopt;
        address.m_name = QStringLiteral("/dev/ttyS%1").arg(*number - 1);
    } else if (isBareName(text)) {
        address.m_name = QStringLiteral("/dev/") + text;
    } else if (isPath(text) && !text.split(QLatin1Char('/')).contains(QStringLiteral(".."))) {
        address.m_name = text;
    } else {
        return std::nullopt;
    }
    return address;
}

QString PortAddress::hostAndPort() const
{
    const QString shownHost =
        m_host.contains(QLatin1Char(':')) ? QLatin1Char('[') + m_host + QLatin1Char(']') : m_host;
    return shownHost + QLatin1Char(':') + QString::number(m_port);
}

bool PortAddress::isNumberedPseudoTerminal() const
{
    return m_kind == Kind::Device && m_name.startsWith(QStringLiteral("/dev/pts/"));
}

bool PortAddress::isStableName() const
{
    return m_kind == Kind::Device && m_name.startsWith(QStringLiteral("/dev/serial/by-id/"));
}
