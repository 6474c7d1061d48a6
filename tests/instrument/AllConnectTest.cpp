#include <gtest/gtest.h>

#include <QDir>
#include <QLibrary>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include "Clock.h"
#include "Commands.h"
#include "EventWait.h"
#include "FakeGpibControl.h"
#include "GpibDriver.h"
#include "LoadConnection.h"
#include "QStringPrinting.h"
#include "RecordingOperator.h"
#include "SimulatedLoad.h"
#include "TestFiles.h"

namespace {
const QStringList kSharedSettings = {"CV:B 0", "CV:A 0", "CR:A 12500", "CR:B 12500",
                                     "CP:B 0", "CP:A 0", "CC:B 0",     "CC:A 0"};
const QStringList kClosingSettings = {"CC AUTO", "LDON 0.8"};

class AllConnectTest : public ::testing::Test {
  protected:
    void SetUp() override {
        LanTimings timings;
        timings.settleMs = 0;
        timings.connectBudgetMs = 3000;
        timings.readTimeoutMs = 1000;
        connection.SetLanTimings(timings);
    }
    QString PathOf(const QString& name) const { return QDir(folder.path()).filePath(name); }
    void LoadSettings(const QByteArray& trioIni) {
        WriteFileBytes(PathOf("TRIO.INI"), trioIni);
        connection.LoadConnectionSettings(PathOf("TRIO.INI"), PathOf("TestFile01.INI"));
    }
    void UseSimOverLan() {
        simPort = sim.ListenTcp(0);
        ASSERT_NE(simPort, 0);
        LoadSettings("[TRIO]\r\nConnectMode=2\r\n");
        connection.Panel().ip = QStringLiteral("127.0.0.1");
        connection.Panel().port = QString::number(simPort);
    }
    void UseSimOverSerial() {
        QString error;
        const QString device = sim.OpenPty(&error);
        ASSERT_FALSE(device.isEmpty()) << error.toStdString();
        LoadSettings("[TRIO]\r\nConnectMode=0\r\n[Serial Ports]\r\nCOM1=" + device.toUtf8() +
                     "\r\n");
    }
    // The journal once the last initial setting has arrived (or what came).
    QStringList JournalAfterSettings() {
        sim.WaitForCommand(QStringLiteral("LDON 0.8"), 1, 3000);
        return sim.Journal();
    }
    const StatusGridModel& Grid() { return connection.StatusGrid(); }
    int StatusRgb() {
        return Grid()
            .data(Grid().index(0, StatusGridModel::kStatusColumn), StatusGridModel::kTextRgbRole)
            .toInt();
    }

    QTemporaryDir folder;
    RecordingOperator op;
    SimulatedLoad sim;
    quint16 simPort = 0;
    LoadConnection connection{op, SystemClock::Instance()};
};
}  // namespace

TEST_F(AllConnectTest, LanLoadIsProbedAndSetUp) {
    UseSimOverLan();
    EXPECT_EQ(connection.AllConnect(), 1);
    const QStringList expected = QStringList{"MEAS:VOLT?"} + kSharedSettings +
                                 QStringList{"LIN:B 0", "LIN:A 0"} + kClosingSettings;
    EXPECT_EQ(JournalAfterSettings(), expected);
    EXPECT_TRUE(connection.LoadConnected(0));
    EXPECT_EQ(Grid().Text(0, StatusGridModel::kAddressColumn), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(Grid().Text(0, StatusGridModel::kStatusColumn), QStringLiteral("Connect OK"));
    EXPECT_EQ(StatusRgb(), StatusGridModel::kGreen);
    EXPECT_TRUE(op.messages.isEmpty());

    // Measurement goes through the same channel afterwards.
    const int record = connection.LoadDevice(0);
    EXPECT_TRUE(connection.Links().Write(record, Cmd::kPhaseVoltages).Ok());
    EXPECT_GE(Cmd::SplitPhases(connection.Links().Read(record).reply).size(), 3);
}

TEST_F(AllConnectTest, SerialLoadGetsRemoteModeAndNoLinearSettings) {
    UseSimOverSerial();
    EXPECT_EQ(connection.AllConnect(), 1);
    const QStringList expected =
        QStringList{"REM", "MEAS:VOLT?"} + kSharedSettings + kClosingSettings;
    EXPECT_EQ(JournalAfterSettings(), expected);
    EXPECT_EQ(Grid().headerData(1, Qt::Horizontal).toString(), QStringLiteral("RS232"));
    EXPECT_EQ(Grid().Text(0, StatusGridModel::kStatusColumn), QStringLiteral("Connect OK"));
}

TEST_F(AllConnectTest, UntickedSerialChannelIsSkipped) {
    UseSimOverSerial();
    connection.Panel().channelEnabled[0] = false;
    EXPECT_EQ(connection.AllConnect(), 0);
    EXPECT_FALSE(connection.LoadConnected(0));
    EXPECT_FALSE(sim.WaitForCommand(Cmd::kProbeVoltage, 1, 300));
    EXPECT_EQ(Grid().Text(0, StatusGridModel::kStatusColumn), QStringLiteral("Wait"));
}

TEST_F(AllConnectTest, SilentLoadFailsAndGetsNothingElse) {
    UseSimOverLan();
    SimFaults faults;
    faults.silent = true;
    sim.SetFaults(faults);
    EXPECT_EQ(connection.AllConnect(), 0);
    EXPECT_FALSE(connection.LoadConnected(0));
    EXPECT_EQ(sim.Journal(), QStringList{"MEAS:VOLT?"});
    EXPECT_EQ(Grid().Text(0, StatusGridModel::kStatusColumn), QStringLiteral("Connect Fail"));
    EXPECT_EQ(StatusRgb(), StatusGridModel::kRed);
}

TEST_F(AllConnectTest, LinkDroppedDuringSetUpIsReportedOnce) {
    UseSimOverLan();
    SimFaults faults;
    faults.dropAfterCommands = 3;
    sim.SetFaults(faults);
    EXPECT_EQ(connection.AllConnect(), 1);
    WaitWithEventsUnless(2000, [&] {
        connection.Links().Write(1, Cmd::kLoadOff);
        return connection.Links().LinkLost(1);
    });
    EXPECT_TRUE(connection.Links().LinkLost(1));
    // One message, with where the load was and what happened on a line of its own.
    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_TRUE(op.messages[0].text.startsWith(
        QStringLiteral("Lost Connect!\nChannel 1, LAN 127.0.0.1:%1: ").arg(simPort)))
        << op.messages[0].text.toStdString();

    // The next pass connects afresh.
    sim.SetFaults(SimFaults());
    op.messages.clear();
    EXPECT_EQ(connection.AllConnect(), 1);
    EXPECT_FALSE(connection.Links().LinkLost(1));
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(AllConnectTest, LinkClosedByTheProgramDuringAReadIsNoLostLink) {
    // Stop pressed while a query waits closes the channel inside the wait.
    UseSimOverLan();
    ASSERT_EQ(connection.AllConnect(), 1);
    SimFaults faults;
    faults.replyDelayMs = 5000;
    sim.SetFaults(faults);
    QTimer::singleShot(100, [this] { connection.CloseChannel(1); });
    connection.Links().Write(1, Cmd::kPhaseVoltages);
    EXPECT_EQ(connection.Links().Read(1).kind, LinkResult::Kind::Closed);
    EXPECT_FALSE(connection.Links().LinkLost(1));
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(AllConnectTest, LanLoadThatDoesNotAnswerIsToldWhereAndWhyInOneLine) {
    QSignalSpy progress(&connection, &LoadConnection::connectProgress);
    LoadSettings("[TRIO]\r\nConnectMode=2\r\n");
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const QString address = "127.0.0.1:" + QString::number(closed.serverPort());
    connection.Panel().ip = QStringLiteral("127.0.0.1");
    connection.Panel().port = QString::number(closed.serverPort());
    closed.close();
    EXPECT_EQ(connection.AllConnect(), 0);
    EXPECT_EQ(connection.ConnectFailure(), "Channel 1, LAN " + address + ": connection refused");
    EXPECT_EQ(Grid().Text(0, StatusGridModel::kStatusColumn), QStringLiteral("Connect Fail"));
    ASSERT_EQ(progress.size(), 2);
    EXPECT_EQ(progress[0][0].toString(), "Connecting to " + address + "...");
    EXPECT_EQ(progress[1][0].toString(), "");

    // A load that takes the connection and stays silent.
    UseSimOverLan();
    SimFaults faults;
    faults.silent = true;
    sim.SetFaults(faults);
    EXPECT_EQ(connection.AllConnect(), 0);
    EXPECT_EQ(connection.ConnectFailure(),
              "Channel 1, LAN 127.0.0.1:" + connection.Panel().port + ": no reply within 1 s");

    // An address that names no host is not dialled at all.
    progress.clear();
    connection.Panel().ip = QStringLiteral("192.168.16");
    EXPECT_EQ(connection.AllConnect(), 0);
    EXPECT_TRUE(connection.ConnectFailure().endsWith(
        "Load IP \"192.168.16\" is neither an IPv4 address nor a host name."))
        << connection.ConnectFailure().toStdString();
    for (const QList<QVariant>& shown : progress) {
        EXPECT_FALSE(shown[0].toString().startsWith("Connecting"));
    }
    // The pass itself shows no message: Start tells the operator once.
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(AllConnectTest, SerialAndGpibLoadsThatCannotBeReachedSayWhy) {
    const QString missing = PathOf("no-such-tty");
    LoadSettings("[TRIO]\r\nConnectMode=0\r\n[Serial Ports]\r\nCOM1=" + missing.toUtf8() + "\r\n");
    EXPECT_EQ(connection.AllConnect(), 0);
    EXPECT_EQ(connection.ConnectFailure(), "Channel 1, serial " + missing + ": no such device");

    connection.Panel().channelEnabled[0] = false;
    EXPECT_EQ(connection.AllConnect(), 0);
    EXPECT_EQ(
        connection.ConnectFailure(),
        "Channel 1, serial " + missing + ": the channel is not ticked in the connection setup");

    for (const QString& name : GpibDriver::CandidateFiles()) {
        if (QLibrary(name).load()) {
            GTEST_SKIP() << "a GPIB driver is installed here";
        }
    }
    qputenv("ZLD_GPIB_LIBRARY", "/nonexistent/libnogpib.so");
    LoadSettings("[TRIO]\r\nConnectMode=1\r\n");
    EXPECT_EQ(connection.AllConnect(), 0);
    qunsetenv("ZLD_GPIB_LIBRARY");
    EXPECT_TRUE(connection.ConnectFailure().startsWith(
        "Channel 1, GPIB address 5: GPIB driver library not found (tried "
        "/nonexistent/libnogpib.so, "))
        << connection.ConnectFailure().toStdString();
    EXPECT_EQ(Grid().Text(0, StatusGridModel::kStatusColumn), QStringLiteral("Connect Fail"));
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(AllConnectTest, PassAfterTheAddressChangedReachesTheNewLoad) {
    UseSimOverLan();
    ASSERT_EQ(connection.AllConnect(), 1);
    SimulatedLoad other;
    const quint16 otherPort = other.ListenTcp(0);
    ASSERT_NE(otherPort, 0);
    connection.Panel().port = QString::number(otherPort);
    EXPECT_EQ(connection.AllConnect(), 1);
    EXPECT_TRUE(other.WaitForCommand(Cmd::kProbeVoltage, 1, 3000));
    EXPECT_EQ(sim.Journal().count(Cmd::kProbeVoltage), 1);
}

TEST_F(AllConnectTest, GpibLoadGetsRemoteThenTheSettingsWithoutLinearOnes) {
    qputenv("ZLD_GPIB_LIBRARY", FAKE_GPIB_LIBRARY);
    FakeGpibControl fake;
    ASSERT_TRUE(fake.IsValid());
    fake.Reset();
    fake.QueueRead("50.12\n");
    LoadSettings("[TRIO]\r\nConnectMode=1\r\n");
    EXPECT_EQ(connection.AllConnect(), 1);
    QStringList written;
    for (const QString& call : fake.BusCalls()) {
        if (call.startsWith("ibwrt(3,")) {
            written << call.mid(8, call.lastIndexOf(',') - 8);
        }
    }
    const QStringList expected =
        QStringList{"REMOTE", "MEAS:VOLT?"} + kSharedSettings + kClosingSettings;
    EXPECT_EQ(written, expected);
    connection.CloseChannel(1);
    EXPECT_EQ(fake.BusCalls().last(), QStringLiteral("ibonl(3,0)"));
    qunsetenv("ZLD_GPIB_LIBRARY");
}
