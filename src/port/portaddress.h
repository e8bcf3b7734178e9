#pragma once

#include <QString>
#include <optional>

// What the port box names, parsed once: a device on this machine, or a port that another machine serves as
// "rfc2217://HOST:PORT" (RFC 2217 over telnet, as ser2net serves it) or "tcp://HOST:PORT" (bytes only).
class PortAddress
{
public:
    enum class Kind
    {
        Device,
        Rfc2217,
        Tcp
    };

    // A number 1..32767 is the platform's n-th port, a bare name lives under /dev, an absolute path stands as
    // it is; anything else, blanks and control characters included, names nothing.
    static std::optional<PortAddress> parse(const QString &text);

    Kind kind() const { return m_kind; }
    bool isRemote() const { return m_kind != Kind::Device; }
    // What the window calls the port: the device's path, or a remote port as typed.
    QString name() const { return m_name; }
    // A remote port's host, without the brackets of an IPv6 address, and its TCP port.
    QString host() const { return m_host; }
    quint16 port() const { return m_port; }
    // "HOST:PORT", an IPv6 address in brackets.
    QString hostAndPort() const;
    // Its number goes to the next pseudo-terminal any program opens: never the same device again.
    bool isNumberedPseudoTerminal() const;
    // A USB adapter's name under /dev/serial/by-id, which stays with the adapter whatever node it gets.
    bool isStableName() const;

    friend bool operator==(const PortAddress &, const PortAddress &) = default;

private:
    Kind m_kind = Kind::Device;
    QString m_name;
    QString m_host;
    quint16 m_port = 0;
};
