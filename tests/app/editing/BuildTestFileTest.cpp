#include <QTemporaryDir>
#include <QTest>

#include "ActionCatalogue.h"
#include "EditorFixture.h"
#include "StepRecord.h"

namespace {
// A battery test: rest, twice a discharge with a rest, internal resistance,
// a load level in CR, and a final discharge, as a test engineer types it.
const QVector<QStringList> kBatteryTest = {
    {"Suspend", "", "", "60", "0", "", "", "1", "NextStep", "", "", ""},
    {"FOR", "", "", "", "3", "", "", "", "", "", "", ""},
    {"DisCharge", "CC", "20", "1800", "42", "5", "0", "1", "NextStep", "", "", ""},
    {"Suspend", "", "", "600", "0", "", "", "10", "NextStep", "", "", ""},
    {"DCIRLow", "CC", "10", "10", "40", "1", "0", "1", "", "", "", ""},
    {"DCIRHigh", "CC", "50", "3", "40", "0.5", "0", "1", "", "", "", ""},
    {"LOOP", "", "", "", "", "", "", "", "", "", "", ""},
    {"LoadLevel", "CR", "8", "300", "", "", "", "1", "", "50", "", ""},
    {"DisCharge", "CC", "30", "36000", "40", "5", "10", "5", "NextStep", "", "", ""},
};
}  // namespace

class BuildTestFileTest : public EditorFixture {
  protected:
    void Commit(const QString& action, const std::vector<std::pair<QString, QString>>& typed) {
        Choose("SetStepActionCombo", action);
        Enter(typed);
        ClickButton("OKCommand");
        ASSERT_FALSE(Panel().IsOpen());
    }
};

TEST_F(BuildTestFileTest, ABatteryTestBuiltWithThePanelSavesAndLoadsBack) {
    m_document.Table().LayOut();
    DoubleClickCell(1, 0);  // the empty first step is composed in place
    Commit("Suspend", {{"SuspendTimeText", "1:00"}, {"SuspendMeasTimeText", "1"}});
    ClickButton("AddCommand");
    Commit("FOR", {{"ForTimesText", "3"}});
    ClickButton("AddCommand");
    Commit("DisCharge", {{"DisChargeModeCombo", "CC"},
                         {"DisChargeCurrentText", "20"},
                         {"DisChargeStopTimeText", "30:00"},
                         {"DisChargeStopVoltageText", "42"},
                         {"DisChargeStableTimeText", "5"},
                         {"DisChargeStopAHText", "0"},
                         {"DisChargeMeasTimeText", "1"}});
    ClickButton("AddCommand");
    Commit("Suspend", {{"SuspendTimeText", "600"}, {"SuspendMeasTimeText", "10"}});
    ClickButton("AddCommand");
    Commit("DCIRHigh", {{"DCIRHighCurrentText", "50"},
                        {"DCIRHighStopTimeText", "3"},
                        {"DCIRHighStopVoltageText", "40"},
                        {"DCIRHighStableTimeText", "0.5"},
                        {"DCIRHighStopAHText", "0"},
                        {"DCIRHighMeasTimeText", "1"}});
    // The low-current measurement goes before the high one.
    ClickCell(5, 0);
    ClickButton("InsCommand");
    Commit("DCIRLow", {{"DCIRLowCurrentText", "10"},
                       {"DCIRLowStopTimeText", "10"},
                       {"DCIRLowStopVoltageText", "40"},
                       {"DCIRLowStableTimeText", "1"},
                       {"DCIRLowStopAHText", "0"},
                       {"DCIRLowMeasTimeText", "1"}});
    ClickButton("AddCommand");
    Commit("LOOP", {});
    ClickButton("AddCommand");
    Commit("LoadLevel", {{"cmbLoadLevel", "CR"},
                         {"txtLoadValue", "8"},
                         {"RampOnStopTimeText", "5:00"},
                         {"RampOnMeasTimeText", "1"},
                         {"txtFrequency", "50"}});
    // The last discharge starts as a copy of the first, edited in place and
    // in the panel.
    ClickCell(3, 0);
    ChooseFromMenu(3, "COPY");
    ClickCell(8, 0);
    KeyOnGrid(Qt::Key_V, Qt::ControlModifier);
    for (const auto& [column, text] :
         std::vector<std::pair<int, QString>>{{3, "30"}, {4, "600:00"}, {5, "40"}, {8, "5"}}) {
        ClickCell(9, column);
        TypeIntoCell(text);
    }
    DoubleClickCell(9, 0);
    Commit("DisCharge", {{"DisChargeStopAHText", "10"}});

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    m_document.SetPath(folder.filePath("Battery.INI"));
    ASSERT_TRUE(m_document.SaveTestFile(m_operator));
    m_document.Table().LayOut();
    m_document.LoadTestFile(m_operator);

    ASSERT_EQ(m_document.Table().StepCount(), kBatteryTest.size());
    for (int row = 1; row <= kBatteryTest.size(); ++row) {
        QStringList cells;
        for (int column = 1; column < StepColumn::Count; ++column) {
            cells << m_document.Table().Cell(row, column);
        }
        EXPECT_EQ(cells, kBatteryTest[row - 1]) << "step " << row;
    }
    EXPECT_TRUE(m_operator.messages.isEmpty());
}
