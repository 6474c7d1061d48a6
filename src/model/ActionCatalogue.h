#pragma once

#include <QString>
#include <QStringList>

// The names a step table understands. Names are compared exactly (case
// matters) everywhere except go-to targets.
namespace Action {
inline const QString kDisCharge = QStringLiteral("DisCharge");
inline const QString kOverDisCharge = QStringLiteral("OverDisCharge");
inline const QString kCharge = QStringLiteral("Charge");
inline const QString kCpCharge = QStringLiteral("CP-Charge");
inline const QString kDcirLow = QStringLiteral("DCIRLow");
inline const QString kDcirHigh = QStringLiteral("DCIRHigh");
inline const QString kAcir = QStringLiteral("ACIR");
inline const QString kSuspend = QStringLiteral("Suspend");
inline const QString kPlusLoad = QStringLiteral("PlusLoad");
inline const QString kRampOn = QStringLiteral("RAMP ON");
inline const QString kRampOff = QStringLiteral("RAMP OFF");
inline const QString kLoadLevel = QStringLiteral("LoadLevel");
inline const QString kFor = QStringLiteral("FOR");
inline const QString kFor2 = QStringLiteral("FOR2");
inline const QString kLoop = QStringLiteral("LOOP");
inline const QString kLoop2 = QStringLiteral("LOOP2");

// All sixteen, in catalogue order.
const QStringList& All();
bool IsKnown(const QString& name);
bool IsLoopControl(const QString& name);  // FOR, FOR2, LOOP, LOOP2
bool OpensLoop(const QString& name);      // FOR, FOR2
// The loop level a loop-control action opens or closes: 1 for FOR and LOOP,
// 2 for FOR2 and LOOP2, 0 for every other action.
int LoopLevel(const QString& name);
// DisCharge, OverDisCharge, DCIRLow and DCIRHigh: the steps that put the load
// on the battery at a set value and end at a stop voltage or a stop Ah. They
// are programmed, ended and released alike.
bool IsDischarge(const QString& name);
}  // namespace Action

namespace LoadMode {
inline const QString kCC = QStringLiteral("CC");
inline const QString kCR = QStringLiteral("CR");
inline const QString kCV = QStringLiteral("CV");
inline const QString kCP = QStringLiteral("CP");
inline const QString kLinCC = QStringLiteral("LINCC");

// "CC", "CR", "CV", "CP": the modes of discharge, DCIR, ACIR and ramp steps.
const QStringList& Basic();
// "CC", "LINCC", "CR", "CV", "CP": the modes of load-level steps, in selector order.
const QStringList& LoadLevel();
// Unit of a set value in `mode`; load-level steps show "Vrms" for CV.
QString Unit(const QString& mode, bool loadLevel);
}  // namespace LoadMode

namespace GoTo {
inline const QString kNextStep = QStringLiteral("NextStep");
inline const QString kEndLoop = QStringLiteral("EndLoop");
inline const QString kEndLoop2 = QStringLiteral("EndLoop2");
inline const QString kContinue = QStringLiteral("Continue");

// The four named targets in list order.
const QStringList& Named();
}  // namespace GoTo

// Counts of unclosed loops over a sequence of action names: level 1 adds one
// for FOR and takes one for LOOP, level 2 the same for FOR2 and LOOP2. The
// table is balanced when both end at 0; order and nesting are not checked.
struct LoopBalance {
    int level1 = 0;
    int level2 = 0;

    void Count(const QString& action);
    bool Balanced() const { return level1 == 0 && level2 == 0; }
};

// What a column of the step table means in a row of one action: the quantity,
// its unit ("" for none) and what the run does with it. The step table's cell
// and header tooltips are written from this one table.
struct ColumnMeaning {
    QString quantity;     // "Stop voltage"; "" when the column means nothing here
    QString unit;         // "V", "s", "Ah", ...
    QString explanation;  // "the step ends when the mean phase voltage falls to it"

    bool IsUsed() const { return !quantity.isEmpty(); }
    // "Stop voltage (V): the step ends when ..."
    QString Text() const;
};

namespace ColumnMeanings {
// Meaning of step table column `column` (1 "Action Mode" ... 12 "PF") in a row
// of `action` whose "Mode" cell holds `mode`; a set value's unit and the stop
// value of a CV discharge follow the mode.
ColumnMeaning Of(const QString& action, int column, const QString& mode);
// What an action does, for the "Action Mode" cell.
QString ActionSummary(const QString& action);
// The tooltip of a cell: its meaning, or why it means nothing in this row.
QString CellToolTip(const QString& action, int column, const QString& mode);
// The tooltip of a header: the column's meanings by action, one line each,
// actions that read it alike on one line.
QString HeaderToolTip(int column);
}  // namespace ColumnMeanings
