#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QWindow>

#include "HelpCommands.h"
#include "IniFile.h"
#include "MeasurementValueFrame.h"
#include "QStringPrinting.h"
#include "RecentFiles.h"
#include "RunStatusBar.h"
#include "Station.h"
#include "StepTable.h"
#include "StepTableEditor.h"
#include "TestFiles.h"
#include "WindowFixture.h"
#include "WindowMenus.h"

// The menu bar, its keys and the title, tried on the real window as an
// operator uses them.
namespace {
const QString kCaption = QStringLiteral("ZLD-3300 3-Phase Control Program R1.5");

class WindowMenusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        f.WriteSettings("[TRIO]\r\nConnectMode=2\r\nSaveLogFileFlag=1\r\n");
        f.WriteTest({{"DisCharge", "CC", "10", "600", "0", "0", "0", "0.2", "NextStep"},
                     {"FOR", "", "", "", "3"},
                     {"Suspend", "", "", "1", "0", "", "", "0.5", "NextStep"},
                     {"LOOP"}});
        f.UseSimulatedLoad();
        f.StartUp();
        f.window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(f.window.get()));
    }
    QAction* Command(const char* name) const {
        QAction* action = f.window->Menus().Command(QString::fromLatin1(name));
        EXPECT_NE(action, nullptr) << name;
        return action;
    }
    void Trigger(const char* name) const {
        QAction* action = Command(name);
        ASSERT_TRUE(action->isEnabled()) << name;
        action->trigger();
        QApplication::processEvents();
    }
    QString Title() const { return f.window->windowHandle()->title(); }
    StepTable& Table() const { return f.station->Test().Table(); }
    QTableView* Grid() const { return f.window->Editor().GridView(); }
    QString CellTip(int gridRow, int column) const {
        return Grid()->model()->index(gridRow - 1, column).data(Qt::ToolTipRole).toString();
    }

    WindowFixture f;
};

QStringList MenuTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            texts << action->text().remove('&');
        }
    }
    return texts;
}
}  // namespace

TEST_F(WindowMenusTest, MenusHoldEveryCommandWithThePlatformsKeys) {
    QList<QMenu*> menus;
    QStringList titles;
    for (QAction* action : f.window->menuBar()->actions()) {
        menus << action->menu();
        titles << action->text().remove('&');
    }
    ASSERT_EQ(titles, (QStringList{"File", "Edit", "Run", "Help"}));
    EXPECT_EQ(MenuTexts(menus[0]), (QStringList{"New", "Open...", "Open Recent", "Save",
                                                "Save As...", "Open Log...", "Quit"}));
    EXPECT_EQ(MenuTexts(menus[1]),
              (QStringList{"Undo", "Redo", "Copy Steps", "Paste Steps", "Insert Step",
                           "Delete Step", "Move Up", "Move Down"}));
    EXPECT_EQ(MenuTexts(menus[2]), (QStringList{"Check", "Start Test", "Pause Test", "Stop Test"}));
    EXPECT_EQ(MenuTexts(menus[3]), (QStringList{"User Guide", "Keyboard Shortcuts", "About"}));

    const struct {
        const char* command;
        QKeySequence key;
    } keys[] = {
        {"FileNew", QKeySequence(Qt::CTRL | Qt::Key_N)},
        {"FileOpen", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"FileSave", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"FileSaveAs", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {"FileQuit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {"EditUndo", QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {"EditRedo", QKeySequence(Qt::CTRL | Qt::Key_Y)},
        {"EditRedo", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
        {"HelpUserGuide", QKeySequence(Qt::Key_F1)},
        {"EditDeleteStep", QKeySequence(Qt::Key_Delete)},
    };
    for (const auto& key : keys) {
        EXPECT_TRUE(Command(key.command)->shortcuts().contains(key.key))
            << key.command << " " << key.key.toString().toStdString();
    }
}

TEST_F(WindowMenusTest, FileCommandsSaveStartAnewAndReopenWithTheTitleFollowing) {
    EXPECT_EQ(Title(), "TestFile01.INI - " + kCaption);
    Table().SetCell(1, StepColumn::Value, "12");
    EXPECT_EQ(Title(), "TestFile01.INI* - " + kCaption);
    QTest::keyClick(f.window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadSetting(f.TestPath(), "Step1", "CurrentValue", ""), "12");
    EXPECT_EQ(f.op.saveDialogs, 0);
    EXPECT_EQ(Title(), "TestFile01.INI - " + kCaption);

    // A name typed without an extension is saved as a test file.
    f.op.saveAnswer = QDir::toNativeSeparators(f.home.filePath("Copy"));
    Trigger("FileSaveAs");
    const QString copy = f.home.filePath("Copy.INI");
    EXPECT_TRUE(QFile::exists(copy));
    EXPECT_FALSE(QFile::exists(f.home.filePath("Copy")));
    EXPECT_EQ(Title(), "Copy.INI - " + kCaption);

    // New asks about unsaved edits first and keeps them on Cancel.
    Table().SetCell(1, StepColumn::Value, "13");
    f.op.choiceAnswer = "Cancel";
    Trigger("FileNew");
    EXPECT_EQ(Table().Cell(1, StepColumn::Value), "13");
    f.op.choiceAnswer = "Discard";
    Trigger("FileNew");
    EXPECT_EQ(Table().StepCount(), 1);
    EXPECT_EQ(Table().Cell(1, StepColumn::ActionMode), "");
    EXPECT_EQ(Title(), "Untitled - " + kCaption);
    // Its safety limits have no file to go into yet.
    f.Click("LimitsCommand");
    EXPECT_TRUE(f.op.Texts().value(f.op.Texts().size() - 1).startsWith("Save the new test first"));
    EXPECT_EQ(ReadSetting(copy, "Step1", "CurrentValue", ""), "12");

    // Save of the new test asks where; the recent list offers both files.
    f.op.saveAnswer = QDir::toNativeSeparators(f.home.filePath("Fresh.INI"));
    Trigger("FileSave");
    EXPECT_EQ(f.op.saveDialogs, 2);
    EXPECT_EQ(Title(), "Fresh.INI - " + kCaption);
    QStringList recent;
    for (QAction* action : f.window->Menus().RecentMenu()->actions()) {
        recent << action->text();
    }
    EXPECT_EQ(recent, (QStringList{"Fresh.INI", "Copy.INI", "TestFile01.INI"}));
    f.window->Menus().RecentMenu()->actions().at(2)->trigger();
    EXPECT_EQ(Table().StepCount(), 4);
    EXPECT_EQ(Title(), "TestFile01.INI - " + kCaption);
}

TEST_F(WindowMenusTest, AnAccidentalDeleteIsOneCtrlZAwayAndHelpListsTheKeys) {
    const QVector<StepTable::Cells> before = Table().AllSteps();
    QTableView* grid = Grid();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                      grid->visualRect(grid->model()->index(1, 0)).center());
    QTest::keyClick(grid, Qt::Key_Delete);
    ASSERT_EQ(Table().StepCount(), 3);
    EXPECT_TRUE(Command("EditUndo")->isEnabled());
    QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Table().AllSteps(), before);
    EXPECT_FALSE(f.station->Test().IsModified());
    QTest::keyClick(grid, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Table().StepCount(), 3);
    Trigger("EditUndo");
    EXPECT_EQ(Table().AllSteps(), before);

    Trigger("HelpShortcuts");
    ASSERT_FALSE(f.op.messages.isEmpty());
    EXPECT_EQ(f.op.messages.last().title, "Keyboard Shortcuts");
    // One line a command, its keys as this platform names them first.
    const QStringList lines = f.op.messages.last().text.split('\n');
    for (const char* line : {"Ctrl+Z", "Ctrl+S: Save", "Del: Delete Step", "F1: User Guide",
                             "Esc: Cancel in the step setup panel", "Ctrl+Shift+S"}) {
        EXPECT_EQ(lines.filter(QString::fromLatin1(line)).size(), 1) << line;
    }
    EXPECT_TRUE(lines.filter("Ctrl+Z").value(0).endsWith(": Undo"));

    // The guide opens in its viewer, and it too lists the keys.
    QTest::keyClick(f.window.get(), Qt::Key_F1);
    QDialog* viewer = f.window->Menus().Help().GuideViewer();
    ASSERT_NE(viewer, nullptr);
    const QString guide = viewer->findChild<QTextBrowser*>("UserGuideText")->toPlainText();
    EXPECT_TRUE(guide.contains("Keyboard shortcuts"));
    EXPECT_TRUE(guide.contains("Ctrl+Shift+S"));
}

TEST_F(WindowMenusTest, CellsAndHeadersSayWhatTheyMeanForTheRowsAction) {
    EXPECT_EQ(CellTip(1, StepColumn::LoopTimes),
              "Stop voltage (V): the step ends when the mean phase voltage falls to it");
    EXPECT_TRUE(CellTip(1, StepColumn::Value).startsWith("Set value (A): "));
    EXPECT_TRUE(CellTip(1, StepColumn::DwellTime).startsWith("Stop time (s): "));
    EXPECT_EQ(CellTip(1, StepColumn::Frequency), "Frequency: not used by a DisCharge step");
    EXPECT_TRUE(CellTip(2, StepColumn::LoopTimes).startsWith("Repetition count: "));
    EXPECT_EQ(CellTip(2, StepColumn::Value), "Value: not used by a FOR step");
    EXPECT_TRUE(CellTip(2, StepColumn::ActionMode).startsWith("Action FOR: "));

    // The meaning follows the row: a CV discharge stops on its current, and a
    // changed mode changes the unit.
    Table().SetCell(1, StepColumn::Mode, "CV");
    EXPECT_TRUE(CellTip(1, StepColumn::LoopTimes).startsWith("Stop current (A): "));
    EXPECT_TRUE(CellTip(1, StepColumn::Value).startsWith("Set value (V): "));

    const QStringList header =
        Grid()
            ->model()
            ->headerData(StepColumn::LoopTimes, Qt::Horizontal, Qt::ToolTipRole)
            .toString()
            .split('\n');
    EXPECT_EQ(Grid()->model()->headerData(StepColumn::LoopTimes, Qt::Horizontal).toString(),
              "Loop Times");
    for (const char* line :
         {"DisCharge, OverDisCharge, DCIRLow, DCIRHigh, Suspend: Stop voltage (V)",
          "Charge, CP-Charge: Stop current (A)", "FOR, FOR2: Repetition count",
          "PlusLoad: T-low (ms)"}) {
        EXPECT_TRUE(header.contains(QString::fromLatin1(line))) << line;
    }
    // The setup panel's entry says the same as the cell it writes.
    EXPECT_EQ(f.Find<QLineEdit>("DisChargeStopVoltageText")->toolTip().split('\n').first(),
              "Stop voltage (V): the step ends when the mean phase voltage falls to it");

    // Every button and entry of the run controls and both panels explains itself.
    auto* actions = f.Find<QComboBox>("SetStepActionCombo");
    actions->setCurrentIndex(actions->findText("DisCharge"));
    for (const char* frameName : {"Frame2", "SetStepFrame", "ConnectionFrame"}) {
        QWidget* frame = f.Find<QWidget>(frameName);
        for (QWidget* control : frame->findChildren<QWidget*>()) {
            const bool input = qobject_cast<QAbstractButton*>(control) ||
                               qobject_cast<QLineEdit*>(control) ||
                               qobject_cast<QComboBox*>(control);
            // An editable selector's own text box is the selector's.
            const bool part = qobject_cast<QComboBox*>(control->parentWidget()) != nullptr;
            if (input && !part && control->isVisibleTo(frame)) {
                EXPECT_FALSE(control->toolTip().isEmpty())
                    << frameName << ": " << control->objectName().toStdString();
            }
        }
    }
}

TEST_F(WindowMenusTest, DuringARunOnlyTheRunCommandsAreOfferedAndTheEndShowsLastReadings) {
    // A log of the same serial number is already there: the run keeps it aside.
    const QString logPath = f.station->Views().Get(Displays::LogFilePath);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(logPath).absolutePath()));
    WriteFileBytes(logPath, "earlier\r\n");

    const struct {
        const char* command;
        const char* button;
    } pairs[] = {{"FileOpen", "OpenCommand"},      {"FileSave", "SaveCommand"},
                 {"RunCheck", "CheckCommand"},     {"RunStart", "StartCommand"},
                 {"RunPause", "PauseCommand"},     {"RunStop", "StopCommand"},
                 {"EditInsertStep", "InsCommand"}, {"EditDeleteStep", "DelCommand"},
                 {"EditMoveUp", "MoveUpCommand"},  {"EditMoveDown", "MoveDnCommand"}};
    const auto expectMatchingButtons = [&](const char* when) {
        for (const auto& pair : pairs) {
            EXPECT_EQ(Command(pair.command)->isEnabled(), f.Find<QWidget>(pair.button)->isEnabled())
                << when << ": " << pair.command;
        }
    };
    expectMatchingButtons("idle");
    EXPECT_TRUE(Command("FileNew")->isEnabled());
    EXPECT_FALSE(Command("RunStop")->isEnabled());

    int points = 0;
    QObject::connect(&f.station->Control(), &RunControl::pointLogged, [&points] { ++points; });
    Trigger("RunStart");
    ASSERT_TRUE(f.WaitFor([&] {
        return f.station->State().Running && f.station->State().CurrentStep == 0 &&
               f.sim->InputOn() && points > 0;
    }));
    expectMatchingButtons("running");
    for (const char* command : {"FileNew", "FileOpen", "FileSave", "FileSaveAs", "EditUndo",
                                "EditRedo", "EditPasteSteps", "EditInsertStep", "EditDeleteStep",
                                "EditMoveUp", "EditMoveDown", "RunStart", "RunCheck"}) {
        EXPECT_FALSE(Command(command)->isEnabled()) << command;
    }
    EXPECT_TRUE(Command("RunStop")->isEnabled());
    EXPECT_TRUE(Command("FileOpenLog")->isEnabled());
    EXPECT_EQ(f.window->RunStatus().EarlierLogText(),
              "Earlier log kept as " + QFileInfo(f.station->LogMovedAside()).fileName());
    EXPECT_TRUE(QFile::exists(f.station->LogMovedAside()));
    EXPECT_FALSE(f.Find<MeasurementValueFrame>("MeasurementFrame")->ShowsLastReadings());
    // A key of the window's menu does nothing while the test runs.
    QTest::keyClick(f.window.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(f.station->Test().Table().StepCount(), 4);

    Trigger("RunPause");
    ASSERT_TRUE(f.WaitFor([this] { return f.window->RunStatus().PausedText() == "Paused"; }));
    expectMatchingButtons("paused");
    EXPECT_TRUE(Command("RunStart")->isEnabled());

    Trigger("RunStop");
    ASSERT_TRUE(f.WaitFor([this] { return !f.station->State().Running; }));
    expectMatchingButtons("stopped");
    EXPECT_TRUE(f.window->RunStatus().PausedText().isEmpty());
    auto* values = f.Find<MeasurementValueFrame>("MeasurementFrame");
    EXPECT_TRUE(values->ShowsLastReadings());
    EXPECT_TRUE(values->ReadingsCaption().startsWith("Last readings at "))
        << values->ReadingsCaption().toStdString();
    const QColor grey = QApplication::palette().color(QPalette::Disabled, QPalette::Text);
    EXPECT_EQ(f.Find<QLineEdit>("VoltageText")->palette().color(QPalette::Text), grey);
    EXPECT_NE(f.Find<QLineEdit>("TestAHText")->palette().color(QPalette::Text), grey);
    EXPECT_FALSE(f.Find<QLineEdit>("TestAHText")->text().isEmpty());
}

// An installed program has no checkout beside it: the guide is found where
// the package puts the documentation.
TEST(UserGuideLookup, AnInstalledProgramFindsTheGuideThePackageInstalls) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QDir usr(root.filePath("usr"));
    const QString bin = usr.filePath("bin");
    const QString data = QDir::cleanPath(QDir(bin).filePath(ZLD_DATA_FROM_BIN));
    ASSERT_TRUE(QDir().mkpath(bin));
    ASSERT_TRUE(QDir().mkpath(QDir(data).filePath("examples/demo")));
    const QString docs = usr.filePath("share/doc/zld3300/docs");
    ASSERT_TRUE(QDir().mkpath(docs));
    QFile guide(QDir(docs).filePath("user-guide.md"));
    ASSERT_TRUE(guide.open(QIODevice::WriteOnly));
    guide.write("# User guide\n");
    guide.close();

    EXPECT_EQ(HelpCommands::UserGuidePath(bin), QDir::cleanPath(guide.fileName()));
}
