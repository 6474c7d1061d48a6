#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QRegularExpression>

#include "FakeGpibControl.h"
#include "GpibDriver.h"
#include "LanTransport.h"
#include "LoadConnection.h"
#include "Measurement.h"
#include "PtyPeer.h"
#include "RunHarness.h"
#include "TestFiles.h"

// A load that goes away in the middle of a run, on each medium: gone from the
// line, silent while still connected, or failed by its driver. The run stops
// as for a lost link: one message saying where and what, the load released
// where it can still be reached, the log closed with whole lines.

namespace {
const RunHarness::Step kLongDischarge{"DisCharge", "CC", "5", "600", "0", "0", "0", "0.2"};

// The lost-link messages shown, each as its two lines.
QList<QStringList> LostMessages(const RecordingOperator& op) {
    QList<QStringList> lost;
    for (const QString& text : op.Texts()) {
        if (text.startsWith("Lost Connect!")) {
            lost << text.split('\n');
        }
    }
    return lost;
}

// Every line of the data log is whole: 15 fields, numbered in order, CR LF.
void ExpectWholeLog(const QString& path) {
    const QByteArray bytes = ReadFileBytes(path);
    ASSERT_TRUE(bytes.endsWith("\r\n")) << path.toStdString();
    const QStringList lines = QString::fromUtf8(bytes).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 1);
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split(',');
        EXPECT_EQ(fields.size(), 15) << lines[i].toStdString();
        EXPECT_EQ(fields[0], QString::number(i));
    }
}

// Runs `h` until it ends, with `onFirstStep` called as the first step is
// entered (after the connection pass). Returns how long the run took from there.
qint64 RunLosingTheLoad(RunHarness& h, const std::function<void()>& onFirstStep) {
    QElapsedTimer sinceFirstStep;
    QObject::connect(&h.station->Control(), &RunControl::stepEntered, [&](int row) {
        if (row == 1 && !sinceFirstStep.isValid()) {
            sinceFirstStep.start();
            onFirstStep();
        }
    });
    h.Run(60000);
    return sinceFirstStep.isValid() ? sinceFirstStep.elapsed() : -1;
}
}  // namespace

TEST(LostLoad, SilentLanLoadStopsTheRunWithinAFewSecondsAPoint) {
    RunHarness h;
    h.Prepare({kLongDischarge});
    LanTimings usual;  // the load's own read time-out of 10 s
    usual.settleMs = 20;
    h.station->Connection().SetLanTimings(usual);
    const qint64 ms = RunLosingTheLoad(h, [&] {
        SimFaults faults;
        faults.silent = true;
        h.sim->SetFaults(faults);
    });
    ASSERT_EQ(h.outcome, RunOutcome::Error);
    std::printf("silent LAN load: run stopped %lld ms after the load fell silent\n",
                static_cast<long long>(ms));
    // Three points of at most 3 s; without the bound one query alone waits 20 s.
    EXPECT_LT(ms, 20000);

    const QList<QStringList> lost = LostMessages(h.op);
    ASSERT_EQ(lost.size(), 1) << h.op.Texts().join("|").toStdString();
    const QString port = h.station->Connection().Panel().port;
    EXPECT_EQ(lost[0],
              (QStringList{"Lost Connect!", "Channel 1, LAN 127.0.0.1:" + port +
                                                ": no reply to 3 measurement points in a row"}));
    const QStringList journal = h.sim->Journal();
    // A point gives up once its time is spent: no retry, no current or power query.
    EXPECT_EQ(journal.count("GLOB:MEAS:VOLT?"), 3);
    EXPECT_EQ(journal.count("GLOB:MEAS:CURR?"), 0);
    EXPECT_EQ(journal.last(), "LOAD OFF");
    EXPECT_FALSE(h.station->State().Running);
    ExpectWholeLog(h.LogPath(h.station->Views().Get(Displays::SerialNumber)));
}

TEST(LostLoad, SilentSerialLoadStopsAfterTheConfiguredNumberOfPoints) {
    RunHarness h;
    h.Prepare({kLongDischarge});
    QString error;
    const QString device = h.sim->OpenPty(&error);
    ASSERT_FALSE(device.isEmpty()) << error.toStdString();
    h.UseSerialLoad(device);
    h.station->Settings().maxMissedPoints = 2;
    const qint64 ms = RunLosingTheLoad(h, [&] {
        SimFaults faults;
        faults.silent = true;
        h.sim->SetFaults(faults);
    });
    ASSERT_EQ(h.outcome, RunOutcome::Error) << h.op.Texts().join("|").toStdString();
    std::printf("silent serial load: run stopped %lld ms after the load fell silent\n",
                static_cast<long long>(ms));
    EXPECT_LT(ms, 2 * Measurement::kPointBudgetMs + 2000);
    const QList<QStringList> lost = LostMessages(h.op);
    ASSERT_EQ(lost.size(), 1) << h.op.Texts().join("|").toStdString();
    EXPECT_EQ(lost[0][1],
              "Channel 1, serial " + device + ": no reply to 2 measurement points in a row");
    EXPECT_EQ(h.sim->Journal().last(), "LOAD OFF");
    EXPECT_FALSE(h.sim->InputOn());
    ExpectWholeLog(h.LogPath(h.station->Views().Get(Displays::SerialNumber)));
}

TEST(LostLoad, SerialPortThatGoesAwayStopsTheRunAtOnce) {
    RunHarness h;
    h.Prepare({kLongDischarge});
    PtyPeer peer;
    ASSERT_TRUE(peer.IsValid());
    int points = 0;
    peer.SetResponder([&](const QString& line) -> QByteArray {
        if (line == "MEAS:VOLT?") {
            return "50.0\n";
        }
        if (line == "GLOB:MEAS:VOLT?" && ++points == 3) {
            peer.Hangup();  // the adapter is pulled out with the query on the line
            return QByteArray();
        }
        return line.startsWith("GLOB:MEAS:") ? QByteArray("50,50,50,150\n") : QByteArray();
    });
    h.UseSerialLoad(peer.SlavePath());
    h.Run(30000);
    ASSERT_EQ(h.outcome, RunOutcome::Error) << h.op.Texts().join("|").toStdString();
    EXPECT_EQ(points, 3);  // no further point was tried
    const QList<QStringList> lost = LostMessages(h.op);
    ASSERT_EQ(lost.size(), 1) << h.op.Texts().join("|").toStdString();
    ASSERT_EQ(lost[0].size(), 2);
    EXPECT_TRUE(lost[0][1].startsWith("Channel 1, serial " + peer.SlavePath() + ": "))
        << lost[0][1].toStdString();
    EXPECT_FALSE(lost[0][1].contains("measurement points")) << lost[0][1].toStdString();
    ExpectWholeLog(h.LogPath(h.station->Views().Get(Displays::SerialNumber)));
}

namespace {
class LostGpibLoad : public ::testing::Test {
  protected:
    void SetUp() override {
        qputenv("ZLD_GPIB_LIBRARY", FAKE_GPIB_LIBRARY);
        ASSERT_TRUE(fake.IsValid());
        fake.Reset();
        h.Prepare({kLongDischarge});
        h.UseGpibLoad(5);
        fake.QueueRead("50.0\n");  // the connection pass's probe
        for (int i = 0; i < 2; ++i) {
            for (int q = 0; q < 3; ++q) {
                fake.QueueRead("50,50,50,150\n");
            }
        }
    }
    void TearDown() override {
        fake.Reset();
        qunsetenv("ZLD_GPIB_LIBRARY");
    }
    QStringList Writes() const { return fake.BusCalls().filter(QRegularExpression("^ibwrt")); }

    FakeGpibControl fake;
    RunHarness h;
};
}  // namespace

TEST_F(LostGpibLoad, DeviceThatStopsAnsweringStopsTheRun) {
    // Two points are answered, then the device stays silent: every read
    // waits out the device time-out.
    QElapsedTimer run;
    run.start();
    h.Run(60000);
    ASSERT_EQ(h.outcome, RunOutcome::Error) << h.op.Texts().join("|").toStdString();
    std::printf("silent GPIB device: run ended %lld ms after Start\n",
                static_cast<long long>(run.elapsed()));
    const QList<QStringList> lost = LostMessages(h.op);
    ASSERT_EQ(lost.size(), 1) << h.op.Texts().join("|").toStdString();
    EXPECT_EQ(lost[0][1], "Channel 1, GPIB address 5: no reply to 3 measurement points in a row");
    EXPECT_EQ(Writes().last(), "ibwrt(3,LOAD OFF,8)");
    // A silent point's reads wait the device time-out each, and the point
    // gives up once its 3 s are spent: only the two answered points got as
    // far as the power query.
    EXPECT_EQ(Writes().count("ibwrt(3,GLOB:MEAS:POW?,14)"), 2);
    ExpectWholeLog(h.LogPath(h.station->Views().Get(Displays::SerialNumber)));
}

TEST_F(LostGpibLoad, DriverErrorStopsTheRunAtOnce) {
    RunLosingTheLoad(h, [&] { fake.SetStatus(GpibDriver::kStatusError); });
    ASSERT_EQ(h.outcome, RunOutcome::Error) << h.op.Texts().join("|").toStdString();
    const QList<QStringList> lost = LostMessages(h.op);
    ASSERT_EQ(lost.size(), 1) << h.op.Texts().join("|").toStdString();
    EXPECT_EQ(lost[0][1],
              "Channel 1, GPIB address 5: the driver refused the command (status 0x8000)");
    // The release was still tried; no point was taken on a failing bus.
    EXPECT_EQ(Writes().last(), "ibwrt(3,LOAD OFF,8)");
    EXPECT_FALSE(fake.BusCalls().contains("ibwrt(3,GLOB:MEAS:VOLT?,15)"));
}
