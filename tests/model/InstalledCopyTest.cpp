#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "InstalledCopy.h"
#include "ProgramSettings.h"
#include "TestFiles.h"

namespace {
// An installed copy unpacked under a temporary root, its user's data folder
// in the same root.
class InstalledCopyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        bin = root.filePath("usr/bin");
        examples = QDir::cleanPath(QDir(bin).filePath(ZLD_DATA_FROM_BIN "/examples/demo"));
        ASSERT_TRUE(QDir().mkpath(bin));
        ASSERT_TRUE(QDir().mkpath(examples));
        WriteFileBytes(examples + "/TRIO.INI", "[TRIO]\r\nSaveLogFileFlag=1\r\n");
        WriteFileBytes(examples + "/TestFile01.INI", "[TestStep Option]\r\n");
        // Installed files belong to root and may not be written by the user.
        for (const char* name : {"TRIO.INI", "TestFile01.INI"}) {
            QFile::setPermissions(examples + "/" + name, QFile::ReadOwner | QFile::ReadOther);
        }
        m_oldDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", root.filePath("home/.local/share").toLocal8Bit());
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", m_oldDataHome); }

    QTemporaryDir root;
    QString bin;
    QString examples;

  private:
    QByteArray m_oldDataHome;
};

TEST_F(InstalledCopyTest, AnInstalledCopyKeepsItsProgramFolderInTheUsersDataFolder) {
    const QString user = root.filePath("home/.local/share/zld3300");
    EXPECT_EQ(UserProgramFolder(), user);
    // bin/ is writable here (as /usr/bin is for root), yet never the program folder.
    EXPECT_EQ(ProgramFolder(QString(), bin), user);
    EXPECT_TRUE(QDir(user).exists());
    EXPECT_EQ(ProgramFolder(root.filePath("mine"), bin), root.filePath("mine"));

    // A build without share/ beside it keeps its own writable folder.
    QDir(root.filePath("usr/share")).removeRecursively();
    EXPECT_EQ(InstalledDataFolder(bin), QString());
    EXPECT_EQ(ProgramFolder(QString(), bin), bin);
}

TEST_F(InstalledCopyTest, FirstStartCopiesTheExamplesAsEditableFilesAndNeverReplacesAny) {
    const QString home = ProgramFolder(QString(), bin);
    QString error;
    EXPECT_EQ(CopyExampleFiles(home, bin, &error), QStringList({"TestFile01.INI", "TRIO.INI"}));
    EXPECT_EQ(error, QString());
    EXPECT_EQ(ReadFileBytes(home + "/TRIO.INI"), "[TRIO]\r\nSaveLogFileFlag=1\r\n");
    EXPECT_TRUE(QFile::permissions(home + "/TestFile01.INI") & QFile::WriteOwner);
    EXPECT_EQ(LoadProgramSettings(home).saveLogFlag, 1);

    // Later starts find TRIO.INI and copy nothing, even when a test file went.
    QFile::remove(home + "/TestFile01.INI");
    EXPECT_EQ(CopyExampleFiles(home, bin, &error), QStringList());
    EXPECT_FALSE(QFile::exists(home + "/TestFile01.INI"));

    // A folder with the user's own test file but no settings keeps that file.
    const QString other = root.filePath("other");
    QDir().mkpath(other);
    WriteFileBytes(other + "/TestFile01.INI", "mine");
    EXPECT_EQ(CopyExampleFiles(other, bin, &error), QStringList({"TRIO.INI"}));
    EXPECT_EQ(ReadFileBytes(other + "/TestFile01.INI"), "mine");

    // A build copies nothing anywhere.
    const QString fresh = root.filePath("fresh");
    QDir().mkpath(fresh);
    EXPECT_EQ(CopyExampleFiles(fresh, root.filePath("build/src/cli"), &error), QStringList());
    EXPECT_TRUE(QDir(fresh).isEmpty());
}

TEST_F(InstalledCopyTest, ACopyThatFailsIsReportedNotIgnored) {
    // A file where the folder should be: no one, root included, can copy into it.
    const QString blocked = root.filePath("blocked");
    WriteFileBytes(blocked, "not a folder");
    QString error;
    EXPECT_EQ(CopyExampleFiles(blocked, bin, &error), QStringList());
    EXPECT_TRUE(error.contains("TRIO.INI")) << error.toStdString();
    EXPECT_TRUE(error.contains(blocked)) << error.toStdString();
}
}  // namespace
