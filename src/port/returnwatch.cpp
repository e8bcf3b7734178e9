#include "returnwatch.h"

#include "deviceidentity.h"

NodeReturnWatch::NodeReturnWatch(const QString &identity, const QString &openedAs, const QString &root,
                                 QObject *parent)
    : ReturnWatch(parent), m_identity(identity), m_openedAs(openedAs), m_root(root)
{
    // The first look comes a moment after the loss, never at once: a device that hangs up yet keeps its node
    // is tried twice a second at most.
    connect(&m_looks, &QTimer::timeout, this, &NodeReturnWatch::look);
    m_looks.start(LookInterval);
}

void NodeReturnWatch::look()
{
    if (const auto device = returnedDevice(m_identity, m_openedAs, m_root))
        emit due(*device);
}

bool NodeReturnWatch::goOnAfter(SerialError failure)
{
    switch (failure) {
    case SerialError::NoSuchDevice: // gone again between the look and the open
        return true;
    case SerialError::NoPermission:
        if (!m_refusedSince.isValid())
            m_refusedSince.start();
        return !m_refusedSince.hasExpired(PermissionPatience.count());
    default:
        return false;
    }
}

BackoffReturnWatch::BackoffReturnWatch(const QString &device, std::chrono::milliseconds firstPause,
                                       std::chrono::milliseconds longestPause, QObject *parent)
    : ReturnWatch(parent), m_device(device), m_pause(firstPause), m_longestPause(longestPause)
{
    m_attempt.setSingleShot(true);
    m_attempt.setTimerType(Qt::PreciseTimer);
    connect(&m_attempt, &QTimer::timeout, this, [this] { emit due(m_device); });
    m_attempt.start(m_pause);
}

bool BackoffReturnWatch::goOnAfter(SerialError)
{
    m_pause = std::min(m_pause * 2, m_longestPause);
    m_attempt.start(m_pause);
    return true;
}

std::unique_ptr<ReturnWatch> defaultReturnWatch(const PortAddress &address, const QString &identity,
                                                const QString &root)
{
    if (address.isRemote())
        return std::make_unique<BackoffReturnWatch>(address.name());
    if (address.isNumberedPseudoTerminal())
        return nullptr;
    return std::make_unique<NodeReturnWatch>(identity, address.name(), root);
}
