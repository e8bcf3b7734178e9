#include "commport.h"

#include "capture.h"
#include "deviceidentity.h"

#include <utility>

CommPort::CommPort(std::unique_ptr<SerialBackend> backend, QObject *parent)
    : QObject(parent), m_backend(std::move(backend)), m_address(*PortAddress::parse(QStringLiteral("1")))
{
    connect(m_backend.get(), &SerialBackend::readyRead, this, &CommPort::drainBackend);
    connect(m_backend.get(), &SerialBackend::lost, this, &CommPort::onLost);
    connect(m_backend.get(), &SerialBackend::openFinished, this, &CommPort::onOpened);
    connect(m_backend.get(), &SerialBackend::notesChanged, this, &CommPort::stateChanged);
}

CommPort::~CommPort()
{
    m_backend->close();
}

bool CommPort::setCommPort(const QString &text)
{
    const auto address = PortAddress::parse(text);
    if (m_state != State::Closed || !address)
        return false;
    m_address = *address;
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

void CommPort::setState(State state)
{
    m_state = state;
    // A port that is not open holds no reading, and knows nothing of the device.
    if (state != State::Open) {
        m_received.clear();
        m_dropped = 0;
        m_status = {};
        m_errorsAtLastInput = {};
        m_linesChangedAtLastInput = m_framingErrorsRising = false;
    }
    emit stateChanged();
}

void CommPort::setPortOpen(bool open)
{
    if (open) {
        if (m_state == State::Open)
            return;
        endWatch();
        startOpen();
        return;
    }
    switch (m_state) {
    case State::Closed:
        return;
    case State::Open:
        // A server keeps its device open between sessions of one client: the session is held, so that a
        // reopen of the same HOST:PORT applies its settings without dropping the lines or resetting the board
        // on the device. Every other port closes.
        if (m_address.kind() == PortAddress::Kind::Rfc2217)
            m_held = true;
        else
            m_backend->close();
        if (m_capture)
            m_capture->flush();
        break;
    case State::Opening:
        m_backend->close();
        break;
    case State::Waiting:
        break;
    }
    endWatch();
    setState(State::Closed);
}

void CommPort::startOpen()
{
    m_lastFailure.reset();
    const bool held = std::exchange(m_held, false);
    if (held && m_sessionAddress == m_address) {
        m_backend->reconfigure(m_settings);
    } else {
        // An open still under way starts again with the settings of now.
        if (held || m_state == State::Opening)
            m_backend->close();
        m_backend->open(m_address, m_settings);
    }
    m_sessionAddress = m_address;
    setState(State::Opening);
}

void CommPort::onOpened(std::optional<SerialError> failure)
{
    if (m_state != State::Opening)
        return;
    m_lastFailure = failure;
    if (!failure) {
        m_identity = deviceIdentity(m_address, m_root);
        // The platform raises both lines on open; put them back as the operator left them at once.
        m_backend->setDtr(m_dtr);
        m_backend->setRts(m_rts);
        m_status = m_backend->deviceStatus();
        endWatch();
        setState(State::Open);
        return;
    }
    if (m_watch && m_watch->goOnAfter(*failure)) {
        setState(State::Waiting);
        return;
    }
    endWatch();
    setState(State::Closed);
}

std::optional<bool> CommPort::portOpen() const
{
    const auto backendOpen = m_backend->isOpen();
    if (!backendOpen)
        return std::nullopt;
    return m_state == State::Open && *backendOpen;
}

QStringList CommPort::notes() const
{
    return m_state == State::Open ? m_backend->notes() : QStringList();
}

void CommPort::setDTREnable(bool raised)
{
    m_dtr = raised;
    if (m_state == State::Open)
        m_backend->setDtr(raised);
}

void CommPort::setRTSEnable(bool raised)
{
    m_rts = raised;
    if (m_state == State::Open)
        m_backend->setRts(raised);
}

std::optional<QByteArray> CommPort::input()
{
    if (m_state != State::Open)
        return std::nullopt;
    drainBackend();
    // What waits beyond the bound arrived before this call, and a later call must not show it.
    if (m_bounded && m_received.size() >= ReceiveCapacity)
        m_dropped += m_backend->discardInput();
    m_droppedAtLastInput = std::exchange(m_dropped, 0);
    if (m_capture)
        m_capture->flush();
    lookAtDevice(!m_received.isEmpty());
    return std::exchange(m_received, {});
}

void CommPort::lookAtDevice(bool bytesArrived)
{
    const DeviceStatus now = m_backend->deviceStatus();
    m_errorsAtLastInput = now.errors && m_status.errors ? *now.errors - *m_status.errors : ReceiveErrors{};
    m_linesChangedAtLastInput =
        now.lines && (now.lines != m_status.lines || now.lineChanges != m_status.lineChanges);
    const bool rising = bytesArrived && m_errorsAtLastInput.frame > 0;
    const bool told = m_linesChangedAtLastInput || m_errorsAtLastInput.any() ||
                      now.errors != m_status.errors || rising != m_framingErrorsRising;
    m_framingErrorsRising = rising;
    m_status = now;
    // Only news reaches the indicator: nothing is said again at every tick.
    if (told)
        emit stateChanged();
}

void CommPort::drainBackend()
{
    if (m_state != State::Open) {
        // What a held session brings while the port is closed is no reading.
        if (m_held)
            m_backend->discardInput();
        return;
    }
    if (m_bounded && m_received.size() >= ReceiveCapacity)
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
    if (std::exchange(m_held, false)) {
        m_backend->close();
        return;
    }
    if (m_state != State::Open)
        return;
    m_backend->close();
    if (m_capture)
        m_capture->flush();
    m_lastFailure = SerialError::Lost;
    watch();
    setState(m_watch ? State::Waiting : State::Closed);
}

void CommPort::setReconnect(bool enabled)
{
    m_reconnect = enabled;
    if (enabled || !m_watch)
        return;
    endWatch();
    if (m_state == State::Waiting)
        setState(State::Closed);
}

void CommPort::watch()
{
    if (!m_reconnect || m_identity.isEmpty())
        return;
    std::unique_ptr<ReturnWatch> watch =
        m_factory ? m_factory(m_address, m_identity) : defaultReturnWatch(m_address, m_identity, m_root);
    if (!watch)
        return;
    m_watch = watch.release();
    m_watch->setParent(this);
    connect(m_watch, &ReturnWatch::due, this, &CommPort::onDue);
}

void CommPort::onDue(const QString &device)
{
    if (m_state != State::Waiting)
        return;
    if (const auto address = PortAddress::parse(device))
        m_address = *address;
    startOpen();
}

void CommPort::endWatch()
{
    if (!m_watch)
        return;
    // Its own signal may be what is running now; a look already queued must not reach a later wait.
    m_watch->blockSignals(true);
    m_watch->deleteLater();
    m_watch = nullptr;
}
