#pragma once

#include "backend.h"
#include "returnwatch.h"

#include <QByteArray>
#include <QObject>
#include <functional>
#include <memory>
#include <optional>

class Capture;

// The window's one serial port, driven through properties as the handlers expect, over a swappable backend;
// a port lost while open is waited for and reopened by itself.
class CommPort : public QObject
{
    Q_OBJECT

public:
    enum class State
    {
        Closed,
        Opening,
        Open,
        // Lost while open, and watched for its return.
        Waiting
    };
    static constexpr qsizetype ReceiveCapacity = SerialBackend::ReceiveCapacity;
    // The watch for a port lost with this identity, or none for a port that is not reopened by itself.
    using WatchFactory =
        std::function<std::unique_ptr<ReturnWatch>(const PortAddress &address, const QString &identity)>;

    explicit CommPort(std::unique_ptr<SerialBackend> backend, QObject *parent = nullptr);
    ~CommPort() override;

    // Both setters refuse text they cannot apply and keep the previous value; the port only while closed.
    bool setCommPort(const QString &text);
    bool setSettings(const QString &text);
    // Opening answers later, through stateChanged(); closing also gives up an open under way or a wait.
    void setPortOpen(bool open);
    std::optional<bool> portOpen() const;
    State state() const { return m_state; }
    void setDTREnable(bool raised);
    void setRTSEnable(bool raised);
    // Every byte received since the last call, up to ReceiveCapacity; empty while closed.
    std::optional<QByteArray> input();
    // Bytes that arrived for the last reading but found the receive buffer full, and were discarded; while
    // bounded, only those that reached the system's queue are known.
    qsizetype droppedAtLastInput() const { return m_droppedAtLastInput; }
    // Receive errors that came with the last reading, where the device counts them.
    ReceiveErrors errorsAtLastInput() const { return m_errorsAtLastInput; }
    // The lines moved since the reading before, or became known; each reading looks at them.
    bool linesChangedAtLastInput() const { return m_linesChangedAtLastInput; }
    // Framing errors rose while the last reading's bytes arrived: the usual sign of a wrong baud rate.
    bool framingErrorsRising() const { return m_framingErrorsRising; }
    // As the last reading, or the open, found the device's side of the cable.
    const DeviceStatus &lastStatus() const { return m_status; }
    // As the device tells it now, for whoever asks between readings; nothing while the port is not open.
    DeviceStatus deviceStatus()
    {
        return m_state == State::Open ? m_backend->deviceStatus() : DeviceStatus{};
    }
    // Why the last open failed or the port closed by itself; empty after a successful open.
    std::optional<SerialError> lastFailure() const { return m_lastFailure; }

    // Every byte read from the device from now on also goes to the capture, whatever the receive buffer
    // keeps, so a capture reads unbounded.
    void setCapture(Capture *capture)
    {
        m_capture = capture;
        m_bounded = !capture;
    }
    const Capture *capture() const { return m_capture; }
    // Bounded (the default), the port stops reading once ReceiveCapacity bytes wait for input(), and input()
    // discards what piled up meanwhile: each call returns the first bytes that arrived after the previous
    // one, at no cost for the rest of a flood. Unbounded, every byte is read as it arrives.
    void setBoundedReading(bool bounded) { m_bounded = bounded; }
    // Bytes read from the device and waiting for input().
    qsizetype bytesWaiting() const { return m_received.size(); }

    // Off, a lost port stays closed until it is opened again.
    void setReconnect(bool enabled);
    // Where /dev is looked at; tests give a fake one.
    void setDeviceRoot(const QString &root) { m_root = root; }
    void setWatchFactory(WatchFactory factory) { m_factory = std::move(factory); }
    // What a lost port waits for; empty while it does not wait.
    QString awaited() const { return m_watch ? m_watch->awaited() : QString(); }

    PortAddress address() const { return m_address; }
    QString device() const { return m_address.name(); }
    LineSettings settings() const { return m_settings; }
    // What the device reports in force, or the settings asked for where it reports nothing.
    LineSettings settingsInForce() const { return m_backend->settingsInForce().value_or(m_settings); }
    QStringList notes() const;
    bool dtrEnable() const { return m_dtr; }
    bool rtsEnable() const { return m_rts; }

signals:
    // The state, the last failure, the wait or the notes changed.
    void stateChanged();

private:
    void setState(State state);
    void startOpen();
    void closeBackend();
    void drainBackend();
    void lookAtDevice(bool bytesArrived);
    void onLost();
    void onOpened(std::optional<SerialError> failure);
    void watch();
    void onDue(const QString &device);
    void endWatch();

    std::unique_ptr<SerialBackend> m_backend;
    State m_state = State::Closed;
    PortAddress m_address;
    LineSettings m_settings;
    // A remote session kept open by the backend while the port is closed, and the address it serves.
    bool m_held = false;
    PortAddress m_sessionAddress;
    bool m_dtr = false;
    bool m_rts = false;
    bool m_bounded = true;
    QByteArray m_received;
    qsizetype m_dropped = 0;
    qsizetype m_droppedAtLastInput = 0;
    std::optional<SerialError> m_lastFailure;
    DeviceStatus m_status;
    ReceiveErrors m_errorsAtLastInput;
    bool m_linesChangedAtLastInput = false;
    bool m_framingErrorsRising = false;
    Capture *m_capture = nullptr; // outlives the port

    bool m_reconnect = true;
    QString m_root = QStringLiteral("/");
    WatchFactory m_factory;
    QString m_identity;             // read at each open: once the device is gone, so is its stable name
    ReturnWatch *m_watch = nullptr; // a Qt child while the port waits or tries a return
};
