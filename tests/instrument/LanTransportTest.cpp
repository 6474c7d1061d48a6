#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTimer>

#include "Commands.h"
#include "EventWait.h"
#include "LanTransport.h"
#include "LoopbackPeer.h"
#include "RecordingOperator.h"

namespace {
LanTimings QuickTimings() {
    LanTimings timings;
    timings.settleMs = 0;
    timings.connectBudgetMs = 400;
    timings.readTimeoutMs = 300;
    return timings;
}

class LanTransportTest : public ::testing::Test {
  protected:
    void OpenLink(LanTimings timings = QuickTimings()) {
        lan = std::make_unique<LanTransport>(op, timings);
        lan->SetEndpoint(QStringLiteral("127.0.0.1"), peer.Port());
        lan->Open();
        ASSERT_TRUE(lan->IsOpen());
    }
    // The peer answers every line with `reply`.
    void AnswerWith(const QByteArray& reply) {
        peer.SetResponder([reply](const QByteArray&, QTcpSocket& s) { s.write(reply); });
    }

    RecordingOperator op;
    LoopbackPeer peer;
    std::unique_ptr<LanTransport> lan;
};
}  // namespace

TEST_F(LanTransportTest, SendsLineAndTrimsReply) {
    OpenLink();
    struct Case {
        QByteArray sent;
        QString expected;
    };
    const Case cases[] = {
        {"12.345\r\n", "12.345"}, {"12.345\n", "12.345"}, {"1\n", "1"},    {"abc", "abc"},
        {"x\r", "x\r"},           {"\n", kNoReply},       {"7", kNoReply}, {"a\n\n", "a\n"},
    };
    for (const Case& c : cases) {
        AnswerWith(c.sent);
        lan->Write(Cmd::kProbeVoltage);
        EXPECT_EQ(lan->Read(), c.expected) << c.sent.toStdString();
    }
    EXPECT_EQ(peer.Lines().first(), QStringLiteral("MEAS:VOLT?"));
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(LanTransportTest, SilentLoadGivesErrRecAfterTheReadWindow) {
    OpenLink();
    lan->Write(Cmd::kProbeVoltage);
    EXPECT_EQ(lan->Read(), kNoReply);
    EXPECT_FALSE(lan->LinkLost());
}

TEST_F(LanTransportTest, ReplyInTwoPiecesIsNotJoined) {
    LanTimings timings = QuickTimings();
    timings.readTimeoutMs = 5000;
    OpenLink(timings);
    peer.SetResponder([](const QByteArray&, QTcpSocket& s) {
        s.write("230.1,22");
        s.flush();
        QTimer::singleShot(150, &s, [&s] { s.write("9.8,231.0\n"); });
    });
    lan->Write(Cmd::kPhaseVoltages);
    EXPECT_EQ(lan->Read(), QStringLiteral("230.1,22"));
    // The second piece is what the next read finds, without a new query.
    EXPECT_EQ(lan->Read(), QStringLiteral("9.8,231.0"));
    EXPECT_EQ(peer.Lines().size(), 1);
}

TEST_F(LanTransportTest, BabblingLoadCannotFloodTheReply) {
    OpenLink();
    peer.SetResponder(
        [](const QByteArray&, QTcpSocket& s) { s.write(QByteArray(4 * 1024 * 1024, 'x')); });
    lan->Write(Cmd::kProbeVoltage);
    const QString reply = lan->Read();
    EXPECT_GE(reply.size(), 2);
    EXPECT_LE(reply.size(), 64 * 1024);
}

TEST_F(LanTransportTest, DroppedLinkIsReportedOncePerOpen) {
    OpenLink();
    peer.Drop();
    WaitWithEventsUnless(2000, [this] { return !lan->IsOpen(); });
    lan->Write(Cmd::kProbeVoltage);
    EXPECT_EQ(lan->Read(), kNoReply);
    lan->Write(Cmd::kLoadOff);
    EXPECT_TRUE(lan->LinkLost());
    EXPECT_EQ(op.Texts(), QStringList{QStringLiteral("Lost Connect!")});

    lan->Open();
    EXPECT_TRUE(lan->IsOpen());
    EXPECT_FALSE(lan->LinkLost());
}

TEST_F(LanTransportTest, HangUpDuringReadEndsTheReadEarly) {
    LanTimings timings = QuickTimings();
    timings.readTimeoutMs = 60000;
    OpenLink(timings);
    peer.SetResponder([this](const QByteArray&, QTcpSocket&) { peer.Drop(); });
    QElapsedTimer elapsed;
    elapsed.start();
    lan->Write(Cmd::kProbeVoltage);
    EXPECT_EQ(lan->Read(), kNoReply);
    EXPECT_LT(elapsed.elapsed(), 30000);
    EXPECT_TRUE(lan->LinkLost());
    EXPECT_EQ(op.Texts(), QStringList{QStringLiteral("Lost Connect!")});
}

TEST_F(LanTransportTest, CloseDuringAReadEndsItQuietly) {
    // Stop pressed while a query waits closes the link inside the wait.
    LanTimings timings = QuickTimings();
    timings.readTimeoutMs = 60000;
    OpenLink(timings);
    peer.SetResponder([](const QByteArray&, QTcpSocket&) {});
    QTimer::singleShot(50, [this] { lan->Close(); });
    QElapsedTimer elapsed;
    elapsed.start();
    lan->Write(Cmd::kPhaseVoltages);
    EXPECT_EQ(lan->Read(), kNoReply);
    EXPECT_LT(elapsed.elapsed(), 30000);
    lan->Write(Cmd::kPhaseCurrents);
    EXPECT_FALSE(lan->LinkLost());
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(LanTransportTest, ClosedPortGivesConnectFailThenLostConnect) {
    peer.StopListening();
    LanTransport lan(op, QuickTimings());
    lan.SetEndpoint(QStringLiteral("127.0.0.1"), peer.Port());
    lan.Open();
    EXPECT_FALSE(lan.IsOpen());
    lan.Write(Cmd::kProbeVoltage);
    EXPECT_EQ(lan.Read(), kNoReply);
    EXPECT_EQ(op.Texts(),
              (QStringList{QStringLiteral("Connect Fail!"), QStringLiteral("Lost Connect!")}));
}

TEST_F(LanTransportTest, PortOutOfRangeIsNeverDialled) {
    // 70000 would wrap to 4464 in a 16-bit port field.
    QTcpServer wrapped;
    if (!wrapped.listen(QHostAddress::LocalHost, 70000 & 0xFFFF)) {
        GTEST_SKIP() << "port 4464 is busy";
    }
    for (int port : {70000, 0, -1}) {
        LanTransport lan(op, QuickTimings());
        lan.SetEndpoint(QStringLiteral("127.0.0.1"), port);
        lan.Open();
        EXPECT_FALSE(lan.IsOpen());
    }
    ProcessPendingEvents();
    EXPECT_FALSE(wrapped.hasPendingConnections());
    EXPECT_EQ(op.Texts().count(QStringLiteral("Connect Fail!")), 3);
}

TEST_F(LanTransportTest, TimedReadOutlastsTheReadWindow) {
    OpenLink();  // 300 ms read window
    peer.SetResponder([](const QByteArray&, QTcpSocket& s) {
        QTimer::singleShot(800, &s, [&s] { s.write("OK,48.2,10.1\n"); });
    });
    lan->Write(Cmd::kDynamicOn);
    EXPECT_EQ(lan->ReadTimed(10.0), QStringLiteral("OK,48.2,10.1"));
}
