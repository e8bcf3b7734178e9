#pragma once

#include <QByteArrayView>
#include <QString>

#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <utility>

// The kernel's termios2, which alone carries a custom rate; its header cannot be included beside <termios.h>.
struct KernelTermios2
{
    tcflag_t iflag, oflag, cflag, lflag;
    cc_t line;
    cc_t cc[19];
    speed_t ispeed, ospeed;
};

// A pseudo-terminal: the code under test opens the slave by name, the test writes to and hangs up the master.
class PtyPair
{
public:
    PtyPair()
    {
        int slave = -1;
        char name[128] = {};
        if (::openpty(&m_master, &slave, name, nullptr, nullptr) == 0) {
            // Closed so that the port under test holds the only slave descriptor, as with a real device.
            ::close(slave);
            slavePath = QString::fromLocal8Bit(name);
        }
    }
    ~PtyPair() { closeMaster(); }
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    int master() const { return m_master; }
    void closeMaster()
    {
        if (m_master >= 0)
            ::close(std::exchange(m_master, -1));
    }
    // The master's termios requests reach the slave's settings.
    KernelTermios2 slaveTermios() const
    {
        KernelTermios2 attributes{};
        ::ioctl(m_master, _IOR('T', 0x2A, KernelTermios2), &attributes);
        return attributes;
    }
    bool writeAll(QByteArrayView bytes) const
    {
        while (!bytes.isEmpty()) {
            const ssize_t written = ::write(m_master, bytes.data(), bytes.size());
            if (written <= 0)
                return false;
            bytes = bytes.sliced(written);
        }
        return true;
    }

    QString slavePath;

private:
    int m_master = -1;
};
