#include <QLineEdit>
#include <QTest>

#include "EditorFixture.h"

// Text that is no number is refused where it is typed, naming the entry, and
// the entry or cell keeps what it had; what the run can read as a number
// passes as before.
namespace {
struct Typing {
    const char* entry;
    const char* typed;
    const char* kept;     // the box text afterwards
    const char* message;  // "" when the text is taken
};

struct CellTyping {
    int row;
    int column;
    const char* typed;
    const char* stored;
    const char* message;
};
}  // namespace

using NumberEntryTest = EditorFixture;

TEST_F(NumberEntryTest, PanelBoxesRefuseTextThatIsNoNumberAndKeepTheirText) {
    SetSteps({{"DisCharge", "CC", "10", "60", "2.5", "1", "1", "1", "NextStep"},
              {"PlusLoad", "20", "2", "500", "250", "1", "5", "10", "NextStep"},
              {"Suspend", "", "", "60", "3", "", "", "1", "NextStep"}});
    const auto typeAll = [this](const std::vector<Typing>& typings) {
        for (const Typing& t : typings) {
            SCOPED_TRACE(std::string(t.entry) + " <- " + t.typed);
            m_operator.messages.clear();
            Type(t.entry, t.typed);
            EXPECT_EQ(Find<QLineEdit>(t.entry)->text(), t.kept);
            EXPECT_EQ(m_operator.Texts(), *t.message ? QStringList{t.message} : QStringList());
        }
    };

    DoubleClickCell(1, 0);
    typeAll({{"DisChargeCurrentText", "ten", "10", "Discharge current must be a number."},
             {"DisChargeStopTimeText", "x:30", "60", "Stop time must be a number."},
             {"DisChargeStopTimeText", "1:30", "90", ""},
             {"DisChargeStopVoltageText", "abc", "2.5", "Stop voltage must be a number."},
             {"DisChargeStopVoltageText", "2,6", "2,6", ""},
             {"DisChargeStopAHText", "2.5Ah", "2.5Ah", ""}});
    ClickButton("OKCommand");
    EXPECT_EQ(RowCells(1).mid(0, 7),
              (QStringList{"DisCharge", "CC", "10", "90", "2.6", "1", "2.5"}));

    DoubleClickCell(2, 0);
    typeAll({{"PlusLoadCycleCountText", "many", "5", "Cycle count must be a number."},
             {"PlusLoadCycleCountText", "3000", "2400", ""},
             {"PlusLoadTLowText", "-", "250", "T-low must be a number."}});
    // The click that left the refused box does not commit: the operator
    // sees what the box kept first.
    ClickButton("OKCommand");
    EXPECT_TRUE(Panel().IsOpen());
    ClickButton("OKCommand");
    EXPECT_FALSE(Panel().IsOpen());
    EXPECT_EQ(m_table.Cell(2, 7), "2400");
    EXPECT_EQ(m_table.Cell(2, 5), "250");

    DoubleClickCell(3, 0);
    typeAll({{"SuspendStopVoltageText", "V", "3", "Stop voltage must be a number."},
             {"SuspendStopVoltageText", "2,5", "2,5", ""}});
    ClickButton("OKCommand");
    EXPECT_EQ(m_table.Cell(3, 5), "2.5");  // the run reads "2,5" as 2

    // The load-level limits still speak for numbers out of range.
    ClickButton("AddCommand");
    typeAll({{"txtLoadValue", "x", "0", "Load value must be a number."}});
    Type("txtLoadValue", "200");
    m_operator.messages.clear();
    ClickButton("OKCommand");
    EXPECT_EQ(m_operator.Texts(), QStringList{"Load Level must 0 ~ 112.5(A) !"});
    EXPECT_EQ(m_operator.messages[0].title, "Warning!");
    EXPECT_TRUE(Panel().IsOpen());
}

TEST_F(NumberEntryTest, CommitByKeyboardBeforeTheBoxIsLeftIsRefusedToo) {
    ClickButton("AddCommand");
    Choose("SetStepActionCombo", "FOR");
    auto* times = Find<QLineEdit>("ForTimesText");
    times->setFocus();
    times->selectAll();
    QTest::keyClicks(times, "twice");
    EXPECT_FALSE(Panel().Commit());
    EXPECT_EQ(m_operator.Texts(), QStringList{"Times must be a number."});
    EXPECT_EQ(times->text(), "1");
    EXPECT_TRUE(Panel().IsOpen());
    EXPECT_EQ(m_table.Cell(2, 1), "");
}

TEST_F(NumberEntryTest, GridCellsRefuseTextThatIsNoNumberAndKeepTheirText) {
    SetSteps({{"DisCharge", "CC", "10", "60", "2.5", "1", "1", "1", "NextStep"},
              {"PlusLoad", "20", "2", "500", "250", "1", "5", "10", "NextStep"},
              {"LoadLevel", "CC", "5", "300", "", "", "", "1", "", "60", "1.4", "1"}});
    const CellTyping cases[] = {
        {1, 5, "abc", "2.5", "Stop voltage must be a number."},
        {1, 4, "x:30", "60", "Stop time must be a number."},
        {1, 4, "1:30", "90", ""},
        {1, 3, "2,5", "2.5", ""},
        {1, 3, "2:30", "2:30", ""},
        {2, 2, "high", "20", "High current must be a number."},
        {2, 5, "lots", "250", "T-low must be a number."},
        {3, 10, "mains", "60", "Frequency must be a number."},
        {3, 4, "long", "300", "Dwell time must be a number."},
    };
    for (const CellTyping& c : cases) {
        SCOPED_TRACE(testing::Message() << c.row << "," << c.column << " <- " << c.typed);
        m_operator.messages.clear();
        ClickCell(c.row, c.column);
        TypeIntoCell(c.typed);
        EXPECT_EQ(m_table.Cell(c.row, c.column), c.stored);
        EXPECT_EQ(m_operator.Texts(), *c.message ? QStringList{c.message} : QStringList());
        EXPECT_EQ(CellEditor(), nullptr);
    }
}
