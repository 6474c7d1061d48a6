#include <gtest/gtest.h>

#include <signal.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <functional>

#include "ProcessHelpers.h"
#include "TestFiles.h"

// zld-run and the window ended from outside in the middle of a discharge (a
// closed terminal, a dropped SSH session, a logout, kill): the load must be
// switched off on the wire before the program goes, the data log must end on
// a whole line and the exit code must tell which signal it was.
namespace {
struct SignalCase {
    const char* name;
    // Sent in this order, a moment apart: a later one comes while the first
    // is being handled. Lower numbers first, as the system delivers signals
    // that are pending together.
    QList<int> signalsSent;
    int exitCode;
};

void PrintTo(const SignalCase& c, std::ostream* os) {
    *os << c.name;
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.hasExpired(timeoutMs)) {
            return false;
        }
        QThread::msleep(50);
    }
    return true;
}

// The simulated load's journal as its lines, without the time stamps.
QStringList Commands(const QString& journalPath) {
    QStringList commands;
    for (const QString& line : Lines(ReadFileBytes(journalPath))) {
        commands << line.section(' ', 1);
    }
    return commands;
}

// The first data log in the program folder's TestLog.
QString LogPath(const QString& home) {
    const QDir logs(home + "/TestLog");
    const QStringList found = logs.entryList({"*.CSV"}, QDir::Files);
    return found.isEmpty() ? QString() : logs.filePath(found.first());
}

// The load is switched on and the run has logged some points.
bool RunIsUnderWay(const QString& home, const QString& journalPath) {
    const QString log = LogPath(home);
    return Commands(journalPath).contains("LOAD ON") && !log.isEmpty() &&
           Lines(ReadFileBytes(log)).size() >= 3;
}

// Sends the case's signals, waits for the program to end and checks what it
// left: its exit, the load's last input command and the data log.
void EndWithSignals(QProcess& program, QProcess& sim, const QString& home,
                    const QString& journalPath, const SignalCase& c) {
    ASSERT_TRUE(WaitUntil([&] { return RunIsUnderWay(home, journalPath); }, 60000))
        << program.readAllStandardError().toStdString();
    for (const int signalNumber : c.signalsSent) {
        ::kill(static_cast<pid_t>(program.processId()), signalNumber);
        QThread::msleep(30);
    }
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "died of the signal";
    EXPECT_EQ(program.exitCode(), c.exitCode) << program.readAllStandardError().toStdString();
    sim.terminate();
    sim.waitForFinished(10000);

    const QStringList commands = Commands(journalPath);
    const qsizetype lastOn = commands.lastIndexOf("LOAD ON");
    ASSERT_GE(lastOn, 0);
    EXPECT_TRUE(commands.mid(lastOn).contains("LOAD OFF"))
        << "left on: " << commands.mid(lastOn).join(" | ").toStdString();

    const QByteArray log = ReadFileBytes(LogPath(home));
    EXPECT_TRUE(log.endsWith("\r\n")) << "the last line is torn";
    const QStringList lines = Lines(log);
    ASSERT_GE(lines.size(), 3);
    const qsizetype columns = lines[0].split(',').size();
    for (const QString& line : lines) {
        EXPECT_EQ(line.split(',').size(), columns) << line.toStdString();
    }
}

// A simulated load with its journal and a program folder whose test is a
// long discharge on it.
template <typename Case>
class SignalEndTest : public ::testing::TestWithParam<Case> {
  protected:
    void SetUp() override {
        port = StartSim(sim, JournalPath());
        ASSERT_NE(port, 0);
        WriteLongDischarge(home.path(), port);
    }
    QString JournalPath() const { return home.filePath("journal.txt"); }
    void End(QProcess& program, const SignalCase& c) {
        EndWithSignals(program, sim, home.path(), JournalPath(), c);
    }

    QTemporaryDir home;
    QProcess sim;
    quint16 port = 0;
};

const SignalCase kRunnerCases[] = {
    {"CtrlC", {SIGINT}, 130},
    {"Kill", {SIGTERM}, 143},
    {"TerminalClosed", {SIGHUP}, 129},
    {"Quit", {SIGQUIT}, 131},
    // Ctrl-C, again and again, while the closed terminal's end is under way.
    {"CtrlCDuringHangUp", {SIGHUP, SIGINT, SIGINT}, 129},
};

using RunnerSignalTest = SignalEndTest<SignalCase>;

TEST_P(RunnerSignalTest, SwitchesTheLoadOffAndClosesTheLogFirst) {
    QProcess run;
    run.start(ZLD_RUN_PATH, {"--home", home.path(), "--sn", "SIGNAL1"});
    ASSERT_TRUE(run.waitForStarted(10000));
    End(run, GetParam());
    // Ended as Stop ends a run: nothing left to resume, the results final.
    EXPECT_FALSE(QFile::exists(home.filePath("TestLog/SIGNAL1.run")));
    EXPECT_TRUE(
        ReadFileBytes(home.filePath("TestLog/SIGNAL1.json")).contains("\"outcome\": \"stopped\""));
}

INSTANTIATE_TEST_SUITE_P(EachSignal, RunnerSignalTest, ::testing::ValuesIn(kRunnerCases),
                         [](const auto& info) { return std::string(info.param.name); });

#ifdef ZLD_WINDOW_PATH
struct WindowCase {
    SignalCase signal;
    // An interrupted test waits in the program folder: the window asks about
    // it in a box, and the run that --start begins goes on under the box.
    bool questionOpen;
};

void PrintTo(const WindowCase& c, std::ostream* os) {
    *os << c.signal.name;
}

const WindowCase kWindowCases[] = {
    {{"Logout", {SIGTERM}, 143}, false},
    {{"TerminalClosed", {SIGHUP}, 129}, false},
    {{"CtrlC", {SIGINT}, 130}, false},
    {{"KillWithABoxOpen", {SIGTERM}, 143}, true},
    {{"KillDuringCtrlC", {SIGINT, SIGTERM, SIGTERM}, 130}, false},
};

using WindowSignalTest = SignalEndTest<WindowCase>;

TEST_P(WindowSignalTest, ClosesAsItsCloseDoesWithoutAQuestion) {
    if (GetParam().questionOpen) {
        ASSERT_TRUE(QDir(home.path()).mkpath("TestLog"));
        WriteFileBytes(home.filePath("TestLog/EARLIER.run"), "not a journal");
    }

    QProcess window;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));  // the remembered geometry
    window.setProcessEnvironment(env);
    window.start(ZLD_WINDOW_PATH, {"--home", home.path(), "--start"});
    ASSERT_TRUE(window.waitForStarted(10000));
    End(window, GetParam().signal);
    // A logout or a shutdown is no decision to end the test: as after a close
    // without questions, the next start-up offers to resume it.
    const QString log = LogPath(home.path());
    EXPECT_TRUE(QFile::exists(log.left(log.size() - 4) + ".run"));
}

INSTANTIATE_TEST_SUITE_P(EachSignal, WindowSignalTest, ::testing::ValuesIn(kWindowCases),
                         [](const auto& info) { return std::string(info.param.signal.name); });

// The log viewer alone holds no load: a signal ends it at once, with the code
// that tells which signal it was.
TEST(LogViewerSignalTest, EndsWithTheSignalsExitCode) {
    QTemporaryDir home;
    const QString log = home.filePath("SN.CSV");
    WriteFileBytes(log,
                   "No.,Step,Loop1,StepTime,VotlageA,VotlageB,VotlageC,CurrentA,CurrentB,"
                   "CurrentC,PowerA,PowerB,PowerC,TotalTime,StepMode\r\n"
                   "1,1,,14:02:07,53.9,53.9,53.9,0,0,0,0,0,0,00:00:01,\r\n");
    QProcess viewer;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    viewer.setProcessEnvironment(env);
    viewer.start(ZLD_WINDOW_PATH, {"--log", log});
    ASSERT_TRUE(viewer.waitForStarted(10000));
    // Still open after a moment: the log was read and nothing asked.
    EXPECT_FALSE(viewer.waitForFinished(1500)) << viewer.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(viewer.processId()), SIGTERM);
    ASSERT_TRUE(viewer.waitForFinished(10000));
    EXPECT_EQ(viewer.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(viewer.exitCode(), 143);
}
#endif
}  // namespace
