#include "ActionCatalogue.h"

#include <QHash>

#include "StepRecord.h"
#include "StepTable.h"

namespace Action {
const QStringList& All() {
    static const QStringList names{
        kDisCharge, kOverDisCharge, kCharge,  kCpCharge,  kDcirLow, kDcirHigh, kAcir, kSuspend,
        kPlusLoad,  kRampOn,        kRampOff, kLoadLevel, kFor,     kFor2,     kLoop, kLoop2};
    return names;
}

bool IsKnown(const QString& name) {
    return All().contains(name);
}

bool IsLoopControl(const QString& name) {
    return LoopLevel(name) != 0;
}

bool OpensLoop(const QString& name) {
    return name == kFor || name == kFor2;
}

int LoopLevel(const QString& name) {
    if (name == kFor || name == kLoop) {
        return 1;
    }
    if (name == kFor2 || name == kLoop2) {
        return 2;
    }
    return 0;
}

bool IsDischarge(const QString& name) {
    return name == kDisCharge || name == kOverDisCharge || name == kDcirLow || name == kDcirHigh;
}
}  // namespace Action

namespace LoadMode {
const QStringList& Basic() {
    static const QStringList modes{kCC, kCR, kCV, kCP};
    return modes;
}

const QStringList& LoadLevel() {
    static const QStringList modes{kCC, kLinCC, kCR, kCV, kCP};
    return modes;
}

QString Unit(const QString& mode, bool loadLevel) {
    if (mode == kCC || mode == kLinCC) {
        return QStringLiteral("A");
    }
    if (mode == kCR) {
        return QStringLiteral("Ohm");
    }
    if (mode == kCV) {
        return loadLevel ? QStringLiteral("Vrms") : QStringLiteral("V");
    }
    if (mode == kCP) {
        return QStringLiteral("W");
    }
    return QString();
}
}  // namespace LoadMode

namespace GoTo {
const QStringList& Named() {
    static const QStringList targets{kNextStep, kEndLoop, kEndLoop2, kContinue};
    return targets;
}
}  // namespace GoTo

void LoopBalance::Count(const QString& action) {
    const int level = Action::LoopLevel(action);
    if (level == 0) {
        return;
    }
    int& counter = level == 1 ? level1 : level2;
    counter += Action::OpensLoop(action) ? 1 : -1;
}

namespace {
// One meaning as the table below writes it. A unit of kUnitByMode is the unit
// of the row's load mode.
struct Meaning {
    const char* quantity;
    const char* unit;
    const char* explanation;
};
constexpr const char* kUnitByMode = "*";
constexpr Meaning kUnused{nullptr, nullptr, nullptr};

constexpr Meaning kLoadMode{"Load mode", "",
                            "CC, CR, CV or CP: what the load holds at the set value"};
constexpr Meaning kSetValue{"Set value", kUnitByMode,
                            "the current, resistance, voltage or power the load holds in the "
                            "row's load mode"};
constexpr Meaning kStopTime{"Stop time", "s", "the step ends when it has run this long"};
constexpr Meaning kStopVoltage{"Stop voltage", "V",
                               "the step ends when the mean phase voltage falls to it"};
// A CV discharge holds the voltage: its stop value is compared with the current.
constexpr Meaning kCvStopCurrent{"Stop current", "A",
                                 "in CV mode the step ends when the total current falls below it"};
constexpr Meaning kStableTime{"Stable time", "s",
                              "the wait after the load is switched on, before the step goes on"};
constexpr Meaning kStopAh{"Stop Ah", "Ah",
                          "the step ends when its charge reaches this; 0: no Ah check"};
constexpr Meaning kMeasureTime{"Measure time", "s", "a point is measured and logged this often"};
constexpr Meaning kKeptGoTo{"Go to", "",
                            "kept with the step; the test goes on with the next step after it"};
constexpr Meaning kKeptStable{"Stable time", "s", "kept with the step; no wait is made"};
constexpr Meaning kKeptStopAh{"Stop Ah", "Ah",
                              "kept with the step; this action ends on its stop time only"};
constexpr Meaning kChargeVoltage{"Charge voltage", "V", "the voltage the battery is charged to"};
constexpr Meaning kChargeCurrent{"Charge current", "A", "the current the battery is charged with"};
constexpr Meaning kChargePower{"Charge power", "W", "the power the battery is charged with"};
constexpr Meaning kMaxVoltage{"Maximum voltage", "V",
                              "the charging voltage is held at most at this"};
constexpr Meaning kChargeStopCurrent{"Stop current", "A",
                                     "the step ends when the total current falls below it"};
constexpr Meaning kRepetitions{"Repetition count", "",
                               "the steps up to the matching loop end run this many times (0 or "
                               "1: once); while a test runs it counts the passes left"};

struct ActionColumns {
    const char* summary;
    // "Mode", "Value", "Dwell Time(s)", "Loop Times", "Stable(s)", "StopAH",
    // "MeasT(s)", "Go To", "Frequency", "CF", "PF".
    Meaning columns[11];
};

constexpr ActionColumns kDischarge{
    "discharges the battery at the set value until the stop voltage, the stop Ah or the stop "
    "time",
    {kLoadMode, kSetValue, kStopTime, kStopVoltage, kStableTime, kStopAh, kMeasureTime, kKeptGoTo,
     kUnused, kUnused, kUnused}};
constexpr ActionColumns kChargeStep{
    "a charge step (no charger is driven): ends below the stop current, at the stop Ah or the "
    "stop time",
    {kChargeVoltage, kChargeCurrent, kStopTime, kChargeStopCurrent, kStableTime, kStopAh,
     kMeasureTime, kKeptGoTo, kUnused, kUnused, kUnused}};
constexpr ActionColumns kCpChargeStep{
    "a constant-power charge step (no charger is driven): ends below the stop current, at the "
    "stop Ah or the stop time",
    {kChargePower, kMaxVoltage, kStopTime, kChargeStopCurrent, kStableTime, kStopAh, kMeasureTime,
     kUnused, kUnused, kUnused, kUnused}};
constexpr ActionColumns kDcir{
    "one current of an internal-resistance measurement; ends as a DisCharge step does",
    {kLoadMode,
     {"Current", "A", "the load draws this current"},
     kStopTime,
     kStopVoltage,
     kStableTime,
     kStopAh,
     kMeasureTime,
     kUnused,
     kUnused,
     kUnused,
     kUnused}};
constexpr ActionColumns kAcirStep{
    "an AC internal-resistance step; ends on its time",
    {kLoadMode,
     {"ACIR current", "A", "the AC current the resistance is measured with"},
     {"Frequency", "kHz",
      "the frequency of the ACIR current (the step's time limit reads this cell in seconds)"},
     {"Rise/fall rate", "mA/us", "how fast the ACIR current rises and falls"},
     kKeptStable,
     kKeptStopAh,
     kMeasureTime,
     kUnused,
     kUnused,
     kUnused,
     kUnused}};
constexpr ActionColumns kSuspendStep{
    "a rest with the load off: ends after the suspend time or below the stop voltage",
    {kUnused,
     kUnused,
     {"Suspend time", "s", "the rest lasts this long"},
     {"Stop voltage", "V",
      "the rest ends when the mean phase voltage falls below it; 0: no voltage check"},
     kUnused,
     kUnused,
     kMeasureTime,
     kKeptGoTo,
     kUnused,
     kUnused,
     kUnused}};
constexpr ActionColumns kPulseStep{
    "a pulse train between the high and the low current; the load answers OK or NG",
    {{"High current", "A", "the load draws this current during T-high"},
     {"Low current", "A", "the load draws this current during T-low"},
     {"T-high", "ms", "how long each pulse draws the high current"},
     {"T-low", "ms", "how long each pulse draws the low current"},
     {"Stop voltage", "V", "kept with the step; the pulse train ends on the load's answer"},
     {"Cycle count", "", "the number of high and low pulses"},
     {"Setup time", "ms", "the wait from the step's start to the start of the pulse train"},
     {"Go to", "",
      "where the test goes on when the load answers NG: NextStep, EndLoop, EndLoop2, Continue or "
      "a step number"},
     kUnused,
     kUnused,
     kUnused}};
constexpr Meaning kRampOnTime{"Ramp time", "s",
                              "the set value is reached after this long; 0: at once"};
constexpr Meaning kRampOffTime{"Ramp time", "s", "the value is held this long"};
constexpr ActionColumns kRampOnStep{
    "raises the set value from the step before's over the ramp time",
    {kLoadMode, kSetValue, kRampOnTime, kUnused, kUnused, kUnused, kMeasureTime, kUnused, kUnused,
     kUnused, kUnused}};
constexpr ActionColumns kRampOffStep{"sets the value at once and holds it for the ramp time",
                                     {kLoadMode, kSetValue, kRampOffTime, kUnused, kUnused, kUnused,
                                      kMeasureTime, kUnused, kUnused, kUnused, kUnused}};
constexpr ActionColumns kLoadLevelStep{
    "holds a load level; in CC mode with its frequency, crest factor and power factor",
    {{"Load-level mode", "", "CC, LINCC, CR, CV or CP: what the load holds at the load value"},
     {"Load value", kUnitByMode, "the value the load holds in the row's load-level mode"},
     {"Dwell time", "s", "the load level is held this long"},
     kUnused,
     kUnused,
     kUnused,
     kMeasureTime,
     kUnused,
     {"Frequency", "Hz", "the frequency of the load current (sent in CC mode only)"},
     {"Crest factor", "", "the crest factor of the load current (CC mode only)"},
     {"Power factor", "", "the power factor of the load (CC mode only)"}}};
constexpr ActionColumns kForStep{"opens a loop; the LOOP after it closes it",
                                 {kUnused, kUnused, kUnused, kRepetitions, kUnused, kUnused,
                                  kUnused, kUnused, kUnused, kUnused, kUnused}};
constexpr ActionColumns kFor2Step{"opens an inner loop; the LOOP2 after it closes it",
                                  {kUnused, kUnused, kUnused, kRepetitions, kUnused, kUnused,
                                   kUnused, kUnused, kUnused, kUnused, kUnused}};
constexpr ActionColumns kLoopStep{"closes the FOR loop: goes back until its count is used up",
                                  {kUnused, kUnused, kUnused, kUnused, kUnused, kUnused, kUnused,
                                   kUnused, kUnused, kUnused, kUnused}};
constexpr ActionColumns kLoop2Step{"closes the FOR2 loop: goes back until its count is used up",
                                   {kUnused, kUnused, kUnused, kUnused, kUnused, kUnused, kUnused,
                                    kUnused, kUnused, kUnused, kUnused}};

const ActionColumns* ColumnsOf(const QString& action) {
    static const QHash<QString, const ActionColumns*> table{
        {Action::kDisCharge, &kDischarge}, {Action::kOverDisCharge, &kDischarge},
        {Action::kCharge, &kChargeStep},   {Action::kCpCharge, &kCpChargeStep},
        {Action::kDcirLow, &kDcir},        {Action::kDcirHigh, &kDcir},
        {Action::kAcir, &kAcirStep},       {Action::kSuspend, &kSuspendStep},
        {Action::kPlusLoad, &kPulseStep},  {Action::kRampOn, &kRampOnStep},
        {Action::kRampOff, &kRampOffStep}, {Action::kLoadLevel, &kLoadLevelStep},
        {Action::kFor, &kForStep},         {Action::kFor2, &kFor2Step},
        {Action::kLoop, &kLoopStep},       {Action::kLoop2, &kLoop2Step},
    };
    return table.value(action, nullptr);
}

constexpr int kFirstMeaningColumn = StepColumn::Mode;

ColumnMeaning Resolve(const Meaning& meaning, const QString& action, const QString& mode) {
    if (meaning.quantity == nullptr) {
        return {};
    }
    QString unit = QString::fromLatin1(meaning.unit);
    if (unit == QLatin1String(kUnitByMode)) {
        unit = LoadMode::Unit(mode, action == Action::kLoadLevel);
    }
    return {QString::fromLatin1(meaning.quantity), unit, QString::fromLatin1(meaning.explanation)};
}
}  // namespace

QString ColumnMeaning::Text() const {
    const QString head = unit.isEmpty() ? quantity : QStringLiteral("%1 (%2)").arg(quantity, unit);
    return explanation.isEmpty() ? head : head + QStringLiteral(": ") + explanation;
}

namespace ColumnMeanings {
ColumnMeaning Of(const QString& action, int column, const QString& mode) {
    const ActionColumns* columns = ColumnsOf(action);
    if (columns == nullptr || column < kFirstMeaningColumn || column >= StepColumn::Count) {
        return {};
    }
    if (column == StepColumn::LoopTimes && Action::IsDischarge(action) && mode == LoadMode::kCV) {
        return Resolve(kCvStopCurrent, action, mode);
    }
    return Resolve(columns->columns[column - kFirstMeaningColumn], action, mode);
}

QString ActionSummary(const QString& action) {
    const ActionColumns* columns = ColumnsOf(action);
    return columns == nullptr ? QString() : QString::fromLatin1(columns->summary);
}

QString CellToolTip(const QString& action, int column, const QString& mode) {
    if (column == StepColumn::Step) {
        return QStringLiteral("Step number; a double click opens the step in the setup panel");
    }
    if (column == StepColumn::ActionMode) {
        if (action.isEmpty()) {
            return QStringLiteral("Action: no action chosen yet");
        }
        const QString summary = ActionSummary(action);
        return summary.isEmpty()
                   ? QStringLiteral("Action: \"%1\" is no action the program knows").arg(action)
                   : QStringLiteral("Action %1: %2").arg(action, summary);
    }
    const QString header = StepTable::HeaderText(column);
    if (!Action::IsKnown(action)) {
        return QStringLiteral("%1: means nothing until the row has an action").arg(header);
    }
    const ColumnMeaning meaning = Of(action, column, mode);
    if (!meaning.IsUsed()) {
        return QStringLiteral("%1: not used by a %2 step").arg(header, action);
    }
    return meaning.Text();
}

QString HeaderToolTip(int column) {
    if (column == StepColumn::Step) {
        return QStringLiteral("Step: the number of the step, in the order the test runs them");
    }
    if (column == StepColumn::ActionMode) {
        return QStringLiteral(
            "Action Mode: what the step does; its action decides what the "
            "other columns mean");
    }
    // Actions that read the column alike share a line, in catalogue order.
    QStringList meanings;
    QHash<QString, QStringList> actionsOf;
    const auto note = [&](const QString& action, const QString& head) {
        if (!actionsOf.contains(head)) {
            meanings << head;
        }
        actionsOf[head] << action;
    };
    for (const QString& action : Action::All()) {
        ColumnMeaning meaning = Of(action, column, QString());
        if (!meaning.IsUsed()) {
            continue;
        }
        if (meaning.unit.isEmpty() && column == StepColumn::Value) {
            meaning.unit = QStringLiteral("unit by mode");
        }
        note(action, meaning.unit.isEmpty()
                         ? meaning.quantity
                         : QStringLiteral("%1 (%2)").arg(meaning.quantity, meaning.unit));
        const ColumnMeaning inCv = Of(action, column, LoadMode::kCV);
        if (inCv.quantity != meaning.quantity) {
            note(action, QStringLiteral("%1 (%2) in CV mode").arg(inCv.quantity, inCv.unit));
        }
    }
    QStringList lines{StepTable::HeaderText(column) + QLatin1Char(':')};
    for (const QString& head : std::as_const(meanings)) {
        lines << QStringLiteral("%1: %2").arg(actionsOf[head].join(QStringLiteral(", ")), head);
    }
    if (meanings.isEmpty()) {
        lines << QStringLiteral("not used by any action");
    }
    return lines.join(QLatin1Char('\n'));
}
}  // namespace ColumnMeanings
