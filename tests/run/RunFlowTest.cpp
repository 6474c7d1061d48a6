#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTimer>
#include <utility>
#include <vector>

#include "IniFile.h"
#include "LoadConnection.h"
#include "RunHarness.h"
#include "ShiftedClock.h"
#include "StepTable.h"
#include "TestFiles.h"

namespace {
QStringList WithoutQueries(const QStringList& commands) {
    QStringList out;
    for (const QString& c : commands) {
        if (!c.endsWith('?')) {
            out << c;
        }
    }
    return out;
}

QStringList LogLines(const QString& path) {
    return QString::fromUtf8(ReadFileBytes(path)).split("\r\n", Qt::SkipEmptyParts);
}
}  // namespace

TEST(RunFlow, LoadLevelOnlyTableEndsInsideStart) {
    RunHarness h;
    h.Prepare({{"LoadLevel", "CC", "5", "0", "", "", "", "1", "", "60", "1.4", "1"},
               {"LoadLevel", "CR", "100", "0"},
               {"LoadLevel", "LINCC", "2,5", "0"}});
    ASSERT_EQ(h.Run(), RunOutcome::Finished);
    EXPECT_TRUE(h.op.Texts().contains("Test Finished"));
    EXPECT_EQ(WithoutQueries(h.StepCommands()),
              QStringList({"MODE CC", "CC:A 5", "LOAD ON", "MODE CR", "CR:B 100", "LOAD ON",
                           "MODE LIN", "LIN:A 2.5", "LOAD ON", "LOAD OFF"}));
    EXPECT_FALSE(h.station->State().Running);
}

TEST(RunFlow, ConnectionPassSendsInitialSettingsWithCompletedPairs) {
    RunHarness h;
    h.Prepare({{"LoadLevel", "CC", "1", "0"}});
    ASSERT_EQ(h.Run(), RunOutcome::Finished);
    const QStringList journal = h.sim->Journal();
    const int probe = journal.indexOf("MEAS:VOLT?");
    ASSERT_GE(probe, 0);
    EXPECT_EQ(
        journal.mid(probe, 13),
        QStringList({"MEAS:VOLT?", "CV:B 0", "CV:A 0", "CR:A 12500", "CR:B 12500", "CP:B 0",
                     "CP:A 0", "CC:B 0", "CC:A 0", "LIN:B 0", "LIN:A 0", "CC AUTO", "LDON 0.8"}));
}

TEST(RunFlow, DischargeIsProgrammedAndMeasuredUntilItsDwellEnds) {
    RunHarness h;
    h.Prepare({{"DisCharge", "CR", "10", "1", "0", "0", "0", "0.2", "NextStep"}});
    ASSERT_EQ(h.Run(), RunOutcome::Finished);
    const QStringList commands = h.StepCommands();
    EXPECT_EQ(WithoutQueries(commands).mid(0, 3), QStringList({"CR:A 10", "MODE CR", "LOAD ON"}));
    // Measured every 0.2 s for about a second, then the load goes off.
    EXPECT_GE(commands.count("GLOB:MEAS:VOLT?"), 3);
    EXPECT_EQ(WithoutQueries(commands).last(), "LOAD OFF");
    const QStringList log = LogLines(h.LogPath(h.station->Views().Get(Displays::SerialNumber)));
    ASSERT_GE(log.size(), 4);
    EXPECT_EQ(log[0],
              "No.,Step,Loop1,StepTime,VotlageA,VotlageB,VotlageC,CurrentA,CurrentB,CurrentC,"
              "PowerA,PowerB,PowerC,TotalTime,StepMode");
    const QStringList fields = log[1].split(',');
    ASSERT_EQ(fields.size(), 15);
    EXPECT_EQ(fields[0], "1");
    EXPECT_EQ(fields[1], "1");
    EXPECT_EQ(fields[2], "");  // inside no loop
    EXPECT_TRUE(QTime::fromString(fields[3], "hh:mm:ss").isValid());
    EXPECT_GT(fields[4].toDouble(), 40.0);
    EXPECT_TRUE(fields[13] == "00:00:00" || fields[13] == "00:00:01") << fields[13].toStdString();
    EXPECT_EQ(fields[14], "CR");
}

TEST(RunFlow, ForLoopRunsItsBodyAndRestoresItsCount) {
    RunHarness h;
    h.Prepare({{"FOR", "", "", "", "3"},
               {"RAMP OFF", "CC", "1", "0"},
               {"RAMP OFF", "CC", "2", "0"},
               {"LOOP"}});
    QStringList counts;
    QObject::connect(&h.station->Test().Table(), &StepTable::dataChanged, [&] {
        const QString count = h.station->Test().Table().Cell(1, StepColumn::LoopTimes);
        if (counts.isEmpty() || counts.last() != count) {
            counts << count;
        }
    });
    ASSERT_EQ(h.Run(), RunOutcome::Finished);
    EXPECT_EQ(h.StepCommands().count("CC:A 1"), 3);
    EXPECT_EQ(h.StepCommands().count("CC:A 2"), 3);
    EXPECT_EQ(counts.mid(0, 4), QStringList({"3", "2", "1", "3"}));
}

TEST(RunFlow, Loop1ShowsTheCountOfTheLoopTheStepIsInAndNothingElse) {
    RunHarness h;
    h.Prepare({{"FOR", "", "", "", "2"},
               {"LoadLevel", "CC", "2", "0"},
               {"LOOP"},
               {"Suspend", "", "", "0.3", "", "", "", "0.1"}});
    const QString serial = h.station->Views().Get(Displays::SerialNumber);
    ASSERT_EQ(h.Run(), RunOutcome::Finished);
    const auto loop1ByStep = [&] {
        QStringList fields;  // "step:loop1" of every logged point, repeats folded
        for (const QString& line : LogLines(h.LogPath(serial)).mid(1)) {
            const QString field = line.section(',', 1, 1) + ":" + line.section(',', 2, 2);
            if (fields.isEmpty() || fields.last() != field) {
                fields << field;
            }
        }
        return fields;
    };
    EXPECT_EQ(loop1ByStep(), QStringList({"2:2", "2:1", "4:"}));
    EXPECT_EQ(h.station->Views().Get(Displays::Loop1Count), "");

    // A run stopped inside a loop leaves nothing for the next one, here of a
    // file whose first row holds a stop voltage in that column.
    h.Prepare(
        {{"FOR", "", "", "", "3"}, {"DisCharge", "CC", "5", "60", "0", "0", "0", "0.1"}, {"LOOP"}});
    QTimer::singleShot(0, h.station.get(), [&] { h.station->Start(); });
    ASSERT_TRUE(h.RunUntil([&] { return h.sim->Journal().count("GLOB:MEAS:VOLT?") >= 2; }));
    h.station->Stop();
    WriteProgramFolder(h.home.path(), {{"DisCharge", "CC", "5", "0.5", "47", "0", "0", "0.1"}});
    ASSERT_TRUE(h.station->Test().LoadTestFile(h.op));
    ASSERT_EQ(h.Run(), RunOutcome::Finished);
    EXPECT_EQ(loop1ByStep(), QStringList({"1:"}));
}

TEST(RunFlow, FailedPulseTestJumpsToItsGoToStep) {
    SimOptions sim;
    sim.pulseNgCount = 1;
    RunHarness h(sim);
    h.Prepare({{"PlusLoad", "20", "2", "10", "10", "1", "2", "10", "3"},
               {"DisCharge", "CC", "7", "0.3", "0", "0", "0", "0.1"},
               {"DisCharge", "CC", "9", "0.3", "0", "0", "0", "0.1"}});
    ASSERT_EQ(h.Run(), RunOutcome::Finished);
    const QStringList commands = WithoutQueries(h.StepCommands());
    EXPECT_EQ(commands.mid(0, 6), QStringList({"CCP:HIGH 20", "CC:B 2", "PERD:HIGH 10",
                                               "PERD:LOW 10", "COUNT 2", "DYNC ON"}));
    EXPECT_FALSE(commands.contains("CC:A 7"));
    EXPECT_TRUE(commands.contains("CC:A 9"));
    // The stop voltage has no command of its own: no bare number goes out.
    for (const QString& c : commands) {
        EXPECT_TRUE(c.front().isLetter()) << c.toStdString();
    }
}

TEST(RunFlow, OverDisChargeIsProgrammedEndedAndReleasedAsADischarge) {
    RunHarness h;
    h.Prepare({{"OverDisCharge", "CC", "5", "60", "0", "0", "0.00001", "0.1"},
               {"DisCharge", "CC", "5", "60", "60", "0", "0", "0.1"},
               {"OverDisCharge", "CR", "7", "60", "60", "0", "0", "0.1"},
               {"Suspend", "", "", "0.2", "0", "", "", "0.1"}});
    std::vector<std::pair<int, StopReason>> ended;
    QObject::connect(&h.station->Control(), &RunControl::stepEnded,
                     [&](int row, StopReason reason) { ended.emplace_back(row, reason); });
    ASSERT_EQ(h.Run(), RunOutcome::Finished) << h.op.Texts().join("|").toStdString();
    // Its stop Ah and its stop voltage end it; nothing releases the load
    // between two discharges, the step after the last one does.
    EXPECT_EQ(ended, (std::vector<std::pair<int, StopReason>>{{1, StopReason::StopAh},
                                                              {2, StopReason::StopValue},
                                                              {3, StopReason::StopValue},
                                                              {4, StopReason::StepOver}}));
    EXPECT_EQ(WithoutQueries(h.StepCommands()),
              QStringList({"CC:A 5", "MODE CC", "LOAD ON", "CC:A 5", "MODE CC", "LOAD ON", "CR:A 7",
                           "MODE CR", "LOAD ON", "LOAD OFF", "LOAD OFF"}));
    // The battery below its stop voltage was asked about for it too.
    ASSERT_FALSE(h.op.questions.isEmpty());
    EXPECT_TRUE(h.op.questions[0].points.join('|').contains("step 3"))
        << h.op.questions[0].points.join('|').toStdString();
}

TEST(RunFlow, StopVoltageFromTheBatteryEndsTheDischarge) {
    SimOptions sim;
    sim.capacityAh = 0.05;
    sim.timeScale = 20;
    RunHarness h(sim);
    h.Prepare({{"DisCharge", "CC", "30", "600", "45", "0", "0", "0.2"}});
    ASSERT_EQ(h.Run(30000), RunOutcome::Finished);
    const QStringList log = LogLines(h.LogPath(h.station->Views().Get(Displays::SerialNumber)));
    ASSERT_GE(log.size(), 2);
    EXPECT_LT(log.last().split(',')[4].toDouble(), 45.0);
}

TEST(RunFlow, PauseReleasesTheLoadAndStartResumesTheStep) {
    RunHarness h;
    h.Prepare({{"DisCharge", "CC", "5", "60", "0", "0", "0", "0.2"}});
    QTimer::singleShot(0, h.station.get(), [&] { h.station->Start(); });
    ASSERT_TRUE(h.RunUntil([&] { return h.sim->Journal().count("GLOB:MEAS:VOLT?") >= 3; }));
    h.station->Pause();
    EXPECT_TRUE(h.station->Views().Get(Displays::ChannelCaption).endsWith("  Pause"));
    EXPECT_EQ(h.sim->Journal().last(), "LOAD OFF");
    EXPECT_FALSE(h.sim->InputOn());
    const QString logPath = h.LogPath(h.station->Views().Get(Displays::SerialNumber));
    const int linesAtPause = LogLines(logPath).size();

    h.station->Start();  // resume
    EXPECT_EQ(h.station->Views().Get(Displays::ChannelCaption), "Channel - 1");
    EXPECT_TRUE(h.sim->WaitForCommand("LOAD ON", 2));
    const int before = h.sim->Journal().count("GLOB:MEAS:VOLT?");
    ASSERT_TRUE(
        h.RunUntil([&] { return h.sim->Journal().count("GLOB:MEAS:VOLT?") >= before + 2; }));
    h.station->Stop();
    EXPECT_EQ(h.outcome, RunOutcome::Stopped);
    EXPECT_EQ(h.station->Views().Get(Displays::ChannelCaption), "Channel - 1");
    EXPECT_FALSE(h.station->State().PauseRequested);
    // The log went on after the pause: nothing cut, numbering continued.
    const QStringList lines = LogLines(logPath);
    ASSERT_GT(lines.size(), linesAtPause);
    for (int i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].section(',', 0, 0), QString::number(i));
    }
}

TEST(RunFlow, EmptySerialNumberLogsToNoSaveLogWithoutInlinePoints) {
    RunHarness h;
    h.Prepare({{"LoadLevel", "CC", "5", "0"}});
    h.station->Views().Set(Displays::SerialNumber, "");
    ASSERT_EQ(h.Run(), RunOutcome::Finished);
    EXPECT_EQ(h.station->Views().Get(Displays::SerialNumber), "NoSaveLog");
    EXPECT_EQ(LogLines(h.LogPath("NoSaveLog")).size(), 1);  // the header only
    EXPECT_FALSE(h.StepCommands().contains("GLOB:MEAS:VOLT?"));
}

TEST(RunFlow, StepCrossingMidnightEndsOnItsDwell) {
    ShiftedClock clock(QDateTime(QDate(2026, 12, 7), QTime(23, 59, 59, 200)));
    RunHarness h(SimOptions(), &clock);
    h.Prepare({{"Suspend", "", "", "2", "0", "", "", "0.2"}});
    ASSERT_EQ(h.Run(20000), RunOutcome::Finished);
    // About ten points at 0.2 s over the two seconds, not one and not a day's worth.
    const int points = h.StepCommands().count("GLOB:MEAS:VOLT?");
    EXPECT_GE(points, 5);
    EXPECT_LE(points, 40);
}

TEST(RunFlow, WallClockSetBackHoldsThePointsUntilItCatchesUp) {
    ShiftedClock clock(QDateTime(QDate(2026, 12, 7), QTime(12, 0, 0)));
    RunHarness h(SimOptions(), &clock);
    h.Prepare({{"DisCharge", "CC", "5", "60", "0", "0", "0", "0.2"}});
    QTimer::singleShot(0, h.station.get(), [&] { h.station->Start(); });
    ASSERT_TRUE(h.RunUntil([&] { return h.sim->Journal().count("GLOB:MEAS:VOLT?") >= 2; }));
    clock.Jump(-3.0);
    const int points = h.sim->Journal().count("GLOB:MEAS:VOLT?");
    h.RunUntil([] { return false; }, 1500);
    // The schedule waits for the time of day to come back to it, then goes on.
    EXPECT_LE(h.sim->Journal().count("GLOB:MEAS:VOLT?"), points + 1);
    ASSERT_TRUE(
        h.RunUntil([&] { return h.sim->Journal().count("GLOB:MEAS:VOLT?") >= points + 3; }, 8000));
    h.station->Stop();
    EXPECT_EQ(h.outcome, RunOutcome::Stopped);
}

TEST(RunFlow, PointsWithoutMeasTFollowEachOtherAndStopStillComesThrough) {
    RunHarness h;
    h.Prepare({{"DisCharge", "CC", "5", "60", "0", "0", "0", "0"}});
    int points = 0;
    // Points follow one another without waiting for events, but not for
    // long: something posted at a point runs within a few points.
    constexpr int kPostedAt = 5;
    constexpr int kMostPointsBeforeEventsRun = 100;
    int postedRanAt = 0;
    QObject::connect(&h.station->Control(), &RunControl::pointLogged, [&] {
        ++points;
        if (points == 1) {
            QTimer::singleShot(100, h.station.get(), [&] { h.station->Stop(); });
        } else if (points == kPostedAt) {
            QTimer::singleShot(0, h.station.get(), [&] { postedRanAt = points; });
        }
    });
    ASSERT_EQ(h.Run(), RunOutcome::Stopped);
    EXPECT_GE(points, 2);
    if (points > kPostedAt) {
        EXPECT_GE(postedRanAt, kPostedAt);
        EXPECT_LE(postedRanAt, kPostedAt + kMostPointsBeforeEventsRun);
    }
    // The point under way when Stop came is dropped; every other one is logged
    // once, in order, the last one too.
    const QStringList lines = LogLines(h.LogPath(h.station->Views().Get(Displays::SerialNumber)));
    ASSERT_EQ(lines.size(), points + 1);
    for (int n = 1; n <= points; ++n) {
        EXPECT_TRUE(lines[n].startsWith(QString::number(n) + ",1,")) << lines[n].toStdString();
    }
    EXPECT_EQ(h.sim->Journal().last(), "LOAD OFF");
}

TEST(RunFlow, EditedCellsAreSavedBeforeTheRunUsesThem) {
    RunHarness h;
    h.Prepare({{"LoadLevel", "CC", "5", "0"}});
    h.station->Test().Table().SetCell(1, StepColumn::Value, "6");
    h.op.saveAnswer = h.home.filePath("TestFile01.INI");
    ASSERT_EQ(h.Run(), RunOutcome::Finished);
    EXPECT_EQ(h.op.saveDialogs, 1);
    EXPECT_TRUE(h.StepCommands().contains("CC:A 6"));
    EXPECT_EQ(h.station->Test().Table().Cell(1, StepColumn::Value), "6");
}

TEST(RunFlow, ChangedOptionsAreSavedAtStartAndOutliveTheRun) {
    RunHarness h;
    h.Prepare({{"Suspend", "", "", "0.1", "0", "", "", "0.05"}});
    TestOptions options = h.station->Test().Options();
    options.measurePower = 0;
    h.station->Test().SetOptions(options);
    h.op.saveAnswer = h.home.filePath("TestFile01.INI");
    ASSERT_EQ(h.Run(), RunOutcome::Finished);
    EXPECT_EQ(h.op.saveDialogs, 1);
    // The end of the run reloads the file: the change is there.
    EXPECT_EQ(h.station->Test().Options().measurePower, 0);
    EXPECT_EQ(ReadSetting(h.home.filePath("TestFile01.INI"), "TestStep Option", "MeasurePower", ""),
              "0");
    EXPECT_FALSE(h.station->Test().IsModified());
}

TEST(RunFlow, StepAfterARampInsideTheListGetsItsWholeDwell) {
    RunHarness h;
    h.Prepare({{"DisCharge", "CC", "7", "0.3", "0", "0", "0", "0.1"},
               {"RAMP OFF", "CC", "3", "2", "", "", "", "1"},
               {"DisCharge", "CC", "9", "1.5", "0", "0", "0", "0.5"}});
    ASSERT_EQ(h.Run(), RunOutcome::Finished);
    const QStringList commands = h.StepCommands();
    const int entered = commands.indexOf("CC:A 9");
    ASSERT_GE(entered, 0);
    // Points at 0.5, 1 and 1.5 s, not one point against the ramp's two seconds.
    EXPECT_GE(commands.mid(entered).count("GLOB:MEAS:VOLT?"), 2);
}

TEST(RunFlow, StartPressedWhilePausedInTheConnectionPassWalksFromTheFirstStep) {
    RunHarness h;
    h.Prepare({{"LoadLevel", "CC", "5", "0"}, {"LoadLevel", "CR", "100", "0"}});
    bool paused = false;
    QObject::connect(&h.station->Connection(), &LoadConnection::loadCountChanged, [&](int count) {
        if (count > 0 && !paused) {
            paused = true;
            // Start again while Pause still settles, before Start has unwound.
            QTimer::singleShot(50, h.station.get(), [&] { h.station->Start(); });
            h.station->Pause();
        }
    });
    ASSERT_EQ(h.Run(), RunOutcome::Finished);
    EXPECT_EQ(WithoutQueries(h.StepCommands()),
              QStringList({"LOAD OFF", "MODE CC", "CC:A 5", "LOAD ON", "MODE CR", "CR:B 100",
                           "LOAD ON", "LOAD OFF"}));
}

TEST(RunFlow, EditedCrestFactorIsSavedAndAnotherFilesLevelsAskForNoSave) {
    RunHarness h;
    h.Prepare({{"LoadLevel", "CC", "5", "0.2", "", "", "", "0.1", "", "60", "1.4", "1"}});
    h.station->Test().Table().SetCell(1, StepColumn::CF, "2");
    h.op.saveAnswer = h.home.filePath("TestFile01.INI");
    ASSERT_EQ(h.Run(), RunOutcome::Finished);
    EXPECT_EQ(h.op.saveDialogs, 1);
    EXPECT_TRUE(h.StepCommands().contains("CF 2"));

    // A file whose first step is no load level: its records keep nothing the
    // grid does not show, so an unedited table starts without a dialog.
    const int dialogs = h.op.saveDialogs;
    const QString other = h.home.filePath("other");
    QDir().mkpath(other);
    WriteProgramFolder(other, {{"RAMP OFF", "CC", "1", "0"}});
    h.station->Test().SetPath(other + "/TestFile01.INI");
    h.station->Test().LoadTestFile(h.op);
    ASSERT_EQ(h.Run(), RunOutcome::Finished);
    EXPECT_EQ(h.op.saveDialogs, dialogs);
}
