#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "IniFile.h"
#include "RecordingOperator.h"
#include "TestFile.h"
#include "TestFiles.h"

// The [Safety Limits] section of a test file: read as the file holds it, kept
// through saves, and never a value silently dropped.

namespace {
QByteArray Lines(const QStringList& lines) {
    return (lines.join("\r\n") + "\r\n").toUtf8();
}

const QStringList kOneStep{"[TestStep Option]", "TotalStepCount=1", "[Step1]",
                           "ActionMode=DisCharge", "CurrentValue=10"};

class SafetyLimitsTest : public ::testing::Test {
  protected:
    QString Path(const QString& name = "test.ini") const { return dir.filePath(name); }
    void Load(const QStringList& lines) {
        WriteFileBytes(Path(), Lines(lines));
        ASSERT_TRUE(doc.OpenTestFile(Path(), op));
    }
    QString Stored(const QString& key, const QString& path = QString()) const {
        return ReadSetting(path.isEmpty() ? Path() : path, "Safety Limits", key, "<missing>");
    }

    QTemporaryDir dir;
    TestDocument doc;
    RecordingOperator op;
};
}  // namespace

TEST_F(SafetyLimitsTest, ReadsLimitsWithDecimalCommaAndMissingKeysAsNoLimit) {
    Load(kOneStep + QStringList{"[safety limits]", "MinVoltage=40,5", "MaxCurrent= 20 ",
                                "MaxPower=", "action=pause"});
    const SafetyLimits& l = doc.Limits();
    EXPECT_EQ(l.minVoltage, 40.5);
    EXPECT_EQ(l.maxCurrent, 20.0);
    EXPECT_FALSE(l.maxVoltage);
    EXPECT_FALSE(l.maxPower);  // present but empty: no limit
    EXPECT_FALSE(l.maxTestTime);
    EXPECT_EQ(l.action, SafetyLimits::Action::Pause);
    EXPECT_TRUE(l.Problems().isEmpty());

    Load(kOneStep);
    EXPECT_FALSE(doc.Limits().HasLimit());
    EXPECT_EQ(doc.Limits().action, SafetyLimits::Action::Stop);
}

TEST_F(SafetyLimitsTest, ValuesThatAreNoLimitAreReportedAndWrittenBackAsTheyWere) {
    Load(kOneStep + QStringList{"[Safety Limits]", "MaxVoltage=abc", "MaxPower=-5", "MinVoltage=60",
                                "MaxCurrent=1e3", "Action=Halt"});
    EXPECT_EQ(doc.Limits().Problems(),
              QStringList({"Safety Limits: MaxVoltage \"abc\" is not a number of 0 or more.",
                           "Safety Limits: MaxPower \"-5\" is not a number of 0 or more.",
                           "Safety Limits: Action \"Halt\" is neither Stop nor Pause."}));
    EXPECT_EQ(doc.Limits().maxCurrent, 1000.0);

    ASSERT_TRUE(doc.SaveTestFileAs(Path("copy.ini"), op));
    for (const auto& [key, value] : {std::pair{"MaxVoltage", "abc"},
                                     {"MaxPower", "-5"},
                                     {"MinVoltage", "60"},
                                     {"Action", "Halt"}}) {
        EXPECT_EQ(Stored(key, Path("copy.ini")), value) << key;
    }

    SafetyLimits crossed;
    crossed.minVoltage = 60;
    crossed.maxVoltage = 50;
    EXPECT_EQ(crossed.Problems(),
              QStringList{"Safety Limits: MinVoltage 60 is not below MaxVoltage 50."});
}

TEST_F(SafetyLimitsTest, SavesKeepTheSectionAndSettingLimitsTouchesNothingElse) {
    Load(kOneStep + QStringList{"; the lab's note", "[Safety Limits]", "MaxCurrent=20",
                                "[Load1 Option]", "IP=127.0.0.1"});
    ASSERT_TRUE(doc.SaveTestFile(op));
    EXPECT_EQ(Stored("MaxCurrent"), "20");
    EXPECT_EQ(Stored("Action"), "Stop");

    SafetyLimits limits = doc.Limits();
    limits.maxCurrent.reset();
    limits.maxTestTime = 3600;
    const QByteArray before = ReadFileBytes(Path());
    ASSERT_TRUE(doc.SaveSafetyLimits(limits, op));
    EXPECT_EQ(Stored("MaxCurrent"), "<missing>");
    EXPECT_EQ(Stored("MaxTestTime"), "3600");
    EXPECT_EQ(ReadSetting(Path(), "Load1 Option", "IP", ""), "127.0.0.1");
    EXPECT_TRUE(ReadFileBytes(Path()).contains("; the lab's note"));
    EXPECT_EQ(doc.Limits(), limits);

    // Clearing every limit drops the section; a file without one never gets it.
    ASSERT_TRUE(doc.SaveSafetyLimits(SafetyLimits(), op));
    EXPECT_FALSE(ReadFileBytes(Path()).contains("[Safety Limits]"));
    ASSERT_TRUE(doc.SaveTestFileAs(Path("plain.ini"), op));
    EXPECT_FALSE(ReadFileBytes(Path("plain.ini")).contains("Safety"));
    EXPECT_EQ(ReadFileBytes(Path()).size(), before.size() - QByteArray("MaxCurrent=20\r\n").size() -
                                                QByteArray("Action=Stop\r\n").size() -
                                                QByteArray("[Safety Limits]\r\n").size());
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(SafetyLimitsTest, StepsDigestFollowsWhatTheRunReads) {
    Load({"[TestStep Option]", "TotalStepCount=2", "[Step1]", "ActionMode=LoadLevel",
          "Frequency=50", "[Step2]", "ActionMode=DisCharge", "CurrentValue=10"});
    const QString levelFile = doc.StepsSha256();
    EXPECT_EQ(levelFile.size(), 64);

    // Step 2 of this file is no load level: the records keep the earlier
    // file's frequency fields, which the run does not read.
    Load({"[TestStep Option]", "TotalStepCount=2", "[Step1]", "ActionMode=DisCharge",
          "CurrentValue=10", "[Step2]", "ActionMode=DisCharge", "CurrentValue=10"});
    const QString first = doc.StepsSha256();
    TestDocument fresh;
    ASSERT_TRUE(fresh.OpenTestFile(Path(), op));
    EXPECT_EQ(fresh.StepsSha256(), first);

    doc.Table().SetCell(2, StepColumn::Value, "12");
    ASSERT_TRUE(doc.SaveTestFile(op));
    EXPECT_NE(doc.StepsSha256(), first);
    EXPECT_NE(doc.StepsSha256(), levelFile);
}
