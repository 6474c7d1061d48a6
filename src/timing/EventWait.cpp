#include "EventWait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <algorithm>

#include "EventPump.h"

namespace {
// How often a wait looks at its abort condition.
constexpr qint64 kAbortPollMs = 10;
}  // namespace

void WaitWithEvents(double ms) {
    WaitWithEventsUnless(ms, [] { return false; });
}

bool WaitWithEventsUnless(double ms, const std::function<bool()>& abort) {
    if (!(ms > 0)) {
        return true;
    }
    const QDeadlineTimer deadline(static_cast<qint64>(ms + 0.5), Qt::PreciseTimer);
    EventPump pump;
    while (!abort()) {
        if (deadline.hasExpired()) {
            return true;
        }
        pump.RunFor(
            static_cast<int>(std::clamp<qint64>(deadline.remainingTime(), 1, kAbortPollMs)));
    }
    return false;
}

void ProcessPendingEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
