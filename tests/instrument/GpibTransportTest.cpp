#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLibrary>
#include <QTimer>

#include "Commands.h"
#include "FakeGpibControl.h"
#include "GpibDriver.h"
#include "GpibTransport.h"
#include "QStringPrinting.h"

namespace {
using Kind = LinkResult::Kind;

class GpibTransportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        qputenv("ZLD_GPIB_LIBRARY", FAKE_GPIB_LIBRARY);
        ASSERT_TRUE(fake.IsValid());
        fake.Reset();
    }
    void TearDown() override { qunsetenv("ZLD_GPIB_LIBRARY"); }

    FakeGpibControl fake;
};
}  // namespace

TEST_F(GpibTransportTest, OpenWriteReadClose) {
    GpibTransport gpib(5);
    EXPECT_TRUE(gpib.Open().Ok());
    EXPECT_EQ(gpib.Handle(), 3);
    EXPECT_TRUE(gpib.Write(Cmd::kProbeVoltage).Ok());
    fake.QueueRead("1.000");
    EXPECT_EQ(gpib.Read().reply, QStringLiteral("1.000"));
    gpib.Close();
    EXPECT_FALSE(gpib.IsOpen());
    EXPECT_EQ(fake.BusCalls(),
              (QStringList{"ibdev(0,5,0,11,11,1)", "ibtmo(3,8)", "ibwrt(3,REMOTE,6)",
                           "ibwrt(3,MEAS:VOLT?,10)", "ibrd(3,256)", "ibonl(3,0)"}));
    // The calling thread registered once, before its first call.
    EXPECT_EQ(fake.Calls().first(), QStringLiteral("register"));
    EXPECT_EQ(fake.Calls().count(QStringLiteral("register")), 1);
}

TEST_F(GpibTransportTest, RefusedOpenIsRetriedOnce) {
    GpibTransport gpib(7);
    fake.QueueDevice(-1);
    fake.QueueDevice(4);
    EXPECT_TRUE(gpib.Open().Ok());
    EXPECT_EQ(gpib.Handle(), 4);
    EXPECT_EQ(fake.BusCalls(),
              (QStringList{"ibdev(0,7,0,11,11,1)", "ibonl(-1,0)", "ibdev(0,7,0,11,11,1)",
                           "ibtmo(4,8)", "ibwrt(4,REMOTE,6)"}));
}

TEST_F(GpibTransportTest, TwiceRefusedOpenKeepsMinusOneAndReadsNothing) {
    GpibTransport gpib(7);
    fake.QueueDevice(-1);
    fake.QueueDevice(0xFFFF);  // -1 as the 16-bit handle it stands for
    EXPECT_EQ(gpib.Open().kind, Kind::OpenFailed);
    EXPECT_EQ(gpib.Handle(), -1);
    // The driver refuses the handle at once; the read says so.
    const LinkResult read = gpib.Read();
    EXPECT_EQ(read.kind, Kind::DriverError);
    EXPECT_EQ(read.reason.toStdString(), "the driver reported an error (status 0x8000)");
    const QStringList calls = fake.BusCalls();
    EXPECT_FALSE(calls.join(' ').contains("REMOTE"));
    EXPECT_EQ(calls.count(QStringLiteral("ibrd(-1,256)")), 1);
}

TEST_F(GpibTransportTest, ReplyEndsWithEoiOrItsLineEnd) {
    GpibTransport gpib(5);
    gpib.Open();
    struct Case {
        QByteArray delivered;
        bool eoi;
        Kind kind;
        QString expected;
    };
    const Case cases[] = {
        {"12.5\r\n", true, Kind::Ok, "12.5"},
        {"12.5", true, Kind::Ok, "12.5"},
        {"1\n", false, Kind::Ok, "1"},
        {"X", true, Kind::ShortReply, ""},
        // Longer than one driver read: read on to its end.
        {QByteArray(300, '7'), true, Kind::Ok, QString(300, '7')},
        // Neither EOI nor a line end within the device time-out: no reading.
        {"230.1,22", false, Kind::TimedOut, ""},
        {"", false, Kind::TimedOut, ""},
    };
    for (const Case& c : cases) {
        fake.Reset();
        if (!c.delivered.isEmpty()) {
            fake.QueuePiece(c.delivered, 0, c.eoi);
        }
        const LinkResult result = gpib.Read();
        EXPECT_EQ(result.kind, c.kind) << c.delivered.left(20).toStdString();
        EXPECT_EQ(result.reply, c.expected) << c.delivered.left(20).toStdString();
    }
}

TEST_F(GpibTransportTest, ReplyInPiecesIsReadToItsEndAndNothingShifts) {
    GpibTransport gpib(5);
    gpib.Open();
    for (int i = 1; i <= 3; ++i) {
        const QByteArray reply = QByteArray::number(i) + "30.1,229.8,231.0,230.3\n";
        fake.QueuePiece(reply.left(3), 0, false);
        fake.QueuePiece(reply.mid(3, 9), 80, false);
        fake.QueuePiece(reply.mid(12), 120, true);
        gpib.Write(Cmd::kPhaseVoltages);
        EXPECT_EQ(gpib.Read().reply, QString::number(i) + "30.1,229.8,231.0,230.3");
    }
}

TEST_F(GpibTransportTest, LoadOffGoesOutWhileASlowReplyIsAwaited) {
    // Stop pressed while a query waits for a slow load: its "LOAD OFF" must
    // not wait until the read is over.
    GpibTransport gpib(5);
    gpib.Open();
    fake.Reset();
    fake.AnswerQueries("51.2,51.2,51.2,51.2\n", 1500);
    bool sent = false;
    QTimer::singleShot(100, [&gpib, &sent] { sent = gpib.Write(Cmd::kLoadOff).Ok(); });
    gpib.Write(Cmd::kPhaseVoltages);
    EXPECT_EQ(gpib.ReadTimed(10.0).reply, QStringLiteral("51.2,51.2,51.2,51.2"));
    EXPECT_TRUE(sent);
    // The read went on after "LOAD OFF" had gone out: it did not hold it.
    const QStringList calls = fake.BusCalls();
    const qsizetype off = calls.indexOf(QStringLiteral("ibwrt(3,LOAD OFF,8)"));
    ASSERT_GE(off, 0);
    EXPECT_EQ(calls.indexOf(QStringLiteral("ibwrt(3,GLOB:MEAS:VOLT?,15)")), 0);
    EXPECT_GT(calls.mid(off).count(QStringLiteral("ibrd(3,256)")), 1);
}

TEST_F(GpibTransportTest, ErrorStatusIsADriverErrorAndATimeOutIsSilence) {
    GpibTransport gpib(5);
    ASSERT_TRUE(gpib.Open().Ok());
    fake.SetStatus(GpibDriver::kStatusError | GpibDriver::kStatusTimeout);
    EXPECT_EQ(gpib.Read().kind, Kind::TimedOut);

    fake.SetStatus(GpibDriver::kStatusError);
    EXPECT_EQ(gpib.Write(Cmd::kPhaseVoltages).kind, Kind::DriverError);
    fake.QueueRead("1,2,3,4\n");  // bytes that wait while the bus fails are no reply
    EXPECT_EQ(gpib.Read().kind, Kind::DriverError);
}

TEST_F(GpibTransportTest, AddressZeroNeverTouchesTheDriver) {
    GpibTransport gpib(0);
    EXPECT_EQ(gpib.Open().kind, Kind::OpenFailed);
    EXPECT_EQ(gpib.Write(Cmd::kProbeVoltage).kind, Kind::Lost);
    EXPECT_EQ(gpib.Read().kind, Kind::Lost);
    gpib.Close();
    EXPECT_EQ(gpib.Handle(), 0);
    EXPECT_TRUE(fake.Calls().isEmpty());
}

TEST(GpibMissingDriverTest, OpenSaysWhichFilesWereTried) {
    for (const QString& name : GpibDriver::CandidateFiles()) {
        if (QLibrary(name).load()) {
            GTEST_SKIP() << "a GPIB driver is installed here";
        }
    }
    qputenv("ZLD_GPIB_LIBRARY", "/nonexistent/libnogpib.so");
    GpibTransport gpib(5);
    const LinkResult opened = gpib.Open();
    qunsetenv("ZLD_GPIB_LIBRARY");
    EXPECT_EQ(opened.kind, Kind::NoDriver);
    EXPECT_TRUE(opened.reason.contains("/nonexistent/libnogpib.so")) << opened.reason.toStdString();
    EXPECT_FALSE(gpib.IsOpen());
    EXPECT_EQ(gpib.Read().kind, Kind::Lost);
}

TEST_F(GpibTransportTest, TimedReadKeepsReadingUntilTheResultComes) {
    GpibTransport gpib(5);
    gpib.Open();
    fake.Reset();
    // The result of a pulse train comes well after the device time-out.
    fake.QueuePiece("NG,48.2,10.1\n", 1300, true);
    EXPECT_EQ(gpib.ReadTimed(30.0).reply, QStringLiteral("NG,48.2,10.1"));
}

TEST_F(GpibTransportTest, CloseDuringATimedReadEndsIt) {
    // Stop pressed while a pulse result is awaited takes the device offline
    // inside the wait; the wait must not go on reading the closed device.
    GpibTransport gpib(5);
    gpib.Open();
    fake.Reset();
    QTimer::singleShot(100, [&gpib] { gpib.Close(); });
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_EQ(gpib.ReadTimed(20.0).kind, Kind::Closed);
    EXPECT_LT(elapsed.elapsed(), 10000);
    EXPECT_EQ(fake.BusCalls().last(), QStringLiteral("ibonl(3,0)"));
}
