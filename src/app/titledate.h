#pragma once

#include <QDate>
#include <QString>

#include <functional>

// The clock and the locale's names are passed in so tests can pin any date and language.
struct DateSource
{
    std::function<QDate()> today;
    std::function<QString(int month)> monthName;
    std::function<QString(int dayOfWeek)> weekdayName;
};

DateSource systemDateSource();

// Only the twelve Russian nominatives, exactly as written, become genitive; any other name stays as given.
QString monthGenitive(const QString &systemName);

QString titleCaption(QDate date, const QString &month, const QString &weekdayName);
