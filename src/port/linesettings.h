#pragma once

#include <QString>
#include <optional>

enum class Parity
{
    None,
    Even,
    Odd,
    Space,
    Mark
};

// One line configuration as the operator writes it: "9600,n,8,1".
struct LineSettings
{
    qint32 baudRate = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;
    int stopBits = 1;

    friend bool operator==(const LineSettings &, const LineSettings &) = default;
};

// One to ten ASCII digits and nothing else, as a number; anything else, signs and blanks included, is none.
std::optional<qint64> wholeNumber(QStringView text);

// Refuses anything but exactly four comma-separated fields with no spaces.
std::optional<LineSettings> parseLineSettings(const QString &text);

// The operator's own form again: "115200,n,8,1".
QString lineSettingsText(const LineSettings &settings);
