#include "shutdownsignals.h"

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> ShutdownSignalNumbers{SIGTERM, SIGHUP, SIGINT};

// All a signal handler may touch: the write end of the pipe that the event loop watches.
std::atomic<int> pipeWriteEnd{-1};

extern "C" void onShutdownSignal(int signal)
{
    const int savedErrno = errno;
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(pipeWriteEnd.load(), &byte, 1);
    errno = savedErrno;
}

} // namespace

ShutdownSignals::ShutdownSignals(std::function<void()> shutDown, QObject *parent)
    : QObject(parent), m_shutDown(std::move(shutDown))
{
    // Without the pipe the signals keep their default action, which still ends the program.
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    pipeWriteEnd = m_pipe[1];
    m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ShutdownSignals::drain);

    struct sigaction action = {};
    action.sa_handler = onShutdownSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < ShutdownSignalNumbers.size(); ++i)
        sigaction(ShutdownSignalNumbers[i], &action, &m_previous[i]);
}

ShutdownSignals::~ShutdownSignals()
{
    if (!m_notifier)
        return;
    for (std::size_t i = 0; i < ShutdownSignalNumbers.size(); ++i)
        sigaction(ShutdownSignalNumbers[i], &m_previous[i], nullptr);
    pipeWriteEnd = -1;
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
}

void ShutdownSignals::drain()
{
    char bytes[16];
    bool signalled = false;
    while (::read(m_pipe[0], bytes, sizeof bytes) > 0)
        signalled = true;
    if (signalled)
        m_shutDown();
}
