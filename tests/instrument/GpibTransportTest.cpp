#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLibrary>
#include <QTimer>

#include "Commands.h"
#include "FakeGpibControl.h"
#include "GpibDriver.h"
#include "GpibTransport.h"
#include "RecordingOperator.h"

namespace {
class GpibTransportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        qputenv("ZLD_GPIB_LIBRARY", FAKE_GPIB_LIBRARY);
        ASSERT_TRUE(fake.IsValid());
        fake.Reset();
    }
    void TearDown() override { qunsetenv("ZLD_GPIB_LIBRARY"); }

    RecordingOperator op;
    FakeGpibControl fake;
};
}  // namespace

TEST_F(GpibTransportTest, OpenWriteReadClose) {
    GpibTransport gpib(op);
    gpib.SetAddress(5);
    gpib.Open();
    EXPECT_EQ(gpib.Handle(), 3);
    gpib.Write(Cmd::kProbeVoltage);
    fake.QueueRead("1.000");
    EXPECT_EQ(gpib.Read(), QStringLiteral("1.000"));
    gpib.Close();
    EXPECT_FALSE(gpib.IsOpen());
    EXPECT_EQ(fake.BusCalls(),
              (QStringList{"ibdev(0,5,0,11,11,1)", "ibwrt(3,REMOTE,6)", "ibwrt(3,MEAS:VOLT?,10)",
                           "ibrd(3,256)", "ibonl(3,0)"}));
    // The calling thread registered once, before its first call.
    EXPECT_EQ(fake.Calls().first(), QStringLiteral("register"));
    EXPECT_EQ(fake.Calls().count(QStringLiteral("register")), 1);
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(GpibTransportTest, RefusedOpenIsRetriedOnce) {
    GpibTransport gpib(op);
    gpib.SetAddress(7);
    fake.QueueDevice(-1);
    fake.QueueDevice(4);
    gpib.Open();
    EXPECT_EQ(gpib.Handle(), 4);
    EXPECT_EQ(fake.BusCalls(), (QStringList{"ibdev(0,7,0,11,11,1)", "ibonl(-1,0)",
                                            "ibdev(0,7,0,11,11,1)", "ibwrt(4,REMOTE,6)"}));
}

TEST_F(GpibTransportTest, TwiceRefusedOpenKeepsMinusOneAndReadsErrRec) {
    GpibTransport gpib(op);
    gpib.SetAddress(7);
    fake.QueueDevice(-1);
    fake.QueueDevice(0xFFFF);  // -1 as the 16-bit handle it stands for
    gpib.Open();
    EXPECT_EQ(gpib.Handle(), -1);
    EXPECT_EQ(gpib.Read(), kNoReply);
    const QStringList calls = fake.BusCalls();
    EXPECT_FALSE(calls.join(' ').contains("REMOTE"));
    EXPECT_EQ(calls.count(QStringLiteral("ibrd(-1,256)")), 2);
}

TEST_F(GpibTransportTest, ByteCountDecidesTheReply) {
    GpibTransport gpib(op);
    gpib.SetAddress(5);
    gpib.Open();
    struct Case {
        QByteArray delivered;
        QString expected;
        int reads;
    };
    const Case cases[] = {
        {"12.5\r\n", "12.5", 1},
        {"1\n", "1", 1},
        {"X", kNoReply, 1},
        {"", kNoReply, 2},  // nothing came: a second read clears the device
        {QByteArray(300, '7'), QString(256, '7'), 1},
    };
    for (const Case& c : cases) {
        fake.Reset();
        fake.QueueRead(c.delivered);
        EXPECT_EQ(gpib.Read(), c.expected) << c.delivered.left(20).toStdString();
        EXPECT_EQ(fake.BusCalls().count(QStringLiteral("ibrd(3,256)")), c.reads);
    }
}

TEST_F(GpibTransportTest, AddressZeroNeverTouchesTheDriver) {
    GpibTransport gpib(op);
    gpib.SetAddress(0);
    gpib.Open();
    gpib.Write(Cmd::kProbeVoltage);
    EXPECT_EQ(gpib.Read(), kNoReply);
    gpib.Close();
    EXPECT_EQ(gpib.Handle(), 0);
    EXPECT_TRUE(fake.Calls().isEmpty());
}

TEST(GpibMissingDriverTest, ReportedOnceAndProbeFails) {
    for (const QString& name : GpibDriver::CandidateFiles()) {
        if (QLibrary(name).load()) {
            GTEST_SKIP() << "a GPIB driver is installed here";
        }
    }
    qputenv("ZLD_GPIB_LIBRARY", "/nonexistent/libnogpib.so");
    RecordingOperator op;
    for (int pass = 0; pass < 2; ++pass) {
        GpibTransport gpib(op);
        gpib.SetAddress(5);
        gpib.Open();
        EXPECT_FALSE(gpib.IsOpen());
        gpib.Write(Cmd::kProbeVoltage);
        EXPECT_EQ(gpib.Read(), kNoReply);
    }
    qunsetenv("ZLD_GPIB_LIBRARY");
    EXPECT_EQ(op.Texts(), QStringList{QStringLiteral("GPIB driver library not found")});
}

TEST_F(GpibTransportTest, TimedReadKeepsReadingUntilTheResultComes) {
    GpibTransport gpib(op);
    gpib.SetAddress(5);
    gpib.Open();
    fake.Reset();
    fake.QueueRead("");
    fake.QueueRead("");
    fake.QueueRead("NG,48.2,10.1\n");
    EXPECT_EQ(gpib.ReadTimed(30.0), QStringLiteral("NG,48.2,10.1"));
    EXPECT_EQ(fake.BusCalls().count(QStringLiteral("ibrd(3,256)")), 3);
}

TEST_F(GpibTransportTest, CloseDuringATimedReadEndsIt) {
    // Stop pressed while a pulse result is awaited takes the device offline
    // inside the wait; the wait must not go on reading the closed device.
    GpibTransport gpib(op);
    gpib.SetAddress(5);
    gpib.Open();
    fake.Reset();
    QTimer::singleShot(100, [&gpib] { gpib.Close(); });
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_EQ(gpib.ReadTimed(20.0), kNoReply);
    EXPECT_LT(elapsed.elapsed(), 10000);
    EXPECT_EQ(fake.BusCalls().last(), QStringLiteral("ibonl(3,0)"));
}
