#include "namelookup.h"

#include <QHostInfo>
#include <QPointer>

void QtNameLookup::lookUp(const QString &host, QObject *receiver, Found found)
{
    ++m_underWay;
    // Answered to this object, which outlives the receiver, so that the count falls whatever became of it.
    QHostInfo::lookupHost(
        host, this,
        [this, receiver = QPointer<QObject>(receiver), found = std::move(found)](const QHostInfo &info) {
            --m_underWay;
            if (receiver)
                found(info.error() == QHostInfo::NoError ? info.addresses() : QList<QHostAddress>());
        });
}
