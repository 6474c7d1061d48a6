#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "IniFile.h"
#include "ProgramSettings.h"
#include "TestFiles.h"

namespace {
class ProgramSettingsTest : public ::testing::Test {
  protected:
    QString Folder() const { return dir.path(); }
    QString SettingsFile() const { return dir.filePath("TRIO.INI"); }
    ProgramSettings LoadWith(const QByteArray& bytes) {
        WriteFileBytes(SettingsFile(), bytes);
        return LoadProgramSettings(Folder());
    }

    QTemporaryDir dir;
};

void ExpectDefaults(const ProgramSettings& s, const QString& folder) {
    EXPECT_EQ(s.programFolder, folder);
    EXPECT_EQ(s.settingsPath, QDir(folder).filePath("TRIO.INI"));
    EXPECT_EQ(s.channelNumber, 1);
    EXPECT_EQ(s.testFilePath, QDir(folder).filePath("TestFile01.INI"));
    EXPECT_EQ(s.saveLogFlag, 0);
    EXPECT_EQ(s.medium, Medium::Lan);
    EXPECT_TRUE(s.lanMode);
    EXPECT_TRUE(s.actionNames.isEmpty());
    EXPECT_TRUE(s.loadModeNames.isEmpty());
    EXPECT_TRUE(s.highLowNames.isEmpty());
    EXPECT_EQ(s.maxMissedPoints, 3);
}
}  // namespace

TEST_F(ProgramSettingsTest, MissingOrEmptyFileGivesTheDefaults) {
    ExpectDefaults(LoadProgramSettings(Folder()), Folder());
    ExpectDefaults(LoadWith(""), Folder());
    ExpectDefaults(LoadWith("[TRIO]\r\n[Other]\r\nConnectMode=1\r\n"), Folder());
    EXPECT_EQ(ProgramSettings().TestFileKey(), "TestFileName01");
}

TEST_F(ProgramSettingsTest, MissedPointsLimitIsAWholeNumberOfAtLeastOne) {
    EXPECT_EQ(LoadWith("[TRIO]\r\nMaxMissedPoints=10\r\n").maxMissedPoints, 10);
    EXPECT_EQ(LoadWith("[TRIO]\r\nmaxmissedpoints=1.6\r\n").maxMissedPoints, 2);
    // A limit that would stop every run at once, or never, is no limit: the default holds.
    for (const char* bad : {"0", "-4", "many", ""}) {
        EXPECT_EQ(LoadWith(QByteArray("[TRIO]\r\nMaxMissedPoints=") + bad + "\r\n").maxMissedPoints,
                  3)
            << bad;
    }
}

TEST_F(ProgramSettingsTest, NameListsFollowTheirTotals) {
    QByteArray bytes = "[TRIO Mode]\nTotal=3\n001=DisCharge\n003=FOR\n[Load Mode]\nTotal=9\n";
    for (int k = 1; k <= 9; ++k) {
        bytes += QStringLiteral("%1=M%2\n").arg(k, 3, 10, QLatin1Char('0')).arg(k).toUtf8();
    }
    bytes += "[highlow]\ntotal=2.6\n001=High\n002=Low\n003=Mid\n";
    const ProgramSettings s = LoadWith(bytes);
    EXPECT_EQ(s.actionNames, QStringList({"DisCharge", "", "FOR"}));
    EXPECT_EQ(s.loadModeNames, QStringList({"M1", "M2", "M3", "M4", "M5", "M6"}));
    EXPECT_EQ(s.highLowNames, QStringList({"High", "Low", "Mid"}));

    QByteArray many = "[TRIO Mode]\r\nTotal=25\r\n";
    for (int k = 1; k <= 25; ++k) {
        many += QStringLiteral("%1=A%2\r\n").arg(k, 3, 10, QLatin1Char('0')).arg(k).toUtf8();
    }
    many += "[Load Mode]\r\nTotal=lots\r\n001=CC\r\n[HighLow]\r\nTotal=-2\r\n";
    const ProgramSettings capped = LoadWith(many);
    ASSERT_EQ(capped.actionNames.size(), ProgramSettings::kMaxActionNames);
    EXPECT_EQ(capped.actionNames.last(), "A20");
    EXPECT_TRUE(capped.loadModeNames.isEmpty());
    EXPECT_TRUE(capped.highLowNames.isEmpty());
}

TEST_F(ProgramSettingsTest, ConnectModeAndLogFlagReadTheirLeadingNumber) {
    struct Case {
        const char* connectMode;
        Medium medium;
        const char* logFlag;
        int log;
    };
    constexpr Medium kSerial = Medium::Serial;
    constexpr Medium kGpib = Medium::Gpib;
    constexpr Medium kLan = Medium::Lan;
    const Case cases[] = {{"0", kSerial, "1", 1},  {"1", kGpib, "abc", 0}, {"2", kLan, "0.6", 1},
                          {"1.4", kGpib, "", 0},   {"7", kLan, "1x", 1},   {"-1", kLan, "2", 2},
                          {"LAN", kSerial, "-", 0}};
    for (const Case& c : cases) {
        const ProgramSettings s =
            LoadWith(QStringLiteral("[TRIO]\nConnectMode=%1\nSaveLogFileFlag=%2\n")
                         .arg(c.connectMode, c.logFlag)
                         .toUtf8());
        EXPECT_EQ(s.medium, c.medium) << c.connectMode;
        EXPECT_EQ(s.lanMode, c.medium == kLan) << c.connectMode;
        EXPECT_EQ(s.saveLogFlag, c.log) << c.logFlag;
    }
}

TEST_F(ProgramSettingsTest, TestFilePathIsResolvedAgainstTheProgramFolder) {
    EXPECT_EQ(LoadWith("[trio]\r\ntestfilename01=/data/tests/cell.ini\r\n").testFilePath,
              "/data/tests/cell.ini");
    EXPECT_EQ(LoadWith("[TRIO]\r\nTestFileName01=sub/Cell A.INI\r\n").testFilePath,
              QDir(Folder()).filePath("sub/Cell A.INI"));
    // An empty name stays empty: the open and save dialogs propose a name then.
    EXPECT_EQ(LoadWith("[TRIO]\r\nTestFileName01=\r\n").testFilePath, "");
    // Only 254 characters of a value are seen.
    const QString longName = "/" + QString(299, 'n');
    EXPECT_EQ(LoadWith("[TRIO]\r\nTestFileName01=" + longName.toUtf8() + "\r\n").testFilePath,
              longName.left(254));
}

TEST_F(ProgramSettingsTest, StoringTheTestFileKeepsTheRestOfTheFile) {
    ProgramSettings s = LoadWith("[TRIO]\r\nConnectMode=1\r\n[HighLow]\r\nTotal=0\r\n");
    ASSERT_TRUE(s.StoreTestFilePath("/tmp/x.ini"));
    EXPECT_EQ(s.testFilePath, "/tmp/x.ini");
    EXPECT_EQ(ReadFileBytes(SettingsFile()),
              "[TRIO]\r\nConnectMode=1\r\nTestFileName01=/tmp/x.ini\r\n[HighLow]\r\nTotal=0\r\n");
    EXPECT_EQ(LoadProgramSettings(Folder()).testFilePath, "/tmp/x.ini");
}

TEST(ProgramFolder, HomeArgumentWinsOverTheExecutableFolder) {
    QTemporaryDir dir;
    EXPECT_EQ(HomeArgument({"zld-run", "--home", "demo", "--sim"}), "demo");
    EXPECT_EQ(HomeArgument({"zld-run", "--home=/x/y"}), "/x/y");
    EXPECT_EQ(HomeArgument({"zld-run", "--sim"}), "");
    EXPECT_EQ(HomeArgument({"zld-run", "--home"}), "");

    const QString home = dir.filePath("new/home");
    EXPECT_EQ(ProgramFolder(home, dir.path()), home);
    EXPECT_TRUE(QDir(home).exists());  // created, so that settings can be written

    const QString relative = QDir::current().relativeFilePath(dir.filePath("rel"));
    EXPECT_EQ(ProgramFolder(relative, QString()), dir.filePath("rel"));

    // Without --home: the executable's folder when it is writable or holds TRIO.INI.
    EXPECT_EQ(ProgramFolder(QString(), dir.path()), dir.path());
}
