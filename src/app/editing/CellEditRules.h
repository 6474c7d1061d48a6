#pragma once

#include <QString>

class StepTable;

// Which cells of the step table open an editor in place, what the editor
// starts with, and how a row is tidied after its action changed. Pure logic;
// the grid's delegate applies it.
namespace CellEditRules {

enum class EditorKind { None, ActionSelector, ModeSelector, GotoSelector, TextBox };

// What a text box's tooltip explains about the number being typed.
enum class ToolTipKind { None, SecondsAsClock, MillisecondsAsSeconds };

struct EditPlan {
    EditorKind kind = EditorKind::None;
    // Written into an empty cell before its editor opens.
    QString presetWhenEmpty;
    ToolTipKind toolTip = ToolTipKind::None;
    // The text box shows the cell's numeric value rather than its text.
    bool showsNumericValue = false;
};

// The editor for `column` of a row whose action is `action`; kind None when
// the cell is not edited in place.
EditPlan PlanFor(int column, const QString& action);

// The text the editor starts with for a cell holding `cellText`.
QString InitialText(const EditPlan& plan, const QString& cellText);

// Tooltip of a text box holding `text`; "" when the plan asks for none.
QString ToolTipText(ToolTipKind kind, const QString& text);

// The text stored when an editor of `column` commits `editorText`: a text
// box's decimal comma becomes a point (the run reads "2,5" as 2), dwell times
// typed as minutes:seconds become seconds, anything else is kept.
QString StoredText(int column, EditorKind kind, const QString& editorText);

// Clears or normalises the cells that make no sense for the row's new action
// after it changed from `oldAction`. A cell that means the same in both (the
// stop voltage of a discharge that becomes a rest) is kept; an action that
// did not change leaves the row as it is.
void TidyRowForAction(StepTable& table, int gridRow, const QString& oldAction,
                      const QString& action);

// What a text box of `column` holds in an `action` row, as messages name it
// ("Stop voltage"); the column's header when the panel has no entry for it.
QString QuantityName(const QString& action, int column);

}  // namespace CellEditRules
