#include <gtest/gtest.h>

#include "RecordingOperator.h"
#include "StepRowCommands.h"
#include "StepTable.h"

namespace {
// A table of `steps` steps whose action cells read "A1", "A2", ...
void Fill(StepTable& table, int steps) {
    QVector<StepTable::Cells> rows;
    for (int i = 1; i <= steps; ++i) {
        StepTable::Cells cells;
        cells[0] = QStringLiteral("A%1").arg(i);
        cells[4] = QString::number(i * 10);
        rows.push_back(cells);
    }
    table.ReplaceAll(rows);
}

QStringList Actions(const StepTable& table) {
    QStringList actions;
    for (int row = 1; row <= table.StepCount(); ++row) {
        EXPECT_EQ(table.Cell(row, 0), QString::number(row));
        actions << table.Cell(row, 1);
    }
    return actions;
}
}  // namespace

TEST(StepRowCommands, CopyTakesAnUpwardRangeInTableOrder) {
    StepTable table;
    StepRowCommands rows(table);
    Fill(table, 5);
    EXPECT_FALSE(rows.Copy());
    EXPECT_FALSE(rows.CanPaste());
    rows.BeginSelection(4);
    rows.EndSelection(2);
    ASSERT_TRUE(rows.Copy());
    EXPECT_EQ(rows.CopiedFirstRow(), 2);
    EXPECT_EQ(rows.CopiedLastRow(), 4);
    ASSERT_EQ(rows.CopyBuffer().size(), 3);
    EXPECT_EQ(rows.CopyBuffer()[0][0], "A2");
    EXPECT_EQ(rows.CopyBuffer()[2][0], "A4");
    EXPECT_TRUE(rows.CanPaste());
}

TEST(StepRowCommands, PasteNeverGrowsTheTableBeyondItsLimit) {
    StepTable table;
    StepRowCommands rows(table);
    RecordingOperator op;
    Fill(table, StepTable::kMaxSteps - 1);
    rows.SetSelection(1, 2);
    ASSERT_TRUE(rows.Copy());
    table.SetCurrentRow(1);
    EXPECT_FALSE(rows.Paste(op));
    EXPECT_EQ(table.StepCount(), StepTable::kMaxSteps - 1);
    EXPECT_EQ(op.Texts(), QStringList{"Test Step too much, Please check it."});

    rows.SetSelection(1, 1);
    ASSERT_TRUE(rows.Copy());
    EXPECT_TRUE(rows.Paste(op));
    EXPECT_EQ(table.StepCount(), StepTable::kMaxSteps);
}

TEST(StepRowCommands, PasteAfterRowsWereDeletedKeepsTheSnapshot) {
    StepTable table;
    StepRowCommands rows(table);
    RecordingOperator op;
    Fill(table, 4);
    rows.SetSelection(3, 4);
    ASSERT_TRUE(rows.Copy());
    table.SetCurrentRow(4);
    rows.DeleteCurrentStep();  // A4 is gone, row 3 (A3) is now the last row
    ASSERT_EQ(table.CurrentRow(), 3);
    EXPECT_TRUE(rows.Paste(op));
    EXPECT_EQ(Actions(table), (QStringList{"A1", "A2", "A3", "A3", "A4"}));
}
