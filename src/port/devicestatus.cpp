#include "devicestatus.h"

#include <QStringList>

QString linesText(const std::optional<InputLines> &lines)
{
    if (!lines)
        return QStringLiteral("линии: нет сведений");
    const auto mark = [](bool raised) { return raised ? QStringLiteral("●") : QStringLiteral("○"); };
    return QStringLiteral("линии: CTS %1 DSR %2 CD %3 RI %4")
        .arg(mark(lines->cts), mark(lines->dsr), mark(lines->cd), mark(lines->ri));
}

QString linesNote(const InputLines &lines)
{
    return QStringLiteral("линии: CTS=%1 DSR=%2 CD=%3 RI=%4")
        .arg(int(lines.cts))
        .arg(int(lines.dsr))
        .arg(int(lines.cd))
        .arg(int(lines.ri));
}

QString errorsText(const ReceiveErrors &errors)
{
    return QStringLiteral("ошибки приёма: кадра %1, чётности %2, переполнения %3, разрывов %4")
        .arg(errors.frame)
        .arg(errors.parity)
        .arg(errors.overrun)
        .arg(errors.breaks);
}

QString errorKinds(const ReceiveErrors &errors, const QString &sign)
{
    QStringList kinds;
    const auto add = [&](const char *name, quint32 count) {
        if (count)
            kinds << QString::fromUtf8(name) + QLatin1Char(' ') + sign + QString::number(count);
    };
    add("кадра", errors.frame);
    add("чётности", errors.parity);
    add("переполнения", errors.overrun);
    add("разрывов", errors.breaks);
    return kinds.join(QStringLiteral(", "));
}
