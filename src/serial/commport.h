#pragma once

#include "backend.h"

#include <QByteArray>
#include <QObject>
#include <memory>
#include <optional>

class Capture;

// The window's one serial port, driven through properties as the handlers expect, over a swappable backend.
class CommPort : public QObject
{
    Q_OBJECT

public:
    // Enough for 115200 baud at polling intervals up to 5 s.
    static constexpr qsizetype ReceiveCapacity = 64 * 1024;

    explicit CommPort(std::unique_ptr<SerialBackend> backend, QObject *parent = nullptr);
    ~CommPort() override;

    // Both setters refuse text they cannot apply and keep the previous value; the port number only while
    // closed.
    bool setCommPort(const QString &text);
    bool setSettings(const QString &text);
    bool setPortOpen(bool open);
    std::optional<bool> portOpen() const;
    // True from an open that the device has not yet answered (a port over the network) until its answer.
    bool opening() const { return m_opening; }
    void setDTREnable(bool raised);
    void setRTSEnable(bool raised);
    // Every byte received since the last call, up to ReceiveCapacity; empty while closed.
    std::optional<QByteArray> input();
    // Bytes that arrived for the last reading but found the receive buffer full, and were discarded; while
    // bounded, only those that reached the system's queue are known.
    qsizetype droppedAtLastInput() const { return m_droppedAtLastInput; }
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

    QString device() const { return m_device; }
    LineSettings settings() const { return m_settings; }
    // What the device reports in force, or the settings asked for where it reports nothing.
    LineSettings settingsInForce() const { return m_backend->settingsInForce().value_or(m_settings); }
    QStringList notes() const { return m_backend->notes(); }
    bool dtrEnable() const { return m_dtr; }
    bool rtsEnable() const { return m_rts; }

signals:
    // Each successful open, so that what the device is can be read while it is there.
    void opened();
    void portLost();
    // An open finished after setPortOpen(true) had returned, or the notes changed.
    void stateChanged();

private:
    void drainBackend();
    void onLost();
    void onOpened(std::optional<SerialError> failure);

    std::unique_ptr<SerialBackend> m_backend;
    QString m_device;
    LineSettings m_settings;
    bool m_open = false;
    bool m_opening = false;
    bool m_inOpenCall = false;
    bool m_dtr = false;
    bool m_rts = false;
    bool m_bounded = true;
    QByteArray m_received;
    qsizetype m_dropped = 0;
    qsizetype m_droppedAtLastInput = 0;
    std::optional<SerialError> m_lastFailure;
    Capture *m_capture = nullptr; // outlives the port
};
