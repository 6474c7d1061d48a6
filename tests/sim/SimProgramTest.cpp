#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>

#include "TestFiles.h"

namespace {
const QString kProgram = QStringLiteral(ZLD_SIM_PROGRAM);

// Starts the program and returns the first `lines` lines it prints.
QStringList StartProgram(QProcess& process, const QStringList& arguments, int lines) {
    process.start(kProgram, arguments);
    QStringList printed;
    while (printed.size() < lines && process.waitForReadyRead(10000)) {
        while (printed.size() < lines && process.canReadLine()) {
            printed << QString::fromLatin1(process.readLine()).trimmed();
        }
    }
    return printed;
}
}  // namespace

TEST(SimProgramTest, ServesTcpAndSerialJournalsWithTimeStampsAndStopsCleanly) {
    QTemporaryDir dir;
    const QString journal = dir.filePath(QStringLiteral("journal.txt"));
    QProcess sim;
    const QStringList printed =
        StartProgram(sim, {"--port", "0", "--pty", "--journal", journal, "--capacity", "20"}, 2);
    ASSERT_EQ(printed.size(), 2) << sim.readAllStandardError().toStdString();
    const QRegularExpressionMatch listening =
        QRegularExpression(QStringLiteral("^zld-sim listening on 127\\.0\\.0\\.1:(\\d+)$"))
            .match(printed[0]);
    ASSERT_TRUE(listening.hasMatch()) << printed[0].toStdString();
    EXPECT_TRUE(printed[1].startsWith(QStringLiteral("zld-sim serial on /dev/")));

    QTcpSocket client;
    client.connectToHost(QStringLiteral("127.0.0.1"), listening.captured(1).toUShort());
    ASSERT_TRUE(client.waitForConnected(3000));
    client.write("CC:A 2.5\nMEAS:VOLT?\n");
    QByteArray reply;
    while (!reply.contains('\n') && client.waitForReadyRead(3000)) {
        reply += client.readAll();
    }
    EXPECT_EQ(reply, QByteArray("54\n"));

    const QStringList lines = QString::fromLatin1(ReadFileBytes(journal)).split('\n');
    ASSERT_EQ(lines.size(), 3);  // flushed already, while the program runs
    const QString stamp = QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3} ");
    EXPECT_TRUE(QRegularExpression(stamp + "CC:A 2\\.5$").match(lines[0]).hasMatch())
        << lines[0].toStdString();
    EXPECT_TRUE(QRegularExpression(stamp + "MEAS:VOLT\\?$").match(lines[1]).hasMatch());

    sim.terminate();  // SIGTERM
    ASSERT_TRUE(sim.waitForFinished(10000));
    EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.exitCode(), 0);
}

TEST(SimProgramTest, RefusesBadArguments) {
    for (const QStringList& arguments :
         {QStringList{"--capacity", "abc"}, QStringList{"--port", "70000"},
          QStringList{"--empty-voltage", "60"}, QStringList{"--listen", "0.0.0.0"},
          QStringList{"--journal", "/nonexistent-folder/journal.txt", "--port", "0"}}) {
        QProcess sim;
        sim.start(kProgram, arguments);
        ASSERT_TRUE(sim.waitForFinished(10000));
        EXPECT_NE(sim.exitCode(), 0) << arguments.join(' ').toStdString();
        EXPECT_TRUE(sim.readAllStandardError().startsWith("zld-sim: "));
        EXPECT_TRUE(sim.readAllStandardOutput().isEmpty());
    }
}
