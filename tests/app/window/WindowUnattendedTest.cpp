#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include "IniFile.h"
#include "RunJournal.h"
#include "SafetyLimitsDialog.h"
#include "Station.h"
#include "TestFile.h"
#include "TestFiles.h"
#include "WindowFixture.h"

// What the window offers for unattended runs: the interrupted test at
// start-up, the safety limits dialog, the test's running totals.

namespace {
const QList<WindowFixture::Step> kTwoSteps = {
    {"Suspend", "", "", "0.4", "0", "", "", "0.2", "NextStep"},
    {"DisCharge", "CC", "10", "0.6", "0", "0", "0", "0.2", "NextStep"},
};

// A program folder as a power cut in step 2 of CELL1's test leaves it.
void WriteInterruptedTest(WindowFixture& f) {
    f.WriteSettings("[TRIO]\r\nConnectMode=2\r\nSaveLogFileFlag=1\r\n");
    f.WriteTest(kTwoSteps);
    QDir(f.home.path()).mkdir("TestLog");
    const QString log = f.home.filePath("TestLog/CELL1.CSV");
    WriteFileBytes(log, "No.,Step\r\n1,1,,14:02:06\r\n2,2,,14:02:07\r\n");
    TestDocument test;
    RecordingOperator quiet;
    ASSERT_TRUE(test.OpenTestFile(f.TestPath(), quiet));
    JournalRecord record;
    record.serialNumber = "CELL1";
    record.testFile = f.TestPath();
    record.stepsSha256 = test.StepsSha256();
    record.logFile = log;
    record.resultsFile = f.home.filePath("TestLog/CELL1.json");
    record.lastLine = 2;
    record.lastPoint = QDateTime(QDate(2026, 12, 8), QTime(14, 2, 7));
    record.plan.step = 1;
    record.plan.timed = true;
    record.plan.stepElapsed = 0.2;
    record.plan.totalElapsed = 0.6;
    QString error;
    ASSERT_TRUE(RunJournal::Write(f.home.filePath("TestLog/CELL1.run"), record, &error));
}

// Starts the window on that folder, the question answered with `answer`.
void StartUpAnswering(WindowFixture& f, const QString& answer, bool withLoad) {
    WriteInterruptedTest(f);
    if (withLoad) {
        f.UseSimulatedLoad();
    }
    f.op.choiceAnswer = answer;
    f.StartUp();
}

QStringList LogLines(const WindowFixture& f, const QString& name) {
    return QString::fromUtf8(ReadFileBytes(f.home.filePath("TestLog/" + name)))
        .split("\r\n", Qt::SkipEmptyParts);
}
}  // namespace

TEST(WindowUnattended, AnInterruptedTestIsOfferedAtStartUpAndDoneAsAnswered) {
    const QString question =
        "The test of CELL1 was interrupted at step 2 (2026-12-08 14:02:07). Resume it?";
    const QStringList choices{"Resume", "Start over", "Not now"};
    {
        WindowFixture f;
        StartUpAnswering(f, "Not now", false);
        ASSERT_TRUE(f.WaitFor([&] { return !f.op.questions.isEmpty(); }));
        EXPECT_EQ(f.op.questions[0].text, question);
        EXPECT_EQ(f.op.questions[0].choices, choices);
        QTest::qWait(100);
        EXPECT_FALSE(f.station->State().Running);
        EXPECT_TRUE(QFile::exists(f.home.filePath("TestLog/CELL1.run")));
    }
    {
        WindowFixture f;
        StartUpAnswering(f, "Resume", true);
        ASSERT_TRUE(f.WaitFor([&] { return f.op.Texts().contains("Test Finished"); }, 20000))
            << f.op.Texts().join("|").toStdString();
        EXPECT_EQ(f.Find<QLineEdit>("SNText")->text(), "CELL1");
        // The log goes on after its two lines, in step 2.
        const QStringList log = LogLines(f, "CELL1.CSV");
        ASSERT_GT(log.size(), 3);
        EXPECT_TRUE(log[3].startsWith("3,2,")) << log[3].toStdString();
        EXPECT_FALSE(QFile::exists(f.home.filePath("TestLog/CELL1.run")));
    }
    {
        WindowFixture f;
        StartUpAnswering(f, "Start over", true);
        ASSERT_TRUE(f.WaitFor([&] { return f.op.Texts().contains("Test Finished"); }, 20000));
        EXPECT_TRUE(QFile::exists(f.home.filePath("TestLog/CELL1.run.discarded")));
        EXPECT_TRUE(LogLines(f, "CELL1.CSV").value(1).startsWith("1,1,"));
        EXPECT_EQ(QDir(f.home.filePath("TestLog")).entryList({"CELL1-*.CSV"}).size(), 1);
    }
}

TEST(WindowUnattended, LimitsDialogWritesTheTestFileAndRefusesWhatIsNoLimit) {
    WindowFixture f;
    f.WriteSettings("[TRIO]\r\nConnectMode=2\r\nSaveLogFileFlag=1\r\n");
    f.WriteTest(kTwoSteps);
    f.StartUp();
    f.Click("LimitsCommand");
    auto* dialog = f.window->findChild<SafetyLimitsDialog*>("SafetyLimitsDialog");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(dialog->isVisible());

    dialog->findChild<QLineEdit*>("MaxCurrentText")->setText("abc");
    dialog->accept();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(f.op.Texts(),
              QStringList{"Safety Limits: MaxCurrent \"abc\" is not a number of 0 or more."});
    EXPECT_FALSE(ReadFileBytes(f.TestPath()).contains("Safety"));

    dialog->findChild<QLineEdit*>("MaxCurrentText")->setText("20");
    dialog->findChild<QLineEdit*>("MinVoltageText")->setText("40,5");
    dialog->findChild<QComboBox*>("ActionBox")->setCurrentText("Pause");
    dialog->accept();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(ReadSetting(f.TestPath(), "Safety Limits", "MaxCurrent", ""), "20");
    EXPECT_EQ(ReadSetting(f.TestPath(), "Safety Limits", "MinVoltage", ""), "40.5");
    EXPECT_EQ(ReadSetting(f.TestPath(), "Safety Limits", "Action", ""), "Pause");
    EXPECT_EQ(f.station->Test().Limits().maxCurrent, 20.0);
    // The limits are no edit of the steps: nothing waits to be saved.
    EXPECT_FALSE(f.window->isWindowModified());

    // Reopened, it shows what the file holds.
    f.Click("LimitsCommand");
    ASSERT_TRUE(f.WaitFor([&] {
        const auto dialogs = f.window->findChildren<SafetyLimitsDialog*>("SafetyLimitsDialog");
        return !dialogs.isEmpty() && dialogs.last()->isVisible();
    }));
    auto* again = f.window->findChildren<SafetyLimitsDialog*>("SafetyLimitsDialog").last();
    EXPECT_EQ(again->findChild<QLineEdit*>("MinVoltageText")->text(), "40.5");
    EXPECT_EQ(again->findChild<QLineEdit*>("MaxPowerText")->text(), "");
    EXPECT_EQ(again->findChild<QComboBox*>("ActionBox")->currentText(), "Pause");
}

TEST(WindowUnattended, TestTotalsStayAfterTheRunBesideTheStepsOwn) {
    WindowFixture f;
    f.WriteSettings("[TRIO]\r\nConnectMode=2\r\nSaveLogFileFlag=1\r\n");
    f.WriteTest(kTwoSteps);
    f.UseSimulatedLoad();
    f.StartUp();
    f.Click("StartCommand");
    ASSERT_TRUE(f.WaitFor([&] { return f.station->State().Running; }));
    EXPECT_FALSE(f.Find<QWidget>("LimitsCommand")->isEnabled());
    ASSERT_TRUE(f.WaitFor([&] { return f.op.Texts().contains("Test Finished"); }, 20000));
    const double ah = f.Find<QLineEdit>("TestAHText")->text().toDouble();
    // 10 A for about 0.6 s.
    EXPECT_NEAR(ah, 10 * 0.6 / 3600, 0.0008);
    EXPECT_GT(f.Find<QLineEdit>("TestWHText")->text().toDouble(), ah * 50);
    EXPECT_TRUE(f.Find<QWidget>("LimitsCommand")->isEnabled());
}
