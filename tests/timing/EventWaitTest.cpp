#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>

#include "EventWait.h"

TEST(WaitWithEvents, TimersFireWhileItWaits) {
    int fired = 0;
    QTimer::singleShot(5, [&] { ++fired; });
    QElapsedTimer timer;
    timer.start();
    WaitWithEvents(60);
    EXPECT_EQ(fired, 1);
    EXPECT_GE(timer.elapsed(), 59);
}

TEST(WaitWithEvents, NoTimeReturnsAtOnce) {
    int fired = 0;
    QTimer::singleShot(0, [&] { ++fired; });
    WaitWithEvents(0);
    WaitWithEvents(-1);
    EXPECT_TRUE(WaitWithEventsUnless(0, [] { return true; }));
    EXPECT_EQ(fired, 0);  // no events ran
    ProcessPendingEvents();
    EXPECT_EQ(fired, 1);
}

TEST(WaitWithEventsUnless, ReturnsEarlyWhenAborted) {
    bool stop = false;
    // The abort arrives as an event during the wait, the way a Stop click does.
    QTimer::singleShot(20, [&] { stop = true; });
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(WaitWithEventsUnless(30000, [&] { return stop; }));
    EXPECT_TRUE(stop);
    // Generous bound: only proves it did not sit out the 30 s.
    EXPECT_LT(timer.elapsed(), 10000);

    EXPECT_FALSE(WaitWithEventsUnless(30000, [] { return true; }));
    EXPECT_TRUE(WaitWithEventsUnless(15, [] { return false; }));
}
