#pragma once

#include "backend.h"

#include <memory>

// Hands each open to the backend its address names: a remote port to the network one, any other to the
// local one; the port component never learns which it has.
class RoutingBackend : public SerialBackend
{
    Q_OBJECT

public:
    RoutingBackend(std::unique_ptr<SerialBackend> local, std::unique_ptr<SerialBackend> remote,
                   QObject *parent = nullptr);
    ~RoutingBackend() override;

    void open(const PortAddress &address, const LineSettings &settings) override;
    void reconfigure(const LineSettings &settings) override;
    void close() override;
    std::optional<bool> isOpen() const override;
    void setDtr(bool raised) override;
    void setRts(bool raised) override;
    QByteArray readAvailable() override;
    qsizetype discardInput() override;
    std::optional<LineSettings> settingsInForce() const override;
    QStringList notes() const override;
    DeviceStatus deviceStatus() override { return m_current->deviceStatus(); }

private:
    void forward(SerialBackend *backend);

    std::unique_ptr<SerialBackend> m_local;
    std::unique_ptr<SerialBackend> m_remote;
    SerialBackend *m_current;
};
