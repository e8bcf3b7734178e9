#include "localclock.h"

#include <QDateTime>

namespace {

constexpr qint64 msPerMinute = 60 * 1000;
constexpr qint64 msPerDay = 24 * 60 * msPerMinute;

} // namespace

// Asking the C library for local time makes it stat the zone file at every call, a good part of an idle poll.
// The offset is asked again only when the minute changes: zone switches fall on whole minutes, so a
// daylight-saving change still shows from its first poll.
QTime LocalClock::operator()()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 minute = now / msPerMinute;
    if (minute != m_minute) {
        m_minute = minute;
        m_offsetMs = QDateTime::fromMSecsSinceEpoch(now).offsetFromUtc() * qint64(1000);
    }
    const qint64 ofDay = ((now + m_offsetMs) % msPerDay + msPerDay) % msPerDay;
    return QTime::fromMSecsSinceStartOfDay(int(ofDay));
}
