#pragma once

#include <QtGlobal>

class Clock;

// When the next measurement point of a timed step falls, on the monotonic
// counter. The walk keeps its schedule in times of day (the last point's
// scheduled time plus the step's MeasT), which a reading only gives to the
// millisecond and which restarts at midnight; the step timer wants a moment
// on the counter. The first arming ties the time of day to the counter; later
// points are placed through that tie, so the rounding of one reading never
// moves a point and nothing adds up over hours. When a reading disagrees with
// the tie (the wall clock was set) it is tied anew.
class PointSchedule {
  public:
    explicit PointSchedule(const Clock& clock) : m_clock(clock) {}

    // The counter reading at which the point after the one scheduled at
    // `lastPointTime` is due, `interval` seconds later; `timeOfDay` is a
    // reading of the time of day taken just before.
    qint64 NextPointCounter(double lastPointTime, double interval, double timeOfDay);
    // The next call ties the time of day to the counter anew.
    void Forget() { m_tied = false; }

  private:
    const Clock& m_clock;
    bool m_tied = false;
    double m_tiedTime = 0;     // a time of day ...
    qint64 m_tiedCounter = 0;  // ... and where it fell on the counter
};
