#include "titledate.h"

#include <QLocale>

#include <array>
#include <utility>

DateSource systemDateSource()
{
    return {
        [] { return QDate::currentDate(); },
        // The format context gives the name as a date writes it, which for Russian is already the genitive.
        [](int month) { return QLocale::system().monthName(month, QLocale::LongFormat); },
        [](int dayOfWeek) { return QLocale::system().dayName(dayOfWeek, QLocale::LongFormat); },
    };
}

QString monthGenitive(const QString &systemName)
{
    static const std::array<std::pair<QString, QString>, 12> table{{
        {QStringLiteral("Январь"), QStringLiteral("Января")},
        {QStringLiteral("Февраль"), QStringLiteral("Февраля")},
        {QStringLiteral("Март"), QStringLiteral("Марта")},
        {QStringLiteral("Апрель"), QStringLiteral("Апреля")},
        {QStringLiteral("Май"), QStringLiteral("Мая")},
        {QStringLiteral("Июнь"), QStringLiteral("Июня")},
        {QStringLiteral("Июль"), QStringLiteral("Июля")},
        {QStringLiteral("Август"), QStringLiteral("Августа")},
        {QStringLiteral("Сентябрь"), QStringLiteral("Сентября")},
        {QStringLiteral("Октябрь"), QStringLiteral("Октября")},
        {QStringLiteral("Ноябрь"), QStringLiteral("Ноября")},
        {QStringLiteral("Декабрь"), QStringLiteral("Декабря")},
    }};
    for (const auto &[nominative, genitive] : table) {
        if (systemName == nominative)
            return genitive;
    }
    return systemName;
}

QString titleCaption(QDate date, const QString &month, const QString &weekdayName)
{
    return QStringLiteral("Brantel       Kalvane v.1.0               Сегодня: ") +
           QString::number(date.day()) + QStringLiteral("  ") + month + QStringLiteral("  ") +
           QString::number(date.year()) + QStringLiteral(" года  ") + weekdayName;
}
