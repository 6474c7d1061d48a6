#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>

#include "DataLog.h"
#include "RunHarness.h"
#include "TestFiles.h"

namespace {
// Lines of `bytes` when it holds whole CR LF lines only; empty otherwise.
QStringList WholeLines(const QByteArray& bytes) {
    if (!bytes.endsWith("\r\n")) {
        return {};
    }
    return QString::fromUtf8(bytes).split("\r\n", Qt::SkipEmptyParts);
}

// Writes `text` to `path` from a child process, without Qt.
void WriteRaw(const std::string& path, const QByteArray& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f != nullptr) {
        std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), f);
        std::fclose(f);
    }
}

// In a forked child with a mount namespace of its own: a 4 KB tmpfs at
// `mountPoint`, a data log on it written until the disk is full, then the
// log's bytes and the error copied to `outFolder` outside the mount. Exits 77
// when this system lets no test mount a file system.
[[noreturn]] void FillTinyDiskInChild(const QString& mountPoint, const QString& outFolder) {
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
        _exit(77);
    }
    // Files created in the namespace need the caller's ids mapped in it.
    WriteRaw("/proc/self/setgroups", "deny");
    WriteRaw("/proc/self/uid_map", QByteArray::number(uid) + " " + QByteArray::number(uid) + " 1");
    WriteRaw("/proc/self/gid_map", QByteArray::number(gid) + " " + QByteArray::number(gid) + " 1");
    if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", mountPoint.toLocal8Bit().constData(), "tmpfs", 0, "size=4k") != 0) {
        _exit(77);
    }
    DataLog log;
    QString error;
    const QString path = mountPoint + "/SN.CSV";
    if (log.Open(path, "No.,Step", &error)) {
        for (int i = 1;
             i < 1000 && log.WriteLine(QString::number(i) + "," + QString(90, 'x'), &error); ++i) {
        }
        log.Close();
    }
    WriteRaw((outFolder + "/log.CSV").toStdString(), ReadFileBytes(path));
    WriteRaw((outFolder + "/error.txt").toStdString(), error.toUtf8());
    _exit(0);
}

// Lowers this process's file size limit while it lives, so that a write past
// it really fails (with "File too large").
class FileSizeLimit {
  public:
    explicit FileSizeLimit(qint64 bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = m_old;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    struct rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
};
}  // namespace

TEST(DataLog, ElapsedAndClockTextsCountWholeSecondsWithTwoDigitsAPart) {
    const QDateTime start(QDate(2026, 12, 7), QTime(23, 59, 50));
    EXPECT_EQ(ElapsedText(start, start.addSecs(20)), "00:00:20");
    EXPECT_EQ(ElapsedText(start, start.addSecs(100 * 3600 + 5)), "100:00:05");
    EXPECT_EQ(ElapsedText(start, start.addMSecs(999)), "00:00:00");
    EXPECT_EQ(ClockText(QTime(7, 5, 9)), "07:05:09");
    EXPECT_EQ(ClockText(QTime(23, 59, 59, 999)), "23:59:59");
    EXPECT_EQ(ClockText(QTime(0, 0)), "00:00:00");
}

TEST(DataLog, HeaderNamesEveryPhaseColumn) {
    EXPECT_EQ(LogHeader({"Votlage", "Current", "Power"}),
              "No.,Step,Loop1,StepTime,VotlageA,VotlageB,VotlageC,CurrentA,CurrentB,CurrentC,"
              "PowerA,PowerB,PowerC,TotalTime,StepMode");
}

TEST(DataLog, RefusesSerialNumbersThatCannotNameAFile) {
    for (const QString& bad :
         QStringList{"", "a/b", "a\\b", "..", ".", "x:y", "a*", "CON", "com1.txt", "x.",
                     QString(101, 'a'), QString("tab\there")}) {
        EXPECT_FALSE(IsSafeFileName(bad)) << bad.toStdString();
    }
    for (const QString& good : QStringList{"202612071", "BAT-01_A", "cell 7", QString(100, 'a')}) {
        EXPECT_TRUE(IsSafeFileName(good)) << good.toStdString();
    }
}

TEST(DataLog, KeepsAnExistingLogAndCreatesItsFolder) {
    QTemporaryDir dir;
    const QString path = dir.filePath("TestLog/SN1.CSV");
    DataLog log;
    QString error;
    ASSERT_TRUE(log.Open(path, "H", &error)) << error.toStdString();
    ASSERT_TRUE(log.WriteLine("1,old", &error));
    // Each line is on disk as soon as it is written.
    EXPECT_EQ(ReadFileBytes(path), "H\r\n1,old\r\n");
    log.Close();

    ASSERT_TRUE(log.Open(path, "H", &error));
    log.Close();
    const QStringList aside = QDir(dir.filePath("TestLog")).entryList({"SN1-*.CSV"});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(ReadFileBytes(dir.filePath("TestLog/" + aside[0])), "H\r\n1,old\r\n");
    EXPECT_EQ(ReadFileBytes(path), "H\r\n");
}

TEST(DataLog, ReportsWhyALogCannotBeCreated) {
    QTemporaryDir dir;
    WriteFileBytes(dir.filePath("TestLog"), "a file where the folder should be");
    DataLog log;
    QString error;
    EXPECT_FALSE(log.Open(dir.filePath("TestLog/SN.CSV"), "H", &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(DataLog, GoesOnWithAnInterruptedLogAfterItsLastWholeLine) {
    QTemporaryDir dir;
    const QString path = dir.filePath("SN.CSV");
    DataLog log;
    qint64 next = 0;
    QString error;
    // A line cut short by a power cut is dropped; numbering follows the last whole line.
    WriteFileBytes(path, "No.,Step\r\n1,1,a\r\n2,1,b\r\n3,1,c");
    ASSERT_TRUE(log.OpenForAppend(path, &next, &error)) << error.toStdString();
    EXPECT_EQ(next, 3);
    ASSERT_TRUE(log.WriteLine("3,2,d", &error));
    log.Close();
    EXPECT_EQ(ReadFileBytes(path), "No.,Step\r\n1,1,a\r\n2,1,b\r\n3,2,d\r\n");

    WriteFileBytes(path, "No.,Step\r\n");
    ASSERT_TRUE(log.OpenForAppend(path, &next, &error));
    EXPECT_EQ(next, 1);
    log.Close();

    for (const QByteArray& notALog : {QByteArray("no line end"), QByteArray("x,y\r\nz,w\r\n")}) {
        WriteFileBytes(path, notALog);
        EXPECT_FALSE(log.OpenForAppend(path, &next, &error));
        EXPECT_EQ(ReadFileBytes(path), notALog);
    }
    EXPECT_FALSE(log.OpenForAppend(dir.filePath("gone.CSV"), &next, &error));
    EXPECT_EQ(error, "the file is missing");
    EXPECT_FALSE(QFile::exists(dir.filePath("gone.CSV")));
}

TEST(DataLog, OnlyFieldsWithACommaOrAQuoteAreQuoted) {
    EXPECT_EQ(CsvField("CC"), "CC");
    EXPECT_EQ(CsvField(""), "");
    EXPECT_EQ(CsvField("12.5 A"), "12.5 A");
    EXPECT_EQ(CsvField("C,C"), "\"C,C\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField("two\r\nlines"), "\"two\r\nlines\"");

    // A run whose step mode holds a quote (a comma in the file is read as a
    // decimal point there) and gets a comma once the run has begun: the line
    // keeps its 15 columns.
    RunHarness h;
    h.Prepare({{"Suspend", "C \"x\"", "", "0.2", "0", "", "", "0.1"}});
    h.station->Views().Set(Displays::SerialNumber, "QUOTED");
    QObject::connect(&h.station->Control(), &RunControl::runStarted, [&] {
        h.station->Test().Records().SetField(0, StepField::LoadModeVolt, "C, \"x\"");
    });
    ASSERT_EQ(h.Run(), RunOutcome::Finished) << h.op.Texts().join("|").toStdString();
    const QStringList lines =
        QString::fromUtf8(ReadFileBytes(h.LogPath("QUOTED"))).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 2);
    const QRegularExpression line(
        R"(^1,1,,\d\d:\d\d:\d\d,(\d+(\.\d+)?,){3}(0,){6}\d\d:\d\d:\d\d,"C, ""x"""$)");
    EXPECT_TRUE(line.match(lines[1]).hasMatch()) << lines[1].toStdString();
}

TEST(DataLog, AFullDiskLeavesWholeLinesAndSaysWhy) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("disk"));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FillTinyDiskInChild(dir.filePath("disk"), dir.path());
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) {
        GTEST_SKIP() << "no file system can be mounted here";
    }
    const QString error = QString::fromUtf8(ReadFileBytes(dir.filePath("error.txt")));
    EXPECT_TRUE(error.endsWith(": No space left on device")) << error.toStdString();
    const QStringList lines = WholeLines(ReadFileBytes(dir.filePath("log.CSV")));
    // 4 KB hold the header and some 40 lines; the one that did not fit is gone whole.
    ASSERT_GE(lines.size(), 10);
    for (int i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i], QString::number(i) + "," + QString(90, 'x'));
    }
}

// MeasT of the discharge: points apart, and points as fast as the load
// answers (a line then goes out while the load answers the next query).
class LogThatCannotGrow : public ::testing::TestWithParam<const char*> {};

TEST_P(LogThatCannotGrow, StopsTheRunWithTheSystemsReasonAndTheLoadOff) {
    RunHarness h;
    h.Prepare({{"DisCharge", "CC", "5", "600", "0", "0", "0", GetParam()}});
    h.station->Views().Set(Displays::SerialNumber, "FULL");
    const QString path = h.LogPath("FULL");
    std::unique_ptr<FileSizeLimit> limit;
    int points = 0;
    QObject::connect(&h.station->Control(), &RunControl::pointLogged, [&] {
        ++points;
        if (points == 2) {
            // Room for a part of the next line only.
            limit = std::make_unique<FileSizeLimit>(QFileInfo(path).size() + 20);
        } else if (points == 3) {
            limit.reset();
        }
    });
    ASSERT_EQ(h.Run(), RunOutcome::Error) << h.op.Texts().join("|").toStdString();
    limit.reset();

    const QString message = h.op.Texts().last();
    EXPECT_TRUE(message.startsWith("Test stopped at step 1: cannot write the data log"))
        << message.toStdString();
    EXPECT_TRUE(message.endsWith(": File too large")) << message.toStdString();
    const QStringList lines = WholeLines(ReadFileBytes(path));
    ASSERT_EQ(lines.size(), 3);  // the header and the two points before the limit
    EXPECT_TRUE(lines[2].startsWith("2,1,"));
    EXPECT_EQ(h.sim->Journal().last(), "LOAD OFF");
    EXPECT_FALSE(h.sim->InputOn());
}

INSTANTIATE_TEST_SUITE_P(MeasT, LogThatCannotGrow, ::testing::Values("0.05", "0"),
                         [](const auto& info) {
                             return std::string(info.param) == "0" ? "AsFastAsTheLoadAnswers"
                                                                   : "PointsApart";
                         });
