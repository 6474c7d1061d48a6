#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>

#include "DurableFile.h"
#include "RunHarness.h"
#include "TestFiles.h"
#include "UnattendedRuns.h"

// Safety limits against the simulated load: its battery reads 54 V at rest
// and 53.5 V under 10 A (0.05 ohm), its current is shared by the three phases.

namespace {
QStringList LogLines(const QString& path) {
    return QString::fromUtf8(ReadFileBytes(path)).split("\r\n", Qt::SkipEmptyParts);
}

QString TripMessage(const RecordingOperator& op) {
    for (const QString& text : op.Texts()) {
        if (text.startsWith("Safety limit: ")) {
            return text;
        }
    }
    return QString();
}

struct LimitCase {
    const char* name;
    QList<RunHarness::Step> steps;
    const char* key;
    const char* value;
    const char* messageStart;  // the quantity, up to its value
    const char* messageEnd;
};

void PrintTo(const LimitCase& c, std::ostream* os) {
    *os << c.name;
}

// A harness with the services for unattended runs, its test file holding
// `limits`.
struct LimitHarness {
    LimitHarness(const QList<RunHarness::Step>& steps, const SafetyLimits& limits,
                 const QString& serial = QString()) {
        h.Prepare(steps);
        EXPECT_TRUE(h.station->SetSafetyLimits(limits));
        if (!serial.isEmpty()) {
            h.station->Views().Set(Displays::SerialNumber, serial);
        }
    }

    RunHarness h;
    UnattendedRuns services{*h.station, "zld-test", "9.9"};
};

class LimitRun : public ::testing::TestWithParam<LimitCase> {};
}  // namespace

TEST(LimitRun, ABreachSwitchesTheLoadOffInItsTickLogsThePointAndStops) {
    SafetyLimits limits;
    limits.minVoltage = 53.8;
    LimitHarness run({{"DisCharge", "CC", "10", "5", "0", "0", "0", "0.2", "NextStep"}}, limits,
                     "CELL1");
    RunHarness& h = run.h;

    ASSERT_EQ(h.Run(), RunOutcome::Error);
    const QString message = TripMessage(h.op);
    EXPECT_TRUE(message.startsWith("Safety limit: phase A voltage 53.4")) << message.toStdString();
    EXPECT_TRUE(message.endsWith(" V beyond 53.8 V at step 1.")) << message.toStdString();

    // The load went off right after the point's readings, before anything else.
    const QStringList journal = h.sim->Journal();
    const int lastReading = journal.lastIndexOf("GLOB:MEAS:POW?");
    ASSERT_GE(lastReading, 0);
    EXPECT_EQ(journal.mid(lastReading + 1, 1), QStringList{"LOAD OFF"});
    EXPECT_EQ(journal.count("GLOB:MEAS:POW?"), 1);
    EXPECT_FALSE(h.sim->InputOn());
    // The point that crossed the limit is in the log.
    const QStringList log = LogLines(h.LogPath("CELL1"));
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[1].startsWith("1,1,,"));

    QString error;
    const auto results = DurableFile::ReadJson(h.home.filePath("TestLog/CELL1.json"), &error);
    ASSERT_TRUE(results) << error.toStdString();
    EXPECT_EQ(results->value("outcome").toString(), "error");
    EXPECT_EQ(results->value("message").toString(), message);
    EXPECT_EQ(results->value("safetyLimits").toObject(),
              QJsonObject({{"MinVoltage", 53.8}, {"Action", "Stop"}}));
    const QJsonArray steps = results->value("steps").toArray();
    ASSERT_EQ(steps.size(), 1);
    EXPECT_EQ(steps[0].toObject().value("endReason").toString(), "limit");
    EXPECT_FALSE(QFile::exists(h.home.filePath("TestLog/CELL1.run")));
}

TEST_P(LimitRun, EachLimitIsCheckedOnTheReadingsThatShowIt) {
    const LimitCase& c = GetParam();
    SafetyLimits limits;
    SetSafetyLimitText(&limits, c.key, c.value);
    LimitHarness run(c.steps, limits);
    RunHarness& h = run.h;

    ASSERT_EQ(h.Run(), RunOutcome::Error);
    const QString message = TripMessage(h.op);
    EXPECT_TRUE(message.startsWith(c.messageStart)) << message.toStdString();
    EXPECT_TRUE(message.endsWith(c.messageEnd)) << message.toStdString();
    EXPECT_FALSE(h.sim->InputOn());
}

INSTANTIATE_TEST_SUITE_P(
    Limits, LimitRun,
    ::testing::Values(LimitCase{"CurrentIsTheTotalOfThePhases",
                                {{"DisCharge", "CC", "10", "5", "0", "0", "0", "0.2", "NextStep"}},
                                "MaxCurrent",
                                "9",
                                "Safety limit: current 9.9999 A",
                                " beyond 9 A at step 1."},
                      LimitCase{"PowerIsTheTotalOfThePhases",
                                {{"Suspend", "", "", "0.4", "0", "", "", "0.2", "NextStep"},
                                 {"DisCharge", "CC", "10", "5", "0", "0", "0", "0.2", "NextStep"}},
                                "MaxPower",
                                "500",
                                "Safety limit: power 53",
                                " W beyond 500 W at step 2."},
                      LimitCase{"VoltageOfEachPhase",
                                {{"Suspend", "", "", "5", "0", "", "", "0.2", "NextStep"}},
                                "MaxVoltage",
                                "54.003",
                                "Safety limit: phase C voltage 54.004 V",
                                " beyond 54.003 V at step 1."},
                      LimitCase{"TestTimeFromTheStart",
                                {{"Suspend", "", "", "5", "0", "", "", "0.2", "NextStep"}},
                                "MaxTestTime",
                                "0.5",
                                "Safety limit: test time 0.",
                                " s beyond 0.5 s at step 1."},
                      LimitCase{"ReadingsOfARamp",
                                {{"LoadLevel", "CC", "0", "0"},
                                 {"RAMP ON", "CC", "20", "4", "", "", "", "0.5"}},
                                "MaxCurrent",
                                "6",
                                "Safety limit: current 7.5",
                                " A beyond 6 A at step 2."},
                      LimitCase{"ResultOfAPulseTest",
                                {{"PlusLoad", "20", "2", "10", "10", "1", "2", "10", "NextStep"}},
                                "MinVoltage",
                                "60",
                                "Safety limit: voltage ",
                                " V beyond 60 V at step 1."}),
    [](const ::testing::TestParamInfo<LimitCase>& info) { return std::string(info.param.name); });

TEST(LimitRun, PauseActionHoldsTheRunWithTheLoadOffUntilResumed) {
    SafetyLimits limits;
    limits.maxCurrent = 5;
    limits.action = SafetyLimits::Action::Pause;
    LimitHarness run({{"DisCharge", "CC", "10", "30", "0", "0", "0", "0.2", "NextStep"}}, limits,
                     "CELL2");
    RunHarness& h = run.h;

    const auto trips = [&] { return h.op.Texts().filter("Safety limit: ").size(); };
    QTimer::singleShot(0, h.station.get(), [&] { h.station->Start(); });
    ASSERT_TRUE(h.RunUntil([&] { return trips() == 1; }));
    EXPECT_TRUE(h.station->State().Running);
    EXPECT_TRUE(h.station->State().PauseRequested);
    EXPECT_FALSE(h.sim->InputOn());
    EXPECT_EQ(LogLines(h.LogPath("CELL2")).size(), 2);

    // Resumed, the load goes on again, and the same limit pauses it again.
    h.sim->ClearJournal();
    h.station->Start();
    ASSERT_TRUE(h.RunUntil([&] { return trips() == 2; }));
    EXPECT_TRUE(h.sim->Journal().contains("LOAD ON"));
    EXPECT_FALSE(h.sim->InputOn());
    h.station->Stop();
    ASSERT_EQ(h.outcome, RunOutcome::Stopped);
    QString error;
    const auto results = DurableFile::ReadJson(h.home.filePath("TestLog/CELL2.json"), &error);
    ASSERT_TRUE(results);
    EXPECT_EQ(results->value("outcome").toString(), "stopped");
    EXPECT_EQ(results->value("steps").toArray()[0].toObject().value("endReason").toString(),
              "limit");
}

TEST(LimitRun, LimitsThatCannotBeReadRefuseTheStart) {
    SafetyLimits limits;
    SetSafetyLimitText(&limits, "MaxVoltage", "fifty");
    LimitHarness run({{"Suspend", "", "", "1", "0", "", "", "0.2", "NextStep"}}, limits);
    RunHarness& h = run.h;
    EXPECT_EQ(h.Run(), RunOutcome::CheckFailed);
    ASSERT_EQ(h.op.questions.size(), 1);
    EXPECT_EQ(h.op.questions[0].points,
              QStringList{"error: Safety Limits: MaxVoltage \"fifty\" is not a number of 0 or "
                          "more."});
    EXPECT_TRUE(h.sim->Journal().isEmpty());
}
