#include "commport.h"

#include "capture.h"

#include <QScopedValueRollback>
#include <utility>

CommPort::CommPort(std::unique_ptr<SerialBackend> backend, QObject *parent)
    : QObject(parent), m_backend(std::move(backend)), m_device(*portDeviceName(QStringLiteral("1")))
{
    connect(m_backend.get(), &SerialBackend::readyRead, this, &CommPort::drainBackend);
    connect(m_backend.get(), &SerialBackend::lost, this, &CommPort::onLost);
    connect(m_backend.get(), &SerialBackend::openFinished, this, &CommPort::onOpened);
    connect(m_backend.get(), &SerialBackend::notesChanged, this, &CommPort::stateChanged);
}

CommPort::~CommPort()
{
    if (m_open || m_opening)
        m_backend->close();
}

bool CommPort::setCommPort(const QString &text)
{
    const auto device = portDeviceName(text);
    if (m_open || !device)
        return false;
    m_device = *device;
    return true;
}

bool CommPort::setSettings(const QString &text)
{
    const auto settings = parseLineSettings(text);
    if (!settings)
        return false;
    // Applied at the next open: changing parity on an open port can leave mark/space set in Qt 6.4.
    m_settings = *settings;
    return true;
}

bool CommPort::setPortOpen(bool open)
{
    if (!open) {
        if (m_opening) {
            m_opening = false;
            m_backend->close();
        } else if (m_open) {
            m_backend->close();
            if (m_capture)
                m_capture->flush();
        }
        m_open = false;
        m_received.clear();
        m_dropped = 0;
        return true;
    }
    if (m_open)
        return false;
    // A reopen while the last open is still under way starts it again with the settings of now.
    m_opening = true;
    m_lastFailure.reset();
    {
        const QScopedValueRollback inOpenCall(m_inOpenCall, true);
        m_backend->open(m_device, m_settings);
    }
    return !m_lastFailure;
}

void CommPort::onOpened(std::optional<SerialError> failure)
{
    if (!m_opening)
        return;
    m_opening = false;
    m_lastFailure = failure;
    if (!failure) {
        m_open = true;
        m_received.clear();
        m_dropped = 0;
        // The platform raises both lines on open; put them back as the operator left them at once.
        m_backend->setDtr(m_dtr);
        m_backend->setRts(m_rts);
        emit opened();
    }
    if (!m_inOpenCall)
        emit stateChanged();
}

std::optional<bool> CommPort::portOpen() const
{
    const auto backendOpen = m_backend->isOpen();
    if (!backendOpen)
        return std::nullopt;
    return m_open && *backendOpen;
}

void CommPort::setDTREnable(bool raised)
{
    m_dtr = raised;
    if (m_open)
        m_backend->setDtr(raised);
}

void CommPort::setRTSEnable(bool raised)
{
    m_rts = raised;
    if (m_open)
        m_backend->setRts(raised);
}

std::optional<QByteArray> CommPort::input()
{
    if (!m_open)
        return std::nullopt;
    drainBackend();
    // What waits beyond the bound arrived before this call, and a later call must not show it.
    if (m_bounded && m_received.size() >= ReceiveCapacity)
        m_dropped += m_backend->discardInput();
    m_droppedAtLastInput = std::exchange(m_dropped, 0);
    if (m_capture)
        m_capture->flush();
    return std::exchange(m_received, {});
}

void CommPort::drainBackend()
{
    if (!m_open || (m_bounded && m_received.size() >= ReceiveCapacity))
        return;
    const QByteArray bytes = m_backend->readAvailable();
    if (m_capture)
        m_capture->append(bytes);
    // A full buffer drops the newest bytes: memory stays bounded under a flood.
    const qsizetype room = ReceiveCapacity - m_received.size();
    m_received.append(bytes.left(room));
    m_dropped += qMax<qsizetype>(0, bytes.size() - room);
}

void CommPort::onLost()
{
    if (!m_open)
        return;
    setPortOpen(false);
    m_lastFailure = SerialError::Lost;
    emit portLost();
}
