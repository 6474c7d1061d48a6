#include <gtest/gtest.h>

#include "QStringPrinting.h"
#include "RunHarness.h"
#include "StartCheck.h"

// The part of the check that needs the load: the battery's voltage, known
// once the connection pass has probed it, against the stop voltages.

TEST(StartCheck, StopVoltageAboveTheBatteryIsAskedOnceTheLoadAnswered) {
    RunHarness h;  // the simulated battery is full: 54 V
    h.Prepare({{"DisCharge", "CC", "5", "60", "60", "0", "0", "0.1", "NextStep"}});
    h.op.choiceAnswer = kCancelStart;
    EXPECT_EQ(h.Run(), RunOutcome::NotStarted);
    ASSERT_EQ(h.op.questions.size(), 1);
    ASSERT_EQ(h.op.questions[0].points.size(), 1);
    EXPECT_TRUE(h.op.questions[0].points[0].startsWith(
        "warning: step 1: stop voltage 60 V is above the battery's present 5"))
        << h.op.questions[0].points[0].toStdString();
    // The load was asked for its voltage, and never switched on.
    EXPECT_TRUE(h.sim->Journal().contains("MEAS:VOLT?"));
    EXPECT_FALSE(h.sim->Journal().contains("LOAD ON"));
    EXPECT_FALSE(h.station->State().Running);

    // Below the battery's voltage nothing is asked.
    h.op.questions.clear();
    h.station->Test().Table().SetCell(1, StepColumn::LoopTimes, "45");
    h.op.saveAnswer = h.station->Test().Path();
    h.station->Test().Table().SetCell(1, StepColumn::DwellTime, "0.3");
    EXPECT_EQ(h.Run(), RunOutcome::Finished);
    EXPECT_TRUE(h.op.questions.isEmpty());
}
