#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTemporaryDir>

#include "CommandJournal.h"
#include "Commands.h"
#include "EventWait.h"
#include "SimulatedLoad.h"
#include "SocketOptions.h"

namespace {
void WriteLine(QIODevice& device, const QString& command) {
    device.write(command.toLatin1() + '\n');
    device.waitForBytesWritten(1000);
}

// Everything up to and including the first LF, or what came before the time
// ran out.
QByteArray ReadLine(QIODevice& device, int timeoutMs = 3000) {
    QByteArray received;
    const QDeadlineTimer deadline(timeoutMs);
    while (!received.contains('\n') && !deadline.hasExpired()) {
        if (device.bytesAvailable() == 0) {
            device.waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
        }
        received += device.readAll();
    }
    return received;
}

QByteArray Query(QIODevice& device, const QString& query) {
    WriteLine(device, query);
    return ReadLine(device);
}

class SimulatedLoadTest : public ::testing::Test {
  protected:
    void Start(const SimOptions& options = SimOptions()) {
        m_load = std::make_unique<SimulatedLoad>(options);
        QString error;
        m_port = m_load->ListenTcp(0, &error);
        ASSERT_NE(m_port, 0) << error.toStdString();
    }

    bool Connect(QTcpSocket& socket) {
        socket.connectToHost(QStringLiteral("127.0.0.1"), m_port);
        return socket.waitForConnected(3000);
    }

    std::unique_ptr<SimulatedLoad> m_load;
    quint16 m_port = 0;
};
}  // namespace

TEST_F(SimulatedLoadTest, AnswersOnTcpAndJournalsEveryLineInOrder) {
    Start();
    QTcpSocket client;
    ASSERT_TRUE(Connect(client));
    const QStringList setup = {"CV:B 0",  "CV:A 0",   "CR:A 12500", "CR:B 12500", "CP:B 0",
                               "CP:A 0",  "CC:B 0",   "CC:A 0",     "LIN:B 0",    "LIN:A 0",
                               "CC AUTO", "LDON 0.8", "0"};
    EXPECT_EQ(Query(client, Cmd::kProbeVoltage), QByteArray("54\n"));
    // Its replies leave without waiting for the program's acknowledgement.
    EXPECT_EQ(SendsWithoutDelay(m_port, client.localPort()), true);
    for (const QString& command : setup) {
        WriteLine(client, command);
    }
    client.write("GLOB:MEAS:VOLT?\r\n");  // a CR before the LF is tolerated
    const QByteArray volts = ReadLine(client);
    EXPECT_EQ(volts.count(','), 3) << volts.toStdString();
    EXPECT_TRUE(volts.startsWith("54,")) << volts.toStdString();

    EXPECT_EQ(m_load->Journal(),
              QStringList{Cmd::kProbeVoltage} + setup + QStringList{Cmd::kPhaseVoltages});
    EXPECT_TRUE(m_load->WaitForCommand(QStringLiteral("CC:A 0")));
    EXPECT_FALSE(m_load->WaitForCommand(QStringLiteral("CC:A 0"), 2, 50));
    m_load->ClearJournal();
    EXPECT_TRUE(m_load->Journal().isEmpty());
}

TEST_F(SimulatedLoadTest, AProgramsLoadWritesItsJournalFileAndKeepsNoCopy) {
    QTemporaryDir dir;
    SimOptions options;
    options.journalPath = dir.filePath(QStringLiteral("journal.txt"));
    options.keepCommandsInMemory = false;
    Start(options);
    QTcpSocket client;
    ASSERT_TRUE(Connect(client));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Query(client, Cmd::kProbeVoltage), QByteArray("54\n"));
    }
    EXPECT_TRUE(m_load->Journal().isEmpty());
    QFile file(options.journalPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().count(Cmd::kProbeVoltage.toLatin1() + '\n'), 3);
}

TEST(CommandJournalLine, CarriesTheTimeToTheMillisecondWithEveryFieldPadded) {
    EXPECT_EQ(CommandJournal::FileLine(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5, 6)), "LOAD ON"),
              "2026-01-02T03:04:05.006 LOAD ON\n");
    EXPECT_EQ(CommandJournal::FileLine(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 999)),
                                       "GLOB:MEAS:VOLT?"),
              "2026-12-31T23:59:59.999 GLOB:MEAS:VOLT?\n");
    const QDateTime stamp(QDate(2027, 7, 14), QTime(0, 0, 0, 50));
    EXPECT_EQ(CommandJournal::FileLine(stamp, "X"),
              stamp.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + " X\n");
}

TEST_F(SimulatedLoadTest, ServesEachNewConnection) {
    Start();
    {
        QTcpSocket first;
        ASSERT_TRUE(Connect(first));
        EXPECT_EQ(Query(first, Cmd::kProbeVoltage), QByteArray("54\n"));
        first.disconnectFromHost();
    }
    QTcpSocket second;
    ASSERT_TRUE(Connect(second));
    EXPECT_EQ(Query(second, Cmd::kProbeVoltage), QByteArray("54\n"));
    // A reconnect whose close has not been seen yet takes over the load.
    QTcpSocket third;
    ASSERT_TRUE(Connect(third));
    EXPECT_EQ(Query(third, Cmd::kProbeVoltage), QByteArray("54\n"));
}

TEST_F(SimulatedLoadTest, AnswersASerialPortOnThePseudoTerminal) {
    Start();
    QString error;
    const QString device = m_load->OpenPty(&error);
    ASSERT_FALSE(device.isEmpty()) << error.toStdString();
    auto open = [&device](QSerialPort& port) {
        port.setPortName(device);
        port.setBaudRate(115200);
        port.setFlowControl(QSerialPort::HardwareControl);
        return port.open(QIODevice::ReadWrite);
    };
    for (int opening = 0; opening < 2; ++opening) {  // the terminal survives a reopen
        QSerialPort port;
        ASSERT_TRUE(open(port)) << port.errorString().toStdString();
        WriteLine(port, Cmd::kRemoteSerial);
        port.write("MEAS:VOLT?\r\n");
        EXPECT_EQ(ReadLine(port), QByteArray("54\n"));
        EXPECT_EQ(Query(port, Cmd::kPhaseCurrents), QByteArray("0,0,0,0\n"));
        // A pulse result due after the port closes must not greet the next one.
        WriteLine(port, QStringLiteral("PERD:HIGH 100"));
        WriteLine(port, Cmd::kDynamicOn);
        ASSERT_TRUE(m_load->WaitForCommand(Cmd::kDynamicOn, opening + 1));
    }
    WaitWithEvents(200);
    QSerialPort port;
    ASSERT_TRUE(open(port));
    EXPECT_EQ(Query(port, Cmd::kProbeVoltage), QByteArray("54\n"));
    EXPECT_EQ(m_load->Journal().count(Cmd::kRemoteSerial), 2);
}

TEST_F(SimulatedLoadTest, ConstantCurrentDischargeDrawsChargeAndLowersTheVoltage) {
    SimOptions options;
    options.timeScale = 3600.0;  // a second is an hour
    Start(options);
    QTcpSocket client;
    ASSERT_TRUE(Connect(client));
    for (const QString& command : {Cmd::WithValue(Cmd::kCcA, 10), Cmd::kModeCC, Cmd::kLoadOn}) {
        WriteLine(client, command);
    }
    const double loaded = 54.0 - 10 * 0.05;
    ASSERT_TRUE(m_load->WaitForCommand(Cmd::kLoadOn));
    EXPECT_TRUE(m_load->InputOn());
    WaitWithEvents(300);  // at least 3 Ah
    const QByteArray volts = Query(client, Cmd::kPhaseVoltages);
    EXPECT_LT(volts.left(volts.indexOf(',')).toDouble(), loaded - 2.0) << volts.toStdString();
    EXPECT_GT(m_load->ChargeDrawnAh(), 2.9);
    EXPECT_EQ(Query(client, Cmd::kPhaseCurrents), QByteArray("3.3333,3.3333,3.3333,10\n"));

    WriteLine(client, Cmd::kLoadOff);
    ASSERT_TRUE(m_load->WaitForCommand(Cmd::kLoadOff));
    EXPECT_FALSE(m_load->InputOn());
    const double drawn = m_load->ChargeDrawnAh();
    WaitWithEvents(50);
    EXPECT_DOUBLE_EQ(m_load->ChargeDrawnAh(), drawn);
}

TEST_F(SimulatedLoadTest, PulseResultFollowsTheTrain) {
    SimOptions options;
    options.pulseNgCount = 1;
    Start(options);
    QTcpSocket client;
    ASSERT_TRUE(Connect(client));
    for (const char* command :
         {"CCP:HIGH 20", "CC:B 2", "PERD:HIGH 50", "PERD:LOW 50", "COUNT 4"}) {
        WriteLine(client, QString::fromLatin1(command));
    }
    for (const char* verdict : {"NG,", "OK,"}) {
        QElapsedTimer train;
        train.start();
        WriteLine(client, Cmd::kDynamicOn);
        const QByteArray result = ReadLine(client, 5000);
        EXPECT_GE(train.elapsed(), 350);  // four 100 ms cycles
        EXPECT_TRUE(result.startsWith(verdict)) << result.toStdString();
        EXPECT_TRUE(result.endsWith(",20\n")) << result.toStdString();
        EXPECT_FALSE(m_load->InputOn());
    }
}

TEST_F(SimulatedLoadTest, SilentLoadJournalsButNeverAnswers) {
    Start();
    SimFaults faults;
    faults.silent = true;
    m_load->SetFaults(faults);
    QTcpSocket client;
    ASSERT_TRUE(Connect(client));
    WriteLine(client, Cmd::kProbeVoltage);
    EXPECT_TRUE(m_load->WaitForCommand(Cmd::kProbeVoltage));
    EXPECT_TRUE(ReadLine(client, 300).isEmpty());
}

TEST_F(SimulatedLoadTest, SplitReplyArrivesInTwoPieces) {
    Start();
    SimFaults faults;
    faults.splitReplies = true;
    m_load->SetFaults(faults);
    QTcpSocket client;
    ASSERT_TRUE(Connect(client));
    WriteLine(client, Cmd::kPhaseCurrents);
    ASSERT_TRUE(client.waitForReadyRead(3000));
    const QByteArray first = client.readAll();
    EXPECT_FALSE(first.contains('\n')) << first.toStdString();
    EXPECT_EQ(first + ReadLine(client), QByteArray("0,0,0,0\n"));
}

TEST_F(SimulatedLoadTest, DelayedAndGarbledReplies) {
    Start();
    SimFaults faults;
    faults.replyDelayMs = 300;
    m_load->SetFaults(faults);
    QTcpSocket client;
    ASSERT_TRUE(Connect(client));
    WriteLine(client, Cmd::kProbeVoltage);
    EXPECT_TRUE(ReadLine(client, 100).isEmpty());
    EXPECT_EQ(ReadLine(client), QByteArray("54\n"));

    faults = SimFaults();
    faults.garbage = true;
    m_load->SetFaults(faults);
    WriteLine(client, Cmd::kProbeVoltage);
    const QByteArray noise = ReadLine(client, 500);
    EXPECT_FALSE(noise.isEmpty());
    EXPECT_NE(noise, QByteArray("54\n"));
}

TEST_F(SimulatedLoadTest, DropsTheLinkAfterTheSetNumberOfCommands) {
    Start();
    SimFaults faults;
    faults.dropAfterCommands = 3;
    m_load->SetFaults(faults);
    for (int link = 0; link < 2; ++link) {  // every new connection counts afresh
        QTcpSocket client;
        ASSERT_TRUE(Connect(client));
        WriteLine(client, Cmd::kCcAuto);
        WriteLine(client, Cmd::kModeCC);
        EXPECT_EQ(Query(client, Cmd::kProbeVoltage), QByteArray("54\n"));
        EXPECT_TRUE(client.state() == QAbstractSocket::UnconnectedState ||
                    client.waitForDisconnected(3000));
    }
    EXPECT_EQ(m_load->Journal().size(), 6);
}
