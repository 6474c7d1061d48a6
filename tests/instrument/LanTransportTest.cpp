#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTimer>

#include "Commands.h"
#include "EventWait.h"
#include "LanTransport.h"
#include "LoopbackPeer.h"
#include "SocketOptions.h"

namespace {
using Kind = LinkResult::Kind;

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
        lan = std::make_unique<LanTransport>(QStringLiteral("127.0.0.1"), peer.Port(), timings);
        ASSERT_TRUE(lan->Open().Ok());
        ASSERT_TRUE(lan->IsOpen());
    }
    // The peer answers every line with `reply`.
    void AnswerWith(const QByteArray& reply) {
        peer.SetResponder([reply](const QByteArray&, QTcpSocket& s) { s.write(reply); });
    }

    LoopbackPeer peer;
    std::unique_ptr<LanTransport> lan;
};
}  // namespace

TEST_F(LanTransportTest, SendsLineAndTrimsReply) {
    OpenLink();
    // Commands leave without waiting for the load's acknowledgement of the
    // one before.
    EXPECT_EQ(SendsWithoutDelay(0, peer.Port()), true);
    struct Case {
        QByteArray sent;
        Kind kind;
        QString expected;
    };
    const Case cases[] = {
        {"12.345\r\n", Kind::Ok, "12.345"},
        {"12.345\n", Kind::Ok, "12.345"},
        {"1\n", Kind::Ok, "1"},
        {"x\r\r\n", Kind::Ok, "x\r"},
        {"\n", Kind::ShortReply, ""},
        // One line is one reply; what follows it is dropped with the next
        // command.
        {"a\nb\n", Kind::Ok, "a"},
        // Without its line end a reply is cut: no reading.
        {"abc", Kind::TimedOut, ""},
        {"7", Kind::TimedOut, ""},
    };
    for (const Case& c : cases) {
        AnswerWith(c.sent);
        EXPECT_TRUE(lan->Write(Cmd::kProbeVoltage).Ok());
        const LinkResult result = lan->Read();
        EXPECT_EQ(result.kind, c.kind) << c.sent.toStdString();
        EXPECT_EQ(result.reply, c.expected) << c.sent.toStdString();
    }
    EXPECT_EQ(peer.Lines().first(), QStringLiteral("MEAS:VOLT?"));
}

TEST_F(LanTransportTest, SilentLoadTimesOutAfterTheReadWindow) {
    OpenLink();
    lan->Write(Cmd::kProbeVoltage);
    const LinkResult result = lan->Read();
    EXPECT_EQ(result.kind, Kind::TimedOut);
    EXPECT_EQ(result.reason.toStdString(), "no reply within 0.3 s");
    EXPECT_TRUE(lan->IsOpen());
}

TEST_F(LanTransportTest, ReplyInPiecesIsReadToItsLineEndAndNothingShifts) {
    // A serial-to-LAN converter passes a reply on in pieces, with pauses.
    LanTimings timings = QuickTimings();
    timings.readTimeoutMs = 5000;
    OpenLink(timings);
    int query = 0;
    peer.SetResponder([&query](const QByteArray&, QTcpSocket& s) {
        const QByteArray reply = QByteArray::number(++query) + "30.1,229.8,231.0,230.3\n";
        s.write(reply.left(3));
        s.flush();
        QTimer::singleShot(80, &s, [&s, reply] {
            s.write(reply.mid(3, 9));
            s.flush();
        });
        QTimer::singleShot(200, &s, [&s, reply] { s.write(reply.mid(12)); });
    });
    for (int i = 1; i <= 3; ++i) {
        lan->Write(Cmd::kPhaseVoltages);
        EXPECT_EQ(lan->Read().reply, QString::number(i) + "30.1,229.8,231.0,230.3");
    }
}

TEST_F(LanTransportTest, LateRestOfAnUnfinishedReplyDoesNotAnswerTheNextQuery) {
    OpenLink();  // 300 ms read window
    peer.SetResponder([](const QByteArray& line, QTcpSocket& s) {
        if (line == "GLOB:MEAS:VOLT?") {
            s.write("230.1,22");
            s.flush();
            QTimer::singleShot(500, &s, [&s] { s.write("9.8,231.0\n"); });
        } else {
            s.write("5.5,5.6,5.7,16.8\n");
        }
    });
    lan->Write(Cmd::kPhaseVoltages);
    const LinkResult cut = lan->Read();
    EXPECT_EQ(cut.kind, Kind::TimedOut);
    EXPECT_EQ(cut.reason.toStdString(), "no line end within 0.3 s");
    WaitWithEvents(400);  // the rest arrives meanwhile
    lan->Write(Cmd::kPhaseCurrents);
    EXPECT_EQ(lan->Read().reply, QStringLiteral("5.5,5.6,5.7,16.8"));
}

TEST_F(LanTransportTest, BabblingLoadCannotFloodTheReply) {
    OpenLink();
    peer.SetResponder(
        [](const QByteArray&, QTcpSocket& s) { s.write(QByteArray(4 * 1024 * 1024, 'x')); });
    lan->Write(Cmd::kProbeVoltage);
    const QString reply = lan->Read().reply;
    EXPECT_GE(reply.size(), 2);
    EXPECT_LE(reply.size(), 64 * 1024);
}

TEST_F(LanTransportTest, DroppedLinkIsLostUntilOpenedAgain) {
    OpenLink();
    peer.Drop();
    WaitWithEventsUnless(2000, [this] { return !lan->IsOpen(); });
    EXPECT_EQ(lan->Write(Cmd::kProbeVoltage).kind, Kind::Lost);
    EXPECT_EQ(lan->Read().kind, Kind::Lost);

    ASSERT_TRUE(lan->Open().Ok());
    AnswerWith("1.5\n");
    EXPECT_TRUE(lan->Write(Cmd::kProbeVoltage).Ok());
    EXPECT_EQ(lan->Read().reply, QStringLiteral("1.5"));
}

TEST_F(LanTransportTest, HangUpDuringReadEndsTheReadEarly) {
    LanTimings timings = QuickTimings();
    timings.readTimeoutMs = 60000;
    OpenLink(timings);
    peer.SetResponder([this](const QByteArray&, QTcpSocket&) { peer.Drop(); });
    QElapsedTimer elapsed;
    elapsed.start();
    lan->Write(Cmd::kProbeVoltage);
    EXPECT_EQ(lan->Read().kind, Kind::Lost);
    EXPECT_LT(elapsed.elapsed(), 30000);
}

TEST_F(LanTransportTest, CloseDuringAReadEndsItAsClosedNotLost) {
    // Stop pressed while a query waits closes the link inside the wait.
    LanTimings timings = QuickTimings();
    timings.readTimeoutMs = 60000;
    OpenLink(timings);
    peer.SetResponder([](const QByteArray&, QTcpSocket&) {});
    QTimer::singleShot(50, [this] { lan->Close(); });
    QElapsedTimer elapsed;
    elapsed.start();
    lan->Write(Cmd::kPhaseVoltages);
    EXPECT_EQ(lan->Read().kind, Kind::Closed);
    EXPECT_LT(elapsed.elapsed(), 30000);
    EXPECT_EQ(lan->Write(Cmd::kPhaseCurrents).kind, Kind::Closed);
}

TEST_F(LanTransportTest, RefusedConnectionFailsToOpenAndIsThenLost) {
    const quint16 port = peer.Port();
    peer.StopListening();
    LanTransport lan(QStringLiteral("127.0.0.1"), port, QuickTimings());
    const LinkResult opened = lan.Open();
    EXPECT_EQ(opened.kind, Kind::OpenFailed);
    EXPECT_EQ(opened.reason.toStdString(), "connection refused");
    EXPECT_FALSE(lan.IsOpen());
    EXPECT_EQ(lan.Write(Cmd::kProbeVoltage).kind, Kind::Lost);
    EXPECT_EQ(lan.Read().kind, Kind::Lost);
}

TEST_F(LanTransportTest, RefusalEndsTheOpenLongBeforeTheConnectBudget) {
    // The load's own timings: a 10 s connect budget and a settling pause.
    const quint16 port = peer.Port();
    peer.StopListening();
    LanTransport refused(QStringLiteral("127.0.0.1"), port);
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_EQ(refused.Open().reason.toStdString(), "connection refused");
    EXPECT_LT(elapsed.elapsed(), 5000);

    // A load that refuses only for a moment (busy letting go of an old
    // connection) is still reached.
    QTcpServer late;
    QTimer::singleShot(150, [&late, port] { late.listen(QHostAddress::LocalHost, port); });
    LanTransport retried(QStringLiteral("127.0.0.1"), port);
    EXPECT_TRUE(retried.Open().Ok());
}

TEST_F(LanTransportTest, PortOutOfRangeIsNeverDialled) {
    // 70000 would wrap to 4464 in a 16-bit port field.
    QTcpServer wrapped;
    if (!wrapped.listen(QHostAddress::LocalHost, 70000 & 0xFFFF)) {
        GTEST_SKIP() << "port 4464 is busy";
    }
    for (int port : {70000, 0, -1}) {
        LanTransport lan(QStringLiteral("127.0.0.1"), port, QuickTimings());
        EXPECT_EQ(lan.Open().kind, Kind::OpenFailed) << port;
        EXPECT_FALSE(lan.IsOpen());
    }
    ProcessPendingEvents();
    EXPECT_FALSE(wrapped.hasPendingConnections());
}

TEST_F(LanTransportTest, TimedReadOutlastsTheReadWindow) {
    OpenLink();  // 300 ms read window
    peer.SetResponder([](const QByteArray&, QTcpSocket& s) {
        QTimer::singleShot(800, &s, [&s] { s.write("OK,48.2,10.1\n"); });
    });
    lan->Write(Cmd::kDynamicOn);
    EXPECT_EQ(lan->ReadTimed(10.0).reply, QStringLiteral("OK,48.2,10.1"));
}

namespace {
// A load whose side of the connection the test works by hand, without
// running events: what it sends is on the wire before the transport looks.
class HandWorkedLoadTest : public ::testing::Test {
  protected:
    void Connect() {
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
        lan = std::make_unique<LanTransport>(QStringLiteral("127.0.0.1"), server.serverPort(),
                                             QuickTimings());
        ASSERT_TRUE(lan->Open().Ok());
        ASSERT_TRUE(server.hasPendingConnections() || server.waitForNewConnection(2000));
        load.reset(server.nextPendingConnection());
        ASSERT_TRUE(load);
    }
    // Everything the load receives until `size` bytes came or 20 s passed.
    QByteArray Receive(qsizetype size) {
        QByteArray received;
        QElapsedTimer elapsed;
        elapsed.start();
        while (received.size() < size && elapsed.elapsed() < 20000) {
            QCoreApplication::processEvents();  // lets the transport's socket send what it holds
            load->waitForReadyRead(10);
            received += load->readAll();
        }
        return received;
    }

    QTcpServer server;
    std::unique_ptr<LanTransport> lan;
    std::unique_ptr<QTcpSocket> load;
};
}  // namespace

TEST_F(HandWorkedLoadTest, ReplyAndHangUpThatCameBeforeTheReadAreBothSeen) {
    Connect();
    ASSERT_TRUE(lan->Write(Cmd::kPhaseVoltages).Ok());
    load->write("12.5,12.4,12.6,0\n");
    ASSERT_TRUE(load->flush());
    load->close();
    const LinkResult reply = lan->Read();
    EXPECT_EQ(reply.kind, Kind::Ok);
    EXPECT_EQ(reply.reply, QStringLiteral("12.5,12.4,12.6,0"));
    const LinkResult after = lan->Read();
    EXPECT_EQ(after.kind, Kind::Lost);
    EXPECT_EQ(after.reason, QStringLiteral("the load hung up"));
    EXPECT_FALSE(lan->IsOpen());
}

TEST_F(HandWorkedLoadTest, CommandsKeepTheirOrderWhenTheLoadStopsTakingThem) {
    Connect();
    QByteArray sent;
    const auto write = [&](int first, int count) {
        for (int i = first; i < first + count; ++i) {
            const QString command =
                QStringLiteral("CC:A %1 ").arg(i) + QString(120, QLatin1Char('0' + i % 10));
            ASSERT_TRUE(lan->Write(command).Ok());
            sent += command.toLatin1() + '\n';
        }
    };
    // A load that reads nothing for a while: far more than the kernel's
    // buffers hold is written, so some of it has to wait in the transport.
    constexpr int kFillingCommands = 60000;
    write(0, kFillingCommands);
    // The load takes a little, which makes room on the wire while the rest
    // still waits: what is written now must queue behind it.
    QByteArray received;
    while (received.size() < 1024 * 1024 && load->waitForReadyRead(1000)) {
        received += load->read(1024 * 1024 - received.size());
    }
    write(kFillingCommands, 1000);
    received += Receive(sent.size() - received.size());
    ASSERT_EQ(received.size(), sent.size());
    EXPECT_TRUE(received == sent) << "the commands arrived out of order or changed";
}
