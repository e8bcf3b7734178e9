#include "serialdevices.h"

#include "commport.h"
#include "linesettings.h"

#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QEvent>
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

// What the server of the remote port open now reports, when the port box names that port.
QString serverReport(const CommPort *port, const QString &typed)
{
    if (!port || port->device() != typed || !remotePort(typed) || port->portOpen() != true)
        return {};
    QStringList lines{QStringLiteral("Сервер сообщает: ") + lineSettingsText(port->settingsInForce())};
    lines << port->notes();
    return lines.join(QLatin1Char('\n'));
}

// Also writes the help into the box's accessible description: a screen reader gets nothing of a tooltip
// written only as it shows. Reading the devices costs a scan of sysfs, which only an assistive technology's
// user needs at every keystroke and as the box takes focus.
class PortBoxHelpRefresher : public QObject, public QAccessible::ActivationObserver
{
public:
    PortBoxHelpRefresher(QComboBox *box, const CommPort *port) : QObject(box), m_box(box), m_port(port)
    {
        box->installEventFilter(this);
        connect(box, &QComboBox::editTextChanged, this, [this] {
            if (m_accessible)
                describe(help());
        });
        QAccessible::installActivationObserver(this);
        accessibilityActiveChanged(QAccessible::isActive());
    }
    ~PortBoxHelpRefresher() override { QAccessible::removeActivationObserver(this); }

    void accessibilityActiveChanged(bool active) override
    {
        m_accessible = active;
        if (active)
            describe(help());
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ToolTip) {
            const QString text = help();
            m_box->setToolTip(text);
            describe(text);
        } else if (event->type() == QEvent::FocusIn && m_accessible) {
            // Devices come and go while the box is left alone.
            describe(help());
        }
        return false;
    }

private:
    QString help() const
    {
        const QString typed = m_box->currentText();
        return portBoxHelp(typed, QStringLiteral("/"), serverReport(m_port, typed));
    }

    void describe(const QString &help)
    {
        if (m_box->accessibleDescription() != help)
            m_box->setAccessibleDescription(help);
    }

    QComboBox *m_box;
    const CommPort *m_port; // the window's port: tooltips are asked for only while the window lives
    bool m_accessible = false;
};

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

QString portBoxHelp(const QString &typed, const QString &root, const QString &serverReport)
{
    const auto device = portDeviceName(typed);
    // The typed text stays off the first line, where Qt would take a tag in it as rich text.
    QStringList lines{QStringLiteral("В поле порта набрано:")};
    if (const auto remote = remotePort(typed)) {
        lines << QStringLiteral("«%1» — порт на другой машине, %2, %3")
                     .arg(typed, remote->address(),
                          remote->protocol == RemotePort::Protocol::Tcp ? QStringLiteral("TCP: только байты")
                                                                        : QStringLiteral("RFC 2217"));
        if (!serverReport.isEmpty())
            lines << serverReport;
    } else if (!device)
        lines << QStringLiteral("«%1» — нет такого устройства").arg(typed);
    else if (!QFileInfo::exists(underRoot(root, *device)))
        lines << QStringLiteral("«%1» — %2: нет такого устройства").arg(typed, *device);
    else
        lines << QStringLiteral("«%1» — %2").arg(typed, *device);

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

void keepPortBoxHelpFresh(QComboBox *box, const CommPort *port)
{
    new PortBoxHelpRefresher(box, port);
}
