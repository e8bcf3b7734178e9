#include "qtbackend.h"

#include "serialdevices.h"

#include <QFile>
#include <QScopeGuard>
#include <QSerialPort>

#include <cerrno>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

SerialError errorFromErrno(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENODEV:
    case ENXIO:
    case EIO: // a ttyS node without its UART
        return SerialError::NoSuchDevice;
    case EBUSY:
        return SerialError::Busy;
    case EACCES:
    case EPERM:
        return SerialError::NoPermission;
    }
    return SerialError::Io;
}

SerialError errorFromQt(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return SerialError::NoSuchDevice;
    case QSerialPort::PermissionError: // the probe had access, so a lock file or TIOCEXCL held by another
        return SerialError::Busy;
    case QSerialPort::UnsupportedOperationError: // the device is known to be a terminal by now
        return SerialError::SettingsRefused;
    default:
        return SerialError::Io;
    }
}

QSerialPort::Parity qtParity(Parity parity)
{
    switch (parity) {
    case Parity::None:
        return QSerialPort::NoParity;
    case Parity::Even:
        return QSerialPort::EvenParity;
    case Parity::Odd:
        return QSerialPort::OddParity;
    case Parity::Space:
        return QSerialPort::SpaceParity;
    case Parity::Mark:
        return QSerialPort::MarkParity;
    }
    return QSerialPort::NoParity;
}

// With HUPCL the last close drops DTR and RTS, and a line the operator raised would fall at every reopen.
void keepLinesAtLastClose(int fd)
{
    termios attributes{};
    if (::tcgetattr(fd, &attributes) == 0 && (attributes.c_cflag & HUPCL)) {
        attributes.c_cflag &= ~HUPCL;
        ::tcsetattr(fd, TCSANOW, &attributes);
    }
}

} // namespace

QtSerialBackend::QtSerialBackend(QObject *parent) : SerialBackend(parent), m_port(new QSerialPort(this))
{
    // Bounded, so that a reader that stops taking bytes stops the reads too and leaves the rest to the
    // system.
    m_port->setReadBufferSize(ReceiveCapacity);
    connect(m_port, &QSerialPort::readyRead, this, &SerialBackend::readyRead);
    // A hung-up or vanished device fails every read, and on a read error Qt 6.4 keeps the port open with its
    // notifier firing; the port is closed from the event loop, as closing inside Qt's own read is unsafe.
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if ((error != QSerialPort::ResourceError && error != QSerialPort::ReadError) || m_lossQueued ||
            !m_port->isOpen())
            return;
        m_lossQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                // Closed, or reopened (which clears the flag), before this ran: that loss is no longer news.
                if (!m_lossQueued || !m_port->isOpen())
                    return;
                close();
                emit lost();
            },
            Qt::QueuedConnection);
    });
}

void QtSerialBackend::open(const PortAddress &address, const LineSettings &settings)
{
    m_address = address;
    const auto failure = openNow(address.name(), settings);
    QMetaObject::invokeMethod(
        this,
        [this, failure, answer = ++m_answer] {
            // A close since then took the answer back.
            if (answer == m_answer)
                emit openFinished(failure);
        },
        Qt::QueuedConnection);
}

void QtSerialBackend::reconfigure(const LineSettings &settings)
{
    close();
    open(m_address, settings);
}

std::optional<SerialError> QtSerialBackend::openNow(const QString &device, const LineSettings &settings)
{
    if (m_port->isOpen())
        return SerialError::Busy;
    const QByteArray path = QFile::encodeName(device);
    struct stat status;
    if (::stat(path.constData(), &status) != 0)
        return errorFromErrno(errno);
    // Only a character device can be a terminal; nothing else is opened at all, so no FIFO can stall an open.
    if (!S_ISCHR(status.st_mode))
        return SerialError::NotATerminal;
    // Opening the console would take it from the system's messages and logins and change its speed; its
    // number alone tells it, with nothing opened.
    if (isSystemConsole(status.st_rdev, m_root))
        return SerialError::SystemConsole;
    // Tells /dev/null from a terminal, which Qt reports alike as refused settings. Held until Qt has its own
    // descriptor, so that closing it is never the last close that hangs up the lines.
    const int probe = ::open(path.constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (probe < 0)
        return errorFromErrno(errno);
    const auto closeProbe = qScopeGuard([probe] { ::close(probe); });
    if (!::isatty(probe))
        return SerialError::NotATerminal;

    m_port->setPortName(device);
    m_port->setBaudRate(settings.baudRate);
    m_port->setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits));
    m_port->setParity(qtParity(settings.parity));
    m_port->setStopBits(settings.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    m_lossQueued = false;
    if (!m_port->open(QIODevice::ReadOnly))
        return errorFromQt(m_port->error());
    // Qt's lock file is per name and root passes TIOCEXCL; a lock on the device itself catches both.
    if (::flock(m_port->handle(), LOCK_EX | LOCK_NB) != 0) {
        m_port->close();
        return SerialError::Busy;
    }
    keepLinesAtLastClose(m_port->handle());
    m_linesTold = m_countsTold = true;
    m_countsAtOpen = {};
    m_countsAtOpen = deviceStatus().errors.value_or(ReceiveErrors{});
    return std::nullopt;
}

void QtSerialBackend::close()
{
    ++m_answer;
    if (!m_port->isOpen())
        return;
    // Closing discards what the kernel still holds: it is read first, so that a capture keeps every byte.
    m_port->waitForReadyRead(0);
    // Qt puts back the termios it found at open, HUPCL included: a duplicate held across that makes the last
    // close ours, made after HUPCL is cleared again.
    const int held = ::fcntl(m_port->handle(), F_DUPFD_CLOEXEC, 0);
    m_port->close();
    if (held >= 0) {
        keepLinesAtLastClose(held);
        ::close(held);
    }
}

DeviceStatus QtSerialBackend::deviceStatus()
{
    DeviceStatus status;
    if (!m_port->isOpen())
        return status;
    // Only a driver that has no such call is left alone; any other failure may pass.
    const auto unsupported = [] { return errno == ENOTTY || errno == EINVAL; };
    int bits = 0;
    if (m_linesTold && ::ioctl(m_port->handle(), TIOCMGET, &bits) == 0)
        status.lines = InputLines{bool(bits & TIOCM_CTS), bool(bits & TIOCM_DSR), bool(bits & TIOCM_CAR),
                                  bool(bits & TIOCM_RNG)};
    else if (m_linesTold && unsupported())
        m_linesTold = false;
    serial_icounter_struct counts{};
    if (m_countsTold && ::ioctl(m_port->handle(), TIOCGICOUNT, &counts) == 0) {
        status.lineChanges =
            quint64(counts.cts) + quint64(counts.dsr) + quint64(counts.dcd) + quint64(counts.rng);
        status.errors = ReceiveErrors{quint32(counts.frame), quint32(counts.parity), quint32(counts.overrun),
                                      quint32(counts.brk)} -
                        m_countsAtOpen;
    } else if (m_countsTold && unsupported()) {
        m_countsTold = false;
    }
    return status;
}

std::optional<bool> QtSerialBackend::isOpen() const
{
    return m_port->isOpen();
}

void QtSerialBackend::setDtr(bool raised)
{
    if (m_port->isOpen())
        m_port->setDataTerminalReady(raised);
}

void QtSerialBackend::setRts(bool raised)
{
    if (m_port->isOpen())
        m_port->setRequestToSend(raised);
}

QByteArray QtSerialBackend::readAvailable()
{
    return m_port->readAll();
}

qsizetype QtSerialBackend::discardInput()
{
    int queued = 0;
    if (::ioctl(m_port->handle(), TIOCINQ, &queued) != 0)
        queued = 0;
    const qsizetype discarded = m_port->bytesAvailable() + queued;
    m_port->clear(QSerialPort::Input);
    // Qt may stop watching the device while its buffer is full; a read starts it again.
    m_port->readAll();
    return discarded;
}
