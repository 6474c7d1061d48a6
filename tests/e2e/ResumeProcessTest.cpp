#include <gtest/gtest.h>

#include <signal.h>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTime>

#include "IniFile.h"
#include "ProcessHelpers.h"
#include "TestFiles.h"

// A zld-run killed with SIGKILL in the middle of a test, then resumed: what a
// crash or a power cut does to an unattended run, with real processes.

namespace {
const QStringList kKeys{"ActionMode", "LoadModeVolt", "CurrentValue", "StopTime", "StopValue",
                        "StableTime", "StopAH",       "MeasTime",     "GoToStep"};

void WriteTest(const QString& path, const QList<QStringList>& steps, quint16 port) {
    WriteSetting(path, "TestStep Option", "TotalStepCount", QString::number(steps.size()));
    for (int i = 0; i < steps.size(); ++i) {
        for (int k = 0; k < kKeys.size(); ++k) {
            WriteSetting(path, QStringLiteral("Step%1").arg(i + 1), kKeys[k], steps[i].value(k));
        }
    }
    WriteSetting(path, "Load1 Option", "IP", "127.0.0.1");
    WriteSetting(path, "Load1 Option", "Port", QString::number(port));
    WriteSetting(path, "Load1 Option", "LoadCheck", "1");
}

// A rest, then three passes of a timed discharge and a rest.
const QList<QStringList> kLoopedTest = {
    {"Suspend", "", "", "1", "0", "0", "0", "0.25", "NextStep"},
    {"FOR", "", "", "", "3"},
    {"DisCharge", "CC", "10", "3", "0", "0", "0", "0.25", "NextStep"},
    {"Suspend", "", "", "1", "0", "0", "0", "0.25", "NextStep"},
    {"LOOP"},
};

// Step and Loop1 of each line, runs of equal pairs counted once.
QStringList StepBlocks(const QStringList& lines) {
    QStringList blocks;
    for (const QString& line : lines) {
        const QStringList f = line.split(',');
        const QString block = f.value(1) + "/" + f.value(2);
        if (blocks.isEmpty() || blocks.last() != block) {
            blocks << block;
        }
    }
    return blocks;
}

int Seconds(const QString& elapsed) {
    const QStringList hms = elapsed.split(':');
    return hms.value(0).toInt() * 3600 + hms.value(1).toInt() * 60 + hms.value(2).toInt();
}

int RunToEnd(const QStringList& arguments, QByteArray* out, QByteArray* errors) {
    QProcess run;
    run.start(ZLD_RUN_PATH, arguments);
    if (!run.waitForFinished(180000)) {
        run.kill();
        run.waitForFinished();
        return -1;
    }
    *out = run.readAllStandardOutput();
    *errors = run.readAllStandardError();
    return run.exitCode();
}

class ResumeProcess : public ::testing::Test {
  protected:
    void SetUp() override {
        port = StartSim(sim, home.filePath("journal.txt"));
        ASSERT_NE(port, 0);
        WriteSetting(home.filePath("TRIO.INI"), "TRIO", "SaveLogFileFlag", "1");
        WriteTest(home.filePath("TestFile01.INI"), kLoopedTest, port);
    }
    void TearDown() override {
        sim.terminate();
        sim.waitForFinished(10000);
    }
    QString LogFile(const QString& name) const { return home.filePath("TestLog/" + name); }

    // Runs the looped test as CELL8 and kills it with SIGKILL a second into
    // the discharge of the second pass.
    void RunAndKill() {
        QProcess run;
        run.start(ZLD_RUN_PATH, {"--home", home.path(), "--sn", "CELL8"});
        ASSERT_TRUE(run.waitForStarted(10000));
        const QRegularExpression secondPass("point \\d+ step 3 DisCharge 1\\.\\d/3 s");
        QString out;
        bool loopedOnce = false;
        for (int i = 0; i < 600; ++i) {
            run.waitForReadyRead(100);
            out += QString::fromUtf8(run.readAllStandardOutput());
            loopedOnce = loopedOnce || out.contains("step 5 LOOP");
            if (loopedOnce && secondPass.match(out.mid(out.indexOf("step 5 LOOP"))).hasMatch()) {
                break;
            }
        }
        ASSERT_TRUE(loopedOnce) << out.toStdString();
        ::kill(static_cast<pid_t>(run.processId()), SIGKILL);
        ASSERT_TRUE(run.waitForFinished(10000));
        ASSERT_EQ(run.exitStatus(), QProcess::CrashExit);
    }

    QTemporaryDir home;
    QProcess sim;
    quint16 port = 0;
};
}  // namespace

TEST_F(ResumeProcess, AKilledRunGoesOnWhereItWasAndEndsAsAWholeOne) {
    RunAndKill();
    const QByteArray killed = ReadFileBytes(LogFile("CELL8.CSV"));
    const QStringList before = Lines(killed.left(killed.lastIndexOf("\r\n") + 2));
    ASSERT_GT(before.size(), 5);
    ASSERT_TRUE(QFile::exists(LogFile("CELL8.run")));

    // A new run would bury the interrupted one: the runner refuses it.
    QByteArray out;
    QByteArray errors;
    EXPECT_EQ(RunToEnd({"--home", home.path()}, &out, &errors), 1);
    EXPECT_TRUE(
        errors.contains("message: An interrupted test of CELL8 exists; run with --resume "
                        "to continue it or --discard to drop it."))
        << errors.toStdString();
    EXPECT_EQ(ReadFileBytes(LogFile("CELL8.CSV")), killed);

    QFile::copy(LogFile("CELL8.run"), home.filePath("CELL8.run.copy"));
    QFile::copy(LogFile("CELL8.json"), home.filePath("CELL8.json.copy"));
    ASSERT_EQ(RunToEnd({"--home", home.path(), "--resume"}, &out, &errors), 0)
        << errors.toStdString();
    EXPECT_TRUE(out.contains("resuming: The test of CELL8 was interrupted at step 3 ("));
    EXPECT_TRUE(errors.contains("message: Test Finished"));
    EXPECT_FALSE(QFile::exists(LogFile("CELL8.run")));

    const QStringList after = Lines(ReadFileBytes(LogFile("CELL8.CSV")));
    // Every line from before the kill once, unchanged; the numbers go on.
    ASSERT_GT(after.size(), before.size());
    EXPECT_EQ(after.mid(0, before.size()), before);
    for (int i = 1; i < after.size(); ++i) {
        ASSERT_EQ(after[i].section(',', 0, 0), QString::number(i)) << after[i].toStdString();
    }
    // It goes on at the same step and loop pass, and walks the test as an
    // uninterrupted run would.
    const QString lastBefore = before.last();
    const QString firstAfter = after[before.size()];
    EXPECT_EQ(firstAfter.section(',', 1, 2), lastBefore.section(',', 1, 2));
    EXPECT_EQ(StepBlocks(after.mid(1)),
              QStringList({"1/", "3/3", "4/3", "3/2", "4/2", "3/1", "4/1"}));
    // The time the runner was down is not test time.
    EXPECT_LE(Seconds(firstAfter.section(',', 13, 13)) - Seconds(lastBefore.section(',', 13, 13)),
              2);
    const auto linesOf = [&](const QString& block) {
        return after
            .filter(QRegularExpression("^\\d+," + block.section('/', 0, 0) + "," +
                                       block.section('/', 1, 1) + ","))
            .size();
    };
    EXPECT_GE(linesOf("3/2"), linesOf("3/3") - 1);
    EXPECT_LE(linesOf("3/2"), linesOf("3/3") + 6);

    const auto results = [&] {
        return QJsonDocument::fromJson(ReadFileBytes(LogFile("CELL8.json"))).object();
    };
    const QJsonObject r = results();
    EXPECT_EQ(r.value("outcome").toString(), "finished");
    EXPECT_EQ(r.value("program").toObject().value("name").toString(), "zld-run");
    const QJsonArray interruptions = r.value("interruptions").toArray();
    ASSERT_EQ(interruptions.size(), 1);
    EXPECT_LT(interruptions[0].toObject().value("from").toString(),
              interruptions[0].toObject().value("to").toString());
    const QJsonArray steps = r.value("steps").toArray();
    ASSERT_EQ(steps.size(), 7);
    const QJsonObject interrupted = steps[3].toObject();
    EXPECT_EQ(interrupted.value("step").toInt(), 3);
    EXPECT_EQ(interrupted.value("loopPass").toInt(), 2);
    EXPECT_NEAR(interrupted.value("duration").toDouble(), 3.0, 1.5);

    // Dropped instead: the journal is kept aside, the results say so, and
    // the runner goes on with the test it is given.
    QFile::copy(home.filePath("CELL8.run.copy"), LogFile("CELL8.run"));
    QFile::remove(LogFile("CELL8.json"));
    QFile::copy(home.filePath("CELL8.json.copy"), LogFile("CELL8.json"));
    WriteTest(home.filePath("Short.INI"), {{"Suspend", "", "", "0.5", "0", "0", "0", "0.25"}},
              port);
    ASSERT_EQ(RunToEnd({"--home", home.path(), "--discard", "--test", home.filePath("Short.INI"),
                        "--sn", "CELL9"},
                       &out, &errors),
              0)
        << errors.toStdString();
    EXPECT_TRUE(out.contains("interrupted test of CELL8 dropped; its journal is kept as "));
    EXPECT_TRUE(QFile::exists(LogFile("CELL8.run.discarded")));
    EXPECT_FALSE(QFile::exists(LogFile("CELL8.run")));
    EXPECT_EQ(results().value("outcome").toString(), "interrupted");
}
