#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <limits>

#include "Clock.h"

namespace {
// The real counter, with a count of how often it was read.
class CountingClock : public SystemClock {
  public:
    qint64 ReadCounter() const override {
        ++reads;
        return SystemClock::ReadCounter();
    }
    mutable int reads = 0;
};
}  // namespace

TEST(SecondsSince, AppliesOneMidnightCrossing) {
    EXPECT_DOUBLE_EQ(SecondsSince(86399.5, 0.5), 1.0);
    EXPECT_DOUBLE_EQ(SecondsSince(10, 10), 0.0);
    EXPECT_DOUBLE_EQ(SecondsSince(10, 12.25), 2.25);
    EXPECT_DOUBLE_EQ(SecondsSince(0.0, 86399.0), 86399.0);
    // A start just after "now" reads as almost a whole day.
    EXPECT_DOUBLE_EQ(SecondsSince(100.0, 99.0), 86399.0);
}

TEST(Delay, ReturnsAtOnceWithoutReadingTheCounterForNoTime) {
    CountingClock clock;
    clock.Delay(0);
    clock.Delay(-5);
    clock.Delay(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(clock.reads, 0);
}

TEST(Delay, WaitsAtLeastTheTimeAsked) {
    const Clock& clock = SystemClock::Instance();
    for (double ms : {16.5, 0.3, 60.0}) {
        QElapsedTimer timer;
        timer.start();
        clock.Delay(ms);
        EXPECT_GE(timer.nsecsElapsed(), static_cast<qint64>(ms * 1e6)) << ms;
    }
}

TEST(SystemClock, CounterIsMonotonicAndTimeOfDayInRange) {
    const SystemClock& clock = SystemClock::Instance();
    EXPECT_GE(clock.CounterFrequency(), 1000);
    const qint64 first = clock.ReadCounter();
    clock.Delay(2);
    EXPECT_GT(clock.ReadCounter(), first);
    EXPECT_GE(clock.ElapsedMs(first), 2.0);
    const double now = clock.TimeOfDay();
    EXPECT_GE(now, 0.0);
    EXPECT_LT(now, 86400.0);
}
