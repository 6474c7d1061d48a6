#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include "Commands.h"
#include "EventWait.h"
#include "PtyPeer.h"
#include "QStringPrinting.h"
#include "SerialErrorLog.h"
#include "SerialPortName.h"
#include "SerialTransport.h"
#include "ShiftedClock.h"
#include "TestFiles.h"

namespace {
using Kind = LinkResult::Kind;

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
        ASSERT_TRUE(serial.Open().Ok());
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
    EXPECT_TRUE(serial.Write(Cmd::kProbeVoltage).Ok());
    EXPECT_EQ(serial.Read().reply, QStringLiteral("12.345"));
    Settle();
    EXPECT_EQ(peer.Lines(), (QStringList{"REM", "MEAS:VOLT?"}));
    // A refused request-to-send under hardware handshake is not an error.
    EXPECT_EQ(serial.TrappedErrors(), 0);
    EXPECT_TRUE(ErrorLogText().isEmpty());
}

TEST_F(SerialTransportTest, RepliesAreTrimmedAndShortOnesAreNoReply) {
    Open();
    struct Case {
        QByteArray sent;
        Kind kind;
        QString expected;
    };
    const Case cases[] = {
        {"12.345\n", Kind::Ok, "12.345"},
        {"1\n", Kind::Ok, "1"},
        {"\n", Kind::ShortReply, ""},
        {"", Kind::TimedOut, ""},
        // A reply cut short is no reading.
        {"48.2", Kind::TimedOut, ""},
    };
    for (const Case& c : cases) {
        peer.SetResponder([&c](const QString&) { return c.sent; });
        serial.Write(Cmd::kProbeVoltage);
        const LinkResult result = serial.Read();
        EXPECT_EQ(result.kind, c.kind) << c.sent.toStdString();
        EXPECT_EQ(result.reply, c.expected) << c.sent.toStdString();
    }
}

TEST_F(SerialTransportTest, ReplyInPiecesIsReadToItsLineEndAndNothingShifts) {
    Open();
    int query = 0;
    peer.SetResponder([this, &query](const QString&) {
        const QByteArray reply = QByteArray::number(++query) + "0.5,10.4,10.6,31.5\n";
        QTimer::singleShot(25, [this, reply] { peer.Send(reply.mid(4, 6)); });
        QTimer::singleShot(50, [this, reply] { peer.Send(reply.mid(10)); });
        return reply.left(4);
    });
    for (int i = 1; i <= 3; ++i) {
        serial.Write(Cmd::kPhaseCurrents);
        EXPECT_EQ(serial.Read().reply, QString::number(i) + "0.5,10.4,10.6,31.5");
    }
}

TEST_F(SerialTransportTest, StaleInputIsDiscardedBeforeAWrite) {
    Open();
    peer.Send("stale answer\n");
    Settle();
    peer.SetResponder([](const QString&) { return QByteArray("fresh\n"); });
    serial.Write(Cmd::kProbeVoltage);
    EXPECT_EQ(serial.Read().reply, QStringLiteral("fresh"));
}

TEST_F(SerialTransportTest, ClosedPortReadsAsClosedAndWriteReopensIt) {
    Open();
    serial.Close();
    EXPECT_EQ(serial.Read().kind, Kind::Closed);
    peer.SetResponder([](const QString&) { return QByteArray("ok\n"); });
    EXPECT_TRUE(serial.Write(Cmd::kProbeVoltage).Ok());
    EXPECT_TRUE(serial.IsOpen());
    EXPECT_EQ(serial.Read().reply, QStringLiteral("ok"));
}

TEST_F(SerialTransportTest, VanishedDeviceIsLostLikeAnyOtherLink) {
    Open();
    peer.SetResponder([this](const QString&) {
        peer.Hangup();
        return QByteArray();
    });
    serial.Write(Cmd::kProbeVoltage);
    const LinkResult read = serial.Read();
    EXPECT_EQ(read.kind, Kind::Lost) << read.reason.toStdString();
    EXPECT_FALSE(serial.IsOpen());
    EXPECT_EQ(serial.Read().kind, Kind::Lost);
    // The error is on file too.
    EXPECT_FALSE(ErrorLogText().isEmpty());
}

TEST_F(SerialTransportTest, UnopenablePortIsLoggedAndLeftClosed) {
    serial.SetPort(QDir(folder.path()).filePath("no-such-tty"), 115200);
    const LinkResult opened = serial.Open();
    EXPECT_EQ(opened.kind, Kind::OpenFailed);
    EXPECT_EQ(opened.reason, QStringLiteral("no such device"));
    EXPECT_FALSE(serial.IsOpen());
    EXPECT_EQ(serial.Write(Cmd::kLoadOff).kind, Kind::Lost);
    EXPECT_EQ(serial.Read().kind, Kind::Lost);

    // The write tried to open the port again and failed the same way: that
    // repeat is counted, not written again.
    const QStringList lines = ErrorLogText().split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1);
    const QRegularExpression format(R"(^\d{4}/\d\d/\d\d \d\d:\d\d:\d\d,\d+,.*no-such-tty.*$)");
    EXPECT_TRUE(format.match(lines[0]).hasMatch()) << lines[0].toStdString();
}

TEST_F(SerialTransportTest, VanishedPortDoesNotFloodTheErrorLog) {
    Open();
    peer.Hangup();
    // A run goes on writing and querying a port that is gone.
    for (int i = 0; i < 200; ++i) {
        serial.Write(Cmd::kPhaseVoltages);
        serial.Read();
    }
    EXPECT_GE(serial.TrappedErrors(), 200);
    // Each distinct error once (what the system reports for a gone device
    // varies: I/O error, device not open, no such file, locked by another).
    EXPECT_LE(ErrorLogText().split("\r\n", Qt::SkipEmptyParts).size(), 8)
        << ErrorLogText().toStdString();
}

TEST_F(SerialTransportTest, NoPortChosenOpensNothingAndLogsNothing) {
    serial.SetPort(QString(), 115200);
    EXPECT_EQ(serial.Open().kind, Kind::OpenFailed);
    EXPECT_FALSE(serial.IsOpen());
    EXPECT_TRUE(ErrorLogText().isEmpty());
}

TEST_F(SerialTransportTest, TimedReadWaitsItsTimeAcrossMidnight) {
    const QDateTime beforeMidnight(QDate(2026, 12, 7), QTime(23, 59, 59, 800));
    ShiftedClock clock(beforeMidnight);
    SerialTransport timed(clock);
    timed.SetPort(peer.SlavePath(), 115200);
    QString shown;
    timed.SetActivityHook([&shown](QChar c) { shown += c; });
    ASSERT_TRUE(timed.Open().Ok());

    clock.Jump(clock.Now().msecsTo(beforeMidnight) / 1000.0);
    EXPECT_EQ(timed.ReadTimed(0.5).kind, Kind::TimedOut);
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
