#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>

#include "IniFile.h"
#include "ProcessHelpers.h"
#include "TestFiles.h"

namespace {
// Copies a folder's files (not sub-folders) into `target`.
void CopyFolder(const QString& source, const QString& target) {
    for (const QString& name : QDir(source).entryList(QDir::Files)) {
        QFile::copy(QDir(source).filePath(name), QDir(target).filePath(name));
    }
}

}  // namespace

TEST(RunnerProcess, BundledDemoRunsToItsEndAndLeavesAWholeLog) {
    QTemporaryDir home;
    CopyFolder(QString(ZLD_EXAMPLES_DIR) + "/demo", home.path());
    QProcess run;
    run.start(ZLD_RUN_PATH, {"--home", home.path(), "--sim", "--sn", "DEMO1"});
    ASSERT_TRUE(run.waitForFinished(180000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    EXPECT_TRUE(run.readAllStandardError().contains("message: Test Finished"));

    const QStringList log = Lines(ReadFileBytes(home.filePath("TestLog/DEMO1.CSV")));
    ASSERT_GT(log.size(), 10);
    const int columns = log[0].split(',').size();
    EXPECT_EQ(columns, 15);
    for (int i = 1; i < log.size(); ++i) {
        const QStringList fields = log[i].split(',');
        ASSERT_EQ(fields.size(), columns) << log[i].toStdString();
        EXPECT_EQ(fields[0], QString::number(i));
    }
}

TEST(RunnerProcess, NoLoadAnsweringExitsWith2AndSaysWhereAndWhyOnce) {
    struct Case {
        const char* peer;
        QString reason;
    };
    // A port nobody listens on any more, and a peer that takes the
    // connection and never answers (the kernel accepts it for the server).
    const Case cases[] = {{"refused", "connection refused"}, {"silent", "no reply within 10 s"}};
    for (const Case& c : cases) {
        QTcpServer peer;
        ASSERT_TRUE(peer.listen(QHostAddress::LocalHost, 0));
        const quint16 port = peer.serverPort();
        if (QByteArray(c.peer) == "refused") {
            peer.close();
        }
        QTemporaryDir home;
        WriteLongDischarge(home.path(), port);
        QProcess run;
        QElapsedTimer elapsed;
        elapsed.start();
        run.start(ZLD_RUN_PATH, {"--home", home.path()});
        ASSERT_TRUE(run.waitForFinished(60000)) << c.peer;
        EXPECT_EQ(run.exitCode(), 2) << c.peer;
        const QString address = "127.0.0.1:" + QString::number(port);
        EXPECT_TRUE(
            run.readAllStandardOutput().contains(("Connecting to " + address + "...\n").toUtf8()));
        const QString errors = QString::fromLocal8Bit(run.readAllStandardError());
        // One message of two lines, each line marked as the terminal shows it.
        EXPECT_EQ(errors,
                  "message: Electronic Load Connect Error, Please check it.\n"
                  "message: Channel 1, LAN " +
                      address + ": " + c.reason + "\n");
        // Refused at once, silent within the read time-out: never the old
        // half minute.
        EXPECT_LT(elapsed.elapsed(), 25000) << c.peer;
    }
}

TEST(RunnerProcess, ALoadThatFallsSilentStopsTheRunWithExit3) {
    QTemporaryDir home;
    QProcess sim;
    // Silent once the connection pass and the step's set-up are through.
    const quint16 port = StartSim(sim, home.filePath("journal.txt"), {"--silent-after", "20"});
    ASSERT_NE(port, 0);
    WriteLongDischarge(home.path(), port);

    QProcess run;
    run.start(ZLD_RUN_PATH, {"--home", home.path(), "--sn", "QUIET"});
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 3);
    sim.terminate();
    sim.waitForFinished(10000);
    const QString errors = QString::fromLocal8Bit(run.readAllStandardError());
    EXPECT_TRUE(errors.contains(QStringLiteral("message: Lost Connect!\nmessage: Channel 1, LAN "
                                               "127.0.0.1:%1: no reply to 3 measurement points in "
                                               "a row\n")
                                    .arg(port)))
        << errors.toStdString();
    EXPECT_EQ(errors.count("Lost Connect!"), 1);
    EXPECT_FALSE(errors.contains("Test Finished"));

    const QStringList journal = Lines(ReadFileBytes(home.filePath("journal.txt")));
    ASSERT_FALSE(journal.isEmpty());
    EXPECT_TRUE(journal.last().endsWith(" LOAD OFF")) << journal.last().toStdString();
    const QByteArray log = ReadFileBytes(home.filePath("TestLog/QUIET.CSV"));
    EXPECT_TRUE(log.endsWith("\r\n"));
    EXPECT_GE(Lines(log).size(), 2);  // the header and the answered point
}

namespace {
// Runs zld-run to its end; returns its exit code, with stdout and stderr.
int RunToEnd(const QStringList& arguments, QString* out, QString* errors = nullptr) {
    QProcess run;
    run.start(ZLD_RUN_PATH, arguments);
    if (!run.waitForFinished(120000)) {
        return -1;
    }
    *out = QString::fromLocal8Bit(run.readAllStandardOutput());
    if (errors != nullptr) {
        *errors = QString::fromLocal8Bit(run.readAllStandardError());
    }
    return run.exitCode();
}

// A program folder whose test file has `steps` and whose load is a zld-sim
// started on a free port with a journal; the sim is stopped again.
class CheckedProgramFolder {
  public:
    explicit CheckedProgramFolder(const QList<QStringList>& steps) {
        port = StartSim(sim, journal());
        WriteProgramFolder(home.path(), steps);
        WriteSetting(home.filePath("TestFile01.INI"), "Load1 Option", "IP", "127.0.0.1");
        WriteSetting(home.filePath("TestFile01.INI"), "Load1 Option", "Port",
                     QString::number(port));
    }
    ~CheckedProgramFolder() { StopSim(); }
    void StopSim() {
        sim.terminate();
        sim.waitForFinished(10000);
    }
    QString journal() const { return home.filePath("journal.txt"); }

    QTemporaryDir home;
    QProcess sim;
    quint16 port = 0;
};

const QList<QStringList> kFaultyTable = {
    {"Suspend", "", "", "1", "0", "", "", "0.5", "NextStep"},
    {"Dischrage", "CC", "10", "60", "3", "0", "0", "1", "NextStep"},
    {"ACIR", "CC", "5", "1", "0", "0", "0", "1"}};
}  // namespace

TEST(RunnerCheck, CheckPrintsEveryFindingAndTheDurationAndExitsByTheErrors) {
    QString out;
    // The bundled tests check clean.
    EXPECT_EQ(RunToEnd({"--check", "--test", ZLD_EXAMPLES_DIR "/demo/TestFile01.INI"}, &out), 0);
    EXPECT_EQ(out, "estimated duration: 0:00:28\n");
    EXPECT_EQ(RunToEnd({"--check", "--test", ZLD_EXAMPLES_DIR "/TestFile01.INI"}, &out), 0);
    EXPECT_EQ(out, "estimated duration: 12:06:39\n");

    CheckedProgramFolder folder(kFaultyTable);
    ASSERT_NE(folder.port, 0);
    const QStringList home{"--home", folder.home.path()};
    EXPECT_EQ(RunToEnd(home + QStringList{"--check"}, &out), 4);
    EXPECT_EQ(Lines(out.toUtf8()),
              QStringList({"error: step 2: unknown action \"Dischrage\"; the step would do nothing",
                           "warning: step 3: ACIR is not carried out by this load; the step only "
                           "waits and measures",
                           "estimated duration: 0:00:02"}));

    // Warnings alone pass.
    WriteSetting(folder.home.filePath("TestFile01.INI"), "Step2", "ActionMode", "DisCharge");
    EXPECT_EQ(RunToEnd(home + QStringList{"--check"}, &out), 0);
    EXPECT_TRUE(out.startsWith("warning: step 3: ACIR")) << out.toStdString();
    EXPECT_TRUE(out.endsWith("estimated duration: 0:01:02\n")) << out.toStdString();

    // A mistyped test file is no empty test that passes.
    QString errors;
    EXPECT_EQ(RunToEnd({"--check", "--test", folder.home.filePath("TestFile1.INI")}, &out, &errors),
              1);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_TRUE(errors.contains("no such file")) << errors.toStdString();

    // Checking never contacted the load the test file names.
    folder.StopSim();
    EXPECT_TRUE(ReadFileBytes(folder.journal()).isEmpty());
}

TEST(RunnerCheck, ARunWithErrorsExits4BeforeContactingTheLoad) {
    CheckedProgramFolder folder(kFaultyTable);
    ASSERT_NE(folder.port, 0);
    QString out;
    QString errors;
    EXPECT_EQ(RunToEnd({"--home", folder.home.path(), "--sn", "CELL4"}, &out, &errors), 4);
    EXPECT_TRUE(errors.contains(
        "message: error: step 2: unknown action \"Dischrage\"; the step would do nothing\n"))
        << errors.toStdString();
    EXPECT_TRUE(errors.contains("message: warning: step 3: ACIR")) << errors.toStdString();
    EXPECT_FALSE(QFile::exists(folder.home.filePath("TestLog/CELL4.CSV")));
    folder.StopSim();
    EXPECT_TRUE(ReadFileBytes(folder.journal()).isEmpty());
}

TEST(RunnerCheck, ARunWithWarningsAloneReportsThemAndGoesOn) {
    CheckedProgramFolder folder({{"ACIR", "CC", "5", "1", "0", "0", "0", "0.5"}});
    ASSERT_NE(folder.port, 0);
    QString out;
    QString errors;
    EXPECT_EQ(RunToEnd({"--home", folder.home.path()}, &out, &errors), 0) << errors.toStdString();
    EXPECT_TRUE(errors.contains("message: warning: step 1: ACIR is not carried out by this load"))
        << errors.toStdString();
    EXPECT_TRUE(
        errors.contains("message: Step 1: ACIR is not carried out by this load; the step "
                        "only waits its dwell.\n"))
        << errors.toStdString();
    EXPECT_TRUE(errors.contains("message: Test Finished"));
    folder.StopSim();
    EXPECT_FALSE(ReadFileBytes(folder.journal()).isEmpty());
}

TEST(RunnerProcess, AFileThatIsNoTestFileIsRefusedBeforeAnythingStarts) {
    QTemporaryDir home;
    CopyFolder(QString(ZLD_EXAMPLES_DIR) + "/demo", home.path());
    const QString settings = home.filePath("TRIO.INI");
    QProcess run;
    run.start(ZLD_RUN_PATH, {"--home", home.path(), "--sim", "--test", settings});
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 1);
    const QByteArray errors = run.readAllStandardError();
    EXPECT_TRUE(errors.contains(("message: " + settings + " is not a test file.").toUtf8()))
        << errors.toStdString();
    EXPECT_FALSE(QDir(home.filePath("TestLog")).exists());
}
