#pragma once

#include <QDateTime>

// The local time with its offset from UTC for stamping readings, cheap enough for every poll.
class LocalClock
{
public:
    QDateTime operator()();

private:
    qint64 m_minute = -1;
    int m_offsetSeconds = 0;
};
