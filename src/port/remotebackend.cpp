#include "remotebackend.h"

#include <QMetaObject>
#include <QTcpSocket>
#include <algorithm>
#include <bit>

namespace {

using Command = Rfc2217Client::Command;

// Overrun, parity, framing and break in a NOTIFY-LINESTATE.
constexpr quint32 LineErrorBits = 0x1E;

constexpr Command SettingCommands[] = {Command::SetBaudRate, Command::SetDataSize, Command::SetParity,
                                       Command::SetStopSize};

quint32 parityCode(Parity parity)
{
    switch (parity) {
    case Parity::None:
        return Rfc2217Client::ParityNone;
    case Parity::Even:
        return Rfc2217Client::ParityEven;
    case Parity::Odd:
        return Rfc2217Client::ParityOdd;
    case Parity::Space:
        return Rfc2217Client::ParitySpace;
    case Parity::Mark:
        return Rfc2217Client::ParityMark;
    }
    return Rfc2217Client::ParityNone;
}

Parity parityFromCode(quint32 code)
{
    switch (code) {
    case Rfc2217Client::ParityOdd:
        return Parity::Odd;
    case Rfc2217Client::ParityEven:
        return Parity::Even;
    case Rfc2217Client::ParityMark:
        return Parity::Mark;
    case Rfc2217Client::ParitySpace:
        return Parity::Space;
    }
    return Parity::None;
}

} // namespace

RemoteBackend::RemoteBackend(NameLookup *lookup, QObject *parent)
    : SerialBackend(parent), m_ownLookup(lookup ? nullptr : std::make_unique<QtNameLookup>()),
      m_lookup(lookup ? lookup : m_ownLookup.get()), m_socket(new QTcpSocket(this))
{
    // Beyond this much unread, Qt stops reading and TCP holds the rest back at the server.
    m_socket->setReadBufferSize(ReceiveCapacity);
    connect(m_socket, &QTcpSocket::connected, this, &RemoteBackend::onConnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &RemoteBackend::onSocketError);
    connect(m_socket, &QTcpSocket::readyRead, this, &RemoteBackend::pump);
    connect(m_socket, &QTcpSocket::disconnected, this, &RemoteBackend::onDisconnected);
    m_deadline.setSingleShot(true);
    m_deadline.setInterval(AnswerTimeoutMs);
    m_deadline.setTimerType(Qt::PreciseTimer);
    connect(&m_deadline, &QTimer::timeout, this,
            [this] { fail(!m_agreed && m_heardFrom ? SerialError::NotRfc2217 : SerialError::NoAnswer); });
    for (LineRequest &line : m_lines) {
        line.answer.setSingleShot(true);
        line.answer.setInterval(AnswerTimeoutMs);
        connect(&line.answer, &QTimer::timeout, this, [this, &line] {
            line.unconfirmed = true;
            emit notesChanged();
        });
    }
}

RemoteBackend::~RemoteBackend() = default;

void RemoteBackend::open(const PortAddress &address, const LineSettings &settings)
{
    close();
    m_address = address;
    m_asked = settings;
    m_phase = Phase::LookingUp;
    m_lookup->lookUp(address.host(), this, [this, attempt = m_attempt](const QList<QHostAddress> &found) {
        if (attempt == m_attempt && m_phase == Phase::LookingUp)
            onFound(found);
    });
}

void RemoteBackend::onFound(const QList<QHostAddress> &addresses)
{
    if (addresses.isEmpty()) {
        fail(SerialError::HostNotFound);
        return;
    }
    m_addresses = addresses;
    m_phase = Phase::Connecting;
    m_deadline.start();
    connectNext();
}

// Each address in turn, as a name may give an IPv6 address first to a server listening on IPv4 only.
void RemoteBackend::connectNext()
{
    m_socket->abort();
    m_socket->connectToHost(m_addresses.takeFirst(), m_address.port());
}

void RemoteBackend::onConnected()
{
    if (!isRfc2217()) {
        finishOpen();
        return;
    }
    m_phase = Phase::Agreeing;
    m_socket->write(m_telnet.start());
}

void RemoteBackend::onSocketError()
{
    if (m_phase == Phase::Connecting) {
        m_refusedEverywhere &= m_socket->error() == QAbstractSocket::ConnectionRefusedError;
        if (!m_addresses.isEmpty())
            connectNext();
        else
            fail(m_refusedEverywhere ? SerialError::ConnectionRefused : SerialError::NoAnswer);
        return;
    }
    if (m_socket->error() != QAbstractSocket::RemoteHostClosedError)
        onDisconnected();
}

void RemoteBackend::onDisconnected()
{
    // A close of ours aborts the socket too.
    if (m_phase == Phase::Idle)
        return;
    // Bytes the server sent before it hung up still count.
    pump();
    switch (m_phase) {
    case Phase::Open:
        close();
        emit lost();
        return;
    case Phase::Agreeing:
        // ser2net tells a second user that its port is in use, in plain text, and hangs up.
        fail(m_agreed ? SerialError::Lost : SerialError::ServerBusy);
        return;
    default:
        return;
    }
}

void RemoteBackend::pump()
{
    while (m_received.size() < ReceiveCapacity && m_socket->bytesAvailable() > 0) {
        const QByteArray bytes = m_socket->read(ReceiveCapacity - m_received.size());
        if (!isRfc2217()) {
            m_received += bytes;
            continue;
        }
        m_received += m_telnet.receive(bytes);
        m_heardFrom = m_heardFrom || !m_agreed;
        if (const QByteArray replies = m_telnet.takeReplies(); !replies.isEmpty())
            m_socket->write(replies);
        for (const Rfc2217Client::Event &event : m_telnet.takeEvents())
            handle(event);
        if (m_phase == Phase::Idle)
            return;
    }
    if (m_phase == Phase::Open && !m_received.isEmpty())
        emit readyRead();
}

void RemoteBackend::handle(const Rfc2217Client::Event &event)
{
    using Kind = Rfc2217Client::Event::Kind;
    switch (event.kind) {
    case Kind::ComPortAgreed:
        if (m_phase != Phase::Agreeing)
            return;
        // Every change of the device's lines and every receive error, as the server sees them.
        send(Command::SetModemStateMask, 0xFF);
        send(Command::SetLineStateMask, LineErrorBits);
        askSettings();
        return;
    case Kind::ComPortRefused:
        if (m_phase == Phase::Agreeing)
            fail(SerialError::NotRfc2217);
        return;
    case Kind::Answer:
        onAnswer(event.command, event.value);
        return;
    case Kind::ModemState:
        m_status.lines = InputLines{bool(event.value & 0x10), bool(event.value & 0x20),
                                    bool(event.value & 0x80), bool(event.value & 0x40)};
        // The low four bits tell which lines changed since the last notice.
        m_status.lineChanges += quint64(std::popcount(event.value & 0x0Fu));
        return;
    case Kind::LineState:
        // A server that never reports an error (Debian 12's ser2net) is never said to count them.
        if (event.value & LineErrorBits) {
            ReceiveErrors &errors = m_status.errors.emplace(m_status.errors.value_or(ReceiveErrors{}));
            errors.overrun += bool(event.value & 0x02);
            errors.parity += bool(event.value & 0x04);
            errors.frame += bool(event.value & 0x08);
            errors.breaks += bool(event.value & 0x10);
        }
        return;
    default:
        return;
    }
}

void RemoteBackend::askSettings()
{
    m_settingsAwaited = (1 << std::size(SettingCommands)) - 1;
    send(Command::SetBaudRate, quint32(m_asked.baudRate));
    send(Command::SetDataSize, quint32(m_asked.dataBits));
    send(Command::SetParity, parityCode(m_asked.parity));
    send(Command::SetStopSize, quint32(m_asked.stopBits));
}

void RemoteBackend::onAnswer(Command command, quint32 value)
{
    if (command == Command::SetControl) {
        const bool dtr = value == Rfc2217Client::DtrOn || value == Rfc2217Client::DtrOff;
        const bool rts = value == Rfc2217Client::RtsOn || value == Rfc2217Client::RtsOff;
        if (!dtr && !rts)
            return;
        LineRequest &line = m_lines[dtr ? Dtr : Rts];
        const bool raised = value == Rfc2217Client::DtrOn || value == Rfc2217Client::RtsOn;
        // An answer to an earlier request of the same line: the latest one's is still due, or its timeout.
        if (!line.answer.isActive() || raised != line.raised)
            return;
        line.answer.stop();
        if (std::exchange(line.unconfirmed, false))
            emit notesChanged();
        return;
    }
    const auto setting = std::find(std::begin(SettingCommands), std::end(SettingCommands), command);
    if (setting == std::end(SettingCommands))
        return;
    const int bit = 1 << int(setting - std::begin(SettingCommands));
    if (!(m_settingsAwaited & bit))
        return;
    m_settingsAwaited &= ~bit;
    // ser2net agrees COM-PORT even with a second user, whom it then tells in plain text that the port is in
    // use: only an answer shows the port is ours.
    m_agreed = true;
    switch (command) {
    case Command::SetBaudRate:
        m_inForce.baudRate = qint32(value);
        break;
    case Command::SetDataSize:
        m_inForce.dataBits = int(value);
        break;
    case Command::SetParity:
        m_inForce.parity = parityFromCode(value);
        break;
    default:
        m_inForce.stopBits = int(value);
        break;
    }
    if (m_phase == Phase::Agreeing && !m_settingsAwaited)
        finishOpen();
    else if (m_phase == Phase::Open)
        emit notesChanged();
}

void RemoteBackend::send(Command command, quint32 value)
{
    m_socket->write(Rfc2217Client::request(command, value));
}

void RemoteBackend::finishOpen()
{
    m_deadline.stop();
    m_phase = Phase::Open;
    answerLater(std::nullopt);
}

void RemoteBackend::fail(SerialError failure)
{
    const Phase phase = m_phase;
    close();
    if (phase != Phase::Idle)
        answerLater(failure);
}

// Always from the event loop, never inside a call of the port's, whatever the socket did meanwhile.
void RemoteBackend::answerLater(std::optional<SerialError> failure)
{
    QMetaObject::invokeMethod(
        this,
        [this, failure, attempt = m_attempt] {
            if (attempt != m_attempt)
                return;
            emit openFinished(failure);
            if (!failure) {
                emit notesChanged();
                // Bytes that came while the settings were agreed.
                if (!m_received.isEmpty())
                    emit readyRead();
            }
        },
        Qt::QueuedConnection);
}

void RemoteBackend::reconfigure(const LineSettings &settings)
{
    if (m_phase != Phase::Open) {
        open(m_address, settings);
        return;
    }
    ++m_attempt;
    m_asked = settings;
    m_received.clear();
    if (!isRfc2217()) {
        answerLater(std::nullopt);
        return;
    }
    m_phase = Phase::Agreeing;
    m_deadline.start();
    askSettings();
}

void RemoteBackend::close()
{
    ++m_attempt;
    m_phase = Phase::Idle;
    m_deadline.stop();
    for (LineRequest &line : m_lines) {
        line.answer.stop();
        line.unconfirmed = false;
    }
    m_socket->abort();
    m_telnet = Rfc2217Client();
    m_addresses.clear();
    m_agreed = false;
    m_heardFrom = false;
    m_refusedEverywhere = true;
    m_settingsAwaited = 0;
    m_received.clear();
    m_status = {};
}

void RemoteBackend::setDtr(bool raised)
{
    sendLine(Dtr, raised);
}

void RemoteBackend::setRts(bool raised)
{
    sendLine(Rts, raised);
}

void RemoteBackend::sendLine(Line line, bool raised)
{
    if (m_phase != Phase::Open || !isRfc2217())
        return;
    m_lines[line].raised = raised;
    m_lines[line].answer.start();
    send(Command::SetControl, line == Dtr ? (raised ? Rfc2217Client::DtrOn : Rfc2217Client::DtrOff)
                                          : (raised ? Rfc2217Client::RtsOn : Rfc2217Client::RtsOff));
}

QByteArray RemoteBackend::readAvailable()
{
    const QByteArray bytes = std::exchange(m_received, {});
    // What Qt holds beyond the bound announces itself no more: it is taken on the next turn of the loop.
    if (m_socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &RemoteBackend::pump, Qt::QueuedConnection);
    return bytes;
}

qsizetype RemoteBackend::discardInput()
{
    return readAvailable().size();
}

DeviceStatus RemoteBackend::deviceStatus()
{
    return m_phase == Phase::Open ? m_status : DeviceStatus{};
}

std::optional<LineSettings> RemoteBackend::settingsInForce() const
{
    if (m_phase == Phase::Open && isRfc2217())
        return m_inForce;
    return std::nullopt;
}

QStringList RemoteBackend::notes() const
{
    QStringList notes;
    if (m_phase != Phase::Open)
        return notes;
    if (!isRfc2217())
        notes << QStringLiteral(
            "tcp: скорость, чётность, биты данных, стоповые биты, DTR и RTS здесь не действуют");
    QStringList unconfirmed;
    if (m_lines[Dtr].unconfirmed)
        unconfirmed << QStringLiteral("DTR");
    if (m_lines[Rts].unconfirmed)
        unconfirmed << QStringLiteral("RTS");
    if (!unconfirmed.isEmpty())
        notes << QStringLiteral("сервер не подтвердил: ") + unconfirmed.join(QStringLiteral(", "));
    return notes;
}
