#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <functional>

// Finds a host's addresses without holding up the event loop; tests give one of their own.
class NameLookup
{
public:
    using Found = std::function<void(const QList<QHostAddress> &addresses)>;

    virtual ~NameLookup() = default;
    // Answers later, empty when the name is unknown; never once the receiver is gone.
    virtual void lookUp(const QString &host, QObject *receiver, Found found) = 0;
};

// Qt's own lookup, which asks the system's resolver on a thread of Qt's.
class QtNameLookup : public QObject, public NameLookup
{
    Q_OBJECT

public:
    using QObject::QObject;

    void lookUp(const QString &host, QObject *receiver, Found found) override;
    // Qt waits for a lookup still under way as the application ends, however long the resolver takes.
    bool underWay() const { return m_underWay > 0; }

private:
    int m_underWay = 0;
};
