#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QTemporaryDir>

#include "IniFile.h"
#include "RecordingOperator.h"
#include "TestFile.h"
#include "TestFiles.h"

// Test files that editors, disks and people damage: each must load without a
// crash or a hang, take the defaults where keys are missing, and keep its
// odd lines through a save.
namespace {
// The bytes of a literal, NULs included.
template <size_t N>
QByteArray Raw(const char (&text)[N]) {
    return QByteArray(text, N - 1);
}

class BadTestFile : public ::testing::Test {
  protected:
    QString Path() const { return dir.filePath("bad.ini"); }
    void Load(const QByteArray& bytes) {
        WriteFileBytes(Path(), bytes);
        doc.SetPath(Path());
        doc.LoadTestFile(op);
    }

    QTemporaryDir dir;
    TestDocument doc;
    RecordingOperator op;
};
}  // namespace

TEST_F(BadTestFile, EmptyFileGivesDefaults) {
    Load("");
    EXPECT_EQ(doc.Table().StepCount(), 0);
    EXPECT_EQ(doc.Options(), TestOptions{});
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(BadTestFile, RandomBytesLoadAndSave) {
    QRandomGenerator random(20240611);
    QByteArray bytes(256 * 1024, Qt::Uninitialized);
    for (char& c : bytes) {
        c = static_cast<char>(random.bounded(256));
    }
    Load(bytes);
    EXPECT_LE(doc.Table().StepCount(), StepTable::kMaxSteps);
    ASSERT_TRUE(doc.SaveTestFile(op));
    doc.LoadTestFile(op);
    EXPECT_EQ(doc.TotalStepCount(), doc.Table().StepCount());
}

TEST_F(BadTestFile, NulBytesStayInsideTheirValue) {
    Load(
        Raw("[TestStep Option]\r\nTotalStepCount=1\0junk\r\n[Step1]\r\nActionMode=FO\0R\r\n"
            "StopTime=\0\r\n"));
    ASSERT_EQ(doc.TotalStepCount(), 1);
    EXPECT_EQ(doc.Table().Cell(1, StepColumn::ActionMode), QString::fromLatin1(Raw("FO\0R")));
    EXPECT_TRUE(op.messages.isEmpty());  // not a FOR step
    ASSERT_TRUE(doc.SaveTestFile(op));
    EXPECT_TRUE(ReadFileBytes(Path()).contains(Raw("ActionMode=FO\0R\r\n")));
}

TEST_F(BadTestFile, FirstOfDuplicateSectionsAndKeysWins) {
    Load(
        "[TestStep Option]\nTotalStepCount=1\nTotalStepCount=9\n"
        "[Step1]\nActionMode=Suspend\nActionMode=FOR\n"
        "[STEP1]\nActionMode=LOOP\nStopTime=5\n"
        "[TestStep Option]\nMeasureTime=2\n");
    EXPECT_EQ(doc.TotalStepCount(), 1);
    EXPECT_EQ(doc.Table().Cell(1, StepColumn::ActionMode), "Suspend");
    EXPECT_EQ(doc.Table().Cell(1, StepColumn::DwellTime), "0");
    EXPECT_EQ(doc.Options().measureTime, 0.01);

    doc.Table().SetCell(1, StepColumn::DwellTime, "7");
    ASSERT_TRUE(doc.SaveTestFile(op));
    const QByteArray saved = ReadFileBytes(Path());
    EXPECT_TRUE(saved.contains("ActionMode=FOR\r\n"));  // the shadowed lines stay
    EXPECT_TRUE(saved.contains("[STEP1]\r\nActionMode=LOOP\r\nStopTime=5\r\n"));
    EXPECT_TRUE(saved.contains("[Step1]\r\nActionMode=Suspend\r\nActionMode=FOR\r\nLoadModeVolt="));
    EXPECT_EQ(ReadSetting(Path(), "Step1", "StopTime", ""), "7");
}

TEST_F(BadTestFile, LinesWithoutEqualsAreKeptButNotRead) {
    Load(
        "garbage before any section\n[TestStep Option]\nTotalStepCount 4\nTotalStepCount=1\n"
        "[Step1]\nActionMode DisCharge\n=orphan value\n[unclosed\nActionMode=FOR\n");
    EXPECT_EQ(doc.TotalStepCount(), 1);
    EXPECT_EQ(doc.Table().Cell(1, StepColumn::ActionMode), "0");
    ASSERT_TRUE(doc.SaveTestFile(op));
    const QByteArray saved = ReadFileBytes(Path());
    EXPECT_TRUE(saved.startsWith("garbage before any section\r\n[TestStep Option]\r\n"));
    EXPECT_TRUE(saved.contains("ActionMode DisCharge\r\n=orphan value\r\n"));
    EXPECT_TRUE(saved.contains("[unclosed\r\nActionMode=FOR\r\n"));
    EXPECT_EQ(ReadSetting(Path(), "unclosed", "ActionMode", ""), "FOR");
}

TEST_F(BadTestFile, VeryLongLinesAreCutToTheValueLimit) {
    const QByteArray longText(10000, 'x');
    Load("[TestStep Option]\nTotalStepCount=2\n" + longText + "\n[" + longText +
         "]\nk=v\n[Step1]\nActionMode=" + longText + "\n" + longText +
         "=1\n[Step2]\nStopTime=" + QByteArray(5000, '9') + "\n");
    ASSERT_EQ(doc.TotalStepCount(), 2);
    EXPECT_EQ(doc.Table().Cell(1, StepColumn::ActionMode), QString(254, 'x'));
    EXPECT_EQ(doc.Table().Cell(2, StepColumn::DwellTime), QString(254, '9'));
    EXPECT_EQ(ReadSetting(Path(), QString(10000, 'x'), "k", ""), "v");
}

TEST_F(BadTestFile, MillionLinesLoadInOnePass) {
    QByteArray bytes = "[TestStep Option]\r\nTotalStepCount=2\r\n[Step1]\r\nActionMode=FOR\r\n";
    bytes.reserve(bytes.size() + 1000000 * 16);
    for (int i = 0; i < 1000000; ++i) {
        bytes += (i % 2 == 0) ? "StopValue=3\r\n" : "no equals here\r\n";
    }
    bytes += "[Step2]\r\nActionMode=LOOP\r\n";
    Load(bytes);
    ASSERT_EQ(doc.TotalStepCount(), 2);
    EXPECT_EQ(doc.Table().Cell(1, StepColumn::LoopTimes), "3");
    EXPECT_EQ(doc.Table().Cell(2, StepColumn::ActionMode), "LOOP");
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST(IniFileText, LineBreaksInValuesCannotAddKeysOrSections) {
    IniFile ini;
    ini.SetValue("Step1", "ActionMode", "FOR\r\n[Step2]\nActionMode=LOOP");
    ini.SetValue("Step1", "StopTime", "1");
    const IniFile back = IniFile::FromBytes(ini.ToBytes());
    EXPECT_EQ(back.Value("Step1", "ActionMode", ""), "FOR  [Step2] ActionMode=LOOP");
    EXPECT_FALSE(back.Contains("Step2", "ActionMode"));
    EXPECT_EQ(back.Value("Step1", "StopTime", ""), "1");
}

TEST(IniFileText, ByteOrderMarkDoesNotHideTheFirstSection) {
    const QByteArray bytes = "\xEF\xBB\xBF[TestStep Option]\r\nTotalStepCount=3\r\n";
    IniFile ini = IniFile::FromBytes(bytes);
    EXPECT_EQ(ini.Value("TestStep Option", "TotalStepCount", "0"), "3");
    ini.SetValue("TestStep Option", "TotalStepCount", "3");
    EXPECT_EQ(ini.ToBytes(), bytes);
    ini.SetValue("TestStep Option", "TotalStepCount", "4");
    EXPECT_EQ(ini.ToBytes(), "\xEF\xBB\xBF[TestStep Option]\r\nTotalStepCount=4\r\n");
}

TEST(IniFileText, ReadsLfCrLfAndMixedLineEnds) {
    const IniFile ini = IniFile::FromBytes("[A]\nx=1\r\ny=2\n[B]\r\nz=3");
    EXPECT_EQ(ini.Value("A", "x", ""), "1");
    EXPECT_EQ(ini.Value("A", "y", ""), "2");
    EXPECT_EQ(ini.Value("B", "z", ""), "3");
    EXPECT_EQ(ini.ToBytes(), "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n");
}
