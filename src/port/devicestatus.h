#pragma once

#include <QString>
#include <optional>

// The device's own output lines, which it raises and drops on its side of the cable.
struct InputLines
{
    bool cts = false;
    bool dsr = false;
    bool cd = false;
    bool ri = false;

    friend bool operator==(const InputLines &, const InputLines &) = default;
};

// Receive errors the driver or the server counted.
struct ReceiveErrors
{
    quint32 frame = 0;
    quint32 parity = 0;
    quint32 overrun = 0;
    quint32 breaks = 0;

    bool any() const { return frame || parity || overrun || breaks; }
    friend ReceiveErrors operator-(const ReceiveErrors &a, const ReceiveErrors &b)
    {
        return {a.frame - b.frame, a.parity - b.parity, a.overrun - b.overrun, a.breaks - b.breaks};
    }
    friend bool operator==(const ReceiveErrors &, const ReceiveErrors &) = default;
};

// What the device tells of its side of the cable at one look; each part is empty where it cannot tell.
struct DeviceStatus
{
    std::optional<InputLines> lines;
    // Every change of the lines the driver counted, so that a pulse between two looks still shows.
    quint64 lineChanges = 0;
    // Since the port was opened.
    std::optional<ReceiveErrors> errors;
};

// "линии: CTS ● DSR ○ CD ● RI ○", or that nothing is known of them.
QString linesText(const std::optional<InputLines> &lines);
// "линии: CTS=1 DSR=0 CD=1 RI=0", as the journal keeps them.
QString linesNote(const InputLines &lines);
// "ошибки приёма: кадра 3, чётности 0, переполнения 0, разрывов 1".
QString errorsText(const ReceiveErrors &errors);
// Only the kinds that came: "кадра 12, разрывов 1"; the journal and a row's tooltip put their words before
// it.
QString errorKinds(const ReceiveErrors &errors, const QString &sign = QString());
