#pragma once

#include <QObject>
#include <array>
#include <csignal>
#include <functional>

class QSocketNotifier;

// Turns SIGTERM, SIGHUP and SIGINT into a call on the event loop, so they end the program as a window close
// does.
class ShutdownSignals : public QObject
{
    Q_OBJECT

public:
    explicit ShutdownSignals(std::function<void()> shutDown, QObject *parent = nullptr);
    ~ShutdownSignals() override;

private:
    void drain();

    std::function<void()> m_shutDown;
    int m_pipe[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
    std::array<struct sigaction, 3> m_previous{};
};
