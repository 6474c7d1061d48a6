#include "Clock.h"

#include <QThread>
#include <algorithm>
#include <chrono>
#include <cmath>

namespace {
constexpr double kSecondsPerDay = 86400.0;
// Below this remainder Delay spins; above it, it sleeps the thread.
constexpr double kSpinMarginMs = 2.0;
// Long waits sleep in slices, which also keeps the sleep length in range.
constexpr double kSleepSliceMs = 50.0;

qint64 SteadyNanoseconds() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

double Clock::ElapsedMs(qint64 startReading) const {
    return static_cast<double>(ReadCounter() - startReading) * 1000.0 /
           static_cast<double>(CounterFrequency());
}

void Clock::Delay(double ms) const {
    if (!(ms > 0)) {
        return;
    }
    const qint64 start = ReadCounter();
    for (;;) {
        const double left = ms - ElapsedMs(start);
        if (left <= 0) {
            return;
        }
        if (left > kSpinMarginMs) {
            const double sleepMs = std::min(left - kSpinMarginMs, kSleepSliceMs);
            QThread::usleep(static_cast<unsigned long>(sleepMs * 1000.0));
        }
    }
}

double SecondsSince(double start, double now) {
    return now >= start ? now - start : now + kSecondsPerDay - start;
}

SystemClock::SystemClock() : m_counterOrigin(SteadyNanoseconds()) {}

double SystemClock::TimeOfDay() const {
    const QTime t = QTime::currentTime();
    return t.msecsSinceStartOfDay() / 1000.0;
}

QDateTime SystemClock::Now() const {
    return QDateTime::currentDateTime();
}

qint64 SystemClock::ReadCounter() const {
    return SteadyNanoseconds() - m_counterOrigin;
}

qint64 SystemClock::CounterFrequency() const {
    return 1000000000;
}

const SystemClock& SystemClock::Instance() {
    static const SystemClock clock;
    return clock;
}
