#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTimer>

#include "LoadConnection.h"
#include "RunHarness.h"
#include "StepTable.h"
#include "TestFiles.h"

// What a run does when something goes wrong: refuse early with nothing sent,
// or release the load, close the log and say why.

TEST(RunSafety, ARunThatCannotKeepItsLogDoesNotStart) {
    RunHarness h;
    h.Prepare({{"LoadLevel", "CC", "5", "0"}});
    WriteFileBytes(h.home.filePath("TestLog"), "a file in the folder's place");
    EXPECT_EQ(h.Run(), RunOutcome::NotStarted);
    ASSERT_EQ(h.op.messages.size(), 1);
    EXPECT_TRUE(h.op.messages[0].text.startsWith("Cannot create the data log "));
    EXPECT_TRUE(h.sim->Journal().isEmpty());
}

TEST(RunSafety, SerialNumberThatIsNoFileNameIsRefused) {
    RunHarness h;
    h.Prepare({{"LoadLevel", "CC", "5", "0"}});
    h.station->Views().Set(Displays::SerialNumber, "../cell");
    EXPECT_EQ(h.Run(), RunOutcome::NotStarted);
    EXPECT_EQ(h.op.Texts(), QStringList{"Serial number ../cell cannot be used as a file name."});
    EXPECT_TRUE(h.sim->Journal().isEmpty());
    EXPECT_FALSE(QDir(h.home.filePath("TestLog")).exists("../cell.CSV"));
}

TEST(RunSafety, AnExistingLogIsMovedAsideNotOverwritten) {
    RunHarness h;
    h.Prepare({{"LoadLevel", "CC", "5", "0"}});
    h.station->Views().Set(Displays::SerialNumber, "CELL7");
    QDir(h.home.path()).mkdir("TestLog");
    WriteFileBytes(h.LogPath("CELL7"), "yesterday's points\r\n");
    ASSERT_EQ(h.Run(), RunOutcome::Finished);
    const QStringList aside = QDir(h.home.filePath("TestLog")).entryList({"CELL7-*.CSV"});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(ReadFileBytes(h.home.filePath("TestLog/" + aside[0])), "yesterday's points\r\n");
}

TEST(RunSafety, NoStepsAndNoLoadAreReported) {
    {
        RunHarness h;
        h.Prepare({});
        EXPECT_EQ(h.Run(), RunOutcome::NotStarted);
        EXPECT_EQ(h.op.Texts(), QStringList{"Please setup test step, then press START."});
    }
    {
        RunHarness h;
        h.Prepare({{"LoadLevel", "CC", "5", "0"}});
        h.sim.reset();  // nothing listens on the port any more
        const QString address = "127.0.0.1:" + h.station->Connection().Panel().port;
        bool frameShowedARun = true;
        h.op.onMessage = [&](const QString&) {
            frameShowedARun =
                h.station->Views().ChannelBackground() == Displays::FrameBackground::Running;
        };
        EXPECT_EQ(h.Run(), RunOutcome::NoLoad);
        // One message: the known text, then where and why on a line of its own.
        EXPECT_EQ(h.op.Texts(), QStringList{"Electronic Load Connect Error, Please check it.\n"
                                            "Channel 1, LAN " +
                                            address + ": connection refused"});
        EXPECT_FALSE(frameShowedARun);
        EXPECT_EQ(h.station->Views().Get(Displays::ChannelCaption), "Channel - 1");
    }
}

TEST(RunSafety, ErrorInsideATickReleasesTheLoadAndSaysWhere) {
    RunHarness h;
    h.Prepare({{"DisCharge", "CC", "5", "0.3", "0", "0", "0", "0.1"},
               {"PlusLoad", "20", "2", "10", "10", "1", "2", "10", "NextStep"}});
    // The check before the start refuses a table holding such a value, so it
    // reaches the steps the run reads once the run has begun.
    QObject::connect(&h.station->Control(), &RunControl::runStarted,
                     [&] { h.station->Test().Records().SetField(1, StepField::MeasTime, "soon"); });
    ASSERT_EQ(h.Run(), RunOutcome::Error);
    EXPECT_TRUE(h.op.Texts().contains(
        "Test stopped at step 2: the PlusLoad setup time \"soon\" is not a number"));
    EXPECT_EQ(h.sim->Journal().last(), "LOAD OFF");
    EXPECT_FALSE(h.sim->InputOn());
}

TEST(RunSafety, LostLinkIsReportedOnceAndEndsTheRun) {
    RunHarness h;
    h.Prepare({{"DisCharge", "CC", "5", "60", "0", "0", "0", "0.1"}});
    SimFaults faults;
    faults.dropAfterCommands = 30;
    h.sim->SetFaults(faults);
    ASSERT_EQ(h.Run(), RunOutcome::Error);
    const QStringList lost = h.op.Texts().filter(QRegularExpression("^Lost Connect!"));
    ASSERT_EQ(lost.size(), 1) << h.op.Texts().join("|").toStdString();
    EXPECT_TRUE(lost[0].startsWith("Lost Connect!\nChannel 1, LAN 127.0.0.1:"))
        << lost[0].toStdString();
    EXPECT_FALSE(h.station->State().Running);
    EXPECT_TRUE(h.station->Views().IsEnabled(Displays::StartButton));
}

TEST(RunSafety, StopDuringASettlingWaitReachesTheLoadAtOnce) {
    RunHarness h;
    // A DCIR step that would settle for a minute before its first point.
    h.Prepare({{"DCIRHigh", "CC", "50", "120", "0", "60", "0", "1"}});
    // The click arrives as the operator's would: an event while the run waits.
    QElapsedTimer sinceStop;
    QTimer operatorHand;
    QObject::connect(&operatorHand, &QTimer::timeout, [&] {
        if (!sinceStop.isValid() && h.sim->Journal().contains("LOAD ON")) {
            sinceStop.start();
            h.station->Stop();
        }
    });
    operatorHand.start(20);
    ASSERT_EQ(h.Run(20000), RunOutcome::Stopped);
    ASSERT_TRUE(sinceStop.isValid());
    EXPECT_LT(sinceStop.elapsed(), 10000);  // not the minute of the settling wait
    EXPECT_EQ(h.sim->Journal().last(), "LOAD OFF");
    // Nothing more went out after the release.
    EXPECT_EQ(h.sim->Journal().count("LOAD ON"), 1);
}

TEST(RunSafety, CancelledSaveKeepsTheEditsAndDoesNotStart) {
    RunHarness h;
    h.Prepare({{"LoadLevel", "CC", "5", "0"}});
    h.station->Test().Table().AppendStep();
    h.station->Test().Table().SetCell(2, StepColumn::ActionMode, "LoadLevel");
    h.op.saveAnswer = QString();  // the operator cancels the dialog
    EXPECT_EQ(h.Run(), RunOutcome::NotStarted);
    EXPECT_EQ(h.station->Test().Table().StepCount(), 2);
    EXPECT_TRUE(h.sim->Journal().isEmpty());
}

TEST(RunSafety, LoadIsReleasedEvenWithItsEnableBoxCleared) {
    RunHarness h;
    h.Prepare({{"LoadLevel", "CC", "5", "0"}});
    h.station->Connection().Panel().channelEnabled[0] = false;
    ASSERT_EQ(h.Run(), RunOutcome::Finished);
    EXPECT_TRUE(h.StepCommands().contains("LOAD ON"));
    EXPECT_EQ(h.sim->Journal().last(), "LOAD OFF");
    EXPECT_FALSE(h.sim->InputOn());
}

TEST(RunSafety, PauseClickedWhileStopSettlesDoesNotHoldTheNextRun) {
    RunHarness h;
    h.Prepare({{"DisCharge", "CC", "5", "60", "0", "0", "0", "0.1"}});
    const auto points = [&] { return h.sim->Journal().count("GLOB:MEAS:VOLT?"); };
    QTimer::singleShot(0, h.station.get(), [&] { h.station->Start(); });
    ASSERT_TRUE(h.RunUntil([&] { return points() >= 2; }));
    // The click waits in the queue and lands inside Stop's settling wait.
    QTimer::singleShot(0, h.station.get(), [&] { h.station->Pause(); });
    h.station->Stop();
    EXPECT_FALSE(h.station->State().PauseRequested);

    const int before = points();
    QTimer::singleShot(0, h.station.get(), [&] { h.station->Start(); });
    EXPECT_TRUE(h.RunUntil([&] { return points() >= before + 2; }));
    h.station->Stop();
}
