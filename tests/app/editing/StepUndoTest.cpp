#include <QApplication>
#include <QTest>

#include "EditorFixture.h"
#include "StepEditHistory.h"

// Every kind of change the operator makes to the step table is one undo step:
// undone it gives back the table as it was, redone the table as it became.
namespace {
QVector<QStringList> ThreeSteps() {
    return {{"DisCharge", "CC", "10", "60", "2.5", "1", "1", "1", "NextStep"},
            {"Suspend", "", "", "30", "0", "", "", "1", "NextStep"},
            {"DisCharge", "CP", "50", "120", "2.8", "1", "0", "1", "NextStep"}};
}

struct Edit {
    const char* name;
    std::function<void()> make;
};
}  // namespace

class StepUndoTest : public EditorFixture {
  protected:
    QVector<StepTable::Cells> Table() const { return m_table.AllSteps(); }
    int Steps() const { return m_editor->History().Stack().count(); }
};

TEST_F(StepUndoTest, EachKindOfEditIsOneUndoStepAndRedoesAlike) {
    SetSteps(ThreeSteps());
    const Edit edits[] = {
        {"cell edit",
         [&] {
             ClickCell(1, 3);
             TypeIntoCell("7");
         }},
        {"action change", [&] { ChangeAction(2, "FOR"); }},
        {"panel commit of a new step",
         [&] {
             ClickButton("AddCommand");
             Choose("SetStepActionCombo", "Suspend");
             Type("SuspendTimeText", "45");
             ClickButton("OKCommand");
         }},
        {"panel insert",
         [&] {
             ClickCell(2, 0);
             ClickButton("InsCommand");
             Choose("SetStepActionCombo", "LOOP");
             ClickButton("OKCommand");
         }},
        {"panel modify",
         [&] {
             DoubleClickCell(1, 0);
             Type("DisChargeCurrentText", "12.5");
             ClickButton("OKCommand");
         }},
        {"delete key",
         [&] {
             ClickCell(3, 1);
             ClickCell(3, 0);
             KeyOnGrid(Qt::Key_Delete);
         }},
        {"move up",
         [&] {
             ClickCell(3, 0);
             KeyOnGrid(Qt::Key_Up, Qt::ControlModifier);
         }},
        {"paste",
         [&] {
             ClickCell(1, 0);
             ChooseFromMenu(1, "COPY");
             ChooseFromMenu(2, "PASTE");
         }},
    };
    const QVector<StepTable::Cells> first = Table();
    QVector<QVector<StepTable::Cells>> states{first};
    for (const Edit& edit : edits) {
        SCOPED_TRACE(edit.name);
        const QVector<StepTable::Cells> before = Table();
        const int undoSteps = Steps();
        edit.make();
        QApplication::processEvents();
        const QVector<StepTable::Cells> after = Table();
        ASSERT_NE(after, before);
        EXPECT_EQ(Steps(), undoSteps + 1);

        m_editor->Undo();
        EXPECT_EQ(Table(), before);
        m_editor->Redo();
        EXPECT_EQ(Table(), after);
        states << after;
    }
    // The whole session goes back step by step to the table it began with,
    // and forward again to where it ended.
    for (int i = states.size() - 2; i >= 0; --i) {
        m_editor->Undo();
        EXPECT_EQ(Table(), states[i]) << "after undoing to state " << i;
    }
    EXPECT_FALSE(m_editor->History().CanUndo());
    for (int i = 1; i < states.size(); ++i) {
        m_editor->Redo();
        EXPECT_EQ(Table(), states[i]) << "after redoing to state " << i;
    }
}

TEST_F(StepUndoTest, EnterCommitsThePanelAndEscCancelsIt) {
    SetSteps(ThreeSteps());
    ClickButton("AddCommand");
    Choose("SetStepActionCombo", "Suspend");
    Type("SuspendTimeText", "45");
    QTest::keyClick(Find<QLineEdit>("SuspendTimeText"), Qt::Key_Return);
    EXPECT_FALSE(Panel().IsOpen());
    ASSERT_EQ(m_table.StepCount(), 4);
    EXPECT_EQ(RowCells(4).mid(0, 5), (QStringList{"Suspend", "", "", "45", "0"}));

    DoubleClickCell(1, 0);
    ASSERT_TRUE(Panel().IsOpen());
    Type("DisChargeCurrentText", "99");
    QTest::keyClick(Find<QLineEdit>("DisChargeCurrentText"), Qt::Key_Escape);
    EXPECT_FALSE(Panel().IsOpen());
    EXPECT_EQ(m_table.Cell(1, StepColumn::Value), "10");
}

TEST_F(StepUndoTest, AnotherTableStartsANewHistory) {
    SetSteps(ThreeSteps());
    ClickCell(1, 0);
    KeyOnGrid(Qt::Key_Delete);
    ASSERT_TRUE(m_editor->History().CanUndo());
    // A test file loaded (or a run's Stop loading it again) replaces the
    // table: undoing the delete would write into steps it never saw.
    SetSteps({{"FOR", "", "", "", "2"}, {"LOOP"}});
    EXPECT_FALSE(m_editor->History().CanUndo());
    m_editor->Undo();
    EXPECT_EQ(m_table.StepCount(), 2);
}
