#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLibrary>
#include <QTimer>

#include "Commands.h"
#include "FakeGpibControl.h"
#include "GpibDriver.h"
#include "GpibTransport.h"

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
              (QStringList{"ibdev(0,5,0,11,11,1)", "ibwrt(3,REMOTE,6)", "ibwrt(3,MEAS:VOLT?,10)",
                           "ibrd(3,256)", "ibonl(3,0)"}));
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
    EXPECT_EQ(fake.BusCalls(), (QStringList{"ibdev(0,7,0,11,11,1)", "ibonl(-1,0)",
                                            "ibdev(0,7,0,11,11,1)", "ibwrt(4,REMOTE,6)"}));
}

TEST_F(GpibTransportTest, TwiceRefusedOpenKeepsMinusOneAndReadsNothing) {
    GpibTransport gpib(7);
    fake.QueueDevice(-1);
    fake.QueueDevice(0xFFFF);  // -1 as the 16-bit handle it stands for
    EXPECT_EQ(gpib.Open().kind, Kind::OpenFailed);
    EXPECT_EQ(gpib.Handle(), -1);
    EXPECT_EQ(gpib.Read().kind, Kind::TimedOut);
    const QStringList calls = fake.BusCalls();
    EXPECT_FALSE(calls.join(' ').contains("REMOTE"));
    EXPECT_EQ(calls.count(QStringLiteral("ibrd(-1,256)")), 2);
}

TEST_F(GpibTransportTest, ByteCountDecidesTheReply) {
    GpibTransport gpib(5);
    gpib.Open();
    struct Case {
        QByteArray delivered;
        Kind kind;
        QString expected;
        int reads;
    };
    const Case cases[] = {
        {"12.5\r\n", Kind::Ok, "12.5", 1},
        {"1\n", Kind::Ok, "1", 1},
        {"X", Kind::ShortReply, "", 1},
        {"", Kind::TimedOut, "", 2},  // nothing came: a second read clears the device
        {QByteArray(300, '7'), Kind::Ok, QString(256, '7'), 1},
    };
    for (const Case& c : cases) {
        fake.Reset();
        fake.QueueRead(c.delivered);
        const LinkResult result = gpib.Read();
        EXPECT_EQ(result.kind, c.kind) << c.delivered.left(20).toStdString();
        EXPECT_EQ(result.reply, c.expected) << c.delivered.left(20).toStdString();
        EXPECT_EQ(fake.BusCalls().count(QStringLiteral("ibrd(3,256)")), c.reads);
    }
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
    fake.QueueRead("");
    fake.QueueRead("");
    fake.QueueRead("NG,48.2,10.1\n");
    EXPECT_EQ(gpib.ReadTimed(30.0).reply, QStringLiteral("NG,48.2,10.1"));
    EXPECT_EQ(fake.BusCalls().count(QStringLiteral("ibrd(3,256)")), 3);
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
