#include "linesettings.h"

#include <QStringList>
#include <algorithm>
#include <limits>

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
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
