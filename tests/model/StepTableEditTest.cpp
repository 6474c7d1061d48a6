#include <gtest/gtest.h>

#include "StepRecord.h"
#include "StepTable.h"
#include "StepTableEdit.h"

// An edit keeps only the rows that differ; replayed either way on the table
// it must give back the whole table exactly, numbering and current row too.
namespace {
QVector<StepTable::Cells> Steps(const QStringList& labels) {
    QVector<StepTable::Cells> steps;
    for (const QString& label : labels) {
        StepTable::Cells cells;
        cells[0] = label;
        cells[2] = label.toLower();  // a second column, so that rows differ in more than one
        steps.push_back(cells);
    }
    return steps;
}

QStringList Labels(const StepTable& table) {
    QStringList labels;
    for (int r = 1; r <= table.StepCount(); ++r) {
        EXPECT_EQ(table.Cell(r, StepColumn::Step), QString::number(r));
        labels << table.Cell(r, StepColumn::ActionMode);
    }
    return labels;
}

struct Case {
    const char* name;
    QStringList before;
    QStringList after;
};
}  // namespace

TEST(StepTableEdit, UndoAndRedoGiveBackBothTablesWhateverChanged) {
    const Case cases[] = {
        {"cell edit in the middle", {"A", "B", "C"}, {"A", "X", "C"}},
        {"insert in the middle", {"A", "B", "C"}, {"A", "N", "B", "C"}},
        {"append", {"A", "B"}, {"A", "B", "N"}},
        {"delete the first", {"A", "B", "C"}, {"B", "C"}},
        {"delete the last", {"A", "B", "C"}, {"A", "B"}},
        {"swap", {"A", "B", "C", "D"}, {"A", "C", "B", "D"}},
        // Equal rows around the change: the equal head and tail must not overlap.
        {"insert among equal rows", {"A", "A", "A"}, {"A", "A", "A", "A"}},
        {"delete among equal rows", {"A", "B", "A", "B"}, {"A", "B"}},
        {"paste a copy of its neighbours", {"A", "B", "A"}, {"A", "B", "A", "B", "A"}},
        {"everything", {"A", "B"}, {"X", "Y", "Z"}},
        {"to one empty step", {"A", "B", "C"}, {""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StepTable table;
        table.ReplaceAll(Steps(c.before));
        const StepTableEdit edit =
            StepTableEdit::Between(Steps(c.before), 2, Steps(c.after), c.after.size());
        EXPECT_FALSE(edit.IsEmpty());
        edit.Redo(table);
        EXPECT_EQ(Labels(table), c.after);
        EXPECT_EQ(table.AllSteps(), Steps(c.after));
        EXPECT_EQ(table.CurrentRow(), c.after.size());
        edit.Undo(table);
        EXPECT_EQ(table.AllSteps(), Steps(c.before));
        EXPECT_EQ(table.CurrentRow(), 2);
    }
}

TEST(StepTableEdit, ReplayedEditKeepsTheRunningHighlightOfRowsItDoesNotTouch) {
    StepTable table;
    table.ReplaceAll(Steps({"A", "B", "C", "D"}));
    table.SetHighlighted(4, true);
    const StepTableEdit edit =
        StepTableEdit::Between(Steps({"A", "B", "C", "D"}), 1, Steps({"X", "B", "C", "D"}), 1);
    edit.Redo(table);
    EXPECT_TRUE(table.IsHighlighted(4));
    EXPECT_EQ(table.Cell(1, StepColumn::ActionMode), "X");
}
