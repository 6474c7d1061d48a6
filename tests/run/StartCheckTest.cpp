#include <gtest/gtest.h>

#include <QFile>

#include "QStringPrinting.h"
#include "RunHarness.h"
#include "StartCheck.h"

// The check a run gets at Start, against the simulated load: what it finds
// decides whether the load hears anything at all.

TEST(StartCheck, ErrorsRefuseTheStartBeforeTheLoadHearsAnything) {
    RunHarness h;
    h.Prepare({{"LoadLevel", "CC", "5", "0"},
               {"Dischrage", "CC", "10", "60", "3", "0", "0", "1", "NextStep"},
               {"DisCharge", "CC", "150", "60", "3", "0", "0", "1", "NextStep"}});
    h.station->Views().Set(Displays::SNText, "CELL1");
    EXPECT_EQ(h.Run(), RunOutcome::CheckFailed);
    EXPECT_TRUE(h.sim->Journal().isEmpty());
    EXPECT_FALSE(QFile::exists(h.LogPath("CELL1")));  // a log of that name is left alone
    ASSERT_EQ(h.op.questions.size(), 1);
    const RecordingOperator::Question& shown = h.op.questions[0];
    EXPECT_EQ(shown.text, "The test cannot start: the check found 2 errors.");
    EXPECT_EQ(shown.points,
              QStringList({"error: step 2: unknown action \"Dischrage\"; the step would do nothing",
                           "error: step 3: Value 150 A is above the load's 112.5 A"}));
    EXPECT_EQ(shown.choices, QStringList{"OK"});
    EXPECT_TRUE(h.station->Views().IsEnabled(Displays::StartCommand));
}

TEST(StartCheck, WarningsAreAskedAndTheAnswerDecides) {
    RunHarness h;
    // The rest after the load level keeps the load on.
    h.Prepare({{"LoadLevel", "CC", "5", "0"}, {"Suspend", "", "", "0.3", "0", "", "", "0.1"}});
    h.op.choiceAnswer = kCancelStart;
    EXPECT_EQ(h.Run(), RunOutcome::NotStarted);
    EXPECT_TRUE(h.sim->Journal().isEmpty());
    ASSERT_EQ(h.op.questions.size(), 1);
    EXPECT_EQ(h.op.questions[0].text, "The check found 1 warning. Start the test anyway?");
    EXPECT_EQ(h.op.questions[0].points,
              QStringList{"warning: step 2: Suspend follows the load level of step 1, so the "
                          "load stays on through it"});
    EXPECT_EQ(h.op.questions[0].choices, QStringList({"Start anyway", "Cancel"}));

    h.op.choiceAnswer = kStartAnyway;
    EXPECT_EQ(h.Run(), RunOutcome::Finished);
    EXPECT_TRUE(h.StepCommands().contains("LOAD ON"));
}

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
