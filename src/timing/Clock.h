#pragma once

#include <QDateTime>
#include <QtGlobal>

// The one source of time for the engine and the transports. Time of day is
// seconds since local midnight (it restarts at 0 every midnight); the counter
// is monotonic and only its differences mean anything. Tests replace the clock
// to move the time of day across midnight without waiting for it.
class Clock {
  public:
    virtual ~Clock() = default;

    // Seconds since local midnight, with sub-second resolution.
    virtual double TimeOfDay() const = 0;
    // Local date and time, for time stamps shown to people and written to logs.
    virtual QDateTime Now() const = 0;
    // Monotonic counter reading in counts of CounterFrequency() per second.
    virtual qint64 ReadCounter() const = 0;
    virtual qint64 CounterFrequency() const = 0;

    // Milliseconds from a counter reading to now.
    double ElapsedMs(qint64 startReading) const;
    // Waits at least `ms` milliseconds without running any events; returns at
    // once for ms <= 0. Spins only for the last few milliseconds so that short
    // pacing waits stay accurate without burning a core on long ones.
    void Delay(double ms) const;
};

// Seconds from `start` to `now`, both times of day; assumes at most one
// midnight crossing in between.
double SecondsSince(double start, double now);

// The process-wide wall clock.
class SystemClock : public Clock {
  public:
    SystemClock();
    double TimeOfDay() const override;
    QDateTime Now() const override;
    qint64 ReadCounter() const override;
    qint64 CounterFrequency() const override;

    static const SystemClock& Instance();

  private:
    qint64 m_counterOrigin;
};
