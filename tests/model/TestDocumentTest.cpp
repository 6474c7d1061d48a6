#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>
#include <QDir>
#include <QTemporaryDir>
#include <csignal>

#include "IniFile.h"
#include "RecordingOperator.h"
#include "TestFile.h"
#include "TestFiles.h"

namespace {
const QString kOpenLoopError = QStringLiteral(
    "Open Error, For - Loop use method have error, Please check it. (System auto addition LOOP "
    "function at last)");
const QString kSaveLoopError =
    QStringLiteral("Save has Error, For - Loop use method have error, Please check it");

QByteArray Lines(const QStringList& lines) {
    return (lines.join("\r\n") + "\r\n").toUtf8();
}

// A file whose steps carry only an action name.
QByteArray ActionsFile(const QStringList& actions) {
    QStringList lines{"[TestStep Option]", QStringLiteral("TotalStepCount=%1").arg(actions.size())};
    for (int i = 0; i < actions.size(); ++i) {
        lines << QStringLiteral("[Step%1]").arg(i + 1) << "ActionMode=" + actions[i];
    }
    return Lines(lines);
}

// The two-step file that a save of one discharge and one load-level step
// writes into an empty file, line for line.
const QStringList kTwoStepFile{"[TestStep Option]",
                               "MeasureVoltage=1",
                               "MeasureCurrent=1",
                               "MeasurePower=1",
                               "MeasureResistant=0",
                               "MeasureKWH=1",
                               "MeasureCapability=1",
                               "MeasureTime=0.01",
                               "TotalStepCount=2",
                               "[Step1]",
                               "ActionMode=DisCharge",
                               "LoadModeVolt=CC",
                               "CurrentValue=10",
                               "StopTime=60",
                               "StopValue=2.5",
                               "StableTime=1",
                               "StopAH=1",
                               "MeasTime=1",
                               "GoToStep=NextStep",
                               "Frequency=",
                               "CF=",
                               "PF=",
                               "[Step2]",
                               "ActionMode=LoadLevel",
                               "LoadModeVolt=CC",
                               "CurrentValue=5",
                               "StopTime=300",
                               "StopValue=",
                               "StableTime=",
                               "StopAH=",
                               "MeasTime=1",
                               "GoToStep=",
                               "Frequency=60",
                               "CF=1.4",
                               "PF=1"};

class TestDocumentTest : public ::testing::Test {
  protected:
    QString Path(const QString& name = "test.ini") const { return dir.filePath(name); }

    void Load(const QByteArray& bytes) {
        WriteFileBytes(Path(), bytes);
        doc.SetPath(Path());
        doc.LoadTestFile(op);
    }
    QString Cell(int row, int column) const { return doc.Table().Cell(row, column); }
    QString Stored(const QString& section, const QString& key) const {
        return ReadSetting(Path(), section, key, "<missing>");
    }

    QTemporaryDir dir;
    TestDocument doc;
    RecordingOperator op;
};
}  // namespace

TEST_F(TestDocumentTest, MissingFileLoadsAsEmptyTableWithDefaults) {
    doc.SetPath(Path("none.ini"));
    doc.LoadTestFile(op);
    EXPECT_EQ(doc.Table().GridRowCount(), 1);
    EXPECT_EQ(doc.TotalStepCount(), 0);
    EXPECT_EQ(doc.Options(), TestOptions{});
    EXPECT_TRUE(op.messages.isEmpty());
    EXPECT_FALSE(QFile::exists(Path("none.ini")));  // loading never writes
}

TEST_F(TestDocumentTest, ReadsEveryOptionAndFallsBackOnNonNumericText) {
    Load(Lines({"[testSTEP option]", "MeasureVoltage=0", "MeasureCurrent=0", "MeasurePower=0",
                "MeasureResistant=1", "MeasureKWH=0", "MeasureCapability=0", "MeasureAddKWH=1",
                "MeasureAddCapability=1", "MeasureTemperature=1", "MeasureDCV=1",
                "MeasureRefVoltage=1", "MeasureACIRDCIR=1", "MeasureTime=0.12345"}));
    TestOptions o;
    o.measureVoltage = o.measureCurrent = o.measurePower = 0;
    o.measureKwh = o.measureCapability = 0;
    o.measureResistant = o.measureAddKwh = o.measureAddCapability = 1;
    o.measureTemperature = o.measureDcv = o.measureRefVoltage = o.measureAcirDcir = 1;
    o.measureTime = 0.1235;
    EXPECT_EQ(doc.Options(), o);

    Load(Lines({"[TestStep Option]", "MeasureVoltage=yes", "MeasureResistant=", "MeasureKWH=0x",
                "MeasureTime=fast", "TotalStepCount=none"}));
    TestOptions expected;
    expected.measureKwh = 0;  // leading number 0
    EXPECT_EQ(doc.Options(), expected);
    EXPECT_EQ(doc.TotalStepCount(), 0);
}

TEST_F(TestDocumentTest, StepKeysReadWithTheirDefaults) {
    Load(Lines({"[TestStep Option]", "TotalStepCount=3", "[Step1]", "ActionMode=DisCharge",
                "Frequency=50", "[Step2]", "ActionMode=LoadLevel", "[Step3]",
                "StopTime=", "GoToStep="}));
    const StepTable::Cells discharge{"DisCharge", "0", "0",        "0", "0", "0",
                                     "0",         "1", "NextStep", "",  "",  ""};
    EXPECT_EQ(doc.Table().StepCells(1), discharge);
    const StepTable::Cells level{"LoadLevel", "0", "0",        "0",  "0",   "0",
                                 "0",         "1", "NextStep", "60", "1.4", "1"};
    EXPECT_EQ(doc.Table().StepCells(2), level);
    // A key present with an empty value reads as "", not as its default.
    EXPECT_EQ(Cell(3, StepColumn::ActionMode), "0");
    EXPECT_EQ(Cell(3, StepColumn::DwellTime), "");
    EXPECT_EQ(Cell(3, StepColumn::GoTo), "");
    EXPECT_EQ(doc.Records().Field(1, StepField::CF), "1.4");
    EXPECT_EQ(doc.TotalStepCount(), 3);
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(TestDocumentTest, TurnsDecimalCommasIntoPointsOnlyInNumericFields) {
    QStringList lines{"[TestStep Option]", "TotalStepCount=1", "[Step1]", "ActionMode=LoadLevel"};
    for (int f = 1; f < kStepFieldCount; ++f) {
        lines << StepFieldKeys()[f] + "=1,5";
    }
    Load(Lines(lines));
    const StepTable::Cells expected{"LoadLevel", "1.5", "1.5", "1,5", "1,5", "1,5",
                                    "1.5",       "1.5", "1,5", "1.5", "1.5", "1.5"};
    EXPECT_EQ(doc.Table().StepCells(1), expected);
    EXPECT_EQ(doc.Records().Field(0, StepField::CurrentValue), "1.5");
    EXPECT_EQ(doc.Records().Field(0, StepField::StopTime), "1,5");
}

TEST_F(TestDocumentTest, LoadLevelFieldsOfOtherStepsLeaveRecordsUntouched) {
    Load(ActionsFile({"LoadLevel"}));
    ASSERT_EQ(doc.Records().Field(0, StepField::Frequency), "60");
    Load(Lines({"[TestStep Option]", "TotalStepCount=1", "[Step1]", "ActionMode=Suspend",
                "Frequency=50", "CF=2", "PF=0.5"}));
    EXPECT_EQ(Cell(1, StepColumn::Frequency), "");
    EXPECT_EQ(Cell(1, StepColumn::CF), "");
    EXPECT_EQ(doc.Records().Field(0, StepField::Frequency), "60");
    EXPECT_EQ(doc.Records().Field(0, StepField::PF), "1");
    EXPECT_EQ(doc.Records().Field(0, StepField::ActionMode), "Suspend");
}

TEST_F(TestDocumentTest, SaveWritesCrestAndPowerFactorOnlyInConstantCurrent) {
    doc.SetPath(Path());
    StepTable& t = doc.Table();
    t.SetStepCount(2);
    t.SetStepCells(1, {"LoadLevel", "CR", "8", "300", "", "", "", "1", "", "50", "1.4", "1"});
    t.SetStepCells(2, {"LoadLevel", "CC", "5", "300", "", "", "", "1", "", "60", "2", "0.8"});
    ASSERT_TRUE(doc.SaveTestFile(op));
    EXPECT_EQ(Stored("Step1", "CF"), "");
    EXPECT_EQ(Stored("Step1", "PF"), "");
    EXPECT_EQ(Stored("Step1", "Frequency"), "50");
    EXPECT_EQ(Stored("Step2", "CF"), "2");
    EXPECT_EQ(doc.Records().Field(0, StepField::CF), "");
    EXPECT_EQ(doc.Records().Field(1, StepField::PF), "0.8");

    doc.LoadTestFile(op);
    EXPECT_EQ(Cell(1, StepColumn::CF), "");  // not the defaults 1.4 and 1
    EXPECT_EQ(Cell(1, StepColumn::PF), "");
    EXPECT_EQ(Cell(1, StepColumn::Frequency), "50");
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(TestDocumentTest, LoadClosesOpenLoopsAndSaysSo) {
    Load(ActionsFile({"FOR", "FOR2", "LOOP2"}));
    EXPECT_EQ(op.Texts(), QStringList{kOpenLoopError});
    EXPECT_TRUE(op.messages[0].title.isEmpty());
    ASSERT_EQ(doc.TotalStepCount(), 4);
    EXPECT_EQ(doc.Table().StepCells(4), StepTable::Cells{"LOOP"});
    EXPECT_EQ(Cell(4, StepColumn::Step), "4");
    EXPECT_EQ(doc.Records().Record(3).fields, StepTable::Cells{"LOOP"});

    // The inner level is closed first.
    op.messages.clear();
    Load(ActionsFile({"FOR", "FOR2", "FOR"}));
    EXPECT_EQ(op.Texts(), QStringList{kOpenLoopError});
    ASSERT_EQ(doc.Table().StepCount(), 6);
    EXPECT_EQ(Cell(4, StepColumn::ActionMode), "LOOP2");
    EXPECT_EQ(Cell(5, StepColumn::ActionMode), "LOOP");
    EXPECT_EQ(Cell(6, StepColumn::ActionMode), "LOOP");

    // Too many closings: reported, nothing appended.
    op.messages.clear();
    Load(ActionsFile({"LOOP", "LOOP", "FOR"}));
    EXPECT_EQ(op.Texts(), QStringList{kOpenLoopError});
    EXPECT_EQ(doc.TotalStepCount(), 3);
}

TEST_F(TestDocumentTest, LoopRepairNeverGrowsTheTablePastItsLimit) {
    QStringList actions(StepTable::kMaxSteps, "Suspend");
    actions[0] = "FOR";
    actions[1] = "FOR2";
    Load(ActionsFile(actions));
    EXPECT_EQ(op.Texts(), QStringList{kOpenLoopError});
    EXPECT_EQ(doc.Table().StepCount(), StepTable::kMaxSteps);
    EXPECT_EQ(doc.TotalStepCount(), StepTable::kMaxSteps);

    actions.removeLast();
    Load(ActionsFile(actions));
    ASSERT_EQ(doc.Table().StepCount(), StepTable::kMaxSteps);
    EXPECT_EQ(Cell(StepTable::kMaxSteps, StepColumn::ActionMode), "LOOP2");
    EXPECT_EQ(doc.Records().Field(StepTable::kMaxSteps - 1, StepField::ActionMode), "LOOP2");
}

TEST_F(TestDocumentTest, SaveWarnsAboutUnbalancedLoopsButWrites) {
    doc.SetPath(Path());
    doc.Table().SetStepCount(2);
    doc.Table().SetCell(1, StepColumn::ActionMode, "FOR");
    doc.Table().SetCell(2, StepColumn::ActionMode, "DisCharge");
    ASSERT_TRUE(doc.SaveTestFile(op));
    EXPECT_EQ(op.Texts(), QStringList{kSaveLoopError});
    EXPECT_EQ(Stored("TestStep Option", "TotalStepCount"), "2");
    EXPECT_EQ(Stored("Step1", "ActionMode"), "FOR");
}

TEST_F(TestDocumentTest, MoreThanAThousandStepsAreCut) {
    Load(Lines({"[TestStep Option]", "TotalStepCount=1500", "[Step1000]", "ActionMode=Suspend",
                "[Step1001]", "ActionMode=FOR"}));
    EXPECT_EQ(op.Texts(),
              QStringList{"Test file holds 1500 steps; only the first 1000 were loaded."});
    EXPECT_EQ(doc.TotalStepCount(), 1000);
    EXPECT_EQ(doc.Table().GridRowCount(), 1001);
    EXPECT_EQ(Cell(1000, StepColumn::ActionMode), "Suspend");
    EXPECT_EQ(doc.Records().Field(1000, StepField::ActionMode), "");

    for (const char* count : {"-3", "many", "", "-0.4"}) {
        op.messages.clear();
        Load(Lines({"[TestStep Option]", QStringLiteral("TotalStepCount=%1").arg(count), "[Step1]",
                    "ActionMode=FOR"}));
        EXPECT_EQ(doc.TotalStepCount(), 0) << count;
        EXPECT_EQ(doc.Table().GridRowCount(), 1) << count;
        EXPECT_TRUE(op.messages.isEmpty()) << count;
    }
}

TEST_F(TestDocumentTest, SaveOfTwoStepsWritesTheKnownFileAndReadsItBack) {
    doc.SetPath(Path());
    StepTable& t = doc.Table();
    t.SetStepCount(2);
    t.SetStepCells(1, {"DisCharge", "CC", "10", "60", "2.5", "1", "1", "1", "NextStep"});
    t.SetStepCells(2, {"LoadLevel", "CC", "5", "300", "", "", "", "1", "", "60", "1.4", "1"});
    ASSERT_TRUE(doc.SaveTestFile(op));
    EXPECT_EQ(QString::fromUtf8(ReadFileBytes(Path())), QString::fromUtf8(Lines(kTwoStepFile)));

    // The same file loads into the same table and saves back unchanged.
    TestDocument other;
    other.SetPath(Path());
    other.LoadTestFile(op);
    for (int r = 1; r <= 2; ++r) {
        EXPECT_EQ(other.Table().StepCells(r), t.StepCells(r)) << "step " << r;
    }
    ASSERT_TRUE(other.SaveTestFile(op));
    EXPECT_EQ(ReadFileBytes(Path()), Lines(kTwoStepFile));
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(TestDocumentTest, SaveUpdatesInPlaceAndKeepsWhatItDoesNotWrite) {
    const QByteArray connection =
        "[Load1 Option]\r\n; where the load lives\r\nIP=10.0.0.7\r\nPort=4001\r\nComPort=03\r\n";
    QStringList lines{"[TestStep Option]", "MeasureAddKWH=1", "MeasureVoltage=0",
                      "TotalStepCount=5"};
    for (int i = 1; i <= 5; ++i) {
        lines << QStringLiteral("[Step%1]").arg(i) << "ActionMode=Suspend"
              << QStringLiteral("StopTime=%1").arg(i);
    }
    Load(Lines(lines) + connection);
    ASSERT_EQ(doc.TotalStepCount(), 5);

    doc.Table().RemoveStep(1);
    doc.Table().RemoveStep(1);
    TestOptions options = doc.Options();
    options.measureVoltage = 1;
    doc.SetOptions(options);
    ASSERT_TRUE(doc.SaveTestFile(op));

    const QByteArray saved = ReadFileBytes(Path());
    EXPECT_TRUE(saved.startsWith("[TestStep Option]\r\nMeasureAddKWH=1\r\nMeasureVoltage=1\r\n"))
        << saved.constData();
    EXPECT_TRUE(saved.endsWith(connection)) << saved.constData();
    EXPECT_EQ(Stored("TestStep Option", "TotalStepCount"), "3");
    EXPECT_EQ(Stored("Step1", "StopTime"), "3");
    // Steps beyond the new count stay in the file, unread.
    EXPECT_EQ(Stored("Step4", "StopTime"), "4");
    EXPECT_EQ(Stored("Step5", "StopTime"), "5");
    EXPECT_EQ(Stored("Step5", "MeasTime"), "<missing>");
    doc.LoadTestFile(op);
    EXPECT_EQ(doc.TotalStepCount(), 3);
    EXPECT_EQ(doc.Options().measureAddKwh, 1);
}

TEST_F(TestDocumentTest, FailedSaveKeepsTheOldFileWhole) {
    Load(ActionsFile({"Suspend"}));
    ASSERT_TRUE(doc.SaveTestFile(op));
    const QByteArray before = ReadFileBytes(Path());

    doc.Table().SetStepCount(200);
    // A file size limit lets the write fail whatever rights the test has.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool saved = doc.SaveTestFile(op, &error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(op.Texts(),
              QStringList{QStringLiteral("Cannot save the test file %1: %2").arg(Path(), error)});
    EXPECT_EQ(ReadFileBytes(Path()), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"test.ini"});
}

TEST_F(TestDocumentTest, FileThatCannotBeReadIsReportedAndNeverReplaced) {
    // A folder in place of the file: it exists but cannot be read as one.
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));
    doc.SetPath(Path("folder.ini"));
    EXPECT_FALSE(doc.LoadTestFile(op));
    EXPECT_EQ(op.Texts(), QStringList{Path("folder.ini") + " is not a regular file."});
    EXPECT_EQ(doc.TotalStepCount(), 0);
    EXPECT_FALSE(doc.SaveTestFile(op));
    EXPECT_TRUE(op.messages.last().text.startsWith("Cannot save the test file "));

    if (geteuid() == 0) {
        GTEST_SKIP() << "running with rights that ignore file permissions";
    }
    Load(ActionsFile({"Suspend"}) + "[Load1 Option]\r\nIP=10.0.0.7\r\n");
    QFile::setPermissions(Path(), QFileDevice::WriteOwner);
    EXPECT_FALSE(doc.SaveTestFile(op));
    QFile::setPermissions(Path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(Stored("Load1 Option", "IP"), "10.0.0.7");
}
