#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

#include "EditorFixture.h"
#include "StepRowCommands.h"

namespace {
QVector<QStringList> FiveSteps() {
    return {{"A1"}, {"A2"}, {"A3"}, {"A4"}, {"A5"}};
}
}  // namespace

class GridRowCommandsTest : public EditorFixture {
  protected:
    QStringList Actions() const {
        QStringList actions;
        for (int row = 1; row <= m_table.StepCount(); ++row) {
            EXPECT_EQ(m_table.Cell(row, 0), QString::number(row));
            actions << m_table.Cell(row, 1);
        }
        return actions;
    }

    void DragOverRows(int fromRow, int toRow) {
        QTest::mousePress(Grid().viewport(), Qt::LeftButton, Qt::NoModifier,
                          CellCenter(fromRow, 0));
        QTest::mouseRelease(Grid().viewport(), Qt::LeftButton, Qt::NoModifier,
                            CellCenter(toRow, 0));
    }
};

TEST_F(GridRowCommandsTest, CopiedRowsPasteAtTheEndAndBelowTheCurrentRow) {
    SetSteps(FiveSteps());
    ClickCell(1, 0, Qt::RightButton);
    EXPECT_FALSE(m_editor->RightMenu()->findChild<QAction*>("PASTE")->isEnabled());
    m_editor->RightMenu()->close();

    DragOverRows(4, 2);
    ChooseFromMenu(3, "COPY");
    EXPECT_EQ(m_editor->RowCommands().CopiedFirstRow(), 2);
    EXPECT_EQ(m_editor->RowCommands().CopiedLastRow(), 4);

    // On the last row the copied rows are appended as they read now.
    m_table.SetCell(3, 1, "Edited");
    ClickCell(5, 0);
    ChooseFromMenu(5, "PASTE");
    EXPECT_EQ(Actions(), (QStringList{"A1", "A2", "Edited", "A4", "A5", "A2", "Edited", "A4"}));
    EXPECT_EQ(m_table.CurrentRow(), 8);

    // Elsewhere the copy's snapshot goes in below the current row.
    ClickCell(1, 0);
    KeyOnGrid(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Actions(), (QStringList{"A1", "A2", "A3", "A4", "A2", "Edited", "A4", "A5", "A2",
                                      "Edited", "A4"}));
    EXPECT_EQ(m_table.CurrentRow(), 4);
    EXPECT_TRUE(m_operator.messages.isEmpty());

    // A range chosen with Shift and a click copies the rows it highlights.
    ClickCell(2, 0);
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, Qt::ShiftModifier, CellCenter(4, 0));
    KeyOnGrid(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(m_editor->RowCommands().CopiedFirstRow(), 2);
    EXPECT_EQ(m_editor->RowCommands().CopiedLastRow(), 4);
}

TEST_F(GridRowCommandsTest, DeleteAndMovesDoNothingAtTheEdges) {
    SetSteps({{"Only"}});
    ClickCell(1, 0);
    ClickButton("DelCommand");
    KeyOnGrid(Qt::Key_Delete);
    EXPECT_EQ(Actions(), QStringList{"Only"});

    SetSteps(FiveSteps());
    ClickCell(1, 0);
    ClickButton("MoveUpCommand");
    EXPECT_EQ(Actions(), QStringList({"A1", "A2", "A3", "A4", "A5"}));
    ClickCell(5, 0);
    KeyOnGrid(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(Actions(), QStringList({"A1", "A2", "A3", "A4", "A5"}));

    KeyOnGrid(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(Actions(), QStringList({"A1", "A2", "A3", "A5", "A4"}));
    EXPECT_EQ(Grid().currentIndex().row(), 3);
    ClickButton("MoveDnCommand");
    EXPECT_EQ(Actions(), QStringList({"A1", "A2", "A3", "A4", "A5"}));

    ClickCell(3, 0);
    KeyOnGrid(Qt::Key_Delete);
    EXPECT_EQ(Actions(), QStringList({"A1", "A2", "A4", "A5"}));
    EXPECT_EQ(m_table.CurrentRow(), 4);
    EXPECT_EQ(Grid().currentIndex().row(), 3);
}

TEST_F(GridRowCommandsTest, LockedEditingRefusesEveryChange) {
    SetSteps(FiveSteps());
    m_editor->SetEditingEnabled(false);
    for (const char* name :
         {"AddCommand", "InsCommand", "DelCommand", "MoveUpCommand", "MoveDnCommand"}) {
        EXPECT_FALSE(Find<QPushButton>(name)->isEnabled()) << name;
    }
    ClickCell(2, 3);
    EXPECT_EQ(CellEditor(), nullptr);
    DoubleClickCell(2, 0);
    EXPECT_FALSE(Panel().IsOpen());
    KeyOnGrid(Qt::Key_Delete);
    KeyOnGrid(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(Actions(), QStringList({"A1", "A2", "A3", "A4", "A5"}));

    m_editor->SetEditingEnabled(true);
    ClickCell(2, 1);
    EXPECT_NE(CellEditor(), nullptr);
    // An open editor is written back when a run locks the table.
    auto* actions = qobject_cast<QComboBox*>(CellEditor());
    actions->setCurrentIndex(actions->findText("DisCharge"));
    m_editor->SetEditingEnabled(false);
    EXPECT_EQ(CellEditor(), nullptr);
    EXPECT_EQ(m_table.Cell(2, 1), "DisCharge");
}

TEST_F(GridRowCommandsTest, OpenPanelHoldsTheRowCommands) {
    SetSteps(FiveSteps());
    ClickCell(2, 0);
    ClickButton("InsCommand");
    EXPECT_FALSE(Find<QPushButton>("DelCommand")->isEnabled());
    KeyOnGrid(Qt::Key_Delete);
    EXPECT_EQ(m_table.StepCount(), 5);
    ClickButton("CancelCommand");
    EXPECT_TRUE(Find<QPushButton>("DelCommand")->isEnabled());
}
