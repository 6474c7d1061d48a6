#include <gtest/gtest.h>

#include <QGroupBox>
#include <QRegularExpression>
#include <QSet>
#include <QTableView>
#include <QTest>

#include "PhaseChart.h"
#include "QuantityChart.h"
#include "RunStatusBar.h"
#include "Station.h"
#include "StepTable.h"
#include "WindowFixture.h"

namespace {
// A short test: a rest, a discharge, a rest; points every half second.
const QList<WindowFixture::Step> kShortTest = {
    {"Suspend", "", "", "1", "0", "", "", "0.5", "NextStep"},
    {"DisCharge", "CC", "10", "1.5", "1", "0", "0", "0.5", "NextStep"},
    {"Suspend", "", "", "1", "0", "", "", "0.5", "NextStep"},
};

class WindowRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        f.WriteSettings("[TRIO]\r\nConnectMode=2\r\nSaveLogFileFlag=1\r\n");
        f.WriteTest(kShortTest);
        f.UseSimulatedLoad();
        f.StartUp();
        StepTable& table = f.station->Test().Table();
        QObject::connect(&table, &StepTable::currentRowChanged,
                         [this](int row) { rowsVisited.insert(row); });
    }

    bool Finished() const { return f.op.Texts().contains("Test Finished"); }
    QColor FrameBackground() const {
        return f.Find<QGroupBox>("Frame2")->palette().color(QPalette::Window);
    }

    WindowFixture f;
    QSet<int> rowsVisited;
};
}  // namespace

TEST_F(WindowRunTest, StartRunsTheTableToTheEndWithHighlightChartAndIndicators) {
    const QColor idle = FrameBackground();
    f.Click("ConnectCommand");  // left open: its OK must wait for the run to end
    f.Click("StartCommand");
    ASSERT_TRUE(f.WaitFor([this] { return f.station->State().Running || Finished(); }));

    // While it runs: orange frame, editing locked, Stop and Pause offered.
    if (f.station->State().Running) {
        EXPECT_EQ(FrameBackground(), QColor(255, 128, 0));
        EXPECT_FALSE(f.Find<QWidget>("StartCommand")->isEnabled());
        EXPECT_FALSE(f.Find<QWidget>("OpenCommand")->isEnabled());
        EXPECT_FALSE(f.Find<QWidget>("AddCommand")->isEnabled());
        EXPECT_FALSE(f.Find<QWidget>("SNText")->isEnabled());
        EXPECT_TRUE(f.Find<QWidget>("StopCommand")->isEnabled());
        EXPECT_TRUE(f.Find<QWidget>("PauseCommand")->isEnabled());
        EXPECT_FALSE(f.Find<QWidget>("ConnectOKCommand")->isEnabled());
    }
    ASSERT_TRUE(f.WaitFor([this] { return Finished(); }, 20000))
        << f.op.Texts().join("|").toStdString();

    EXPECT_TRUE(rowsVisited.contains(1));
    EXPECT_TRUE(rowsVisited.contains(2));
    EXPECT_TRUE(rowsVisited.contains(3));
    const QuantityChart& voltage = f.window->Chart().Chart(PhaseChart::kVoltage);
    EXPECT_GE(voltage.PointCount(0), 4);
    EXPECT_EQ(voltage.PointCount(0), voltage.PointCount(2));
    // The discharge shows in the current chart.
    const QCPGraphDataContainer& current = f.window->Chart().Chart(PhaseChart::kCurrent).Data(0);
    EXPECT_TRUE(std::any_of(current.constBegin(), current.constEnd(),
                            [](const QCPGraphData& p) { return p.value > 1.0; }));
    // Each phase grid cell holds a reading now.
    const auto* phases = f.Find<QTableView>("grdPhase3");
    EXPECT_NE(phases->model()->index(0, 1).data().toString(), "0.000");

    // Back to editing.
    EXPECT_EQ(FrameBackground(), idle);
    EXPECT_TRUE(f.Find<QWidget>("StartCommand")->isEnabled());
    EXPECT_FALSE(f.Find<QWidget>("StopCommand")->isEnabled());
    EXPECT_TRUE(f.Find<QWidget>("AddCommand")->isEnabled());
    EXPECT_TRUE(f.Find<QWidget>("ConnectOKCommand")->isEnabled());
    EXPECT_EQ(f.Find<QGroupBox>("Frame2")->title(), "Channel - 1");
    EXPECT_TRUE(f.window->RunStatus().LogText().endsWith(".CSV"));
    EXPECT_TRUE(f.sim->Journal().contains("LOAD OFF"));
}

TEST_F(WindowRunTest, SecondStartClearsTheChart) {
    f.Click("StartCommand");
    ASSERT_TRUE(f.WaitFor([this] { return Finished(); }, 20000));
    const QuantityChart& power = f.window->Chart().Chart(PhaseChart::kPower);
    const int firstRun = power.PointCount(1);
    ASSERT_GT(firstRun, 0);
    f.op.messages.clear();

    // The window clears the chart before later listeners hear of the start.
    int pointsAtStart = -1;
    QObject::connect(&f.station->Control(), &RunControl::runStarted,
                     [&] { pointsAtStart = power.PointCount(1); });
    f.Click("StartCommand");
    ASSERT_TRUE(f.WaitFor([this] { return Finished(); }, 20000));
    EXPECT_EQ(pointsAtStart, 0);
    EXPECT_GT(power.PointCount(1), 0);
}

TEST_F(WindowRunTest, ClosingTheWindowDuringARunSwitchesTheLoadOff) {
    f.Click("StartCommand");
    ASSERT_TRUE(f.WaitFor([this] {
        return f.station->State().Running && f.station->State().CurrentStep == 1 &&
               f.sim->InputOn();
    }));
    f.sim->ClearJournal();

    f.op.choiceAnswer = "Stop and Close";
    f.window->close();

    EXPECT_TRUE(f.sim->WaitForCommand("LOAD OFF", 1, 3000))
        << f.sim->Journal().join("|").toStdString();
    EXPECT_FALSE(f.sim->InputOn());
    EXPECT_FALSE(f.station->State().Running);
    EXPECT_TRUE(f.station->Views().Get(Displays::ChannelCaption).endsWith("  Stoping......"));
    // Nothing more goes out once the window is closed.
    QTest::qWait(300);
    EXPECT_EQ(f.sim->Journal(), QStringList({"LOAD OFF"}));
}

TEST_F(WindowRunTest, ALoadThatFallsSilentEndsTheRunWithOneMessage) {
    f.station->Settings().maxMissedPoints = 2;
    QObject::connect(&f.station->Control(), &RunControl::stepEntered, [this](int row) {
        if (row == 1) {
            SimFaults faults;
            faults.silent = true;
            f.sim->SetFaults(faults);
        }
    });
    f.Click("StartCommand");
    const auto lost = [this] { return f.op.Texts().filter(QRegularExpression("^Lost Connect!")); };
    ASSERT_TRUE(f.WaitFor([&] { return !lost().isEmpty() && !f.station->State().Running; }, 30000))
        << f.op.Texts().join("|").toStdString();
    QTest::qWait(200);
    ASSERT_EQ(lost().size(), 1);
    EXPECT_TRUE(lost()[0].startsWith("Lost Connect!\nChannel 1, LAN 127.0.0.1:"));
    EXPECT_TRUE(lost()[0].endsWith(": no reply to 2 measurement points in a row"));
    EXPECT_FALSE(Finished());
    EXPECT_EQ(f.sim->Journal().last(), "LOAD OFF");
    EXPECT_TRUE(f.Find<QWidget>("StartCommand")->isEnabled());
}
