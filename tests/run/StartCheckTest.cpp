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

TEST(StartCheck, AcirStepsAreNamedOnceBeforeAnythingIsSentAndTheRunGoesOn) {
    RunHarness h;
    h.Prepare({{"ACIR", "CC", "5", "0.3", "0", "0", "0", "0.1"},
               {"Suspend", "", "", "0.3", "0", "", "", "0.1"},
               {"ACIR", "CC", "5", "0.3", "0", "0", "0", "0.1"}});
    QList<int> commandsWhenTold;
    h.op.onMessage = [&](const QString& text) {
        if (text.contains("ACIR")) {
            commandsWhenTold << h.sim->Journal().size();
        }
    };
    ASSERT_EQ(h.Run(), RunOutcome::Finished);
    EXPECT_EQ(commandsWhenTold, QList<int>{0});
    EXPECT_TRUE(h.op.Texts().contains(
        "Step 1: ACIR is not carried out by this load; the step only waits its dwell.\n"
        "Step 3: ACIR is not carried out by this load; the step only waits its dwell."))
        << h.op.Texts().join("|").toStdString();
    EXPECT_TRUE(h.op.Texts().contains("Test Finished"));
}
