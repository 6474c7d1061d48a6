#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>

#include "IniFile.h"
#include "Station.h"
#include "StepTable.h"
#include "TestFiles.h"
#include "WindowFixture.h"

// Closing the window never throws away a running test or unsaved edits on one
// click: it asks first. A close that no one can answer asks nothing.
namespace {
QStringList QuestionsAsked(const RecordingOperator& op) {
    QStringList texts;
    for (const RecordingOperator::Question& question : op.questions) {
        texts << question.text + " [" + question.choices.join("|") + "]";
    }
    return texts;
}

const QString kCaption = QStringLiteral("ZLD-3300 3-Phase Control Program R1.5");
const QString kTitle = "TestFile01.INI - " + kCaption;

class WindowCloseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        f.WriteSettings("[TRIO]\r\nConnectMode=2\r\nSaveLogFileFlag=0\r\n");
        f.WriteTest({{"LoadLevel", "CC", "5", "0", "", "", "", "1", "", "60", "1.4", "1"},
                     {"DisCharge", "CC", "10", "60", "0", "0", "0", "0.5", "NextStep"}});
        f.UseSimulatedLoad();
        f.StartUp();
        fileBefore = ReadFileBytes(f.TestPath());
    }
    QString ShownTitle() const { return f.window->windowHandle()->title(); }
    void Edit() { f.station->Test().Table().SetCell(1, StepColumn::Value, "7"); }
    void StartRun() {
        f.Click("StartCommand");
        ASSERT_TRUE(f.WaitFor([this] {
            return f.station->State().Running && f.station->State().CurrentStep == 1 &&
                   f.sim->InputOn();
        }));
    }

    WindowFixture f;
    QByteArray fileBefore;
};
}  // namespace

TEST_F(WindowCloseTest, UnsavedEditsAreAskedAboutAndTheTitleShowsThem) {
    EXPECT_EQ(ShownTitle(), kTitle);
    f.op.choiceAnswer = "Cancel";
    Edit();
    EXPECT_EQ(ShownTitle(), "TestFile01.INI* - " + kCaption);

    EXPECT_FALSE(f.window->close());
    EXPECT_EQ(QuestionsAsked(f.op),
              QStringList{"Save changes to " + f.TestPath() + "? [Save|Discard|Cancel]"});
    EXPECT_TRUE(f.window->isVisible());
    EXPECT_EQ(ReadFileBytes(f.TestPath()), fileBefore);

    // Undone by hand, the table is the file again: nothing to ask.
    f.station->Test().Table().SetCell(1, StepColumn::Value, "5");
    EXPECT_EQ(ShownTitle(), kTitle);
    Edit();
    f.op.choiceAnswer = "Discard";
    EXPECT_TRUE(f.window->close());
    EXPECT_EQ(f.op.questions.size(), 2);
    EXPECT_EQ(ReadFileBytes(f.TestPath()), fileBefore);
}

TEST_F(WindowCloseTest, SaveWritesTheEditsAndAFailedSaveKeepsTheWindow) {
    Edit();
    // The test file's place is taken by a folder: the save cannot succeed.
    ASSERT_TRUE(QFile::rename(f.TestPath(), f.home.filePath("kept.INI")));
    ASSERT_TRUE(QDir(f.home.path()).mkdir("TestFile01.INI"));
    f.op.choiceAnswer = "Save";
    EXPECT_FALSE(f.window->close());
    EXPECT_TRUE(f.op.Texts().last().startsWith("Cannot save the test file " + f.TestPath()));
    EXPECT_TRUE(f.station->Test().IsModified());

    ASSERT_TRUE(QDir(f.home.path()).rmdir("TestFile01.INI"));
    ASSERT_TRUE(QFile::rename(f.home.filePath("kept.INI"), f.TestPath()));
    f.op.choiceAnswer = "Save";
    EXPECT_TRUE(f.window->close());
    EXPECT_EQ(ReadSetting(f.TestPath(), "Step1", "CurrentValue", ""), "7");
    EXPECT_EQ(f.op.questions.size(), 2);
}

TEST_F(WindowCloseTest, ARunningTestStopsOnlyWhenTheOperatorSaysSo) {
    StartRun();
    f.op.choiceAnswer = "Cancel";
    EXPECT_FALSE(f.window->close());
    EXPECT_EQ(QuestionsAsked(f.op),
              QStringList{"A test is running. Stop it and close? [Stop and Close|Cancel]"});
    EXPECT_TRUE(f.station->State().Running);
    EXPECT_TRUE(f.sim->InputOn());
    EXPECT_FALSE(f.sim->Journal().contains("LOAD OFF"));

    f.sim->ClearJournal();
    f.op.choiceAnswer = "Stop and Close";
    EXPECT_TRUE(f.window->close());
    EXPECT_TRUE(f.sim->WaitForCommand("LOAD OFF", 1, 3000));
    EXPECT_FALSE(f.station->State().Running);
    EXPECT_EQ(f.op.questions.size(), 2);
}

TEST_F(WindowCloseTest, CloseWithoutQuestionsAsksNothing) {
    // Should a question come, it is cancelled and recorded.
    f.op.choiceAnswer = "Cancel";
    StartRun();
    f.sim->ClearJournal();
    f.window->CloseWithoutQuestions();
    EXPECT_FALSE(f.window->isVisible());
    EXPECT_TRUE(f.sim->WaitForCommand("LOAD OFF", 1, 3000));
    EXPECT_FALSE(f.station->State().Running);

    WindowFixture edited;
    edited.WriteSettings("");
    edited.WriteTest({{"Suspend", "", "", "1"}});
    edited.StartUp();
    edited.op.choiceAnswer = "Cancel";
    edited.station->Test().Table().SetCell(1, StepColumn::DwellTime, "2");
    edited.window->CloseWithoutQuestions();
    EXPECT_FALSE(edited.window->isVisible());
    EXPECT_TRUE(edited.op.questions.isEmpty());
    EXPECT_EQ(ReadSetting(edited.TestPath(), "Step1", "StopTime", ""), "1");
    EXPECT_TRUE(f.op.questions.isEmpty());
}

TEST_F(WindowCloseTest, ASignalsCloseDismissesTheBoxThatIsOpen) {
    StartRun();
    f.sim->ClearJournal();
    // A box of no window waits for its OK, the run going on under it, when
    // the signal comes: its close must neither wait for the box nor leave it
    // keeping the program, and the load, alive.
    bool boxOpen = false;
    bool boxReturned = false;
    bool leftOpen = false;
    QTimer::singleShot(0, [&] {
        QMessageBox box(QMessageBox::NoIcon, QString(), "Waiting", QMessageBox::Ok);
        QTimer::singleShot(0, &box, [&] {
            boxOpen = QApplication::activeModalWidget() == &box;
            f.window->CloseWithNobodyThere();
        });
        // Where the close left the box open, the test ends it rather than hang.
        QTimer::singleShot(5000, &box, [&] {
            leftOpen = true;
            box.done(0);
        });
        box.exec();
        boxReturned = true;
    });
    ASSERT_TRUE(f.WaitFor([&] { return boxReturned; }, 10000));
    EXPECT_TRUE(boxOpen);
    EXPECT_FALSE(leftOpen);
    EXPECT_FALSE(f.window->isVisible());
    EXPECT_TRUE(f.sim->WaitForCommand("LOAD OFF", 1, 3000));
    EXPECT_TRUE(f.op.questions.isEmpty());
}

TEST_F(WindowCloseTest, ARunCountingLoopsDownIsNoEdit) {
    WindowFixture looped;
    looped.WriteSettings("[TRIO]\r\nConnectMode=2\r\nSaveLogFileFlag=0\r\n");
    looped.WriteTest({{"FOR", "", "", "", "3"},
                      {"LoadLevel", "CC", "5", "0", "", "", "", "1", "", "60", "1.4", "1"},
                      {"LOOP"}});
    looped.UseSimulatedLoad();
    looped.StartUp();
    bool everModified = false;
    QObject::connect(&looped.station->Test(), &TestDocument::modifiedChanged,
                     [&](bool modified) { everModified = everModified || modified; });
    looped.Click("StartCommand");
    ASSERT_TRUE(looped.WaitFor([&] { return looped.op.Texts().contains("Test Finished"); }, 20000));
    EXPECT_FALSE(everModified);
    EXPECT_EQ(looped.window->windowHandle()->title(), kTitle);
}
