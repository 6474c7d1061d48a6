#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "LogFollower.h"
#include "RunHarness.h"
#include "TestFiles.h"

namespace {
// The data log of one real run of LoopedDischargeSteps() against the simulated load.
class LogFollowerTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_log = new QByteArray;
        RunHarness h;
        h.Prepare(LoopedDischargeSteps());
        ASSERT_EQ(h.Run(30000), RunOutcome::Finished) << h.op.Texts().join("|").toStdString();
        *s_log = ReadFileBytes(h.LogPath(h.station->Views().Get(Displays::SerialNumber)));
        ASSERT_GT(s_log->count('\n'), 10);
    }
    static void TearDownTestSuite() {
        delete s_log;
        s_log = nullptr;
    }

    static QList<QByteArray> DataLines() {
        QList<QByteArray> lines = s_log->trimmed().split('\n');
        lines.removeFirst();
        return lines;
    }

    // Writes `bytes` to the log file, as finished a while ago.
    void WriteFinished(const QByteArray& bytes) {
        WriteFileBytes(path, bytes);
        MakeOld();
    }
    void MakeOld() {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                         QFileDevice::FileModificationTime);
    }

    static QByteArray* s_log;
    QTemporaryDir dir;
    QString path = dir.filePath("SN1.CSV");
    LogFollower follower;
};
QByteArray* LogFollowerTest::s_log = nullptr;
}  // namespace

TEST_F(LogFollowerTest, FinishedLogGivesEveryPointAndItsStepsWithChargeAndEnergy) {
    WriteFinished(*s_log);
    QVector<LoggedPoint> points;
    QObject::connect(&follower, &LogFollower::pointsRead,
                     [&](const QVector<LoggedPoint>& more) { points += more; });
    QString error;
    ASSERT_TRUE(follower.Open(path, &error)) << error.toStdString();

    const QList<QByteArray> lines = DataLines();
    ASSERT_EQ(points.size(), lines.size());
    for (int i = 1; i < points.size(); ++i) {
        ASSERT_GE(points[i].seconds, points[i - 1].seconds) << i;
        ASSERT_EQ(points[i].seconds >= points[i].totalSeconds &&
                      points[i].seconds < points[i].totalSeconds + 1,
                  true);
    }
    EXPECT_EQ(points.back().number, lines.size());

    // The rest, then the discharge once per pass of the loop.
    const QVector<StepStretch>& steps = follower.Summary().Stretches();
    ASSERT_EQ(steps.size(), 3);
    EXPECT_EQ(steps[0].step, 1);
    EXPECT_EQ(steps[0].ampereHours, 0);
    EXPECT_EQ(steps[1].step, 3);
    EXPECT_EQ(steps[2].step, 3);
    EXPECT_EQ(steps[1].pass, 1);
    EXPECT_EQ(steps[2].pass, 2);
    EXPECT_NE(steps[1].loop1, steps[2].loop1);
    EXPECT_EQ(steps[1].stepMode, "CC");
    EXPECT_DOUBLE_EQ(steps[1].start, steps[0].start + steps[0].duration);
    qint64 counted = 0;
    double totalAh = 0;
    for (const StepStretch& step : steps) {
        counted += step.points;
        totalAh += step.ampereHours;
    }
    EXPECT_EQ(counted, points.size());
    EXPECT_NEAR(follower.Summary().TotalAmpereHours(), totalAh, 1e-12);

    // 6 A summed over the phases for the time the discharge ran; the
    // energy at the voltage it ran at.
    for (int i : {1, 2}) {
        const double hours = steps[i].duration / 3600;
        ASSERT_GT(hours, 0);
        EXPECT_NEAR(steps[i].ampereHours / hours, 6.0, 0.6) << i;
        const double meanPower = steps[i].wattHours / hours;
        EXPECT_GT(meanPower, 6.0 * steps[i].lastVoltage * 0.9) << i;
        EXPECT_LT(meanPower, 6.0 * steps[i].lastVoltage * 1.1) << i;
    }
    const QList<QByteArray> last = lines.back().trimmed().split(',');
    EXPECT_NEAR(steps[2].lastVoltage,
                (last[4].toDouble() + last[5].toDouble() + last[6].toDouble()) / 3, 1e-9);
}

TEST_F(LogFollowerTest, RunningLogIsFollowedAsItGrowsAndReadAgainWhenReplaced) {
    const QByteArray& log = *s_log;
    const int firstPart = log.indexOf('\n', log.size() / 2) - 7;  // ends inside a line
    WriteFileBytes(path, log.left(firstPart));
    QVector<LoggedPoint> points;
    QObject::connect(&follower, &LogFollower::pointsRead,
                     [&](const QVector<LoggedPoint>& more) { points += more; });
    QSignalSpy restarts(&follower, &LogFollower::restarted);
    QString error;
    ASSERT_TRUE(follower.Open(path, &error)) << error.toStdString();
    // Written just now: the newest second may still grow and is held back.
    const int linesInFirstPart = log.left(firstPart).count('\n') - 1;
    EXPECT_GT(points.size(), 0);
    EXPECT_LT(points.size(), linesInFirstPart);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(log.mid(firstPart));
    file.close();
    MakeOld();
    const int all = DataLines().size();
    EXPECT_TRUE(QTest::qWaitFor([&] { return points.size() == all; }, 5000)) << points.size();
    EXPECT_EQ(follower.Summary().Points(), all);
    EXPECT_EQ(follower.Summary().Stretches().size(), 3);
    EXPECT_EQ(restarts.count(), 0);

    // A new run of the same serial number, longer than the first: its log takes the name.
    QByteArray second = log.left(log.indexOf('\n') + 1);
    const int secondPoints = 2 * all + 5;
    for (int i = 1; i <= secondPoints; ++i) {
        second += QStringLiteral("%1,1,,15:00:00,50,50,50,0,0,0,0,0,0,00:%2:%3,\r\n")
                      .arg(i)
                      .arg(i / 60, 2, 10, QLatin1Char('0'))
                      .arg(i % 60, 2, 10, QLatin1Char('0'))
                      .toUtf8();
    }
    ASSERT_GT(second.size(), log.size());
    WriteFinished(second);
    ASSERT_TRUE(QTest::qWaitFor([&] { return restarts.count() == 1; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return follower.Summary().Points() == secondPoints; }, 5000));
    EXPECT_EQ(follower.Summary().Stretches().size(), 1);
    EXPECT_EQ(follower.Summary().Stretches()[0].lastVoltage, 50);
}

TEST_F(LogFollowerTest, FilesThatAreNoDataLogsGetAMessageNamingThem) {
    QString error;
    EXPECT_FALSE(follower.Open(dir.filePath("missing.CSV"), &error));
    EXPECT_TRUE(error.contains("missing.CSV cannot be opened")) << error.toStdString();

    WriteFileBytes(path, "");
    EXPECT_FALSE(follower.Open(path, &error));
    EXPECT_EQ(error, path + " is not a data log: the file is empty.");

    WriteFileBytes(path, "[TestStep Option]\r\nMeasureTime=0.01\r\n");
    EXPECT_FALSE(follower.Open(path, &error));
    EXPECT_TRUE(
        error.startsWith(path + " is not a data log: its first line is not a data log header"))
        << error.toStdString();

    WriteFileBytes(path, "No.,Step");  // no line end, nothing more coming
    EXPECT_FALSE(follower.Open(path, &error));
    EXPECT_TRUE(error.contains("is not a data log")) << error.toStdString();
}
