#include "portreturn.h"

#include "commport.h"
#include "deviceidentity.h"

PortReturn::PortReturn(CommPort &port, QObject *parent) : QObject(parent), m_port(port)
{
    // Recorded at the open: once the device is gone, so is its stable name.
    connect(&m_port, &CommPort::opened, this,
            [this] { m_identity = deviceIdentity(m_port.device(), m_root); });
    connect(&m_port, &CommPort::portLost, this, &PortReturn::watch);
    connect(&m_port, &CommPort::stateChanged, this, [this] {
        if (m_answerDue && !m_port.opening())
            settle();
    });
}

void PortReturn::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (!enabled)
        stop();
}

void PortReturn::stop()
{
    if (!m_watch)
        return;
    end();
    emit stateChanged();
}

QString PortReturn::awaited() const
{
    return m_watch ? m_watch->awaited() : QString();
}

void PortReturn::watch()
{
    if (!m_enabled || m_watch || m_identity.isEmpty())
        return;
    std::unique_ptr<ReturnWatch> watch = m_factory ? m_factory(m_identity, m_port.device())
                                                   : defaultReturnWatch(m_identity, m_port.device(), m_root);
    if (!watch)
        return;
    m_watch = watch.release();
    m_watch->setParent(this);
    connect(m_watch, &ReturnWatch::due, this, &PortReturn::reopen);
    emit stateChanged();
}

void PortReturn::reopen(const QString &device)
{
    if (!m_watch)
        return;
    // Opened some other way meanwhile: nothing is left to wait for.
    if (m_port.portOpen() != true) {
        m_port.setCommPort(device);
        m_port.setPortOpen(true);
        // A port over the network answers later.
        m_answerDue = m_port.opening();
        if (m_answerDue)
            return;
    }
    settle();
}

void PortReturn::settle()
{
    m_answerDue = false;
    if (m_port.portOpen() != true && m_watch->goOnAfter(m_port.lastFailure().value_or(SerialError::Io)))
        return;
    end();
    emit stateChanged();
}

void PortReturn::end()
{
    m_answerDue = false;
    // Its own signal may be what is running now; a look already queued must not reach a later wait.
    m_watch->blockSignals(true);
    m_watch->deleteLater();
    m_watch = nullptr;
}
