#include <QApplication>
#include <QLabel>
#include <QTest>

#include "ActionCatalogue.h"
#include "EditorFixture.h"

namespace {
// Modify loads the step into the entries: what is not typed below is
// committed from the step's own cells, a number entry "old" as "0".
// Any text that no commit would write, so that untouched cells show.
const QString kOld = QStringLiteral("old");

QVector<QStringList> OldStep(const QString& action) {
    QStringList cells(12, kOld);
    cells[0] = action;
    return {cells};
}

using Entry = std::pair<const char*, const char*>;
struct CommitCase {
    const char* action;
    std::vector<Entry> entries;  // typed, or chosen in selectors
    QStringList expected;        // columns 2 ... 12 after the commit
};
}  // namespace

using SetupPanelTest = EditorFixture;

TEST_F(SetupPanelTest, CommitWritesEachActionsEntriesIntoTheirColumns) {
    const CommitCase cases[] = {
        {"DisCharge",
         {{"DisChargeModeCombo", "CR"},
          {"DisChargeCurrentText", "1.50"},
          {"DisChargeStopTimeText", "1:30"},
          {"DisChargeStopVoltageText", "2.5V"},
          {"DisChargeStableTimeText", "2"},
          {"DisChargeStopAHText", "3,5"},
          {"DisChargeMeasTimeText", "0.5"},
          {"DisChargeGotoCombo", "EndLoop"}},
         {"CR", "1.5", "90", "2.5", "2", "3.5", "0.5", "EndLoop", kOld, kOld, kOld}},
        {"Suspend",
         {{"SuspendTimeText", "5"},
          {"SuspendStopVoltageText", "2.5V"},
          {"SuspendMeasTimeText", "2"},
          {"SuspendGotoCombo", "3"}},
         {"", "", "5", "2.5V", "", "", "2", "3", kOld, kOld, kOld}},
        {"Charge",
         {{"ChargeVoltageText", "4.2"},
          {"ChargeCurrentText", "2"},
          {"ChargeStopTimeText", "60:00"},
          {"ChargeStopCurrentText", "0.1"},
          {"ChargeStableTimeText", "1"},
          {"ChargeStopAHText", "5"},
          {"ChargeMeasTimeText", "10"}},
         {"4.2", "2", "3600", "0.1", "1", "5", "10", kOld, kOld, kOld, kOld}},
        {"CP-Charge",
         {{"CPChargePowerText", "100"}, {"CPChargeCurrentText", "4.2"}},
         {"100", "4.2", "0", "0", "0", "0", "0", "", kOld, kOld, kOld}},
        {"PlusLoad",
         {{"PlusLoadHighCurrentText", "10"},
          {"PlusLoadLowCurrentText", "1"},
          {"PlusLoadTHighText", "0"},
          {"PlusLoadTLowText", "20000"},
          {"PlusLoadCycleCountText", "3000"}},
         {"10", "1", "0.05", "9999", "0", "2400", "0", kOld, kOld, kOld, kOld}},
        {"RAMP OFF",
         {{"RampOffCombo", "CP"}, {"RampOffCurrentText", "100"}, {"RampOffStopTimeText", "10"}},
         {"CP", "100", "10", "", "", "", "0", "", kOld, kOld, kOld}},
        {"LoadLevel",
         {{"cmbLoadLevel", "CC"},
          {"txtLoadValue", "5"},
          {"RampOnStopTimeText", "5:00"},
          {"RampOnMeasTimeText", "1"},
          {"txtFrequency", "50"},
          {"txtCFValue", "1.41"},
          {"txtPFValue", "0.9"}},
         {"CC", "5", "300", "", "", "", "1", "", "50", "1.41", "0.9"}},
        {"FOR", {{"ForTimesText", "3"}}, {"", "", "", "3", "", "", "", "", kOld, kOld, kOld}},
        {"LOOP2", {}, {"", "", "", "", "", "", "", "", kOld, kOld, kOld}},
    };
    for (const CommitCase& c : cases) {
        SCOPED_TRACE(c.action);
        SetSteps(OldStep(c.action));
        DoubleClickCell(1, 0);
        ASSERT_TRUE(Panel().IsOpen());
        ASSERT_EQ(Find<QComboBox>("SetStepActionCombo")->currentText(), c.action);
        Enter(c.entries);
        ClickButton("OKCommand");
        EXPECT_FALSE(Panel().IsOpen());
        EXPECT_EQ(m_table.StepCount(), 1);
        EXPECT_EQ(RowCells(1), QStringList{c.action} + c.expected);
    }
    EXPECT_TRUE(m_operator.messages.isEmpty());
}

TEST_F(SetupPanelTest, OpeningShowsTheCaptionAndTheActionsFrame) {
    m_editor->SetChannelNumber(1);
    SetSteps({{"DisCharge"}, {"LoadLevel", "CC", "5"}});
    ClickButton("AddCommand");
    EXPECT_EQ(Panel().title(), "Addition Step - Channel 1");
    EXPECT_EQ(Panel().StepEditRow(), 3);
    EXPECT_TRUE(Find<QWidget>("RampOnFrame")->isVisible());
    EXPECT_EQ(Find<QComboBox>("cmbLoadLevel")->currentText(), "CC");
    Choose("SetStepActionCombo", "Suspend");
    EXPECT_FALSE(Find<QWidget>("RampOnFrame")->isVisible());
    EXPECT_TRUE(Find<QWidget>("SuspendFrame")->isVisible());
    EXPECT_EQ(Find<QComboBox>("SuspendGotoCombo")->currentText(), "NextStep");
    ClickButton("CancelCommand");
    EXPECT_FALSE(Panel().isVisible());
    EXPECT_EQ(m_table.StepCount(), 2);

    DoubleClickCell(2, 0);
    EXPECT_EQ(Panel().title(), "Modify Channel - 1 Step - 2");
    EXPECT_EQ(Find<QLineEdit>("txtLoadValue")->text(), "5");
    ClickButton("CancelCommand");
    // A double click outside the step numbers opens no panel.
    DoubleClickCell(2, 3);
    EXPECT_FALSE(Panel().IsOpen());
}

TEST_F(SetupPanelTest, InsertPutsTheStepAtTheCurrentRowAndRenumbers) {
    SetSteps({{"A1"}, {"A2"}, {"A3"}, {"A4"}, {"A5"}});
    ClickCell(3, 0);
    ClickButton("InsCommand");
    EXPECT_EQ(Panel().title(), "Insert Step - Channel 1");
    Choose("SetStepActionCombo", "FOR");
    Type("ForTimesText", "2");
    ClickButton("OKCommand");
    ASSERT_EQ(m_table.StepCount(), 6);
    EXPECT_EQ(m_table.Cell(3, 1), "FOR");
    EXPECT_EQ(m_table.Cell(3, 5), "2");
    for (int row = 1; row <= 6; ++row) {
        EXPECT_EQ(m_table.Cell(row, 0), QString::number(row));
    }
    EXPECT_EQ(m_table.Cell(4, 1), "A3");
    EXPECT_EQ(m_table.Cell(6, 1), "A5");
    // The grid shows the row the row commands work on.
    EXPECT_EQ(Grid().currentIndex().row() + 1, m_table.CurrentRow());
}

TEST_F(SetupPanelTest, ModifyToAnotherActionKeepsTheLoadLevelColumns) {
    SetSteps({{"DisCharge", "CC", "1"},
              {"LoadLevel", "CR", "8", "300", "", "", "", "1", "", "50", "1.4", "1"}});
    DoubleClickCell(2, 0);
    EXPECT_FALSE(Find<QLineEdit>("txtCFValue")->isEnabled());
    Choose("SetStepActionCombo", "DisCharge");
    Type("DisChargeCurrentText", "7");
    ClickButton("OKCommand");
    EXPECT_EQ(m_table.StepCount(), 2);
    EXPECT_EQ(m_table.Cell(2, 1), "DisCharge");
    EXPECT_EQ(m_table.Cell(2, 3), "7");
    EXPECT_EQ(m_table.Cell(2, 10), "50");
    EXPECT_EQ(m_table.Cell(2, 11), "1.4");
    EXPECT_EQ(m_table.Cell(2, 12), "1");
}

TEST_F(SetupPanelTest, AFullTableTakesNoFurtherStepButCanStillBeModified) {
    m_table.SetStepCount(StepTable::kMaxSteps);
    ClickButton("AddCommand");
    ClickButton("OKCommand");
    EXPECT_EQ(m_operator.Texts(), QStringList{"Test Step too much, Please check it."});
    EXPECT_EQ(m_operator.messages[0].title, "");
    EXPECT_TRUE(Panel().IsOpen());
    EXPECT_EQ(m_table.StepCount(), StepTable::kMaxSteps);
    ClickButton("CancelCommand");

    DoubleClickCell(5, 0);
    Choose("SetStepActionCombo", "LOOP");
    ClickButton("OKCommand");
    EXPECT_EQ(m_table.Cell(5, 1), "LOOP");

    ClickCell(7, 0);
    ClickButton("DelCommand");
    ClickButton("AddCommand");
    ClickButton("OKCommand");
    EXPECT_EQ(m_table.StepCount(), StepTable::kMaxSteps);
    EXPECT_EQ(m_table.Cell(StepTable::kMaxSteps, 1), "LoadLevel");
    EXPECT_EQ(m_operator.messages.size(), 1);
}

TEST_F(SetupPanelTest, FailedLoadLevelCheckWarnsCorrectsAndKeepsThePanelOpen) {
    ClickButton("AddCommand");
    Choose("cmbLoadLevel", "CR");
    EXPECT_EQ(Find<QLabel>("LoadLevelUnitLabel")->text(), "Ohm");
    Type("txtLoadValue", "0.5");
    Type("txtFrequency", "441");
    ClickButton("OKCommand");
    ASSERT_EQ(m_operator.messages.size(), 2);
    EXPECT_EQ(m_operator.messages[0].text, "Load Level must 0.533 ~ 10666(ohm) !");
    EXPECT_EQ(m_operator.messages[1].text, "Frequency must 40 ~ 440!");
    EXPECT_EQ(m_operator.messages[1].title, "Warning!");
    EXPECT_EQ(Find<QLineEdit>("txtLoadValue")->text(), "0.533");
    EXPECT_EQ(Find<QLineEdit>("txtFrequency")->text(), "40");
    EXPECT_EQ(QApplication::focusWidget(), Find<QLineEdit>("txtLoadValue"));
    EXPECT_TRUE(Panel().IsOpen());
    EXPECT_EQ(m_table.StepCount(), 1);

    // A failed dwell time stays as typed, with the focus on it.
    Choose("cmbLoadLevel", "CC");
    Type("txtLoadValue", "5");
    Type("RampOnStopTimeText", "90000");
    ClickButton("OKCommand");
    EXPECT_EQ(m_operator.Texts().last(), "Dwell Time must 0 ~ 86400 !");
    EXPECT_EQ(Find<QLineEdit>("RampOnStopTimeText")->text(), "90000");
    EXPECT_EQ(QApplication::focusWidget(), Find<QLineEdit>("RampOnStopTimeText"));

    // The load-level boxes do not hold up a step of another action.
    Choose("SetStepActionCombo", "Suspend");
    ClickButton("OKCommand");
    EXPECT_FALSE(Panel().IsOpen());
    EXPECT_EQ(m_table.Cell(2, 1), "Suspend");
    EXPECT_EQ(m_operator.messages.size(), 3);
}

TEST_F(SetupPanelTest, ModeSelectorsSetUnitsAndRefuseParallelCv) {
    ClickButton("AddCommand");
    Choose("SetStepActionCombo", "DisCharge");
    auto* unit = Find<QLabel>("DisChargeUnitLabel");
    Choose("DisChargeModeCombo", "CR");
    EXPECT_EQ(unit->text(), "Ohm");
    Choose("DisChargeModeCombo", "CV");
    EXPECT_EQ(unit->text(), "V");
    EXPECT_TRUE(m_operator.messages.isEmpty());

    m_editor->SetChannelsInUse(2);
    Choose("DisChargeModeCombo", "CP");
    Choose("DisChargeModeCombo", "CV");
    EXPECT_EQ(m_operator.Texts(), QStringList{"並聯不可使用CV模式, 請重新選擇模式"});
    EXPECT_EQ(Find<QComboBox>("DisChargeModeCombo")->currentText(), "CC");
    EXPECT_EQ(unit->text(), "A");

    Choose("SetStepActionCombo", "LoadLevel");
    Choose("cmbLoadLevel", "CV");
    EXPECT_FALSE(Find<QLineEdit>("txtCFValue")->isEnabled());
    Choose("cmbLoadLevel", "CC");
    EXPECT_TRUE(Find<QLineEdit>("txtPFValue")->isEnabled());
}

TEST_F(SetupPanelTest, ModifyKeepsAModeItsSelectorDoesNotList) {
    SetSteps({{"DisCharge", "LINCC", "5", "60", "2.5", "1", "1", "1", "NextStep"},
              {"RAMP OFF", "cc", "3", "10", "", "", "", "1"},
              {"DisCharge", "CR", "5", "60", "2.5", "1", "1", "1", "NextStep"}});
    DoubleClickCell(1, 0);
    EXPECT_EQ(Find<QComboBox>("DisChargeModeCombo")->currentText(), "LINCC");
    ClickButton("OKCommand");
    EXPECT_EQ(m_table.Cell(1, StepColumn::Mode), "LINCC");
    DoubleClickCell(2, 0);
    ClickButton("OKCommand");
    EXPECT_EQ(m_table.Cell(2, StepColumn::Mode), "cc");

    // The odd text stays with its step: the next one finds the four modes.
    DoubleClickCell(3, 0);
    auto* modes = Find<QComboBox>("DisChargeModeCombo");
    EXPECT_EQ(modes->count(), 4);
    EXPECT_EQ(modes->currentText(), "CR");
    ClickButton("CancelCommand");
    EXPECT_TRUE(m_operator.messages.isEmpty());
}

TEST_F(SetupPanelTest, SharedFrameFollowsTheConnectModeAndTheAction) {
    m_editor->SetLanMode(false);
    auto* frame = Find<QGroupBox>("RampOnFrame");
    EXPECT_EQ(frame->title(), "RAMP ON Setup");
    ClickButton("AddCommand");
    Choose("SetStepActionCombo", "RAMP ON");
    EXPECT_TRUE(Find<QComboBox>("RampOnCombo")->isVisible());
    EXPECT_FALSE(Find<QComboBox>("cmbLoadLevel")->isVisible());
    EXPECT_FALSE(Find<QLineEdit>("txtFrequency")->isVisible());
    Choose("SetStepActionCombo", "LoadLevel");
    EXPECT_EQ(frame->title(), "Load Level Setup");
    EXPECT_FALSE(Find<QComboBox>("RampOnCombo")->isVisible());
    EXPECT_TRUE(Find<QLineEdit>("txtLoadValue")->isVisible());
    EXPECT_TRUE(Find<QLineEdit>("txtFrequency")->isVisible());
}
