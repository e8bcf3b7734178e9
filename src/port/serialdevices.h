#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <sys/types.h>

class CommPort;

struct SerialDevice
{
    QString device;      // "/dev/ttyUSB0"
    QStringList typings; // what the port box takes for it: "ttyUSB0", then its stable /dev/serial/by-id paths

    friend bool operator==(const SerialDevice &, const SerialDevice &) = default;
};

// The serial devices present now, from sysfs and /dev/serial/by-id under root; no device is ever opened,
// since opening a port raises its modem lines and can reset the board on it.
QList<SerialDevice> presentSerialDevices(const QString &root = QStringLiteral("/"));

// Whether the device numbered so is one of the active system consoles that sysfs under root names. Compared
// by number, not name, so that a pseudo-terminal bound in place of a console's node is no console.
bool isSystemConsole(dev_t device, const QString &root = QStringLiteral("/"));

// What the server of the remote port open now reports, when the port box names that port; empty otherwise.
QString serverReport(const CommPort *port, const QString &typed);

// The port box's help: the text typed and the device it names (for a remote port, what its server reported),
// then every present device and how to type it.
QString portBoxHelp(const QString &typed, const QString &root = QStringLiteral("/"),
                    const QString &serverReport = QString());
