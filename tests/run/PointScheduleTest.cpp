#include <gtest/gtest.h>

#include "Clock.h"
#include "PointSchedule.h"

namespace {
constexpr qint64 kPerSecond = 1000000000;

// A counter that moves only when the test moves it; the schedule reads no
// other part of the clock.
class SteppedCounter : public Clock {
  public:
    double TimeOfDay() const override { return 0; }
    QDateTime Now() const override { return QDateTime(); }
    qint64 ReadCounter() const override { return counter; }
    qint64 CounterFrequency() const override { return kPerSecond; }
    void Advance(double seconds) { counter += static_cast<qint64>(seconds * kPerSecond); }

    qint64 counter = 5 * kPerSecond;
};

qint64 Seconds(double s) {
    return static_cast<qint64>(s * kPerSecond);
}
}  // namespace

TEST(PointSchedule, PointsKeepTheirSpacingWhateverTheReadingsRoundTo) {
    SteppedCounter clock;
    PointSchedule schedule(clock);
    // The step started at 100.0; a reading 0.4 ms later places the first point.
    const qint64 start = clock.counter - Seconds(0.0004);
    EXPECT_EQ(schedule.NextPointCounter(100.0, 0.1, 100.0004), start + Seconds(0.1));
    // Each point is taken on time and read to the millisecond, one late, one
    // early, one exact: the next is still due exactly one interval on.
    double last = 100.0;
    const double readings[] = {0.0009, -0.0003, 0.0, 0.0008, 0.0002};
    for (int k = 1; k <= 5; ++k) {
        clock.counter = start + Seconds(0.1 * k);
        last += 0.1;
        EXPECT_EQ(schedule.NextPointCounter(last, 0.1, last + readings[k - 1]),
                  start + Seconds(0.1 * (k + 1)))
            << "point " << k;
    }
    // Another step's MeasT goes on from the same schedule.
    clock.counter = start + Seconds(0.6);
    EXPECT_EQ(schedule.NextPointCounter(last + 0.1, 2.0, last + 0.1), start + Seconds(2.6));
}

TEST(PointSchedule, MidnightDoesNotMoveThePoints) {
    for (const bool takenBackADay : {true, false}) {
        SteppedCounter clock;
        PointSchedule schedule(clock);
        const qint64 first = schedule.NextPointCounter(86399.8, 0.2, 86399.8);
        EXPECT_EQ(first, clock.counter + Seconds(0.2));
        clock.Advance(0.2);
        // The walk takes the last point's time back a day when it sees the
        // time of day restart, or keeps it past 86400 until it does.
        const double last = takenBackADay ? 0.0 : 86400.0;
        EXPECT_EQ(schedule.NextPointCounter(last, 0.2, 0.0006), first + Seconds(0.2))
            << "taken back a day: " << takenBackADay;
        clock.Advance(0.2);
        EXPECT_EQ(schedule.NextPointCounter(last + 0.2, 0.2, 0.2), first + Seconds(0.4));
    }
}

TEST(PointSchedule, AMovedScheduleOrWallClockIsPlacedByTheReading) {
    SteppedCounter clock;
    PointSchedule schedule(clock);
    schedule.NextPointCounter(500.0, 1.0, 500.0);
    // A pause of 30 s moved the schedule by the pause, not by whole points.
    clock.Advance(31.0);
    EXPECT_EQ(schedule.NextPointCounter(530.5, 1.0, 531.0), clock.counter + Seconds(0.5));
    // The wall clock was set back 5 s: the points follow it, from now on.
    clock.Advance(0.5);
    EXPECT_EQ(schedule.NextPointCounter(531.5, 1.0, 526.5), clock.counter + Seconds(6.0));
    // A new step forgets the old tie even where it would still fit.
    clock.Advance(1.0);
    schedule.Forget();
    EXPECT_EQ(schedule.NextPointCounter(527.5, 1.0, 527.5009), clock.counter + Seconds(0.9991));
}

TEST(PointSchedule, APointOverdueOrWithoutIntervalIsDueAtOnce) {
    SteppedCounter clock;
    PointSchedule schedule(clock);
    EXPECT_EQ(schedule.NextPointCounter(20.0, 0.0, 20.0), clock.counter);
    // The load took longer than MeasT to answer the last point.
    clock.Advance(0.003);
    EXPECT_LE(schedule.NextPointCounter(20.0, 0.0, 20.003), clock.counter);
}
