#include "StepEntryMap.h"

#include <QHash>

#include "ActionCatalogue.h"

namespace StepEntryMap {
namespace {
constexpr ColumnEntry kUntouched{Source::Untouched, nullptr};
constexpr ColumnEntry kEmpty{Source::Empty, nullptr};
constexpr ColumnEntry Text(const char* entry) {
    return {Source::Text, entry};
}
constexpr ColumnEntry Number(const char* entry) {
    return {Source::Number, entry};
}

// Columns: Mode, Value, Dwell Time(s), Loop Times, Stable(s), StopAH,
// MeasT(s), Go To, Frequency, CF, PF.
constexpr ActionEntries kDisCharge{Text("DisChargeModeCombo"),
                                   Number("DisChargeCurrentText"),
                                   Number("DisChargeStopTimeText"),
                                   Number("DisChargeStopVoltageText"),
                                   Number("DisChargeStableTimeText"),
                                   Number("DisChargeStopAHText"),
                                   Number("DisChargeMeasTimeText"),
                                   Text("DisChargeGotoCombo"),
                                   kUntouched,
                                   kUntouched,
                                   kUntouched};
constexpr ActionEntries kCharge{Number("ChargeVoltageText"),
                                Number("ChargeCurrentText"),
                                Number("ChargeStopTimeText"),
                                Number("ChargeStopCurrentText"),
                                Number("ChargeStableTimeText"),
                                Number("ChargeStopAHText"),
                                Number("ChargeMeasTimeText"),
                                Text("ChargeGotoCombo"),
                                kUntouched,
                                kUntouched,
                                kUntouched};
constexpr ActionEntries kSuspend{kEmpty,
                                 kEmpty,
                                 Number("SuspendTimeText"),
                                 Text("SuspendStopVoltageText"),
                                 kEmpty,
                                 kEmpty,
                                 Number("SuspendMeasTimeText"),
                                 Text("SuspendGotoCombo"),
                                 kUntouched,
                                 kUntouched,
                                 kUntouched};
constexpr ActionEntries kCpCharge{Number("CPChargePowerText"),
                                  Number("CPChargeCurrentText"),
                                  Number("CPChargeStopTimeText"),
                                  Number("CPChargeStopCurrentText"),
                                  Number("CPChargeStableTimeText"),
                                  Number("CPChargeStopAHText"),
                                  Number("CPChargeMeasTimeText"),
                                  kEmpty,
                                  kUntouched,
                                  kUntouched,
                                  kUntouched};
constexpr ActionEntries kAcir{Text("ACIRModeCombo"),
                              Number("ACIRCurrentText"),
                              Number("ACIRFrequencyText"),
                              Number("ACIRRiseFallText"),
                              Number("ACIRStableTimeText"),
                              Number("ACIRStopAHText"),
                              Number("ACIRMeasTimeText"),
                              kEmpty,
                              kUntouched,
                              kUntouched,
                              kUntouched};
constexpr ActionEntries kDcirLow{Text("DCIRLowModeCombo"),
                                 Number("DCIRLowCurrentText"),
                                 Number("DCIRLowStopTimeText"),
                                 Number("DCIRLowStopVoltageText"),
                                 Number("DCIRLowStableTimeText"),
                                 Number("DCIRLowStopAHText"),
                                 Number("DCIRLowMeasTimeText"),
                                 kEmpty,
                                 kUntouched,
                                 kUntouched,
                                 kUntouched};
constexpr ActionEntries kDcirHigh{Text("DCIRHighModeCombo"),
                                  Number("DCIRHighCurrentText"),
                                  Number("DCIRHighStopTimeText"),
                                  Number("DCIRHighStopVoltageText"),
                                  Number("DCIRHighStableTimeText"),
                                  Number("DCIRHighStopAHText"),
                                  Number("DCIRHighMeasTimeText"),
                                  kEmpty,
                                  kUntouched,
                                  kUntouched,
                                  kUntouched};
constexpr ActionEntries kPlusLoad{Number("PlusLoadHighCurrentText"),
                                  Number("PlusLoadLowCurrentText"),
                                  Number("PlusLoadTHighText"),
                                  Number("PlusLoadTLowText"),
                                  Number("PlusLoadStopVoltageText"),
                                  Number("PlusLoadCycleCountText"),
                                  Number("PlusLoadStartTimeText"),
                                  Text("PlusLoadGotoCombo"),
                                  kUntouched,
                                  kUntouched,
                                  kUntouched};
constexpr ActionEntries kRampOn{Text("RampOnCombo"),
                                Number("RampOnCurrentText"),
                                Number("RampOnStopTimeText"),
                                kEmpty,
                                kEmpty,
                                kEmpty,
                                Number("RampOnMeasTimeText"),
                                kEmpty,
                                kUntouched,
                                kUntouched,
                                kUntouched};
constexpr ActionEntries kRampOff{Text("RampOffCombo"),
                                 Number("RampOffCurrentText"),
                                 Number("RampOffStopTimeText"),
                                 kEmpty,
                                 kEmpty,
                                 kEmpty,
                                 Number("RampOffMeasTimeText"),
                                 kEmpty,
                                 kUntouched,
                                 kUntouched,
                                 kUntouched};
constexpr ActionEntries kLoadLevel{Text("cmbLoadLevel"),
                                   Number("txtLoadValue"),
                                   Number("RampOnStopTimeText"),
                                   kEmpty,
                                   kEmpty,
                                   kEmpty,
                                   Number("RampOnMeasTimeText"),
                                   kEmpty,
                                   Number("txtFrequency"),
                                   Number("txtCFValue"),
                                   Number("txtPFValue")};
constexpr ActionEntries kFor{kEmpty,     kEmpty,     kEmpty,    Number("ForTimesText"),
                             kEmpty,     kEmpty,     kEmpty,    kEmpty,
                             kUntouched, kUntouched, kUntouched};
constexpr ActionEntries kLoop{kEmpty, kEmpty, kEmpty,     kEmpty,     kEmpty,    kEmpty,
                              kEmpty, kEmpty, kUntouched, kUntouched, kUntouched};

struct ActionForm {
    const ActionEntries* entries;
    const char* frame;
};

const QHash<QString, ActionForm>& Forms() {
    static const QHash<QString, ActionForm> forms{
        {Action::kDisCharge, {&kDisCharge, "DisChargeFrame"}},
        {Action::kOverDisCharge, {&kDisCharge, "DisChargeFrame"}},
        {Action::kCharge, {&kCharge, "ChargeFrame"}},
        {Action::kSuspend, {&kSuspend, "SuspendFrame"}},
        {Action::kCpCharge, {&kCpCharge, "CPChargeFrame"}},
        {Action::kAcir, {&kAcir, "ACIRFrame"}},
        {Action::kDcirLow, {&kDcirLow, "DCIRLowFrame"}},
        {Action::kDcirHigh, {&kDcirHigh, "DCIRHighFrame"}},
        {Action::kPlusLoad, {&kPlusLoad, "PlusLoadFrame"}},
        {Action::kRampOn, {&kRampOn, "RampOnFrame"}},
        {Action::kRampOff, {&kRampOff, "RampOffFrame"}},
        {Action::kLoadLevel, {&kLoadLevel, "RampOnFrame"}},
        {Action::kFor, {&kFor, "ForFrame"}},
        {Action::kFor2, {&kFor, "ForFrame"}},
        {Action::kLoop, {&kLoop, "LoopFrame"}},
        {Action::kLoop2, {&kLoop, "LoopFrame"}},
    };
    return forms;
}
}  // namespace

const ActionEntries* EntriesOf(const QString& action) {
    const auto it = Forms().constFind(action);
    return it == Forms().constEnd() ? nullptr : it->entries;
}

QString FrameOf(const QString& action) {
    const auto it = Forms().constFind(action);
    return it == Forms().constEnd() ? QString() : QString::fromLatin1(it->frame);
}

}  // namespace StepEntryMap
