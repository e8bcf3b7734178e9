#include "deviceidentity.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString byIdFolder = QStringLiteral("/dev/serial/by-id/");

QString underRoot(const QString &root, const QString &path)
{
    return QDir::cleanPath(root + QLatin1Char('/') + path);
}

} // namespace

QString deviceIdentity(const PortAddress &address, const QString &root)
{
    const QString device = address.name();
    if (address.isRemote() || address.isStableName())
        return device;
    const QString node = QFileInfo(underRoot(root, device)).canonicalFilePath();
    if (node.isEmpty())
        return device;
    const QDir byId(underRoot(root, byIdFolder));
    for (const QFileInfo &link :
         byId.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
        if (link.canonicalFilePath() == node)
            return byIdFolder + link.fileName();
    return device;
}

std::optional<QString> returnedDevice(const QString &identity, const QString &openedAs, const QString &root)
{
    // Follows the links: a stable name or a symlink whose device has gone counts as away.
    const QFileInfo node(underRoot(root, identity));
    if (!node.exists())
        return std::nullopt;
    if (identity == openedAs || !identity.startsWith(byIdFolder))
        return identity;
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    return QLatin1Char('/') + QDir(canonicalRoot).relativeFilePath(node.canonicalFilePath());
}
