#pragma once

#include "linesettings.h"

#include <QByteArray>
#include <QObject>
#include <optional>

// Why a port could not be opened, or why it closed by itself (Lost).
enum class SerialError
{
    NoSuchDevice,
    Busy,
    NoPermission,
    NotATerminal,
    SettingsRefused,
    Io,
    Lost,
    // The device is the machine's active system console, and was left unopened.
    SystemConsole
};

// What the port component needs of a device: the real one on Qt SerialPort, or a scripted fake in tests.
class SerialBackend : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Opens exclusively and applies the settings; returns the reason when it could not.
    virtual std::optional<SerialError> open(const QString &device, const LineSettings &settings) = 0;
    virtual void close() = 0;
    // Empty when the state cannot be read.
    virtual std::optional<bool> isOpen() const = 0;
    // Devices without modem lines accept these and ignore them.
    virtual void setDtr(bool raised) = 0;
    virtual void setRts(bool raised) = 0;
    virtual QByteArray readAvailable() = 0;
    // Drops every byte received and not yet read, the system's queue included, and tells how many.
    virtual qsizetype discardInput() = 0;

signals:
    void readyRead();
    // The device went away or hung up while open.
    void lost();
};
