#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ActionCatalogue.h"
#include "IniFile.h"
#include "ProgramSettings.h"
#include "RecordingOperator.h"
#include "TestFile.h"

// The example files shipped with the program load as documented, so that
// they never rot. They are copied first: the tests save over them.
namespace {
class ExampleFiles : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        const QDir source(QStringLiteral(ZLD_EXAMPLES_DIR "/") + GetParam());
        for (const char* name : {"TRIO.INI", "TestFile01.INI"}) {
            ASSERT_TRUE(QFile::copy(source.filePath(name), dir.filePath(name))) << name;
        }
        settings = LoadProgramSettings(dir.path());
        doc.SetPath(settings.testFilePath);
        doc.LoadTestFile(op);
    }
    QString Connection(const char* key) const {
        return ReadSetting(doc.Path(), "Load1 Option", key, "<missing>");
    }

    QTemporaryDir dir;
    ProgramSettings settings;
    TestDocument doc;
    RecordingOperator op;
};
}  // namespace

TEST_P(ExampleFiles, SettingsFillEveryPicker) {
    EXPECT_EQ(settings.testFilePath, dir.filePath("TestFile01.INI"));
    EXPECT_EQ(settings.saveLogFlag, 1);
    EXPECT_TRUE(settings.lanMode);
    EXPECT_EQ(settings.actionNames, Action::All());
    EXPECT_EQ(settings.loadModeNames, QStringList({"CC", "CR", "CV", "CP", "LINCC"}));
    EXPECT_EQ(settings.highLowNames, QStringList({"High", "Low"}));
}

TEST_P(ExampleFiles, TestFileLoadsBalancedWithKnownActions) {
    EXPECT_TRUE(op.messages.isEmpty());
    ASSERT_GT(doc.TotalStepCount(), 0);
    EXPECT_EQ(doc.Options(), TestOptions{});
    for (int r = 1; r <= doc.Table().StepCount(); ++r) {
        EXPECT_TRUE(Action::IsKnown(doc.Table().Cell(r, StepColumn::ActionMode))) << "step " << r;
    }
    EXPECT_EQ(Connection("Port"), "4001");
    EXPECT_EQ(Connection("BaudRate"), "115200");

    // Saving what was loaded changes nothing in the file.
    const QByteArray before = [&] {
        QFile f(doc.Path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    ASSERT_TRUE(doc.SaveTestFile(op));
    QFile after(doc.Path());
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
}

INSTANTIATE_TEST_SUITE_P(Bundled, ExampleFiles, ::testing::Values("demo", "."));

TEST(DemoExample, IsTheShortBatteryTestAgainstTheLocalLoad) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(ZLD_EXAMPLES_DIR "/demo/TestFile01.INI", dir.filePath("t.ini")));
    TestDocument doc;
    RecordingOperator op;
    doc.SetPath(dir.filePath("t.ini"));
    doc.LoadTestFile(op);
    ASSERT_EQ(doc.TotalStepCount(), 8);
    const StepTable& t = doc.Table();
    EXPECT_EQ(t.StepCells(1),
              (StepTable::Cells{"Suspend", "", "", "3", "0", "", "", "1", "NextStep", "", "", ""}));
    EXPECT_EQ(t.Cell(2, StepColumn::ActionMode), "FOR");
    EXPECT_EQ(t.Cell(2, StepColumn::LoopTimes), "2");
    EXPECT_EQ(t.StepCells(3), (StepTable::Cells{"DisCharge", "CC", "30", "5", "42", "0", "0", "1",
                                                "NextStep", "", "", ""}));
    EXPECT_EQ(t.Cell(5, StepColumn::ActionMode), "LOOP");
    EXPECT_EQ(t.StepCells(6), (StepTable::Cells{"PlusLoad", "20", "2", "100", "100", "1", "5", "10",
                                                "NextStep", "", "", ""}));
    EXPECT_EQ(t.StepCells(7), (StepTable::Cells{"DCIRHigh", "CC", "50", "3", "40", "0.5", "0", "1",
                                                "", "", "", ""}));
    EXPECT_EQ(t.StepCells(8), (StepTable::Cells{"LoadLevel", "CC", "5", "5", "", "", "", "1", "",
                                                "60", "1.4", "1"}));
    // The demo talks to the simulated load on this machine only.
    EXPECT_EQ(ReadSetting(doc.Path(), "Load1 Option", "IP", ""), "127.0.0.1");
}
