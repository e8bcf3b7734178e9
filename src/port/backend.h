#pragma once

#include "devicestatus.h"
#include "linesettings.h"
#include "portaddress.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>
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
    SystemConsole,
    // A port on another machine.
    HostNotFound,
    ConnectionRefused,
    NoAnswer,
    ServerBusy,
    NotRfc2217
};

// What the port component needs of a device: the real one on Qt SerialPort, one that another machine serves,
// or a scripted fake in tests.
class SerialBackend : public QObject
{
    Q_OBJECT

public:
    // Enough for 115200 baud at polling intervals up to 5 s; a reading never holds more.
    static constexpr qsizetype ReceiveCapacity = 64 * 1024;

    using QObject::QObject;

    // Starts opening exclusively with the settings. openFinished() always tells how it went later, on a turn
    // of the event loop after this call, so that the caller sees one course whatever the device.
    virtual void open(const PortAddress &address, const LineSettings &settings) = 0;
    // Applies new settings to the device open now, and answers as open() does.
    virtual void reconfigure(const LineSettings &settings) = 0;
    // Closes, or gives up an open under way; no answer follows.
    virtual void close() = 0;
    // Empty when the state cannot be read.
    virtual std::optional<bool> isOpen() const = 0;
    // Devices without modem lines accept these and ignore them.
    virtual void setDtr(bool raised) = 0;
    virtual void setRts(bool raised) = 0;
    virtual QByteArray readAvailable() = 0;
    // Drops every byte received and not yet read, the system's queue included, and tells how many.
    virtual qsizetype discardInput() = 0;
    // The settings the device reports in force, where it reports them (a server does); else those asked for.
    virtual std::optional<LineSettings> settingsInForce() const { return std::nullopt; }
    // What the operator should know beyond open or closed, such as requests left unconfirmed.
    virtual QStringList notes() const { return {}; }
    // The device's lines and receive errors as it tells them now; nothing where it cannot.
    virtual DeviceStatus deviceStatus() { return {}; }

signals:
    void openFinished(std::optional<SerialError> failure);
    void notesChanged();
    void readyRead();
    // The device went away or hung up while open.
    void lost();
};
