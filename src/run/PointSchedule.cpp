#include "PointSchedule.h"

#include <cmath>

#include "Clock.h"

namespace {
constexpr double kSecondsPerDay = 86400.0;
// The walk takes a schedule more than this far ahead of the time of day for
// one from before midnight.
constexpr double kMidnightSlackSeconds = 10.0;
// A tie that disagrees with a fresh reading by more than this is stale: the
// wall clock was set, or moved to or from summer time.
constexpr double kTieToleranceSeconds = 0.005;

// `later - earlier` in seconds across at most one midnight, as the walk reads it.
double SecondsFrom(double earlier, double later) {
    return earlier - kMidnightSlackSeconds > later ? later + kSecondsPerDay - earlier
                                                   : later - earlier;
}
}  // namespace

qint64 PointSchedule::NextPointCounter(double lastPointTime, double interval, double timeOfDay) {
    const qint64 now = m_clock.ReadCounter();
    const double perSecond = static_cast<double>(m_clock.CounterFrequency());
    const double fromReading = interval - SecondsFrom(lastPointTime, timeOfDay);
    const auto at = [&](double seconds) {
        return now + static_cast<qint64>(std::llround(seconds * perSecond));
    };
    if (m_tied) {
        double sinceTie = lastPointTime - m_tiedTime;
        if (sinceTie < -kSecondsPerDay / 2) {
            sinceTie += kSecondsPerDay;  // the schedule was taken back a day at midnight
        }
        const qint64 due =
            m_tiedCounter + static_cast<qint64>(std::llround((sinceTie + interval) * perSecond));
        if (std::abs(static_cast<double>(due - at(fromReading))) <=
            kTieToleranceSeconds * perSecond) {
            return due;
        }
    }
    m_tied = true;
    m_tiedTime = lastPointTime;
    m_tiedCounter = at(-SecondsFrom(lastPointTime, timeOfDay));
    return at(fromReading);
}
