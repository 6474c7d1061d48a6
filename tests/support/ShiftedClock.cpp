#include "ShiftedClock.h"

ShiftedClock::ShiftedClock(const QDateTime& startsAt)
    : m_offsetMs(SystemClock::Instance().Now().msecsTo(startsAt)) {}

QDateTime ShiftedClock::Now() const {
    return SystemClock::Instance().Now().addMSecs(m_offsetMs);
}

double ShiftedClock::TimeOfDay() const {
    return Now().time().msecsSinceStartOfDay() / 1000.0;
}

qint64 ShiftedClock::ReadCounter() const {
    return SystemClock::Instance().ReadCounter();
}

qint64 ShiftedClock::CounterFrequency() const {
    return SystemClock::Instance().CounterFrequency();
}

void ShiftedClock::Jump(double seconds) {
    m_offsetMs += static_cast<qint64>(seconds * 1000.0);
}
