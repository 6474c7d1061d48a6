#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "Commands.h"
#include "EventWait.h"
#include "PtyPeer.h"
#include "SerialErrorLog.h"
#include "SerialPortName.h"
#include "SerialTransport.h"
#include "ShiftedClock.h"
#include "TestFiles.h"

namespace {
class SerialTransportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(peer.IsValid());
        serial.SetPort(peer.SlavePath(), 115200);
        serial.SetErrorLog(SerialErrorLog(folder.path()));
    }
    QString ErrorLogText() const {
        return QString::fromUtf8(ReadFileBytes(QDir(folder.path()).filePath("SerialError.log")));
    }
    // Lets the peer see what the transport sent.
    void Settle() { WaitWithEvents(50); }
    // Opens the line and lets the peer take in "REM" before it answers lines.
    void Open() {
        serial.Open();
        Settle();
    }

    QTemporaryDir folder;
    PtyPeer peer;
    SerialTransport serial{SystemClock::Instance()};
};
}  // namespace

TEST_F(SerialTransportTest, OpensInRemoteModeAndFramesWithLf) {
    Open();
    ASSERT_TRUE(serial.IsOpen());
    peer.SetResponder([](const QString&) { return QByteArray("12.345\r\n"); });
    serial.Write(Cmd::kProbeVoltage);
    EXPECT_EQ(serial.Read(), QStringLiteral("12.345"));
    Settle();
    EXPECT_EQ(peer.Lines(), (QStringList{"REM", "MEAS:VOLT?"}));
    // A refused request-to-send under hardware handshake is not an error.
    EXPECT_EQ(serial.TrappedErrors(), 0);
    EXPECT_TRUE(ErrorLogText().isEmpty());
}

TEST_F(SerialTransportTest, RepliesAreTrimmedAndShortOnesAreErrRec) {
    Open();
    struct Case {
        QByteArray sent;
        QString expected;
    };
    const Case cases[] = {
        {"12.345\n", "12.345"}, {"1\n", "1"}, {"\n", kNoReply}, {"", kNoReply}, {"48.2", "48.2"},
    };
    for (const Case& c : cases) {
        peer.SetResponder([&c](const QString&) { return c.sent; });
        serial.Write(Cmd::kProbeVoltage);
        EXPECT_EQ(serial.Read(), c.expected) << c.sent.toStdString();
    }
}

TEST_F(SerialTransportTest, StaleInputIsDiscardedBeforeAWrite) {
    Open();
    peer.Send("stale answer\n");
    Settle();
    peer.SetResponder([](const QString&) { return QByteArray("fresh\n"); });
    serial.Write(Cmd::kProbeVoltage);
    EXPECT_EQ(serial.Read(), QStringLiteral("fresh"));
}

TEST_F(SerialTransportTest, ClosedPortReadsEmptyAndWriteReopensIt) {
    Open();
    serial.Close();
    EXPECT_EQ(serial.Read(), QString());
    peer.SetResponder([](const QString&) { return QByteArray("ok\n"); });
    serial.Write(Cmd::kProbeVoltage);
    EXPECT_TRUE(serial.IsOpen());
    EXPECT_EQ(serial.ReadSettled(), QStringLiteral("ok"));
}

TEST_F(SerialTransportTest, UnopenablePortIsLoggedAndLeftClosed) {
    serial.SetPort(QDir(folder.path()).filePath("no-such-tty"), 115200);
    serial.Open();
    EXPECT_FALSE(serial.IsOpen());
    serial.Write(Cmd::kLoadOff);
    EXPECT_EQ(serial.Read(), QString());

    const QStringList lines = ErrorLogText().split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    const QRegularExpression format(R"(^\d{4}/\d\d/\d\d \d\d:\d\d:\d\d,\d+,.*no-such-tty.*$)");
    for (const QString& line : lines) {
        EXPECT_TRUE(format.match(line).hasMatch()) << line.toStdString();
    }
}

TEST_F(SerialTransportTest, TimedReadWaitsAcrossMidnight) {
    const QDateTime beforeMidnight(QDate(2026, 12, 7), QTime(23, 59, 59, 800));
    ShiftedClock clock(beforeMidnight);
    SerialTransport timed(clock);
    timed.SetPort(peer.SlavePath(), 115200);
    QString shown;
    timed.SetActivityHook([&shown](QChar c) { shown += c; });
    timed.Open();
    ASSERT_TRUE(timed.IsOpen());

    clock.Jump(clock.Now().msecsTo(beforeMidnight) / 1000.0);
    EXPECT_EQ(timed.ReadTimed(0.5), kNoReply);
    // Ended after midnight, about 0.3 s into the new day, not at once and
    // not a day later.
    const double now = clock.TimeOfDay();
    EXPECT_GT(now, 0.2);
    EXPECT_LT(now, 60.0);
    ASSERT_FALSE(shown.isEmpty());
    for (QChar c : shown) {
        EXPECT_TRUE(QStringLiteral("-\\|/").contains(c));
    }
}

TEST(SerialPortNameTest, SettingsMapPortsElseSystemNames) {
    QTemporaryDir folder;
    const QString settings = QDir(folder.path()).filePath("TRIO.INI");
    WriteFileBytes(settings, "[Serial Ports]\r\ncom3=/dev/ttyUSB0\r\n");
    EXPECT_EQ(SerialPortName(3, settings), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(SerialPortName(1, settings), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(SerialPortName(0, settings), QString());
    EXPECT_EQ(SerialPortName(-2, settings), QString());
}
