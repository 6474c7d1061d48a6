#include <QApplication>
#include <QScrollBar>
#include <QTest>

#include "EditorFixture.h"

using CellEditingTest = EditorFixture;

TEST_F(CellEditingTest, AClickPlacesTheColumnsEditorOverTheCell) {
    SetSteps({{"DisCharge", "CV", "10", "60", "2.5", "1", "1", "1", "NextStep"},
              {"Suspend", "", "", "60", "0"}});
    struct Case {
        int row;
        int column;
        const char* editor;  // "" when the cell opens none
    };
    const Case cases[] = {{1, 1, "TestStepActionCombo"},
                          {1, 2, "TestStepModeCombo"},
                          {1, 3, "TestStepInputText"},
                          {1, 8, "TestStepInputText"},
                          {2, 2, ""},
                          {2, 4, "TestStepInputText"},
                          {1, 10, ""},
                          {1, 0, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.row << "," << c.column);
        ClickCell(c.row, c.column);
        QWidget* editor = CellEditor();
        if (*c.editor == '\0') {
            EXPECT_EQ(editor, nullptr);
            continue;
        }
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->objectName(), c.editor);
        EXPECT_TRUE(editor->isVisible());
        EXPECT_TRUE(editor->hasFocus());
        const QRect cell = Grid().visualRect(m_table.index(c.row - 1, c.column));
        EXPECT_EQ(editor->geometry(), cell);
        EXPECT_EQ(editor->parentWidget(), Grid().viewport());
    }
    ClickCell(2, 0);
    EXPECT_EQ(RowCells(1).mid(0, 3), (QStringList{"DisCharge", "CV", "10"}));
}

TEST_F(CellEditingTest, TextBoxesStoreWhatIsTypedAndDwellTimesInSeconds) {
    SetSteps({{"DisCharge", "CC", "10", "90"}, {"PlusLoad", "20.50A", "2", "500", "250"}});
    ClickCell(1, 4);
    EXPECT_EQ(CellEditor()->toolTip(), "0:01:30");
    TypeIntoCell("2:30");
    EXPECT_EQ(m_table.Cell(1, 4), "150");
    EXPECT_EQ(CellEditor(), nullptr);

    ClickCell(1, 3);
    EXPECT_TRUE(CellEditor()->toolTip().isEmpty());
    TypeIntoCell("2:30");
    EXPECT_EQ(m_table.Cell(1, 3), "2:30");

    ClickCell(2, 4);
    EXPECT_EQ(CellEditor()->toolTip(), "0.5 Second");
    ClickCell(2, 5);
    EXPECT_EQ(CellEditor()->toolTip(), "0.25 Second");
    // A pulse's high current is edited as its number.
    ClickCell(2, 2);
    EXPECT_EQ(qobject_cast<QLineEdit*>(CellEditor())->text(), "20.5");
    EXPECT_EQ(m_table.Cell(2, 2), "20.50A");
    // Leaving the box writes it back.
    ClickCell(1, 0);
    EXPECT_EQ(m_table.Cell(2, 2), "20.5");
    EXPECT_EQ(m_table.Cell(2, 5), "250");
}

TEST_F(CellEditingTest, ActionSelectorPresetsAnEmptyCellAndCommitsWhenLeft) {
    SetSteps({{"Suspend"}, {}});
    // Only an editor that opens presets its cell: moving over an empty cell,
    // by keys or by dragging from it, leaves the step as it was.
    ClickCell(1, 0);
    KeyOnGrid(Qt::Key_Right);
    KeyOnGrid(Qt::Key_Down);
    EXPECT_EQ(Grid().currentIndex(), m_table.index(1, 1));
    QTest::mousePress(Grid().viewport(), Qt::LeftButton, Qt::NoModifier, CellCenter(2, 1));
    QTest::mouseRelease(Grid().viewport(), Qt::LeftButton, Qt::NoModifier, CellCenter(1, 1));
    EXPECT_EQ(m_table.Cell(2, 1), QString());
    EXPECT_EQ(CellEditor(), nullptr);

    SetSteps({{}});
    ClickCell(1, 1);
    EXPECT_EQ(m_table.Cell(1, 1), "Charge");
    auto* actions = qobject_cast<QComboBox*>(CellEditor());
    ASSERT_NE(actions, nullptr);
    EXPECT_EQ(actions->currentText(), "Charge");
    actions->setCurrentIndex(actions->findText("DisCharge"));
    ClickCell(1, 0);
    EXPECT_EQ(m_table.Cell(1, 1), "DisCharge");
    EXPECT_EQ(m_table.Cell(1, 2), "CC");
}

TEST_F(CellEditingTest, ChangingTheActionTidiesTheRow) {
    SetSteps({{"DisCharge", "CV", "10", "60", "2.5", "1", "1", "1", "NextStep"},
              {"DisCharge", "", "10"},
              {"CP-Charge", "100W", "4.2", "60", "1"}});
    const auto changeAction = [this](int row, const QString& action) { ChangeAction(row, action); };
    changeAction(1, "OverDisCharge");
    EXPECT_EQ(m_table.Cell(1, 2), "CV");
    changeAction(2, "OverDisCharge");
    EXPECT_EQ(m_table.Cell(2, 2), "CC");
    changeAction(3, "Charge");
    EXPECT_EQ(m_table.Cell(3, 2), "100");
    changeAction(1, "LOOP");
    EXPECT_EQ(RowCells(1),
              (QStringList{"LOOP", "", "", "", "", "", "1", "1", "NextStep", "", "", ""}));
    changeAction(2, "Suspend");
    EXPECT_EQ(RowCells(2).mid(0, 6), (QStringList{"Suspend", "", "", "", "", ""}));
}

TEST_F(CellEditingTest, OnlyARealActionChangeTidiesAndAStopVoltageBothShareIsKept) {
    const QStringList rest{"Suspend", "", "", "60", "3.1", "", "", "1", "NextStep", "", "", ""};
    SetSteps({rest,
              {"DisCharge", "CC", "10", "60", "2.5", "1", "1", "1", "NextStep"},
              {"PlusLoad", "20", "2", "500", "250", "1", "5", "10", "NextStep"},
              {"DCIRLow", "CC", "10", "10", "3.0", "1", "0", "1"}});
    // Opening the selector and leaving it is no change.
    ClickCell(1, 1);
    ASSERT_NE(CellEditor(), nullptr);
    ClickCell(2, 0);
    EXPECT_EQ(CellEditor(), nullptr);
    EXPECT_EQ(RowCells(1), rest);

    // "Loop Times" is the stop voltage of a discharge, a DCIR step and a rest.
    ChangeAction(2, "Suspend");
    EXPECT_EQ(RowCells(2),
              (QStringList{"Suspend", "", "", "60", "2.5", "", "1", "1", "NextStep", "", "", ""}));
    ChangeAction(4, "Suspend");
    EXPECT_EQ(m_table.Cell(4, StepColumn::LoopTimes), "3.0");
    ChangeAction(1, "DisCharge");
    EXPECT_EQ(RowCells(1).mid(0, 5), (QStringList{"DisCharge", "CC", "", "60", "3.1"}));
    // A pulse's low time is no stop voltage.
    ChangeAction(3, "Suspend");
    EXPECT_EQ(m_table.Cell(3, StepColumn::LoopTimes), "");
}

TEST_F(CellEditingTest, ModeSelectorRefusesParallelCv) {
    SetSteps({{"DisCharge", "CC", "10"}});
    m_editor->SetChannelsInUse(2);
    ClickCell(1, 2);
    auto* modes = qobject_cast<QComboBox*>(CellEditor());
    ASSERT_NE(modes, nullptr);
    modes->setFocus();
    QTest::keyClick(modes, Qt::Key_Down);  // CC -> CR
    QApplication::processEvents();
    EXPECT_EQ(m_table.Cell(1, 2), "CR");
    ClickCell(1, 2);
    modes = qobject_cast<QComboBox*>(CellEditor());
    QTest::keyClick(modes, Qt::Key_Down);  // CR -> CV
    QApplication::processEvents();
    EXPECT_EQ(m_operator.Texts(), QStringList{"並聯不可使用CV模式, 請重新選擇模式"});
    EXPECT_EQ(m_table.Cell(1, 2), "CC");
}

TEST_F(CellEditingTest, ScrollingCommitsTheOpenEditor) {
    QVector<QStringList> steps(80, QStringList{"DisCharge", "CC", "1"});
    SetSteps(steps);
    ClickCell(1, 3);
    qobject_cast<QLineEdit*>(CellEditor())->setText("42");
    Grid().verticalScrollBar()->setValue(20);
    QApplication::processEvents();
    EXPECT_EQ(CellEditor(), nullptr);
    EXPECT_EQ(m_table.Cell(1, 3), "42");
}

TEST_F(CellEditingTest, RunningStepIsHighlightedAndShownAtTheTop) {
    QVector<QStringList> steps(80, QStringList{"Suspend"});
    SetSteps(steps);
    m_table.SetHighlighted(40, true);
    m_table.SetCurrentRow(40);
    EXPECT_EQ(Grid().currentIndex().row(), 39);
    EXPECT_EQ(Grid().rowAt(0), 39);
    const QImage image = Grid().viewport()->grab().toImage();
    const auto colourAt = [&](int row, int column) {
        const QPoint at =
            Grid().visualRect(m_table.index(row - 1, column)).topLeft() + QPoint(3, 3);
        return image.pixelColor(at * image.devicePixelRatio()).rgb() & 0xFFFFFF;
    };
    EXPECT_EQ(colourAt(40, 3), 0xFFFFC0u);
    EXPECT_EQ(colourAt(41, 3), Grid().palette().base().color().rgb() & 0xFFFFFF);
}
