#include "routingbackend.h"

RoutingBackend::RoutingBackend(std::unique_ptr<SerialBackend> local, std::unique_ptr<SerialBackend> remote,
                               QObject *parent)
    : SerialBackend(parent), m_local(std::move(local)), m_remote(std::move(remote)), m_current(m_local.get())
{
    forward(m_local.get());
    forward(m_remote.get());
}

RoutingBackend::~RoutingBackend() = default;

void RoutingBackend::forward(SerialBackend *backend)
{
    // Only the backend in use speaks for the port.
    connect(backend, &SerialBackend::openFinished, this, [this, backend](std::optional<SerialError> failure) {
        if (backend == m_current)
            emit openFinished(failure);
    });
    connect(backend, &SerialBackend::notesChanged, this, [this, backend] {
        if (backend == m_current)
            emit notesChanged();
    });
    connect(backend, &SerialBackend::readyRead, this, [this, backend] {
        if (backend == m_current)
            emit readyRead();
    });
    connect(backend, &SerialBackend::lost, this, [this, backend] {
        if (backend == m_current)
            emit lost();
    });
}

void RoutingBackend::open(const PortAddress &address, const LineSettings &settings)
{
    SerialBackend *next = address.isRemote() ? m_remote.get() : m_local.get();
    if (next != m_current) {
        m_current->close();
        m_current = next;
    }
    m_current->open(address, settings);
}

void RoutingBackend::reconfigure(const LineSettings &settings)
{
    m_current->reconfigure(settings);
}

void RoutingBackend::close()
{
    m_current->close();
}

std::optional<bool> RoutingBackend::isOpen() const
{
    return m_current->isOpen();
}

void RoutingBackend::setDtr(bool raised)
{
    m_current->setDtr(raised);
}

void RoutingBackend::setRts(bool raised)
{
    m_current->setRts(raised);
}

QByteArray RoutingBackend::readAvailable()
{
    return m_current->readAvailable();
}

qsizetype RoutingBackend::discardInput()
{
    return m_current->discardInput();
}

std::optional<LineSettings> RoutingBackend::settingsInForce() const
{
    return m_current->settingsInForce();
}

QStringList RoutingBackend::notes() const
{
    return m_current->notes();
}
