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

std::optional<Parity> parityFromLetter(const QString &text)
{
    if (text.size() != 1)
        return std::nullopt;
    switch (text.at(0).toLower().unicode()) {
    case 'n':
        return Parity::None;
    case 'e':
        return Parity::Even;
    case 'o':
        return Parity::Odd;
    case 's':
        return Parity::Space;
    case 'm':
        return Parity::Mark;
    }
    return std::nullopt;
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

// Checked by hand rather than by a regular expression, which would bring in its engine at start-up.
std::optional<qint64> wholeNumber(QStringView text)
{
    if (text.isEmpty() || text.size() > 10 || !std::all_of(text.begin(), text.end(), isAsciiDigit))
        return std::nullopt;
    return text.toLongLong();
}

std::optional<LineSettings> parseLineSettings(const QString &text)
{
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4)
        return std::nullopt;
    const auto baud = wholeNumber(fields[0]);
    const auto parity = parityFromLetter(fields[1]);
    const auto dataBits = wholeNumber(fields[2]);
    const auto stopBits = wholeNumber(fields[3]);
    if (!baud || *baud < 1 || *baud > std::numeric_limits<qint32>::max() || !parity)
        return std::nullopt;
    if (!dataBits || *dataBits < 5 || *dataBits > 8)
        return std::nullopt;
    // 1.5 stop bits is not offered: on Linux Qt would quietly apply 1 instead.
    if (!stopBits || (*stopBits != 1 && *stopBits != 2))
        return std::nullopt;
    return LineSettings{static_cast<qint32>(*baud), *parity, static_cast<int>(*dataBits),
                        static_cast<int>(*stopBits)};
}

QString lineSettingsText(const LineSettings &settings)
{
    static constexpr char letters[] = {'n', 'e', 'o', 's', 'm'};
    return QStringLiteral("%1,%2,%3,%4")
        .arg(settings.baudRate)
        .arg(QLatin1Char(letters[int(settings.parity)]))
        .arg(settings.dataBits)
        .arg(settings.stopBits);
}

std::optional<QString> portDeviceName(const QString &text)
{
    if (remotePort(text))
        return text;
    if (const auto number = wholeNumber(text)) {
        if (*number < 1 || *number > std::numeric_limits<qint16>::max())
            return std::nullopt;
#ifdef Q_OS_WIN
        return QStringLiteral("COM%1").arg(*number);
#else
        return QStringLiteral("/dev/ttyS%1").arg(*number - 1);
#endif
    }
    if (isBareName(text))
        return QStringLiteral("/dev/") + text;
    if (isPath(text) && !text.split(QLatin1Char('/')).contains(QStringLiteral("..")))
        return text;
    return std::nullopt;
}

QString RemotePort::address() const
{
    const QString shownHost =
        host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return shownHost + QLatin1Char(':') + QString::number(port);
}

std::optional<RemotePort> remotePort(const QString &text)
{
    RemotePort remote;
    QStringView rest(text);
    if (rest.startsWith(u"rfc2217://", Qt::CaseInsensitive)) {
        rest = rest.mid(10);
    } else if (rest.startsWith(u"tcp://", Qt::CaseInsensitive)) {
        remote.protocol = RemotePort::Protocol::Tcp;
        rest = rest.mid(6);
    } else {
        return std::nullopt;
    }
    const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
    if (colon < 0)
        return std::nullopt;
    const auto port = wholeNumber(rest.mid(colon + 1));
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
    remote.host = host.toString();
    remote.port = static_cast<quint16>(*port);
    return remote;
}
