#pragma once

#include "returnwatch.h"

#include <QObject>
#include <functional>
#include <memory>

class CommPort;

// Reopens a lost port by itself once its own device is back, with the settings and lines in force, until a
// pick takes over.
class PortReturn : public QObject
{
    Q_OBJECT

public:
    // The watch for a port lost with this identity, or none for a port that is not reopened by itself.
    using WatchFactory =
        std::function<std::unique_ptr<ReturnWatch>(const QString &identity, const QString &device)>;

    explicit PortReturn(CommPort &port, QObject *parent = nullptr);

    // Off, a lost port stays closed until a pick.
    void setEnabled(bool enabled);
    bool enabled() const { return m_enabled; }
    // Where /dev is looked at; tests give a fake one.
    void setDeviceRoot(const QString &root) { m_root = root; }
    void setWatchFactory(WatchFactory factory) { m_factory = std::move(factory); }
    // A pick: its own reopen comes next, and the lost device is no longer waited for.
    void stop();
    // What the port waits for; empty while it does not wait.
    QString awaited() const;

signals:
    // Waiting began or ended, or the port came back.
    void stateChanged();

private:
    void watch();
    void reopen(const QString &device);
    // The outcome of the reopen is known.
    void settle();
    void end();

    CommPort &m_port;
    bool m_enabled = true;
    QString m_root = QStringLiteral("/");
    WatchFactory m_factory;
    QString m_identity;
    ReturnWatch *m_watch = nullptr; // a Qt child while the port waits
    bool m_answerDue = false;
};
