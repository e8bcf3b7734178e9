#pragma once

#include <QTime>

// The local time of day for stamping readings, cheap enough for every poll.
class LocalClock
{
public:
    QTime operator()();

private:
    qint64 m_minute = -1;
    qint64 m_offsetMs = 0;
};
