#include "EventWait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace {
constexpr int kAbortPollMs = 10;
}

void WaitWithEvents(double ms) {
    WaitWithEventsUnless(ms, [] { return false; });
}

bool WaitWithEventsUnless(double ms, const std::function<bool()>& abort) {
    if (!(ms > 0)) {
        return true;
    }
    const QDeadlineTimer deadline(static_cast<qint64>(ms + 0.5), Qt::PreciseTimer);
    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (abort() || deadline.hasExpired()) {
            loop.quit();
            return;
        }
        poll.start(static_cast<int>(qMin<qint64>(kAbortPollMs, deadline.remainingTime())));
    });
    if (abort()) {
        return false;
    }
    poll.start(static_cast<int>(qMin<qint64>(kAbortPollMs, deadline.remainingTime())));
    loop.exec();
    return !abort();
}

void ProcessPendingEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
