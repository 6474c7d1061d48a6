#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "SerialErrorLog.h"
#include "TestFiles.h"

namespace {
class SerialErrorLogTest : public ::testing::Test {
  protected:
    QString PathOf(const QString& name) const { return QDir(folder.path()).filePath(name); }
    QStringList Lines() const {
        return QString::fromUtf8(ReadFileBytes(PathOf(SerialErrorLog::kFileName)))
            .split("\r\n", Qt::SkipEmptyParts);
    }

    QTemporaryDir folder;
    const QDateTime start{QDate(2026, 3, 2), QTime(9, 0, 0)};
};

// The repeats a count line reports, or 0 for a first line.
qint64 CountIn(const QString& line) {
    static const QRegularExpression count(R"(,repeated (\d+) times since \d\d:\d\d:\d\d: )");
    const auto match = count.match(line);
    return match.hasMatch() ? match.captured(1).toLongLong() : 0;
}
}  // namespace

TEST_F(SerialErrorLogTest, RepeatsAreCountedAtMostOnceAMinuteAndNoneIsLost) {
    const QString gone = QStringLiteral("Resource error (/dev/ttyUSB0)");
    const QString missing = QStringLiteral("No such file or directory (/dev/ttyUSB0)");
    {
        SerialErrorLog log(folder.path());
        // Two errors taking turns, 150 s long, 20 of each a second.
        for (int i = 0; i < 3000; ++i) {
            const QDateTime when = start.addMSecs(i * 50);
            ASSERT_TRUE(log.Append(when, 12, gone));
            ASSERT_TRUE(log.Append(when, 2, missing));
        }
        EXPECT_EQ(Lines().size(), 2 + 2 * 2);  // first lines, then a count a minute each
    }
    // The last counts are written when the log goes.
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 2 + 3 * 2) << lines.join('\n').toStdString();
    EXPECT_EQ(lines[0], "2026/03/02 09:00:00,12,Resource error (/dev/ttyUSB0)");
    EXPECT_EQ(lines[1], "2026/03/02 09:00:00,2,No such file or directory (/dev/ttyUSB0)");
    EXPECT_EQ(lines[2],
              "2026/03/02 09:01:00,12,repeated 1200 times since 09:00:00: Resource error "
              "(/dev/ttyUSB0)");
    qint64 counted[2] = {1, 1};
    for (const QString& line : lines.mid(2)) {
        counted[line.contains(gone) ? 0 : 1] += CountIn(line);
    }
    EXPECT_EQ(counted[0], 3000);
    EXPECT_EQ(counted[1], 3000);
}

TEST_F(SerialErrorLogTest, FileStaysUnderOneMegabyteWithOneRotatedCopy) {
    SerialErrorLog log(folder.path());
    const QString padding(400, QLatin1Char('x'));
    const int appended = 6000;  // about 2.5 MB of distinct errors
    for (int i = 0; i < appended; ++i) {
        ASSERT_TRUE(
            log.Append(start.addSecs(i), i, QStringLiteral("error %1 %2").arg(i).arg(padding)));
    }
    const QFileInfo current(PathOf(SerialErrorLog::kFileName));
    const QFileInfo rotated(PathOf(SerialErrorLog::kRotatedFileName));
    EXPECT_LT(current.size(), SerialErrorLog::kMaxFileBytes);
    ASSERT_TRUE(rotated.exists());
    EXPECT_LT(rotated.size(), SerialErrorLog::kMaxFileBytes);
    EXPECT_GT(rotated.size(), SerialErrorLog::kMaxFileBytes / 2);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 2);
    // The newest error is in the current file, whole.
    EXPECT_TRUE(Lines().last().contains(QStringLiteral(",%1,error %1 ").arg(appended - 1)));
    EXPECT_TRUE(Lines().last().endsWith(padding));
}
