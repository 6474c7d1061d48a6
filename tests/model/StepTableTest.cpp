#include <gtest/gtest.h>

#include <QSignalSpy>

#include "ActionCatalogue.h"
#include "StepRecord.h"
#include "StepTable.h"

namespace {
// Fills column 1 of every data row with "A<row>" so that moves can be followed.
void LabelRows(StepTable& table) {
    for (int r = 1; r < table.GridRowCount(); ++r) {
        table.SetCell(r, StepColumn::ActionMode, QStringLiteral("A%1").arg(r));
    }
}

QStringList Labels(const StepTable& table) {
    QStringList labels;
    for (int r = 1; r < table.GridRowCount(); ++r) {
        labels << table.Cell(r, StepColumn::ActionMode);
    }
    return labels;
}

void ExpectNumbered(const StepTable& table) {
    for (int r = 1; r < table.GridRowCount(); ++r) {
        EXPECT_EQ(table.Cell(r, StepColumn::Step), QString::number(r)) << "row " << r;
    }
}
}  // namespace

TEST(StepTable, HasThirteenColumnsWithHeadersAndWidths) {
    const QStringList headers{"Step",       "Action Mode", "Mode",   "Value",    "Dwell Time(s)",
                              "Loop Times", "Stable(s)",   "StopAH", "MeasT(s)", "Go To",
                              "Frequency",  "CF",          "PF"};
    const int widths[] = {1000, 2000, 1400, 1000, 2000, 1800, 0, 0, 1500, 0, 1800, 800, 800};
    StepTable table;
    ASSERT_EQ(table.columnCount(), StepColumn::Count);
    for (int c = 0; c < StepColumn::Count; ++c) {
        EXPECT_EQ(StepTable::HeaderText(c), headers[c]);
        EXPECT_EQ(table.headerData(c, Qt::Horizontal).toString(), headers[c]);
        EXPECT_EQ(table.Cell(0, c), headers[c]);  // grid row 0 is the header row
        EXPECT_EQ(StepTable::ColumnWidthTwips(c), widths[c]);
        EXPECT_EQ(StepTable::IsColumnHidden(c), c == 6 || c == 7 || c == 9) << "column " << c;
    }
    EXPECT_EQ(StepTable::HeaderText(StepColumn::Count), "");
}

TEST(StepTable, LayoutIsOneEmptyNumberedStep) {
    StepTable table;
    table.SetStepCount(5);
    table.SetCell(3, StepColumn::Value, "7");
    table.LayOut();
    EXPECT_EQ(table.GridRowCount(), 2);
    EXPECT_EQ(table.Cell(1, StepColumn::Step), "1");
    EXPECT_EQ(table.Cell(1, StepColumn::Value), "");
    EXPECT_EQ(table.CurrentRow(), 1);

    // A loaded file with no steps is a valid empty table: the header row only.
    table.ReplaceAll({});
    EXPECT_EQ(table.GridRowCount(), 1);
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_EQ(table.CurrentRow(), 0);
}

TEST(StepTable, CellsOutsideTheTableReadEmptyAndIgnoreWrites) {
    StepTable table;
    table.SetCell(1, StepColumn::Step, "9");  // numbering is not editable
    table.SetCell(2, StepColumn::Value, "x");
    table.SetCell(0, StepColumn::Value, "x");
    table.SetCell(1, StepColumn::Count, "x");
    EXPECT_EQ(table.Cell(1, StepColumn::Step), "1");
    EXPECT_EQ(table.Cell(2, StepColumn::Value), "");
    EXPECT_EQ(table.Cell(0, StepColumn::Value), "Value");
    EXPECT_EQ(table.Cell(1, -1), "");
    EXPECT_FALSE(table.setData(table.index(0, StepColumn::Step), "9"));
    EXPECT_FALSE(table.flags(table.index(0, StepColumn::Step)) & Qt::ItemIsEditable);
    EXPECT_TRUE(table.flags(table.index(0, StepColumn::Value)) & Qt::ItemIsEditable);
}

TEST(StepTable, InsertRemoveAndSwapKeepNumberingAndContent) {
    StepTable table;
    table.SetStepCount(4);
    LabelRows(table);

    table.InsertStep(2);
    EXPECT_EQ(Labels(table), QStringList({"A1", "", "A2", "A3", "A4"}));
    ExpectNumbered(table);

    table.AppendStep();
    EXPECT_EQ(table.StepCount(), 6);
    EXPECT_EQ(table.Cell(6, StepColumn::ActionMode), "");

    table.RemoveStep(1);
    EXPECT_EQ(Labels(table), QStringList({"", "A2", "A3", "A4", ""}));
    ExpectNumbered(table);

    table.SwapSteps(2, 4);
    EXPECT_EQ(Labels(table), QStringList({"", "A4", "A3", "A2", ""}));
    ExpectNumbered(table);

    // Rows outside the table change nothing.
    table.InsertStep(0);
    table.InsertStep(table.GridRowCount() + 1);
    table.RemoveStep(0);
    table.RemoveStep(table.GridRowCount());
    table.SwapSteps(1, 99);
    EXPECT_EQ(Labels(table), QStringList({"", "A4", "A3", "A2", ""}));
}

TEST(StepTable, InsertTellsViewsAboutRenumberedRows) {
    StepTable table;
    table.SetStepCount(3);
    QSignalSpy changed(&table, &QAbstractItemModel::dataChanged);
    table.InsertStep(1);
    // The three old steps moved down; their step numbers changed.
    ASSERT_EQ(changed.size(), 1);
    const auto topLeft = changed[0][0].value<QModelIndex>();
    const auto bottomRight = changed[0][1].value<QModelIndex>();
    EXPECT_EQ(topLeft.column(), StepColumn::Step);
    EXPECT_EQ(topLeft.row(), 1);
    EXPECT_EQ(bottomRight.row(), 3);
    EXPECT_EQ(table.data(table.index(3, StepColumn::Step)).toString(), "4");
}

TEST(StepTable, HighlightAndCurrentRowFollowTheTable) {
    StepTable table;
    table.SetStepCount(3);
    table.SetHighlighted(2, true);
    EXPECT_TRUE(table.IsHighlighted(2));
    EXPECT_TRUE(table.data(table.index(1, StepColumn::Value), StepTable::kHighlightRole).toBool());
    EXPECT_FALSE(table.data(table.index(0, StepColumn::Value), StepTable::kHighlightRole).toBool());
    table.ClearHighlights();
    EXPECT_FALSE(table.IsHighlighted(2));

    QSignalSpy current(&table, &StepTable::currentRowChanged);
    table.SetCurrentRow(3);
    table.SetCurrentRow(3);
    EXPECT_EQ(current.size(), 1);
    table.SetCurrentRow(50);
    EXPECT_EQ(table.CurrentRow(), 3);  // clamped to the last step
    table.RemoveStep(3);
    EXPECT_EQ(table.CurrentRow(), 2);
    table.SetStepCount(0);
    EXPECT_EQ(table.CurrentRow(), 0);
}

TEST(StepRecordArray, HoldsOneRecordMoreThanTheTableAllowsSteps) {
    StepRecordArray records;
    EXPECT_EQ(StepRecordArray::kCapacity, StepTable::kMaxSteps + 1);
    records.SetField(1000, StepField::PF, "1");
    EXPECT_EQ(records.Field(1000, StepField::PF), "1");
    records.SetField(1001, StepField::PF, "x");
    records.SetField(-1, StepField::PF, "x");
    EXPECT_EQ(records.Field(1001, StepField::PF), "");
    EXPECT_EQ(records.Field(-1, StepField::PF), "");

    EXPECT_EQ(StepFieldKeys(), QStringList({"ActionMode", "LoadModeVolt", "CurrentValue",
                                            "StopTime", "StopValue", "StableTime", "StopAH",
                                            "MeasTime", "GoToStep", "Frequency", "CF", "PF"}));
    EXPECT_EQ(ColumnOf(StepField::ActionMode), StepColumn::ActionMode);
    EXPECT_EQ(ColumnOf(StepField::PF), StepColumn::PF);
    EXPECT_EQ(FieldOfColumn(StepColumn::GoTo), StepField::GoToStep);
}

TEST(ActionCatalogue, KnowsExactlyTheSixteenNames) {
    EXPECT_EQ(Action::All(),
              QStringList({"DisCharge", "OverDisCharge", "Charge", "CP-Charge", "DCIRLow",
                           "DCIRHigh", "ACIR", "Suspend", "PlusLoad", "RAMP ON", "RAMP OFF",
                           "LoadLevel", "FOR", "FOR2", "LOOP", "LOOP2"}));
    EXPECT_TRUE(Action::IsKnown("RAMP ON"));
    EXPECT_FALSE(Action::IsKnown("discharge"));  // case matters
    EXPECT_FALSE(Action::IsKnown("Ramp On"));
    EXPECT_TRUE(Action::IsLoopControl("FOR2"));
    EXPECT_FALSE(Action::IsLoopControl("for"));

    EXPECT_EQ(LoadMode::Basic(), QStringList({"CC", "CR", "CV", "CP"}));
    EXPECT_EQ(LoadMode::LoadLevel(), QStringList({"CC", "LINCC", "CR", "CV", "CP"}));
    EXPECT_EQ(LoadMode::Unit("CV", false), "V");
    EXPECT_EQ(LoadMode::Unit("CV", true), "Vrms");
    EXPECT_EQ(LoadMode::Unit("LINCC", true), "A");
    EXPECT_EQ(LoadMode::Unit("CR", false), "Ohm");
    EXPECT_EQ(LoadMode::Unit("cc", false), "");
    EXPECT_EQ(GoTo::Named(), QStringList({"NextStep", "EndLoop", "EndLoop2", "Continue"}));
}

TEST(LoopBalance, CountsPairsButNotOrder) {
    const auto balance = [](const QStringList& actions) {
        LoopBalance b;
        for (const QString& a : actions) {
            b.Count(a);
        }
        return b;
    };
    EXPECT_TRUE(balance({"FOR", "DisCharge", "FOR2", "LOOP2", "LOOP"}).Balanced());
    // Only the counts matter: a LOOP before its FOR still balances.
    EXPECT_TRUE(balance({"LOOP", "FOR", "LOOP2", "FOR2"}).Balanced());

    const LoopBalance open = balance({"FOR", "FOR2", "LOOP2"});
    EXPECT_EQ(open.level1, 1);
    EXPECT_EQ(open.level2, 0);
    EXPECT_FALSE(open.Balanced());

    const LoopBalance extra = balance({"LOOP", "LOOP", "FOR", "for", "Loop"});
    EXPECT_EQ(extra.level1, -1);
    EXPECT_FALSE(extra.Balanced());
}
