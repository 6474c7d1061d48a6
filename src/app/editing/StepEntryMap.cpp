#include "StepEntryMap.h"

#include <QHash>

#include "ActionCatalogue.h"

namespace StepEntryMap {
namespace {
constexpr const char* kSeconds = "Seconds";

constexpr Entry Box(const char* name, const char* label, const char* initial, const char* unit,
                    const char* quantity, EntryKind kind = EntryKind::Number) {
    return {name, label, initial, unit, quantity, kind};
}
constexpr Entry Time(const char* name, const char* label, const char* initial,
                     const char* quantity) {
    return {name, label, initial, kSeconds, quantity, EntryKind::Time};
}
constexpr Entry Selector(const char* name, const char* label, const char* quantity,
                         EntryKind kind = EntryKind::ModeSelector) {
    return {name, label, nullptr, nullptr, quantity, kind};
}
constexpr Entry GoToSelector(const char* name) {
    return Selector(name, "Go To :", "Go to", EntryKind::GoTo);
}
}  // namespace

const Entry kDisChargeMode = Selector("DisChargeModeCombo", "DisCharge Mode :", "Discharge mode");
const Entry kDisChargeCurrent =
    Box("DisChargeCurrentText", "DisCharge Current :", "0", "A", "Discharge current");
const Entry kDisChargeGoto = GoToSelector("DisChargeGotoCombo");
const Entry kSuspendGoto = GoToSelector("SuspendGotoCombo");
const Entry kChargeGoto = GoToSelector("ChargeGotoCombo");
const Entry kPlusLoadGoto = GoToSelector("PlusLoadGotoCombo");
const Entry kRampOffMode = Selector("RampOffCombo", "DisCharge Mode :", "Discharge mode");
const Entry kRampOffValue =
    Box("RampOffCurrentText", "DisCharge Value :", "0", "A", "Discharge value");
const Entry kRampOnMode = Selector("RampOnCombo", "DisCharge Mode :", "Discharge mode");
const Entry kRampOnValue =
    Box("RampOnCurrentText", "DisCharge Value :", "0", "A", "Discharge value");
// The load-level entries share their rows with the RAMP ON ones; one set shows.
const Entry kLoadLevelMode =
    Selector("cmbLoadLevel", nullptr, "Load mode", EntryKind::LoadLevelMode);
const Entry kLoadValue = Box("txtLoadValue", nullptr, "0", "A", "Load value");
const Entry kSharedTime = Time("RampOnStopTimeText", "DisCharge Time :", "0", "Dwell time");
const Entry kSharedMeasure =
    Box("RampOnMeasTimeText", "Measure Time :", "1", kSeconds, "Measure time");
const Entry kFrequency = Box("txtFrequency", "Frequency(Hz) : ", "60", "Hz", "Frequency");
const Entry kCrestFactor = Box("txtCFValue", "CF : ", "1.4", nullptr, "CF");
const Entry kPowerFactor = Box("txtPFValue", "PF : ", "1", nullptr, "PF");

namespace {
const Entry kDisChargeStopTime = Time("DisChargeStopTimeText", "Stop Time :", "0", "Stop time");
const Entry kDisChargeStopVoltage =
    Box("DisChargeStopVoltageText", "Stop Voltage :", "0", "V", "Stop voltage");
const Entry kDisChargeStable =
    Box("DisChargeStableTimeText", "Stable Time :", "1", kSeconds, "Stable time");
const Entry kDisChargeStopAh = Box("DisChargeStopAHText", "Stop Ah :", "1", "Ah", "Stop Ah");
const Entry kDisChargeMeas =
    Box("DisChargeMeasTimeText", "Meas Time :", "1", kSeconds, "Meas time");

const Entry kSuspendTime = Time("SuspendTimeText", "Suspend Time :", "1", "Suspend time");
const Entry kSuspendStopVoltage =
    Box("SuspendStopVoltageText", "Stop Voltage :", "0", "V", "Stop voltage");
const Entry kSuspendMeas = Box("SuspendMeasTimeText", "Meas Time :", "1", kSeconds, "Meas time");

const Entry kChargeVoltage =
    Box("ChargeVoltageText", "Charge Voltage :", "0", "V", "Charge voltage");
const Entry kChargeCurrent =
    Box("ChargeCurrentText", "Charge Current :", "0", "A", "Charge current");
const Entry kChargeStopTime = Time("ChargeStopTimeText", "Stop Time :", "0", "Stop time");
const Entry kChargeStopCurrent =
    Box("ChargeStopCurrentText", "Stop Current :", "0", "A", "Stop current");
const Entry kChargeStable =
    Box("ChargeStableTimeText", "Stable Time :", "1", kSeconds, "Stable time");
const Entry kChargeStopAh = Box("ChargeStopAHText", "Stop AH :", "1", "AH", "Stop Ah");
const Entry kChargeMeas = Box("ChargeMeasTimeText", "Meas Time :", "1", kSeconds, "Meas time");

const Entry kCpPower = Box("CPChargePowerText", "Charge Power :", "0", "W", "Charge power");
const Entry kCpMaxVoltage = Box("CPChargeCurrentText", "Max Voltage :", "0", "V", "Max voltage");
const Entry kCpStopTime = Time("CPChargeStopTimeText", "Stop Time :", "0", "Stop time");
const Entry kCpStopCurrent =
    Box("CPChargeStopCurrentText", "Stop Current :", "0", "A", "Stop current");
const Entry kCpStable =
    Box("CPChargeStableTimeText", "Stable Time :", "1", kSeconds, "Stable time");
const Entry kCpStopAh = Box("CPChargeStopAHText", "Stop AH :", "1", "AH", "Stop Ah");
const Entry kCpMeas = Box("CPChargeMeasTimeText", "Meas Time :", "1", kSeconds, "Meas time");

const Entry kAcirMode = Selector("ACIRModeCombo", "ACIR Load Mode :", "ACIR load mode");
const Entry kAcirCurrent = Box("ACIRCurrentText", "ACIR Current :", "0", "A", "ACIR current");
const Entry kAcirFrequency = Box("ACIRFrequencyText", "Frequency :", "0", "KHz", "Frequency");
const Entry kAcirRiseFall =
    Box("ACIRRiseFallText", "ACIR Rise/Fall :", "0", "mA/us", "ACIR rise/fall");
const Entry kAcirStable = Box("ACIRStableTimeText", "Stable Time :", "1", kSeconds, "Stable time");
const Entry kAcirStopAh = Box("ACIRStopAHText", "Stop AH :", "1", "AH", "Stop Ah");
const Entry kAcirMeas = Box("ACIRMeasTimeText", "Meas Time :", "1", kSeconds, "Meas time");

const Entry kDcirLowMode = Selector("DCIRLowModeCombo", "DCIR Low Mode :", "DCIR low mode");
const Entry kDcirLowCurrent =
    Box("DCIRLowCurrentText", "DCIR Low Current :", "0", "A", "DCIR low current");
const Entry kDcirLowStopTime = Time("DCIRLowStopTimeText", "Stop Time :", "0", "Stop time");
const Entry kDcirLowStopVoltage =
    Box("DCIRLowStopVoltageText", "Stop Voltage :", "0", "V", "Stop voltage");
const Entry kDcirLowStable =
    Box("DCIRLowStableTimeText", "Stable Time :", "1", kSeconds, "Stable time");
const Entry kDcirLowStopAh = Box("DCIRLowStopAHText", "Stop AH :", "1", "AH", "Stop Ah");
const Entry kDcirLowMeas = Box("DCIRLowMeasTimeText", "Meas Time :", "1", kSeconds, "Meas time");

const Entry kDcirHighMode = Selector("DCIRHighModeCombo", "DCIR High Mode :", "DCIR high mode");
const Entry kDcirHighCurrent =
    Box("DCIRHighCurrentText", "DCIR High Current :", "0", "A", "DCIR high current");
const Entry kDcirHighStopTime = Time("DCIRHighStopTimeText", "Stop Time :", "0", "Stop time");
const Entry kDcirHighStopVoltage =
    Box("DCIRHighStopVoltageText", "Stop Voltage :", "0", "V", "Stop voltage");
const Entry kDcirHighStable =
    Box("DCIRHighStableTimeText", "Stable Time :", "1", kSeconds, "Stable time");
const Entry kDcirHighStopAh = Box("DCIRHighStopAHText", "Stop AH :", "1", "AH", "Stop Ah");
const Entry kDcirHighMeas = Box("DCIRHighMeasTimeText", "Meas Time :", "1", kSeconds, "Meas time");

const Entry kPulseHigh = Box("PlusLoadHighCurrentText", "High Current :", "0", "A", "High current");
const Entry kPulseLow = Box("PlusLoadLowCurrentText", "Low Current :", "0", "A", "Low current");
const Entry kPulseTHigh =
    Box("PlusLoadTHighText", "T-High :", "0", "mS", "T-high", EntryKind::PulseTime);
const Entry kPulseTLow =
    Box("PlusLoadTLowText", "T-Low :", "0", "mS", "T-low", EntryKind::PulseTime);
const Entry kPulseStopVoltage =
    Box("PlusLoadStopVoltageText", "Stop Voltage :", "1", "V", "Stop voltage");
const Entry kPulseCycles = Box("PlusLoadCycleCountText", "Cycle Count :", "1", nullptr,
                               "Cycle count", EntryKind::CycleCount);
const Entry kPulseSetupTime =
    Box("PlusLoadStartTimeText", "Setup Time :", "10", "mS", "Setup time");

const Entry kForTimes = Box("ForTimesText", "Times :", "1", nullptr, "Times");

const Entry kRampOffTime = Time("RampOffStopTimeText", "DisCharge Time :", "0", "Discharge time");
const Entry kRampOffMeas =
    Box("RampOffMeasTimeText", "Measure Time :", "1", kSeconds, "Measure time");

constexpr ColumnEntry kUntouched{Source::Untouched, nullptr};
constexpr ColumnEntry kEmpty{Source::Empty, nullptr};
constexpr ColumnEntry T(const Entry& entry) {
    return {Source::Text, &entry};
}
constexpr ColumnEntry N(const Entry& entry) {
    return {Source::Number, &entry};
}

// Columns: Mode, Value, Dwell Time(s), Loop Times, Stable(s), StopAH,
// MeasT(s), Go To, Frequency, CF, PF.
const ActionEntries kDisChargeColumns{T(kDisChargeMode),
                                      N(kDisChargeCurrent),
                                      N(kDisChargeStopTime),
                                      N(kDisChargeStopVoltage),
                                      N(kDisChargeStable),
                                      N(kDisChargeStopAh),
                                      N(kDisChargeMeas),
                                      T(kDisChargeGoto),
                                      kUntouched,
                                      kUntouched,
                                      kUntouched};
const ActionEntries kChargeColumns{
    N(kChargeVoltage), N(kChargeCurrent), N(kChargeStopTime), N(kChargeStopCurrent),
    N(kChargeStable),  N(kChargeStopAh),  N(kChargeMeas),     T(kChargeGoto),
    kUntouched,        kUntouched,        kUntouched};
const ActionEntries kSuspendColumns{kEmpty,     kEmpty,     N(kSuspendTime), T(kSuspendStopVoltage),
                                    kEmpty,     kEmpty,     N(kSuspendMeas), T(kSuspendGoto),
                                    kUntouched, kUntouched, kUntouched};
const ActionEntries kCpChargeColumns{
    N(kCpPower), N(kCpMaxVoltage), N(kCpStopTime), N(kCpStopCurrent), N(kCpStable), N(kCpStopAh),
    N(kCpMeas),  kEmpty,           kUntouched,     kUntouched,        kUntouched};
const ActionEntries kAcirColumns{T(kAcirMode),     N(kAcirCurrent), N(kAcirFrequency),
                                 N(kAcirRiseFall), N(kAcirStable),  N(kAcirStopAh),
                                 N(kAcirMeas),     kEmpty,          kUntouched,
                                 kUntouched,       kUntouched};
const ActionEntries kDcirLowColumns{
    T(kDcirLowMode),   N(kDcirLowCurrent), N(kDcirLowStopTime), N(kDcirLowStopVoltage),
    N(kDcirLowStable), N(kDcirLowStopAh),  N(kDcirLowMeas),     kEmpty,
    kUntouched,        kUntouched,         kUntouched};
const ActionEntries kDcirHighColumns{T(kDcirHighMode),
                                     N(kDcirHighCurrent),
                                     N(kDcirHighStopTime),
                                     N(kDcirHighStopVoltage),
                                     N(kDcirHighStable),
                                     N(kDcirHighStopAh),
                                     N(kDcirHighMeas),
                                     kEmpty,
                                     kUntouched,
                                     kUntouched,
                                     kUntouched};
const ActionEntries kPlusLoadColumns{
    N(kPulseHigh),        N(kPulseLow),    N(kPulseTHigh),     N(kPulseTLow),
    N(kPulseStopVoltage), N(kPulseCycles), N(kPulseSetupTime), T(kPlusLoadGoto),
    kUntouched,           kUntouched,      kUntouched};
const ActionEntries kRampOnColumns{T(kRampOnMode), N(kRampOnValue), N(kSharedTime),    kEmpty,
                                   kEmpty,         kEmpty,          N(kSharedMeasure), kEmpty,
                                   kUntouched,     kUntouched,      kUntouched};
const ActionEntries kRampOffColumns{T(kRampOffMode), N(kRampOffValue), N(kRampOffTime), kEmpty,
                                    kEmpty,          kEmpty,           N(kRampOffMeas), kEmpty,
                                    kUntouched,      kUntouched,       kUntouched};
const ActionEntries kLoadLevelColumns{
    T(kLoadLevelMode), N(kLoadValue), N(kSharedTime), kEmpty,          kEmpty,         kEmpty,
    N(kSharedMeasure), kEmpty,        N(kFrequency),  N(kCrestFactor), N(kPowerFactor)};
const ActionEntries kForColumns{kEmpty, kEmpty, kEmpty,     N(kForTimes), kEmpty,    kEmpty,
                                kEmpty, kEmpty, kUntouched, kUntouched,   kUntouched};
const ActionEntries kLoopColumns{kEmpty, kEmpty, kEmpty,     kEmpty,     kEmpty,    kEmpty,
                                 kEmpty, kEmpty, kUntouched, kUntouched, kUntouched};

struct ActionForm {
    const ActionEntries* columns;
    const char* frame;
};

const QHash<QString, ActionForm>& Forms() {
    static const QHash<QString, ActionForm> forms{
        {Action::kDisCharge, {&kDisChargeColumns, "DisChargeFrame"}},
        {Action::kOverDisCharge, {&kDisChargeColumns, "DisChargeFrame"}},
        {Action::kCharge, {&kChargeColumns, "ChargeFrame"}},
        {Action::kSuspend, {&kSuspendColumns, "SuspendFrame"}},
        {Action::kCpCharge, {&kCpChargeColumns, "CPChargeFrame"}},
        {Action::kAcir, {&kAcirColumns, "ACIRFrame"}},
        {Action::kDcirLow, {&kDcirLowColumns, "DCIRLowFrame"}},
        {Action::kDcirHigh, {&kDcirHighColumns, "DCIRHighFrame"}},
        {Action::kPlusLoad, {&kPlusLoadColumns, "PlusLoadFrame"}},
        {Action::kRampOn, {&kRampOnColumns, "RampOnFrame"}},
        {Action::kRampOff, {&kRampOffColumns, "RampOffFrame"}},
        {Action::kLoadLevel, {&kLoadLevelColumns, "RampOnFrame"}},
        {Action::kFor, {&kForColumns, "ForFrame"}},
        {Action::kFor2, {&kForColumns, "ForFrame"}},
        {Action::kLoop, {&kLoopColumns, "LoopFrame"}},
        {Action::kLoop2, {&kLoopColumns, "LoopFrame"}},
    };
    return forms;
}
}  // namespace

const std::vector<Frame>& Frames() {
    static const std::vector<Frame> frames{
        {"DisChargeFrame",
         "DisCharge Setup",
         {&kDisChargeMode, &kDisChargeCurrent, &kDisChargeStopTime, &kDisChargeStopVoltage,
          &kDisChargeStable, &kDisChargeStopAh, &kDisChargeMeas, &kDisChargeGoto}},
        {"SuspendFrame",
         "Suspend Setup",
         {&kSuspendTime, &kSuspendStopVoltage, &kSuspendMeas, &kSuspendGoto}},
        {"ChargeFrame",
         "Charge Setup",
         {&kChargeVoltage, &kChargeCurrent, &kChargeStopTime, &kChargeStopCurrent, &kChargeStable,
          &kChargeStopAh, &kChargeMeas, &kChargeGoto}},
        {"CPChargeFrame",
         "CP-Charge Setup",
         {&kCpPower, &kCpMaxVoltage, &kCpStopTime, &kCpStopCurrent, &kCpStable, &kCpStopAh,
          &kCpMeas}},
        {"ACIRFrame",
         "ACIR Setup",
         {&kAcirMode, &kAcirCurrent, &kAcirFrequency, &kAcirRiseFall, &kAcirStable, &kAcirStopAh,
          &kAcirMeas}},
        {"DCIRLowFrame",
         "DCIR Low Setup",
         {&kDcirLowMode, &kDcirLowCurrent, &kDcirLowStopTime, &kDcirLowStopVoltage, &kDcirLowStable,
          &kDcirLowStopAh, &kDcirLowMeas}},
        {"DCIRHighFrame",
         "DCIR High Setup",
         {&kDcirHighMode, &kDcirHighCurrent, &kDcirHighStopTime, &kDcirHighStopVoltage,
          &kDcirHighStable, &kDcirHighStopAh, &kDcirHighMeas}},
        {"PlusLoadFrame",
         "PlusLoad Setup",
         {&kPulseHigh, &kPulseLow, &kPulseTHigh, &kPulseTLow, &kPulseStopVoltage, &kPulseCycles,
          &kPulseSetupTime, &kPlusLoadGoto}},
        {"ForFrame", "FOR Setup", {&kForTimes}},
        {"LoopFrame", "LOOP Setup", {}},
        {"RampOffFrame",
         "RAMP OFF Setup",
         {&kRampOffMode, &kRampOffValue, &kRampOffTime, &kRampOffMeas}},
        {"RampOnFrame",
         "RAMP ON Setup",
         {&kRampOnMode, &kLoadLevelMode, &kRampOnValue, &kLoadValue, &kSharedTime, &kSharedMeasure,
          &kFrequency, &kCrestFactor, &kPowerFactor}},
    };
    return frames;
}

const ActionEntries* EntriesOf(const QString& action) {
    const auto it = Forms().constFind(action);
    return it == Forms().constEnd() ? nullptr : it->columns;
}

QString FrameOf(const QString& action) {
    const auto it = Forms().constFind(action);
    return it == Forms().constEnd() ? QString() : QString::fromLatin1(it->frame);
}

const Entry* EntryOfColumn(const QString& action, int column) {
    const ActionEntries* columns = EntriesOf(action);
    if (columns == nullptr || column < kFirstColumn || column >= kFirstColumn + kColumnCount) {
        return nullptr;
    }
    return (*columns)[static_cast<size_t>(column - kFirstColumn)].entry;
}

}  // namespace StepEntryMap
