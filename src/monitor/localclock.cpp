#include "localclock.h"

#include <QDateTime>

namespace {

constexpr qint64 msPerMinute = 60 * 1000;

} // namespace

// Asking the C library for local time makes it stat the zone file at every call, a good part of an idle poll.
// The offset is asked again only when the minute changes: zone switches fall on whole minutes, so a
// daylight-saving change still shows from its first poll. A time with a fixed offset gives its date and time
// of day without asking the zone again.
QDateTime LocalClock::operator()()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 minute = now / msPerMinute;
    if (minute != m_minute) {
        m_minute = minute;
        m_offsetSeconds = QDateTime::fromMSecsSinceEpoch(now).offsetFromUtc();
    }
    return QDateTime::fromMSecsSinceEpoch(now, Qt::OffsetFromUTC, m_offsetSeconds);
}
