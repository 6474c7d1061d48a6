#include <QComboBox>
#include <QLineEdit>
#include <QSet>

#include "ActionCatalogue.h"
#include "EditorFixture.h"
#include "NumberText.h"
#include "StepEntryMap.h"
#include "StepRecord.h"

// The entry table ties every column of every action to one entry of the
// setup panel: each entry must exist under its name, show for its action,
// land in its column on commit and come back from it on modify.
namespace {
using StepEntryMap::EntryKind;

const QString kOld = QStringLiteral("old");

// A distinct text per column that passes every check of the panel.
QString TypedFor(const StepEntryMap::Entry& entry, int column) {
    switch (entry.kind) {
        case EntryKind::ModeSelector:
            return QStringLiteral("CR");
        case EntryKind::LoadLevelMode:
            return QStringLiteral("CC");
        case EntryKind::GoTo:
            return QString::number(column);
        default:
            return NumberText(column * 10 + 0.5);
    }
}

QString EntryWidgetText(QWidget* widget) {
    if (auto* box = qobject_cast<QLineEdit*>(widget)) {
        return box->text();
    }
    return qobject_cast<QComboBox*>(widget)->currentText();
}
}  // namespace

using EntryTableTest = EditorFixture;

TEST_F(EntryTableTest, EveryEntryOfTheTableIsOnePanelWidgetOfItsName) {
    QSet<QString> names;
    for (const StepEntryMap::Frame& frame : StepEntryMap::Frames()) {
        EXPECT_NE(Find<QWidget>(frame.name), nullptr);
        for (const StepEntryMap::Entry* entry : frame.entries) {
            const QString name = QString::fromLatin1(entry->name);
            EXPECT_FALSE(names.contains(name)) << entry->name;
            names.insert(name);
            QWidget* widget = Find<QWidget>(name);
            ASSERT_NE(widget, nullptr);
            EXPECT_EQ(qobject_cast<QLineEdit*>(widget) != nullptr, entry->IsBox()) << entry->name;
        }
    }
    for (const QString& action : Action::All()) {
        EXPECT_NE(StepEntryMap::EntriesOf(action), nullptr) << action.toStdString();
    }
}

TEST_F(EntryTableTest, EveryActionCommitsEachEntryIntoItsColumnAndReadsItBack) {
    for (const QString& action : Action::All()) {
        SCOPED_TRACE(action.toStdString());
        QStringList old(kStepFieldCount, kOld);
        old[0] = action;
        SetSteps({old});
        DoubleClickCell(1, 0);
        ASSERT_TRUE(Panel().IsOpen());
        ASSERT_TRUE(Find<QWidget>(StepEntryMap::FrameOf(action))->isVisible());

        const StepEntryMap::ActionEntries& columns = *StepEntryMap::EntriesOf(action);
        QStringList expected{action};
        for (int i = 0; i < StepEntryMap::kColumnCount; ++i) {
            const int column = StepEntryMap::kFirstColumn + i;
            const StepEntryMap::ColumnEntry& c = columns[static_cast<size_t>(i)];
            switch (c.source) {
                case StepEntryMap::Source::Untouched:
                    expected << kOld;
                    break;
                case StepEntryMap::Source::Empty:
                    expected << QString();
                    break;
                default:
                    Enter(QString::fromLatin1(c.entry->name), TypedFor(*c.entry, column));
                    expected << TypedFor(*c.entry, column);
                    break;
            }
        }
        ClickButton("OKCommand");
        ASSERT_FALSE(Panel().IsOpen()) << m_operator.Texts().join("|").toStdString();
        EXPECT_EQ(RowCells(1), expected);

        // Modify shows each column in the entry it came from.
        ClickButton("AddCommand");
        ClickButton("CancelCommand");
        DoubleClickCell(1, 0);
        for (int i = 0; i < StepEntryMap::kColumnCount; ++i) {
            const StepEntryMap::Entry* entry = columns[static_cast<size_t>(i)].entry;
            if (entry != nullptr) {
                EXPECT_EQ(EntryWidgetText(Find<QWidget>(entry->name)),
                          m_table.Cell(1, StepEntryMap::kFirstColumn + i))
                    << entry->name;
            }
        }
        ClickButton("CancelCommand");
    }
    EXPECT_TRUE(m_operator.messages.isEmpty()) << m_operator.Texts().join("|").toStdString();
}
