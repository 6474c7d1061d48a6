#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <utility>
#include <vector>

#include "RunHarness.h"
#include "StepRecord.h"
#include "TestFiles.h"

// The order in which a run enters and ends its steps, as the run control
// reports it to whatever listens (the runner's progress lines, and anything
// that keeps per-step results).

namespace {
struct StepEvents {
    std::vector<int> entered;
    std::vector<std::pair<int, StopReason>> ended;

    explicit StepEvents(RunControl& control) {
        QObject::connect(&control, &RunControl::stepEntered,
                         [this](int row) { entered.push_back(row); });
        QObject::connect(&control, &RunControl::stepEnded,
                         [this](int row, StopReason reason) { ended.emplace_back(row, reason); });
    }
};
}  // namespace

TEST(StepWalk, EveryStepIsReportedOnceInTheOrderTheRunTakesIt) {
    SimOptions sim;
    sim.pulseNgCount = 1;  // the pulse test fails and jumps to its go-to step
    RunHarness h(sim);
    h.Prepare({{"PlusLoad", "20", "2", "10", "10", "1", "2", "10", "3"},
               {"DisCharge", "CC", "7", "0.3", "0", "0", "0", "0.1"},
               {"FOR", "", "", "", "2"},
               {"RAMP OFF", "CC", "1", "0"},
               {"LoadLevel", "CC", "2", "0.2", "", "", "", "0.1", "", "60", "1.4", "1"},
               {"LOOP"},
               {"Suspend", "", "", "0.2", "0", "", "", "0.1"}});
    StepEvents events(h.station->Control());
    ASSERT_EQ(h.Run(), RunOutcome::Finished);

    EXPECT_EQ(events.entered, (std::vector<int>{1, 3, 4, 5, 6, 4, 5, 6, 7}));
    const std::vector<std::pair<int, StopReason>> ended{
        {1, StopReason::StopValue}, {4, StopReason::StepOver}, {5, StopReason::StepOver},
        {4, StopReason::StepOver},  {5, StopReason::StepOver}, {7, StopReason::StepOver}};
    EXPECT_EQ(events.ended, ended);
}

TEST(StepWalk, PauseInsideARampRunsTheRampAgainOnResume) {
    RunHarness h;
    h.Prepare({{"RAMP ON", "CC", "4", "2", "", "", "", "0.5"}, {"LoadLevel", "CC", "9", "0"}});
    QObject::connect(&h.station->Control(), &RunControl::stepEntered, [&](int row) {
        if (row == 1 && h.sim->Journal().count("CC:A 1") == 0) {
            // Lands in the wait between two passes of the ramp.
            QTimer::singleShot(700, h.station.get(), [&] { h.station->Pause(); });
        }
    });
    QTimer::singleShot(0, h.station.get(), [&] { h.station->Start(); });
    ASSERT_TRUE(h.RunUntil([&] { return h.station->State().PauseRequested; }));
    EXPECT_FALSE(h.sim->Journal().contains("CC:A 4"));  // the ramp did not get to its end

    h.outcome.reset();
    h.station->Start();
    ASSERT_TRUE(h.RunUntil([&] { return h.outcome.has_value(); }));
    EXPECT_EQ(h.outcome, RunOutcome::Finished);
    const QStringList journal = h.sim->Journal();
    EXPECT_EQ(journal.count("CC:A 1"), 2);  // the ramp started again from its first pass
    EXPECT_EQ(journal.count("CC:A 4"), 1);
    EXPECT_EQ(journal.last(), "LOAD OFF");
}

TEST(StepWalk, PauseInAPulseSetupWaitRunsThePulseStepAgainOnResume) {
    RunHarness h;
    // A setup time of 1.5 s before the train starts with "DYNC ON".
    h.Prepare({{"PlusLoad", "20", "2", "10", "10", "1", "2", "1500", "NextStep"},
               {"Suspend", "", "", "0.2", "0", "", "", "0.1"}});
    StepEvents events(h.station->Control());
    QObject::connect(&h.station->Control(), &RunControl::stepEntered, [&](int row) {
        if (row == 1 && events.entered.size() == 1) {
            QTimer::singleShot(500, h.station.get(), [&] { h.station->Pause(); });
        }
    });
    QTimer::singleShot(0, h.station.get(), [&] { h.station->Start(); });
    ASSERT_TRUE(h.RunUntil([&] { return h.station->State().PauseRequested; }));
    ASSERT_TRUE(h.RunUntil([&] { return h.station->State().WorkDepth == 0; }));
    EXPECT_FALSE(h.sim->Journal().contains("DYNC ON"));

    h.station->Start();  // resume
    ASSERT_TRUE(h.RunUntil([&] { return h.outcome.has_value(); }));
    EXPECT_EQ(h.outcome, RunOutcome::Finished);
    // The pulse step ran from its start: its settings, the train, its verdict and its point.
    const QStringList journal = h.sim->Journal();
    EXPECT_EQ(journal.count("CCP:HIGH 20"), 2);
    EXPECT_EQ(journal.count("DYNC ON"), 1);
    EXPECT_EQ(events.entered, (std::vector<int>{1, 1, 2}));
    ASSERT_FALSE(events.ended.empty());
    EXPECT_EQ(events.ended.front(), std::make_pair(1, StopReason::StepOver));
    const QStringList log =
        QString::fromUtf8(ReadFileBytes(h.LogPath(h.station->Views().Get(Displays::SerialNumber))))
            .split("\r\n", Qt::SkipEmptyParts);
    ASSERT_GE(log.size(), 2);
    EXPECT_EQ(log[1].section(',', 1, 1), "1");  // the pulse step's point
}

namespace {
// The longest time the event loop went without running a 10 ms timer, while alive.
class Heartbeat {
  public:
    Heartbeat() {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (m_sinceLast.isValid()) {
                m_longestGapMs = std::max(m_longestGapMs, m_sinceLast.elapsed());
            }
            m_sinceLast.start();
        });
        m_timer.start(10);
    }
    qint64 LongestGapMs() const { return m_longestGapMs; }

  private:
    QTimer m_timer;
    QElapsedTimer m_sinceLast;
    qint64 m_longestGapMs = 0;
};
}  // namespace

TEST(StepWalk, HugeLoopCountsAndGoToTargetsKeepEventsRunningAndStopWorking) {
    {
        // A failed pulse test whose target lies far beyond the list ends it.
        SimOptions sim;
        sim.pulseNgCount = 1;
        RunHarness h(sim);
        h.Prepare({{"PlusLoad", "20", "2", "10", "10", "1", "2", "10", "2"},
                   {"Suspend", "", "", "0.2", "0", "", "", "0.1"}});
        // The check before the start refuses such a target; past it, the run
        // must still cope with one.
        QObject::connect(&h.station->Control(), &RunControl::runStarted, [&] {
            h.station->Test().Records().SetField(0, StepField::GoToStep, "2147483647");
        });
        Heartbeat heartbeat;
        ASSERT_EQ(h.Run(), RunOutcome::Finished);
        EXPECT_LT(heartbeat.LongestGapMs(), 2000);
    }
    // A loop repeated 2147483647 times around nothing: the walk never reaches
    // a timed step, yet the window answers and Stop ends the run.
    RunHarness h;
    h.Prepare({{"FOR", "", "", "", "2"}, {"LOOP"}, {"Suspend", "", "", "0.2", "0", "", "", "0.1"}});
    QElapsedTimer sinceStop;
    QObject::connect(&h.station->Control(), &RunControl::runStarted, [&] {
        h.station->Test().Table().SetCell(1, StepColumn::LoopTimes, "2147483647");
        // The operator's click, half a second into the walk.
        QTimer::singleShot(500, h.station.get(), [&] {
            sinceStop.start();
            h.station->Stop();
        });
    });
    Heartbeat heartbeat;
    QTimer::singleShot(0, h.station.get(), [&] { h.station->Start(); });
    ASSERT_TRUE(h.RunUntil([&] { return h.outcome.has_value(); }, 20000));
    EXPECT_EQ(h.outcome, RunOutcome::Stopped);
    ASSERT_TRUE(sinceStop.isValid());
    std::printf(
        "huge loop: Stop ended the run %lld ms after it was pressed; longest event gap "
        "%lld ms\n",
        static_cast<long long>(sinceStop.elapsed()),
        static_cast<long long>(heartbeat.LongestGapMs()));
    EXPECT_LT(heartbeat.LongestGapMs(), 2000);
    EXPECT_FALSE(h.station->State().Running);
    EXPECT_EQ(h.sim->Journal().last(), "LOAD OFF");
}
