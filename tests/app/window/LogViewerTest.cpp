#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTableView>
#include <QTest>

#include "LogFollower.h"
#include "LogViewer.h"
#include "PhaseChart.h"
#include "QuantityChart.h"
#include "Station.h"
#include "TestFiles.h"
#include "WindowFixture.h"

namespace {
class LogViewerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        f.WriteSettings("[TRIO]\r\nConnectMode=2\r\nSaveLogFileFlag=1\r\n");
        f.WriteTest(LoopedDischargeSteps());
        f.UseSimulatedLoad();
        f.StartUp();
    }

    QString LogPath() const { return f.station->Views().Get(Displays::LogFilePath); }
    bool Finished() const { return f.op.Texts().contains("Test Finished"); }
    static int DataLines(const QString& path) {
        return ReadFileBytes(path).trimmed().count('\n');  // the header has none after it
    }
    static QString Cell(const LogViewer& viewer, int row, int column) {
        const QAbstractItemModel* model = viewer.Steps().model();
        return model->index(row, column).data().toString();
    }

    WindowFixture f;
};
}  // namespace

TEST_F(LogViewerTest, FollowsTheLogOfARunningTestToItsEnd) {
    f.Click("StartCommand");
    ASSERT_TRUE(f.WaitFor([this] { return !LogPath().isEmpty() && DataLines(LogPath()) >= 2; }))
        << f.op.Texts().join("|").toStdString();
    LogViewer* viewer = f.window->OpenLog(LogPath());
    ASSERT_NE(viewer, nullptr) << f.op.Texts().join("|").toStdString();
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->windowTitle(), "Data Log - " + QFileInfo(LogPath()).fileName());
    const QuantityChart& current = viewer->Chart().Chart(PhaseChart::kCurrent);
    const int pointsAtOpen = current.PointCount(0);

    // The run goes on and the viewer takes its points as they are logged.
    ASSERT_TRUE(f.WaitFor([&] { return current.PointCount(0) > pointsAtOpen + 2; }, 15000));
    EXPECT_FALSE(Finished());
    ASSERT_TRUE(f.WaitFor([this] { return Finished(); }, 20000));

    // Once the log is complete, every point is in the charts and every step
    // in the table: the rest, then the discharge once per pass of the loop.
    const int lines = DataLines(LogPath());
    ASSERT_TRUE(f.WaitFor([&] { return current.PointCount(0) == lines; }, 10000))
        << current.PointCount(0) << " of " << lines;
    for (PhaseChart::Quantity q : {PhaseChart::kVoltage, PhaseChart::kPower}) {
        EXPECT_EQ(viewer->Chart().Chart(q).PointCount(2), lines);
    }
    EXPECT_TRUE(std::any_of(current.Data(0).constBegin(), current.Data(0).constEnd(),
                            [](const QCPGraphData& p) { return p.value > 1.0; }));
    ASSERT_EQ(viewer->Steps().model()->rowCount(), 3);
    EXPECT_EQ(Cell(*viewer, 0, 0), "1");
    EXPECT_EQ(Cell(*viewer, 1, 0), "3");
    EXPECT_EQ(Cell(*viewer, 2, 0), "3");
    EXPECT_EQ(Cell(*viewer, 2, 1), "2");  // its second pass
    EXPECT_EQ(Cell(*viewer, 1, 2), "CC");
    EXPECT_EQ(Cell(*viewer, 0, 7), "0.000000");  // no charge at rest
    EXPECT_GT(Cell(*viewer, 1, 7).toDouble(), 0);
    const LogStepSummary& summary = viewer->Follower().Summary();
    EXPECT_EQ(summary.Points(), lines);
    EXPECT_TRUE(viewer->StatusText().contains(QStringLiteral("%1 points").arg(lines)))
        << viewer->StatusText().toStdString();
    EXPECT_TRUE(
        viewer->StatusText().contains(QString::number(summary.TotalAmpereHours(), 'f', 6) + " Ah"));
    viewer->close();
}

TEST_F(LogViewerTest, OpenLogAsksInTheLogFolderAndRefusesFilesThatAreNoLogs) {
    // Not a data log: a message naming the file, and no viewer.
    EXPECT_EQ(f.window->OpenLog(f.TestPath()), nullptr);
    ASSERT_EQ(f.op.messages.size(), 1);
    EXPECT_TRUE(f.op.messages[0].text.startsWith(f.TestPath() + " is not a data log: "))
        << f.op.messages[0].text.toStdString();
    EXPECT_TRUE(f.window->findChildren<LogViewer*>().isEmpty());

    // The dialog starts in TestLog/ and offers CSV files; a cancel opens nothing.
    f.window->AskAndOpenLog();
    EXPECT_EQ(f.op.openDialogs, 1);
    EXPECT_TRUE(f.op.lastPreset.endsWith("TestLog")) << f.op.lastPreset.toStdString();
    EXPECT_TRUE(f.op.lastFilter.contains("*.csv"));
    EXPECT_TRUE(f.window->findChildren<LogViewer*>().isEmpty());

    const QString log = f.home.filePath("TestLog/SN.CSV");
    QDir().mkpath(f.home.filePath("TestLog"));
    WriteFileBytes(log,
                   "No.,Step,Loop1,StepTime,VotlageA,VotlageB,VotlageC,CurrentA,CurrentB,"
                   "CurrentC,PowerA,PowerB,PowerC,TotalTime,StepMode\r\n"
                   "1,1,,14:02:07,53.9,53.9,53.9,0,0,0,0,0,0,00:00:01,\r\n");
    f.op.openAnswer = log;
    f.window->AskAndOpenLog();
    ASSERT_EQ(f.window->findChildren<LogViewer*>().size(), 1);
    const LogViewer* viewer = f.window->findChildren<LogViewer*>()[0];
    // Written just now: its last second shows once the log has been still a moment.
    EXPECT_TRUE(f.WaitFor([&] { return viewer->Steps().model()->rowCount() == 1; }, 5000));
    EXPECT_EQ(f.op.messages.size(), 1);
}
