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

// A port that another machine serves: "rfc2217://HOST:PORT" (RFC 2217 over telnet, as ser2net serves it) or
// "tcp://HOST:PORT" (a raw TCP bridge: bytes only).
struct RemotePort
{
    enum class Protocol
    {
        Rfc2217,
        Tcp
    };
    Protocol protocol = Protocol::Rfc2217;
    QString host; // without the brackets of an IPv6 address
    quint16 port = 0;

    // "HOST:PORT", an IPv6 address in brackets.
    QString address() const;
    friend bool operator==(const RemotePort &, const RemotePort &) = default;
};

std::optional<RemotePort> remotePort(const QString &text);

// Port number 1..32767 is the platform's n-th port; a path or a bare name under /dev picks any device; a
// remote port's text stands as it is.
std::optional<QString> portDeviceName(const QString &text);
