#include "../check.h"

#include "monitor/pollingcycle.h"

#include <cstring>

// An accepted interval is the decimal number typed (blanks around it and leading zeros aside), from 1 ms to
// the timer's limit; every such number, printed, is accepted as itself.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const auto interval = parsePollingInterval(text)) {
        FUZZ_CHECK(*interval >= 1);
        QString digits = text.trimmed();
        while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
            digits.remove(0, 1);
        FUZZ_CHECK(digits == QString::number(*interval));
    }
    if (size >= 4) {
        qint32 value = 0;
        std::memcpy(&value, data, sizeof value);
        // Not compared as optionals: GCC's optimiser takes an empty one's unread payload for uninitialised.
        for (const QString &text : {QString::number(value), QStringLiteral(" %1\t").arg(value)}) {
            const std::optional<int> parsed = parsePollingInterval(text);
            FUZZ_CHECK(parsed.has_value() == (value >= 1) && (!parsed || *parsed == value));
        }
    }
    return 0;
}
