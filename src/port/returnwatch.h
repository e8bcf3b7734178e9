#pragma once

#include "backend.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>

// When a lost port is worth opening again, and by which name: one watch per loss, ended by the return or a
// pick.
class ReturnWatch : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // What the operator is told the port waits for.
    virtual QString awaited() const = 0;
    // The open asked for by due() failed: whether to go on waiting, or to give up with that failure.
    virtual bool goOnAfter(SerialError failure) = 0;

signals:
    void due(const QString &device);
};

// A device node, looked for with access() twice a second and never opened to look; due once it is back.
class NodeReturnWatch : public ReturnWatch
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds LookInterval{500};
    // A new node may appear before udev has set its group and mode.
    static constexpr std::chrono::milliseconds PermissionPatience{3000};

    NodeReturnWatch(const QString &identity, const QString &openedAs, const QString &root,
                    QObject *parent = nullptr);

    QString awaited() const override { return m_identity; }
    bool goOnAfter(SerialError failure) override;

private:
    void look();

    QString m_identity;
    QString m_openedAs;
    QString m_root;
    QTimer m_looks;
    QElapsedTimer m_refusedSince;
};

// A port on another machine: connected to again after pauses that double up to a longest one.
class BackoffReturnWatch : public ReturnWatch
{
    Q_OBJECT

public:
    explicit BackoffReturnWatch(const QString &device,
                                std::chrono::milliseconds firstPause = std::chrono::seconds(1),
                                std::chrono::milliseconds longestPause = std::chrono::seconds(10),
                                QObject *parent = nullptr);

    QString awaited() const override { return m_device; }
    bool goOnAfter(SerialError failure) override;
    // The pause before the next attempt.
    std::chrono::milliseconds pause() const { return m_pause; }

private:
    QString m_device;
    std::chrono::milliseconds m_pause;
    std::chrono::milliseconds m_longestPause;
    QTimer m_attempt;
};

// The watch for a port lost with this identity: growing pauses for a port on another machine, none for a
// numbered pseudo-terminal, the node for any other device.
std::unique_ptr<ReturnWatch> defaultReturnWatch(const PortAddress &address, const QString &identity,
                                                const QString &root);
