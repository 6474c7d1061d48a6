#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "IniFile.h"
#include "ProgramSettings.h"
#include "RecordingOperator.h"
#include "TestFile.h"
#include "TestFiles.h"

// Opening, reloading and saving never lose or silently replace the table the
// operator has: files that are no test files are refused, a failed save
// changes nothing, and the document knows when it differs from its file.
namespace {
QByteArray StepsFile(const QStringList& actions) {
    QByteArray bytes =
        "[TestStep Option]\r\nTotalStepCount=" + QByteArray::number(actions.size()) + "\r\n";
    for (int i = 0; i < actions.size(); ++i) {
        bytes += "[Step" + QByteArray::number(i + 1) + "]\r\nActionMode=" + actions[i].toUtf8() +
                 "\r\nStopTime=" + QByteArray::number(i + 1) + "\r\n";
    }
    return bytes;
}

// A test file padded with NULs to `size` bytes; sparse, so cheap to make.
void WritePaddedFile(const QString& path, const QByteArray& head, qint64 size) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(head), head.size());
    ASSERT_TRUE(file.resize(size));
}

class OpenSaveGuardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteFileBytes(Path(), StepsFile({"Suspend", "DisCharge"}));
        doc.SetPath(Path());
        ASSERT_TRUE(doc.LoadTestFile(op));
    }
    QString Path(const QString& name = "test.ini") const { return dir.filePath(name); }
    // The path, records, step count and (unless edited) the table still
    // hold the file loaded first.
    void ExpectFirstFileKept(bool tableToo = true) const {
        EXPECT_EQ(doc.Path(), Path());
        EXPECT_EQ(doc.TotalStepCount(), 2);
        EXPECT_EQ(doc.Records().Field(1, StepField::ActionMode), "DisCharge");
        if (tableToo) {
            ASSERT_EQ(doc.Table().StepCount(), 2);
            EXPECT_EQ(doc.Table().Cell(2, StepColumn::ActionMode), "DisCharge");
        }
    }

    QTemporaryDir dir;
    TestDocument doc;
    RecordingOperator op;
};
}  // namespace

TEST_F(OpenSaveGuardTest, FilesLargerThanSixteenMegabytesOrNoRegularFileAreRefused) {
    const qint64 limit = 16 * 1024 * 1024;
    const QByteArray head = StepsFile({"FOR", "LOOP", "Suspend"});
    WritePaddedFile(Path("big.ini"), head, limit + 1);
    WritePaddedFile(Path("edge.ini"), head, limit);
    struct Case {
        QString path;
        QString message;
    };
    const Case refused[] = {
        {Path("big.ini"), Path("big.ini") + " is too large to be a test file."},
        {"/dev/zero", "/dev/zero is not a regular file."},
        {dir.path(), dir.path() + " is not a regular file."},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.path.toStdString());
        op.messages.clear();
        EXPECT_FALSE(doc.OpenTestFile(c.path, op));
        EXPECT_EQ(op.Texts(), QStringList{c.message});
        ExpectFirstFileKept();

        // The same file as the current one, reloaded (as Stop does).
        op.messages.clear();
        doc.SetPath(c.path);
        EXPECT_FALSE(doc.LoadTestFile(op));
        EXPECT_EQ(op.Texts(), QStringList{c.message});
        doc.SetPath(Path());
        ExpectFirstFileKept();
    }

    // Exactly 16 MB still is a test file.
    op.messages.clear();
    ASSERT_TRUE(doc.OpenTestFile(Path("edge.ini"), op));
    EXPECT_TRUE(op.messages.isEmpty());
    EXPECT_EQ(doc.TotalStepCount(), 3);
}

TEST_F(OpenSaveGuardTest, OpenRefusesWhatIsNoTestFileAndKeepsEverything) {
    WriteFileBytes(Path("TRIO.INI"), "[TRIO]\r\nTestFileName01=x.ini\r\nConnectMode=2\r\n");
    WriteFileBytes(Path("empty.ini"), "");
    WriteFileBytes(Path("junk.bin"), QByteArray("\x7f"
                                                "ELF\x02\x01\x01",
                                                7) +
                                         QByteArray(3, '\0') + "[Step]\r\n[Step1x]\r\nx=1");
    WriteFileBytes(Path("log.csv"), "No.,Step,Loop1\r\n1,1,,14:02:07\r\n");
    for (const char* name : {"TRIO.INI", "empty.ini", "junk.bin", "log.csv"}) {
        SCOPED_TRACE(name);
        op.messages.clear();
        EXPECT_FALSE(doc.OpenTestFile(Path(name), op));
        EXPECT_EQ(op.Texts(), QStringList{Path(name) + " is not a test file."});
        ExpectFirstFileKept();
    }
    op.messages.clear();
    EXPECT_FALSE(doc.OpenTestFile(Path("gone.ini"), op));
    EXPECT_EQ(op.Texts(), QStringList{Path("gone.ini") + ": no such file."});
    ExpectFirstFileKept();

    // One section of either kind makes a test file, in any letter case.
    WriteFileBytes(Path("steps.ini"),
                   "[STEP1]\r\nActionMode=FOR\r\n[step2]\r\nActionMode=LOOP\r\n");
    WriteFileBytes(Path("options.ini"), "[testStep option]\r\nMeasureTime=0.5\r\n");
    ASSERT_TRUE(doc.OpenTestFile(Path("steps.ini"), op));
    EXPECT_EQ(doc.Path(), Path("steps.ini"));
    EXPECT_EQ(doc.TotalStepCount(), 0);  // no count given: an empty table
    ASSERT_TRUE(doc.OpenTestFile(Path("options.ini"), op));
    EXPECT_EQ(doc.Options().measureTime, 0.5);
}

TEST_F(OpenSaveGuardTest, FailedSaveChangesNothingUntilAWriteSucceeds) {
    doc.Table().SetStepCount(3);
    doc.Table().SetCell(1, StepColumn::ActionMode, "FOR");
    doc.Table().SetCell(3, StepColumn::ActionMode, "LOOP");
    ASSERT_TRUE(doc.IsModified());
    const QString unwritable = Path("no such folder/test.ini");

    QString error;
    EXPECT_FALSE(doc.SaveTestFileAs(unwritable, op, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(
        op.Texts(),
        QStringList{QStringLiteral("Cannot save the test file %1: %2").arg(unwritable, error)});
    ExpectFirstFileKept(false);
    EXPECT_EQ(doc.Records().Field(0, StepField::ActionMode), "Suspend");
    EXPECT_EQ(doc.Records().Field(2, StepField::ActionMode), "");
    EXPECT_TRUE(doc.IsModified());

    ASSERT_TRUE(doc.SaveTestFileAs(Path("new.ini"), op));
    EXPECT_EQ(doc.Path(), Path("new.ini"));
    EXPECT_EQ(doc.TotalStepCount(), 3);
    EXPECT_EQ(doc.Records().Field(0, StepField::ActionMode), "FOR");
    EXPECT_EQ(doc.Records().Field(2, StepField::ActionMode), "LOOP");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(ReadSetting(Path("new.ini"), "Step3", "ActionMode", ""), "LOOP");
}

TEST_F(OpenSaveGuardTest, ModifiedFollowsTheDifferenceFromTheFile) {
    QSignalSpy changes(&doc, &TestDocument::modifiedChanged);
    EXPECT_FALSE(doc.IsModified());

    doc.Table().SetCell(2, StepColumn::Value, "5");
    EXPECT_TRUE(doc.IsModified());
    doc.Table().SetCell(1, StepColumn::Value, "7");  // still modified: no second signal
    doc.Table().SetCell(1, StepColumn::Value, "0");
    doc.Table().SetCell(2, StepColumn::Value, "0");  // both as the file has them
    EXPECT_FALSE(doc.IsModified());
    ASSERT_EQ(changes.size(), 2);
    EXPECT_EQ(changes[0][0].toBool(), true);
    EXPECT_EQ(changes[1][0].toBool(), false);

    doc.Table().SwapSteps(1, 2);
    EXPECT_TRUE(doc.IsModified());
    doc.Table().SwapSteps(1, 2);
    EXPECT_FALSE(doc.IsModified());
    doc.Table().AppendStep();
    EXPECT_TRUE(doc.IsModified());
    doc.Table().RemoveStep(3);
    EXPECT_FALSE(doc.IsModified());

    TestOptions options = doc.Options();
    options.measureResistant = 1;
    doc.SetOptions(options);
    EXPECT_TRUE(doc.IsModified());
    ASSERT_TRUE(doc.SaveTestFile(op));
    EXPECT_FALSE(doc.IsModified());

    // Steps the load appends to close open loops are not in the file yet.
    WriteFileBytes(Path(), StepsFile({"FOR", "Suspend"}));
    doc.LoadTestFile(op);
    EXPECT_TRUE(doc.IsModified());
    ASSERT_TRUE(doc.SaveTestFile(op));
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(OpenSaveGuardTest, HeldModifiedIgnoresTheRunsCountdownAndItsReload) {
    QSignalSpy changes(&doc, &TestDocument::modifiedChanged);
    doc.HoldModified(true);
    doc.Table().SetCell(1, StepColumn::LoopTimes, "2");
    EXPECT_FALSE(doc.IsModified());
    doc.LoadTestFile(op);  // Stop's reload
    doc.HoldModified(false);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(changes.isEmpty());

    // An edit made before the run still shows after it.
    doc.Table().SetCell(1, StepColumn::Value, "3");
    doc.HoldModified(true);
    doc.HoldModified(false);
    doc.HoldModified(false);
    EXPECT_TRUE(doc.IsModified());
}

TEST(SettingsFileGuard, TooLargeSettingsFileGivesDefaultsSaysSoAndIsNeverRewritten) {
    QTemporaryDir dir;
    const QString path = dir.filePath("TRIO.INI");
    WritePaddedFile(path, "[TRIO]\r\nConnectMode=0\r\nSaveLogFileFlag=1\r\n", 17 * 1024 * 1024);
    QString problem;
    ProgramSettings settings = LoadProgramSettings(dir.path(), &problem);
    EXPECT_EQ(problem, QDir::toNativeSeparators(path) + " is too large to be a settings file.");
    EXPECT_EQ(settings.medium, Medium::Lan);
    EXPECT_EQ(settings.saveLogFlag, 0);

    EXPECT_FALSE(settings.StoreTestFilePath(dir.filePath("other.ini")));
    EXPECT_EQ(QFileInfo(path).size(), 17 * 1024 * 1024);
    EXPECT_EQ(settings.testFilePath, settings.DefaultTestFilePath());

    WriteFileBytes(path, "[TRIO]\r\nConnectMode=0\r\n");
    settings = LoadProgramSettings(dir.path(), &problem);
    EXPECT_TRUE(problem.isEmpty());
    EXPECT_EQ(settings.medium, Medium::Serial);
}
