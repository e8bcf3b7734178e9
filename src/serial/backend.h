#pragma once

#include "linesettings.h"

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

// What the port component needs of a device: the real one on Qt SerialPort, or a scripted fake in tests.
class SerialBackend : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Starts opening exclusively with the settings; openFinished() tells how it went, before open() returns
    // for a device on this machine, later for one reached over the network.
    virtual void open(const QString &device, const LineSettings &settings) = 0;
    // Also gives up an open still under way.
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
    // What the operator should know beyond open or closed: an open under way, requests left unconfirmed.
    virtual QStringList notes() const { return {}; }

signals:
    void openFinished(std::optional<SerialError> failure);
    void notesChanged();
    void readyRead();
    // The device went away or hung up while open.
    void lost();
};
