#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include "DurableFile.h"
#include "IniFile.h"
#include "LoadConnection.h"
#include "RunHarness.h"
#include "RunJournal.h"
#include "TestFiles.h"
#include "UnattendedRuns.h"

// The results file beside the data log and the run journal, as a run writes
// them; what a resume refuses and what a discard keeps.

namespace {
// A rest, then a discharge in a loop of two that ends on its stop voltage
// (the simulated battery reads 53.5 V under 10 A).
const QList<RunHarness::Step> kLoopedTest = {
    {"Suspend", "", "", "0.4", "0", "", "", "0.2", "NextStep"},
    {"FOR", "", "", "", "2"},
    {"DisCharge", "CC", "10", "5", "53.7", "0", "0", "0.2", "NextStep"},
    {"LOOP"},
};

QJsonObject Json(const QString& path) {
    QString error;
    const auto object = DurableFile::ReadJson(path, &error);
    EXPECT_TRUE(object) << path.toStdString() << ": " << error.toStdString();
    return object.value_or(QJsonObject());
}

class RunRecordTest : public ::testing::Test {
  protected:
    void Prepare(const QList<RunHarness::Step>& steps, const QString& serial) {
        h.Prepare(steps);
        h.station->Views().Set(Displays::SerialNumber, serial);
    }
    QString LogFolder(const QString& name) const { return h.home.filePath("TestLog/" + name); }

    RunHarness h;
    UnattendedRuns services{*h.station, "zld-test", "9.9"};
};
}  // namespace

TEST_F(RunRecordTest, ResultsDescribeTheTestTheLoadAndEachStep) {
    Prepare(kLoopedTest, "CELL3");
    QJsonObject atStart;
    QObject::connect(&h.station->Control(), &RunControl::stepEntered, [&] {
        if (atStart.isEmpty()) {
            atStart = Json(LogFolder("CELL3.json"));
        }
    });
    ASSERT_EQ(h.Run(), RunOutcome::Finished);
    EXPECT_EQ(atStart.value("outcome").toString(), "running");
    EXPECT_TRUE(atStart.value("steps").toArray().isEmpty());

    const QJsonObject r = Json(LogFolder("CELL3.json"));
    EXPECT_EQ(r.value("program").toObject(),
              QJsonObject({{"name", "zld-test"}, {"version", "9.9"}}));
    EXPECT_EQ(r.value("serialNumber").toString(), "CELL3");
    EXPECT_EQ(r.value("outcome").toString(), "finished");
    EXPECT_EQ(r.value("message").toString(), "Test Finished");
    EXPECT_TRUE(r.value("interruptions").toArray().isEmpty());
    EXPECT_LT(r.value("start").toString(), r.value("end").toString());
    const QJsonObject test = r.value("testFile").toObject();
    EXPECT_EQ(test.value("path").toString(), h.station->Test().Path());
    EXPECT_EQ(test.value("sha256").toString(), h.station->Test().StepsSha256());
    EXPECT_EQ(test.value("steps").toArray()[2].toObject().value("StopValue").toString(), "53.7");
    EXPECT_EQ(test.value("options").toObject().value("MeasureTime").toDouble(), 0.01);
    EXPECT_EQ(r.value("connection").toObject().value("medium").toString(), "LAN");
    EXPECT_TRUE(
        r.value("connection").toObject().value("address").toString().startsWith("127.0.0.1:"));

    // Every column of the log with its unit; the log itself is as it always was.
    const QStringList log =
        QString::fromUtf8(ReadFileBytes(h.LogPath("CELL3"))).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_FALSE(log.isEmpty());
    const QStringList header = log[0].split(',');
    EXPECT_EQ(header.size(), 15);
    const QJsonArray columns = r.value("columns").toArray();
    ASSERT_EQ(columns.size(), header.size());
    for (int i = 0; i < header.size(); ++i) {
        EXPECT_EQ(columns[i].toObject().value("name").toString(), header[i]);
    }
    EXPECT_EQ(columns[4].toObject().value("unit").toString(), "V");  // VotlageA
    EXPECT_EQ(columns[7].toObject().value("unit").toString(), "A");
    EXPECT_EQ(columns[10].toObject().value("unit").toString(), "W");

    const QJsonArray steps = r.value("steps").toArray();
    ASSERT_EQ(steps.size(), 3);
    const QJsonObject rest = steps[0].toObject();
    EXPECT_EQ(rest.value("action").toString(), "Suspend");
    EXPECT_EQ(rest.value("endReason").toString(), "time");
    EXPECT_TRUE(rest.value("loopPass").isNull());
    EXPECT_EQ(rest.value("ah").toDouble(), 0.0);
    double testAh = 0;
    for (int pass = 1; pass <= 2; ++pass) {
        const QJsonObject d = steps[pass].toObject();
        EXPECT_EQ(d.value("step").toInt(), 3);
        EXPECT_EQ(d.value("loopPass").toInt(), pass);
        EXPECT_EQ(d.value("endReason").toString(), "voltage");
        EXPECT_NEAR(d.value("meanCurrent").toDouble(), 10.0, 0.01);
        EXPECT_NEAR(d.value("firstVoltage").toDouble(), 53.5, 0.05);
        EXPECT_GT(d.value("ah").toDouble(), 0.0);
        // Ah of a step is its current over its time.
        EXPECT_NEAR(d.value("ah").toDouble(), 10.0 * d.value("duration").toDouble() / 3600.0,
                    0.0005);
        testAh += d.value("ah").toDouble();
    }
    // The test's total stays on show after the run.
    EXPECT_NEAR(h.station->Views().Value(Displays::TestAmpHours), testAh, 1e-6);
    EXPECT_GT(h.station->Views().Value(Displays::TestWattHours), 0.0);
    EXPECT_FALSE(QFile::exists(LogFolder("CELL3.run")));
}

TEST_F(RunRecordTest, ASecondRunOfTheSameSerialKeepsTheFirstResultsBesideTheirLog) {
    Prepare({{"Suspend", "", "", "0.2", "0", "", "", "0.2", "NextStep"}}, "CELL4");
    ASSERT_EQ(h.Run(), RunOutcome::Finished);
    ASSERT_EQ(h.Run(), RunOutcome::Finished);
    const QStringList aside = QDir(LogFolder("")).entryList({"CELL4-*"}, QDir::Files, QDir::Name);
    ASSERT_EQ(aside.size(), 2);
    EXPECT_TRUE(aside[0].endsWith(".CSV"));
    EXPECT_EQ(aside[1], QString(aside[0]).replace(".CSV", ".json"));
    EXPECT_EQ(Json(LogFolder(aside[1])).value("logFile").toString(), LogFolder(aside[0]));
    EXPECT_EQ(Json(LogFolder("CELL4.json")).value("outcome").toString(), "finished");
    // The test's totals start again with each run.
    EXPECT_EQ(h.station->Views().Value(Displays::TestAmpHours), 0.0);
}

TEST_F(RunRecordTest, ARunThatFindsNoLoadRecordsWhereAndWhy) {
    Prepare({{"Suspend", "", "", "0.2", "0", "", "", "0.2", "NextStep"}}, "CELL6");
    const QString port = h.station->Connection().Panel().port;
    h.sim.reset();  // nothing listens on the port any more
    ASSERT_EQ(h.Run(), RunOutcome::NoLoad);
    const QJsonObject r = Json(LogFolder("CELL6.json"));
    EXPECT_EQ(r.value("outcome").toString(), "error");
    EXPECT_EQ(r.value("message").toString(),
              "Electronic Load Connect Error, Please check it.\nChannel 1, LAN 127.0.0.1:" + port +
                  ": connection refused");
}

TEST_F(RunRecordTest, JournalFollowsTheRunUntilStopRemovesIt) {
    Prepare({{"FOR", "", "", "", "2"},
             {"DisCharge", "CC", "10", "1.2", "0", "0", "0", "0.2", "NextStep"},
             {"LOOP"}},
            "CELL5");
    const QString path = LogFolder("CELL5.run");
    std::optional<JournalRecord> seen;
    QObject::connect(&h.station->Control(), &RunControl::pointLogged, [&] {
        QString error;
        const auto record = RunJournal::Read(path, &error);
        if (record && record->plan.forCell == "1" && record->plan.timed) {
            seen = record;
        }
    });
    QTimer::singleShot(0, h.station.get(), [&] { h.station->Start(); });
    ASSERT_TRUE(h.RunUntil([&] { return seen.has_value(); }));
    EXPECT_EQ(seen->serialNumber, "CELL5");
    EXPECT_EQ(seen->testFile, h.station->Test().Path());
    EXPECT_EQ(seen->stepsSha256, h.station->Test().StepsSha256());
    EXPECT_EQ(seen->logFile, h.LogPath("CELL5"));
    EXPECT_EQ(seen->plan.step, 1);
    EXPECT_EQ(seen->plan.forRow, 1);
    EXPECT_EQ(seen->plan.forLoopCount, 2);
    EXPECT_GT(seen->lastLine, 0);
    EXPECT_GT(seen->plan.totalElapsed, seen->plan.stepElapsed);
    EXPECT_EQ(seen->openStep.value("loopPass").toInt(), 2);

    h.station->Stop();
    ASSERT_EQ(h.outcome, RunOutcome::Stopped);
    EXPECT_FALSE(QFile::exists(path));
    const QJsonObject r = Json(LogFolder("CELL5.json"));
    EXPECT_EQ(r.value("outcome").toString(), "stopped");
    const QJsonArray steps = r.value("steps").toArray();
    ASSERT_EQ(steps.size(), 2);
    EXPECT_EQ(steps[1].toObject().value("endReason").toString(), "stop");
}

TEST_F(RunRecordTest, ResumeRefusesChangedStepsAndADiscardKeepsEverything) {
    Prepare({{"DisCharge", "CC", "10", "0.6", "0", "0", "0", "0.2", "NextStep"},
             {"Suspend", "", "", "5", "0", "", "", "0.2", "NextStep"}},
            "CELL6");
    // What a crash in the rest would leave: the journal and the results as
    // they were then.
    const QString journal = LogFolder("CELL6.run");
    const QString results = LogFolder("CELL6.json");
    QObject::connect(&h.station->Control(), &RunControl::stepEntered, [&](int row) {
        if (row == 2) {
            QFile::copy(journal, journal + ".kept");
            QFile::copy(results, results + ".kept");
            h.station->Stop();
        }
    });
    ASSERT_EQ(h.Run(), RunOutcome::Stopped);
    ASSERT_TRUE(QFile::rename(journal + ".kept", journal));
    QFile::remove(results);
    ASSERT_TRUE(QFile::rename(results + ".kept", results));

    const QVector<InterruptedRun> runs = services.FindInterrupted();
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].SerialNumber(), "CELL6");
    EXPECT_TRUE(runs[0].Description().startsWith("The test of CELL6 was interrupted at step 2 ("));

    WriteSetting(h.station->Test().Path(), "Step1", "CurrentValue", "12");
    h.op.messages.clear();
    EXPECT_FALSE(services.PrepareResume(runs[0]));
    EXPECT_EQ(h.op.Texts(),
              QStringList{QStringLiteral("The test of CELL6 cannot be resumed: the steps of %1 "
                                         "changed since it was interrupted (step 1 \"Value\" is "
                                         "\"12\", was \"10\").")
                              .arg(h.station->Test().Path())});
    EXPECT_TRUE(QFile::exists(journal));

    const QString kept = services.Discard(runs[0]);
    EXPECT_EQ(kept, journal + ".discarded");
    EXPECT_TRUE(QFile::exists(kept));
    EXPECT_FALSE(QFile::exists(journal));
    EXPECT_EQ(Json(results).value("outcome").toString(), "interrupted");
    EXPECT_TRUE(services.FindInterrupted().isEmpty());
}
