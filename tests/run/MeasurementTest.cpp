#include <gtest/gtest.h>

#include "Clock.h"
#include "Displays.h"
#include "LanTransport.h"
#include "LoadConnection.h"
#include "Measurement.h"
#include "PhaseGrid.h"
#include "RecordingOperator.h"
#include "RunChannel.h"
#include "RunState.h"
#include "ScriptedLoad.h"
#include "SimulatedLoad.h"
#include "StepTable.h"

namespace {
// A measurement point against a load that answers from a script.
class MeasurementTest : public ::testing::Test {
  protected:
    void Connect(const QList<QByteArray>& replies) {
        load.SetReplies(QList<QByteArray>{"OK\n"} + replies);  // the probe's answer first
        ConnectTo(load.Port());
    }
    void ConnectTo(quint16 port) {
        LanTimings quick;
        quick.settleMs = 10;
        quick.connectBudgetMs = 2000;
        quick.readTimeoutMs = 200;
        connection.SetLanTimings(quick);
        connection.Panel().ip = QStringLiteral("127.0.0.1");
        connection.Panel().port = QString::number(port);
        ASSERT_EQ(connection.AllConnect(), 1);
    }
    QString Cell(int phase, int column) const { return phases.Cell(phase, column); }

    RecordingOperator op;
    ScriptedLoad load;
    LoadConnection connection{op, SystemClock::Instance()};
    RunState state;
    RunChannel channel{connection, state};
    StepTable table;
    PhaseGrid phases;
    Displays displays;
    Measurement measurement{channel, table, phases, displays, state, SystemClock::Instance()};
};
}  // namespace

TEST_F(MeasurementTest, FillsAPhaseOnlyWhenAFurtherFieldFollowsIt) {
    Connect({"230.1,229.8,231.0,0\n", "1.5,1.25,1.0\n", "100\n", "100\n"});
    measurement.QueryPhases("GLOB:MEAS:VOLT?", 1);
    EXPECT_EQ(Cell(1, 1), "230.1");
    EXPECT_EQ(Cell(2, 1), "229.8");
    EXPECT_EQ(Cell(3, 1), "231.0");
    measurement.QueryPhases("GLOB:MEAS:CURR?", 2);
    EXPECT_EQ(Cell(1, 2), "1.5");
    EXPECT_EQ(Cell(2, 2), "1.25");
    EXPECT_EQ(Cell(3, 2), "0.000");  // kept: no field followed phase C
    // One field on both reads: phase A shows it, B and C show greyed "Err".
    measurement.QueryPhases("GLOB:MEAS:POW?", 3);
    EXPECT_EQ(Cell(1, 3), "100");
    EXPECT_EQ(Cell(2, 3), "Err");
    EXPECT_TRUE(phases.IsGrey(3, 3));
    EXPECT_FALSE(phases.IsGrey(2, 0));  // only the voltage round greys the phase names
}

TEST_F(MeasurementTest, SilentLoadMarksPhasesAndKeepsSummaryBoxes) {
    Connect({"", ""});
    displays.Set(Displays::Voltage, "48.0000");
    measurement.QueryPhases("GLOB:MEAS:VOLT?", 1);
    EXPECT_EQ(Cell(1, 1), "ErrRec");  // a timed-out read is a one-field reply
    EXPECT_EQ(Cell(2, 1), "Err");
    EXPECT_TRUE(phases.IsGrey(2, 0));
}

TEST_F(MeasurementTest, PointWritesMeanVoltageSumsAndIntegratesCharge) {
    Connect({"50,52,54,52\n", "10,10,10,30\n", "500,520,540,1560\n"});
    state.ForRow = 1;
    table.SetCell(1, StepColumn::LoopTimes, "3");
    measurement.ClearIntegrals();
    SystemClock::Instance().Delay(20);
    ASSERT_TRUE(measurement.MeasurePoint());
    EXPECT_EQ(displays.Get(Displays::Loop1Count), "3");
    EXPECT_EQ(displays.Get(Displays::Loop2Count), "");
    EXPECT_EQ(displays.Get(Displays::Voltage), "52.0000");
    EXPECT_EQ(displays.Get(Displays::Current), "30.0000");
    EXPECT_EQ(displays.Get(Displays::Power), "1560.0000");
    // 30 A for at least 20 ms is at least 1.6e-4 Ah.
    EXPECT_GE(displays.Value(Displays::AmpHours), 30 * 0.020 / 3600);
    EXPECT_GT(displays.Value(Displays::KilowattHours), 0);
}

TEST_F(MeasurementTest, NothingIsAskedOnceTheRunIsHalted) {
    Connect({"1,2,3,4\n"});
    state.StopRequested = true;
    EXPECT_FALSE(measurement.MeasurePoint());
    EXPECT_EQ(Cell(1, 1), "0.000");
}

TEST_F(MeasurementTest, ReadingsStayInTheirColumnsWhenRepliesComeInPieces) {
    // The simulated load sends every reply in two pieces, as a serial-to-LAN
    // converter does.
    SimulatedLoad sim;
    SimFaults faults;
    faults.splitReplies = true;
    sim.SetFaults(faults);
    ConnectTo(sim.ListenTcp(0));
    for (int point = 0; point < 3; ++point) {
        measurement.QueryPhases("GLOB:MEAS:VOLT?", 1);
        measurement.QueryPhases("GLOB:MEAS:CURR?", 2);
        // Its phases read apart by 2 mV each: a shifted reply would not.
        const double a = Cell(1, 1).toDouble();
        EXPECT_GT(a, 40.0) << Cell(1, 1).toStdString();
        EXPECT_NEAR(Cell(2, 1).toDouble() - a, 0.002, 1e-6);
        EXPECT_NEAR(Cell(3, 1).toDouble() - a, 0.004, 1e-6);
        EXPECT_EQ(Cell(1, 2).toDouble(), 0.0);  // the input is off
        EXPECT_EQ(Cell(3, 2).toDouble(), 0.0);
    }
}

TEST_F(MeasurementTest, SummaryComesFromThisPointsRepliesOnly) {
    // The second point's replies leave phase C alone: its old reading stays in
    // the grid, but it must not count in the boxes the end checks read.
    Connect({"50,50,50,50\n", "10,10,10,30\n", "500,500,500,1500\n",  //
             "230.1,229.8,231.0\n", "1.5,1.5\n", "300,100\n"});
    ASSERT_TRUE(measurement.MeasurePoint());
    ASSERT_TRUE(measurement.MeasurePoint());
    EXPECT_EQ(Cell(3, 1), "50");  // the grid keeps what no reply replaced
    EXPECT_EQ(displays.Get(Displays::Voltage), "229.9500");
    EXPECT_EQ(displays.Get(Displays::Current), "1.5000");
    EXPECT_EQ(displays.Get(Displays::Power), "300.0000");
}

TEST_F(MeasurementTest, PointsWithoutANumberInARowDeclareTheLoadLost) {
    const QByteArray junk = "x,y,z,w\n";
    const QByteArray good = "48,48,48,48\n";
    // Two missed points, one answered, then three missed ones.
    QList<QByteArray> replies;
    for (const QByteArray& point : {junk, junk, good, junk, junk, junk}) {
        replies << point << point << point;
    }
    Connect(replies);
    state.Running = true;
    int lost = 0;
    channel.SetLinkLostHandler([&] {
        ++lost;
        state.StopRequested = true;  // as the run control's Stop does
    });
    for (int point = 1; point <= 5; ++point) {
        EXPECT_TRUE(measurement.MeasurePoint()) << point;
    }
    EXPECT_EQ(lost, 0);
    EXPECT_FALSE(measurement.MeasurePoint());
    EXPECT_EQ(lost, 1);
    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_EQ(op.messages[0].text,
              QStringLiteral("Lost Connect!\nChannel 1, LAN 127.0.0.1:%1: no number in the replies "
                             "to 3 measurement points in a row")
                  .arg(load.Port()));
    // The boxes keep the last reading a point brought.
    EXPECT_EQ(displays.Get(Displays::Voltage), "48.0000");
}
