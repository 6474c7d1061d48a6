#include <gtest/gtest.h>

#include <QFile>
#include <QTimer>

#include "IniFile.h"
#include "RunHarness.h"
#include "StepTable.h"
#include "TestFiles.h"

// The station's own reads and writes of the test file and the settings file:
// at start-up, at Start's save and at Stop's reload, a file that cannot be
// used is reported and the operator's table is kept.
namespace {
constexpr qint64 kTooLarge = 16 * 1024 * 1024 + 1;

void PadFile(const QString& path, qint64 size) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(size));
}

QString StoredTestFile(const RunHarness& h) {
    return ReadSetting(h.home.filePath("TRIO.INI"), "TRIO", "TestFileName01", "<none>");
}
}  // namespace

TEST(StationFiles, StartUpReportsSettingsAndTestFilesItCannotUse) {
    RunHarness h;
    WriteProgramFolder(h.home.path(), {{"Suspend", "", "", "1"}});
    PadFile(h.home.filePath("TRIO.INI"), kTooLarge);
    h.station->StartUp();
    EXPECT_EQ(h.op.Texts(),
              QStringList{h.home.filePath("TRIO.INI") + " is too large to be a settings file."});
    // The defaults still find the test file of the program folder.
    EXPECT_EQ(h.station->Test().TotalStepCount(), 1);

    RunHarness other;
    WriteProgramFolder(other.home.path(), {{"Suspend", "", "", "1"}});
    ASSERT_TRUE(
        WriteSetting(other.home.filePath("TRIO.INI"), "TRIO", "TestFileName01", "/dev/zero"));
    other.station->StartUp();
    EXPECT_EQ(other.op.Texts(), QStringList{"/dev/zero is not a regular file."});
    EXPECT_EQ(other.station->Test().TotalStepCount(), 0);
    EXPECT_TRUE(other.station->StartedUp());
}

TEST(StationFiles, StopKeepsTheTableWhenTheReloadedFileIsRefused) {
    RunHarness h;
    h.Prepare({{"FOR", "", "", "", "3"}, {"Suspend", "", "", "30", "0", "", "", "0.5"}, {"LOOP"}});
    const QString path = h.station->Test().Path();
    QTimer::singleShot(0, h.station.get(), [&] { h.station->Start(); });
    ASSERT_TRUE(h.RunUntil([&] { return h.station->State().CurrentStep == 1; }));
    PadFile(path, kTooLarge);

    h.station->Stop();
    ASSERT_TRUE(h.RunUntil([&] { return h.outcome.has_value(); }));
    EXPECT_TRUE(h.op.Texts().contains(path + " is too large to be a test file."))
        << h.op.Texts().join("|").toStdString();
    const StepTable& table = h.station->Test().Table();
    ASSERT_EQ(table.StepCount(), 3);
    EXPECT_EQ(table.Cell(2, StepColumn::ActionMode), "Suspend");
    EXPECT_EQ(h.station->Test().TotalStepCount(), 3);
}

TEST(StationFiles, AFailedSaveAtStartKeepsAskingAndRemembersNothing) {
    RunHarness h;
    h.Prepare({{"LoadLevel", "CC", "5", "0"}});
    const QString path = h.station->Test().Path();
    const QString stored = StoredTestFile(h);
    h.station->Test().Table().SetCell(1, StepColumn::Value, "6");
    h.op.saveAnswer = h.home.filePath("no such folder/TestFile01.INI");

    for (int attempt = 1; attempt <= 2; ++attempt) {
        SCOPED_TRACE(attempt);
        EXPECT_EQ(h.Run(), RunOutcome::NotStarted);
        EXPECT_EQ(h.op.saveDialogs, attempt);
        EXPECT_EQ(h.station->Test().Path(), path);
        EXPECT_EQ(StoredTestFile(h), stored);
        EXPECT_EQ(h.station->Test().Records().Field(0, StepField::CurrentValue), "5");
        EXPECT_TRUE(h.sim->Journal().isEmpty());
    }
    EXPECT_TRUE(h.station->Test().IsModified());

    const QString elsewhere = h.home.filePath("cell.INI");
    h.op.saveAnswer = elsewhere;
    ASSERT_EQ(h.Run(), RunOutcome::Finished);
    EXPECT_TRUE(h.StepCommands().contains("CC:A 6"));
    EXPECT_EQ(h.station->Test().Path(), elsewhere);
    EXPECT_EQ(StoredTestFile(h), elsewhere);
    // Stop reloaded the file just saved: the edit is still there.
    EXPECT_EQ(h.station->Test().Table().Cell(1, StepColumn::Value), "6");
    EXPECT_FALSE(h.station->Test().IsModified());
}
