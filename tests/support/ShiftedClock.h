#pragma once

#include "Clock.h"

// A clock that runs at the real rate but whose date and time of day start
// wherever a test puts them, so that a run can cross midnight within a second.
class ShiftedClock : public Clock {
  public:
    // The time of day (and date) the clock shows right now.
    explicit ShiftedClock(const QDateTime& startsAt);

    double TimeOfDay() const override;
    QDateTime Now() const override;
    qint64 ReadCounter() const override;
    qint64 CounterFrequency() const override;

    // Moves the date and time of day by `seconds`; the counter is not moved.
    void Jump(double seconds);

  private:
    qint64 m_offsetMs;
};
