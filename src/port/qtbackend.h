#pragma once

#include "backend.h"

class QSerialPort;

// The real device through Qt SerialPort: checked before it is opened, held exclusively, read on the UI
// thread.
class QtSerialBackend : public SerialBackend
{
    Q_OBJECT

public:
    explicit QtSerialBackend(QObject *parent = nullptr);

    // Opens at once, and answers on the next turn of the event loop.
    void open(const PortAddress &address, const LineSettings &settings) override;
    void reconfigure(const LineSettings &settings) override;
    void close() override;
    std::optional<bool> isOpen() const override;
    void setDtr(bool raised) override;
    void setRts(bool raised) override;
    QByteArray readAvailable() override;
    qsizetype discardInput() override;
    DeviceStatus deviceStatus() override;

    // Where sysfs is read to tell the system console; tests lay out a root of their own.
    void setSystemRoot(const QString &root) { m_root = root; }

private:
    std::optional<SerialError> openNow(const QString &device, const LineSettings &settings);

    QSerialPort *m_port; // a Qt child, so it outlives every connection made to this object
    bool m_lossQueued = false;
    PortAddress m_address;
    quint64 m_answer = 0; // the open whose answer is due
    // A driver without modem lines or counters (a pseudo-terminal) is asked once an open.
    bool m_linesTold = false;
    bool m_countsTold = false;
    ReceiveErrors m_countsAtOpen;
    QString m_root = QStringLiteral("/");
};
