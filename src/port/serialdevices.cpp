#include "serialdevices.h"

#include "commport.h"
#include "linesettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <limits>
#include <sys/sysmacros.h>

namespace {

QString underRoot(const QString &root, const QString &path)
{
    return QDir::cleanPath(root + QLatin1Char('/') + path);
}

// "ttyS10" after "ttyS9": the name's stem, then its number.
std::pair<QString, qint64> sortKey(const QString &name)
{
    qsizetype stem = name.size();
    while (stem > 0 && name.at(stem - 1).isDigit())
        --stem;
    return {name.left(stem), name.mid(stem).toLongLong()};
}

// The port box takes "n" for /dev/ttyS{n-1}, and a bare name for anything else under /dev.
QString typedName(const QString &name)
{
    static const QRegularExpression uart(QStringLiteral("^ttyS([0-9]{1,5})$"));
    const auto match = uart.match(name);
    if (match.hasMatch() && match.captured(1).toInt() < std::numeric_limits<qint16>::max())
        return QString::number(match.captured(1).toInt() + 1);
    return name;
}

// The 8250 driver lists ttyS0..ttyS31 whether or not a UART answers; type 0 marks a slot without one.
bool isEmptyUartSlot(const QString &ttyDir)
{
    QFile type(ttyDir + QStringLiteral("/type"));
    return type.open(QIODevice::ReadOnly) && type.readAll().trimmed() == "0";
}

} // namespace

QList<SerialDevice> presentSerialDevices(const QString &root)
{
    const QDir classTty(underRoot(root, QStringLiteral("/sys/class/tty")));
    QStringList names;
    for (const QString &name : classTty.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        // Only a tty with hardware behind it has a device link; consoles and pseudo-terminals have none.
        const QString ttyDir = classTty.filePath(name);
        if (QFileInfo::exists(ttyDir + QStringLiteral("/device")) && !isEmptyUartSlot(ttyDir) &&
            QFileInfo::exists(underRoot(root, QStringLiteral("/dev/") + name)))
            names << name;
    }
    std::sort(names.begin(), names.end(),
              [](const QString &a, const QString &b) { return sortKey(a) < sortKey(b); });

    QList<SerialDevice> devices;
    for (const QString &name : names)
        devices.append({QStringLiteral("/dev/") + name, {typedName(name)}});

    const QDir byId(underRoot(root, QStringLiteral("/dev/serial/by-id")));
    for (const QFileInfo &link :
         byId.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString target = QFileInfo(link.symLinkTarget()).fileName();
        for (SerialDevice &device : devices)
            if (device.device.endsWith(QLatin1Char('/') + target))
                device.typings << QStringLiteral("/dev/serial/by-id/") + link.fileName();
    }
    return devices;
}

bool isSystemConsole(dev_t device, const QString &root)
{
    QFile active(underRoot(root, QStringLiteral("/sys/class/tty/console/active")));
    if (!active.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &name : active.readAll().simplified().split(' ')) {
        if (name.isEmpty() || name.contains('/') || name.startsWith('.'))
            continue;
        QFile number(underRoot(root, QStringLiteral("/sys/class/tty/%1/dev").arg(QString::fromLatin1(name))));
        if (!number.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> parts = number.readAll().trimmed().split(':');
        bool majorOk = false;
        bool minorOk = false;
        if (parts.size() == 2 && ::makedev(parts[0].toUInt(&majorOk), parts[1].toUInt(&minorOk)) == device &&
            majorOk && minorOk)
            return true;
    }
    return false;
}

QString serverReport(const CommPort *port, const QString &typed)
{
    if (!port || port->device() != typed || !port->address().isRemote() || port->portOpen() != true)
        return {};
    QStringList lines{QStringLiteral("Сервер сообщает: ") + lineSettingsText(port->settingsInForce())};
    lines << port->notes();
    return lines.join(QLatin1Char('\n'));
}

QString portBoxHelp(const QString &typed, const QString &root, const QString &serverReport)
{
    const auto address = PortAddress::parse(typed);
    // The typed text stays off the first line, where Qt would take a tag in it as rich text.
    QStringList lines{QStringLiteral("В поле порта набрано:")};
    if (address && address->isRemote()) {
        lines << QStringLiteral("«%1» — порт на другой машине, %2, %3")
                     .arg(typed, address->hostAndPort(),
                          address->kind() == PortAddress::Kind::Tcp ? QStringLiteral("TCP: только байты")
                                                                    : QStringLiteral("RFC 2217"));
        if (!serverReport.isEmpty())
            lines << serverReport;
    } else if (!address)
        lines << QStringLiteral("«%1» — нет такого устройства").arg(typed);
    else if (!QFileInfo::exists(underRoot(root, address->name())))
        lines << QStringLiteral("«%1» — %2: нет такого устройства").arg(typed, address->name());
    else
        lines << QStringLiteral("«%1» — %2").arg(typed, address->name());

    const QList<SerialDevice> devices = presentSerialDevices(root);
    if (devices.isEmpty()) {
        lines << QStringLiteral("Последовательных устройств не найдено.");
        return lines.join(QLatin1Char('\n'));
    }
    lines << QStringLiteral("Последовательные устройства сейчас (что набрать):");
    for (const SerialDevice &each : devices)
        lines << QStringLiteral("%1 — %2").arg(each.device, each.typings.join(QStringLiteral(" или ")));
    return lines.join(QLatin1Char('\n'));
}
