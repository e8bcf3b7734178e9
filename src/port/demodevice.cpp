#include "demodevice.h"

#include <QtMath>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Enough of Windows-1251 for the instrument's own words.
QByteArray cp1251(const QString &text)
{
    QByteArray bytes;
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80)
            bytes += char(u);
        else if (u >= 0x0410 && u <= 0x044F)
            bytes += char(0xC0 + (u - 0x0410));
        else if (u == 0x00B0)
            bytes += char(0xB0);
        else
            bytes += '?';
    }
    return bytes;
}

// Why no pseudo-terminal could be made, in the interface's language.
QString ptyErrorText(int error)
{
    switch (error) {
    case ENOENT:
    case ENODEV:
        return QStringLiteral("в системе нет /dev/ptmx");
    case EACCES:
    case EPERM:
        return QStringLiteral("нет прав на /dev/ptmx");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("открыто слишком много файлов");
    case ENOSPC:
        return QStringLiteral("исчерпан предел числа псевдотерминалов");
    case EINVAL:
    case ENOTTY:
        return QStringLiteral("система не выдала его подчинённую сторону (смонтирован ли /dev/pts?)");
    }
    const char *name = strerrorname_np(error);
    return QStringLiteral("системная ошибка %1")
        .arg(name ? QString::fromLatin1(name) : QString::number(error));
}

} // namespace

DemoDevice::DemoDevice(QObject *parent) : QObject(parent)
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const char *slave =
        m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0 ? ptsname(m_master) : nullptr;
    if (!slave) {
        m_error = ptyErrorText(errno);
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
        return;
    }
    m_path = QString::fromLocal8Bit(slave);
    // Raw from the start, so that nothing is echoed back before the port sets its own mode.
    termios mode{};
    if (tcgetattr(m_master, &mode) == 0) {
        cfmakeraw(&mode);
        cfsetspeed(&mode, B9600);
        tcsetattr(m_master, TCSANOW, &mode);
    }
    connect(&m_timer, &QTimer::timeout, this, &DemoDevice::tick);
    m_timer.start(20);
    m_clock.start();
}

DemoDevice::~DemoDevice()
{
    if (m_master >= 0)
        ::close(m_master);
}

QByteArray DemoDevice::message(int n)
{
    if (n % 4 == 3) {
        // Start byte, sequence number, length, a 16-bit reading big-endian, XOR of the rest, end byte.
        const int reading = 12000 + (n * 37) % 100;
        QByteArray frame{"\x7E"};
        frame += char(n & 0xFF);
        frame += char(2);
        frame += char(reading >> 8);
        frame += char(reading & 0xFF);
        char check = 0;
        for (qsizetype i = 1; i < frame.size(); ++i)
            check ^= frame[i];
        return frame + check + '\x7F';
    }
    const double volts = 12.0 + 0.05 * qSin(n / 7.0) + 0.001 * ((n * 7919) % 13);
    const double celsius = 23.4 + 0.3 * qSin(n / 23.0);
    return cp1251(
        QStringLiteral("Канал 1: U=%1 В, T=%2 °C\r\n").arg(volts, 0, 'f', 3).arg(celsius, 0, 'f', 1));
}

void DemoDevice::tick()
{
    const qint64 now = m_clock.elapsed();
    while (now >= m_nextMessageMs) {
        m_pending += message(m_sent++);
        m_nextMessageMs += MessageIntervalMs;
    }
    // A line sends at most its baud rate, and idle time does not save up into a burst.
    m_credit = qMin(m_credit + (now - m_lastTickMs) * BytesPerSecond / 1000.0, 64.0);
    m_lastTickMs = now;
    const qsizetype due = qMin(m_pending.size(), qsizetype(m_credit));
    if (due == 0)
        return;
    // With nobody on the other end, or the buffer full, the bytes are lost, as on a real line.
    [[maybe_unused]] const ssize_t written = ::write(m_master, m_pending.constData(), size_t(due));
    m_pending.remove(0, due);
    m_credit -= due;
}
