#include "../check.h"

#include "port/linesettings.h"

#include <QStringList>
#include <cstring>

namespace {

// The only liberties the parser may take with a printed text: a capital parity letter, leading zeros.
QString normalised(const QString &text)
{
    QStringList fields = text.split(QLatin1Char(','));
    for (QString &field : fields) {
        field = field.toLower();
        while (field.size() > 1 && field.startsWith(QLatin1Char('0')))
            field.remove(0, 1);
    }
    return fields.join(QLatin1Char(','));
}

} // namespace

// The settings parser accepts exactly the texts it could have printed, and reads back all it prints.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const auto settings = parseLineSettings(text)) {
        FUZZ_CHECK(normalised(text) == lineSettingsText(*settings));
        FUZZ_CHECK(parseLineSettings(lineSettingsText(*settings)) == settings);
    }
    if (size >= 7) {
        qint32 baud = 0;
        std::memcpy(&baud, data, sizeof baud);
        const LineSettings settings{baud, Parity(data[4] % 5), 5 + data[5] % 4, 1 + data[6] % 2};
        FUZZ_CHECK(parseLineSettings(lineSettingsText(settings)) ==
                   (baud >= 1 ? std::optional(settings) : std::nullopt));
    }
    return 0;
}
