#include "CellEditRules.h"

#include <QSet>

#include "ActionCatalogue.h"
#include "NumberText.h"
#include "StepEntryMap.h"
#include "StepLimits.h"
#include "StepRecord.h"
#include "StepTable.h"

namespace CellEditRules {
namespace {
using ActionSet = QSet<QString>;

const ActionSet& ModeSelectorActions() {
    static const ActionSet actions{Action::kDcirHigh,  Action::kDcirLow,       Action::kAcir,
                                   Action::kDisCharge, Action::kOverDisCharge, Action::kRampOff,
                                   Action::kRampOn,    Action::kLoadLevel};
    return actions;
}

const ActionSet& NumericModeActions() {
    static const ActionSet actions{Action::kPlusLoad, Action::kCpCharge, Action::kCharge};
    return actions;
}

const ActionSet& ValueActions() {
    static const ActionSet actions{Action::kDcirHigh,  Action::kDcirLow,       Action::kAcir,
                                   Action::kCpCharge,  Action::kPlusLoad,      Action::kCharge,
                                   Action::kDisCharge, Action::kOverDisCharge, Action::kRampOff,
                                   Action::kRampOn,    Action::kLoadLevel};
    return actions;
}

const ActionSet& DwellActions() {
    static const ActionSet actions{Action::kDcirHigh,  Action::kDcirLow,       Action::kAcir,
                                   Action::kSuspend,   Action::kCpCharge,      Action::kCharge,
                                   Action::kDisCharge, Action::kOverDisCharge, Action::kRampOff,
                                   Action::kRampOn,    Action::kLoadLevel};
    return actions;
}

const ActionSet& LoopTimesActions() {
    static const ActionSet actions{Action::kDcirHigh, Action::kDcirLow,   Action::kAcir,
                                   Action::kFor2,     Action::kFor,       Action::kCpCharge,
                                   Action::kCharge,   Action::kDisCharge, Action::kOverDisCharge,
                                   Action::kSuspend};
    return actions;
}

const ActionSet& StableActions() {
    static const ActionSet actions{Action::kDcirHigh,  Action::kDcirLow,      Action::kAcir,
                                   Action::kCpCharge,  Action::kPlusLoad,     Action::kCharge,
                                   Action::kDisCharge, Action::kOverDisCharge};
    return actions;
}

const ActionSet& MeasureActions() {
    static const ActionSet actions{Action::kSuspend, Action::kDcirHigh,  Action::kDcirLow,
                                   Action::kAcir,    Action::kCpCharge,  Action::kPlusLoad,
                                   Action::kCharge,  Action::kDisCharge, Action::kOverDisCharge,
                                   Action::kRampOff, Action::kRampOn,    Action::kLoadLevel};
    return actions;
}

const ActionSet& GotoActions() {
    static const ActionSet actions{Action::kPlusLoad, Action::kCharge, Action::kDisCharge,
                                   Action::kOverDisCharge, Action::kSuspend};
    return actions;
}

EditPlan TextBox(ToolTipKind toolTip = ToolTipKind::None) {
    EditPlan plan;
    plan.kind = EditorKind::TextBox;
    plan.toolTip = toolTip;
    return plan;
}

EditPlan Selector(EditorKind kind, const QString& preset) {
    EditPlan plan;
    plan.kind = kind;
    plan.presetWhenEmpty = preset;
    return plan;
}

bool SameMeaning(const QString& oldAction, const QString& action, int column) {
    const StepEntryMap::Entry* before = StepEntryMap::EntryOfColumn(oldAction, column);
    const StepEntryMap::Entry* after = StepEntryMap::EntryOfColumn(action, column);
    return before != nullptr && after != nullptr && qstrcmp(before->quantity, after->quantity) == 0;
}

void ClearCells(StepTable& table, int gridRow, const QString& oldAction, const QString& action,
                std::initializer_list<int> columns) {
    for (int column : columns) {
        if (!SameMeaning(oldAction, action, column)) {
            table.SetCell(gridRow, column, QString());
        }
    }
}
}  // namespace

EditPlan PlanFor(int column, const QString& action) {
    const bool pulsed = action == Action::kPlusLoad;
    switch (column) {
        case StepColumn::ActionMode:
            return Selector(EditorKind::ActionSelector, Action::kCharge);
        case StepColumn::Mode:
            if (ModeSelectorActions().contains(action)) {
                return Selector(EditorKind::ModeSelector, LoadMode::kCC);
            }
            if (NumericModeActions().contains(action)) {
                EditPlan plan = TextBox();
                plan.showsNumericValue = true;
                return plan;
            }
            break;
        case StepColumn::Value:
            if (ValueActions().contains(action)) {
                return TextBox();
            }
            break;
        case StepColumn::DwellTime:
            if (pulsed) {
                return TextBox(ToolTipKind::MillisecondsAsSeconds);
            }
            // ACIR keeps its frequency (kHz) here, which a clock would misread.
            if (action == Action::kAcir) {
                return TextBox();
            }
            if (DwellActions().contains(action)) {
                return TextBox(ToolTipKind::SecondsAsClock);
            }
            break;
        case StepColumn::LoopTimes:
            if (pulsed) {
                return TextBox(ToolTipKind::MillisecondsAsSeconds);
            }
            if (LoopTimesActions().contains(action)) {
                return TextBox();
            }
            break;
        case StepColumn::Stable:
        case StepColumn::StopAH:
            if (StableActions().contains(action)) {
                return TextBox();
            }
            break;
        case StepColumn::MeasT:
            if (MeasureActions().contains(action)) {
                return TextBox();
            }
            break;
        case StepColumn::GoTo:
            if (GotoActions().contains(action)) {
                return Selector(EditorKind::GotoSelector, GoTo::kNextStep);
            }
            break;
        case StepColumn::Frequency:
            if (action == Action::kLoadLevel) {
                return TextBox();
            }
            break;
        default:
            break;
    }
    return EditPlan();
}

QString InitialText(const EditPlan& plan, const QString& cellText) {
    return plan.showsNumericValue ? NumberText(NumericValue(cellText)) : cellText;
}

QString ToolTipText(ToolTipKind kind, const QString& text) {
    switch (kind) {
        case ToolTipKind::SecondsAsClock:
            return SecondsAsClock(NumericValue(MinutesSecondsToSeconds(text)));
        case ToolTipKind::MillisecondsAsSeconds:
            return MillisecondsAsSecondsText(text);
        case ToolTipKind::None:
            break;
    }
    return QString();
}

QString StoredText(int column, EditorKind kind, const QString& editorText) {
    if (kind != EditorKind::TextBox) {
        return editorText;
    }
    const QString text = DecimalPointText(editorText);
    return column == StepColumn::DwellTime ? MinutesSecondsToSeconds(text) : text;
}

void TidyRowForAction(StepTable& table, int gridRow, const QString& oldAction,
                      const QString& action) {
    using namespace StepColumn;
    if (action == oldAction) {
        return;
    }
    const auto clear = [&](std::initializer_list<int> columns) {
        ClearCells(table, gridRow, oldAction, action, columns);
    };
    if (action == Action::kCpCharge || action == Action::kCharge) {
        table.SetCell(gridRow, Mode, NumberText(NumericValue(table.Cell(gridRow, Mode))));
    } else if (action == Action::kDisCharge || action == Action::kOverDisCharge) {
        if (!LoadMode::Basic().contains(table.Cell(gridRow, Mode))) {
            table.SetCell(gridRow, Mode, LoadMode::kCC);
        }
    } else if (action == Action::kSuspend) {
        clear({Mode, Value, LoopTimes, Stable});
    } else if (action == Action::kFor || action == Action::kFor2) {
        clear({Mode, Value, DwellTime});
    } else if (action == Action::kLoop || action == Action::kLoop2) {
        clear({Mode, Value, DwellTime, LoopTimes, Stable});
    }
}

QString QuantityName(const QString& action, int column) {
    const StepEntryMap::Entry* entry = StepEntryMap::EntryOfColumn(action, column);
    return entry != nullptr ? QString::fromLatin1(entry->quantity) : StepTable::HeaderText(column);
}

}  // namespace CellEditRules
