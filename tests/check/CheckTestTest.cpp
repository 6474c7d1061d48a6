#include <gtest/gtest.h>

#include <optional>

#include "CheckTest.h"
#include "QStringPrinting.h"
#include "StepTable.h"

// The check of a step table, rule by rule: each case is a table and every
// line the check prints for it, so a missed fault, a false alarm, a wrong
// step number or severity all show.
namespace {
// One step: action, mode, value, dwell, loop times, stable, stop Ah, meas
// time, go to, frequency, CF, PF (missing trailing fields are "").
using Steps = QList<QStringList>;

void Fill(StepTable& table, const Steps& steps) {
    QVector<StepTable::Cells> rows;
    for (const QStringList& step : steps) {
        StepTable::Cells cells;
        for (int f = 0; f < step.size() && f < kStepFieldCount; ++f) {
            cells[static_cast<size_t>(f)] = step[f];
        }
        rows << cells;
    }
    table.ReplaceAll(rows);
}

CheckReport Check(const Steps& steps, std::optional<double> presentVoltage = std::nullopt) {
    StepTable table;
    Fill(table, steps);
    CheckTest check(table);
    if (presentVoltage) {
        check.SetPresentVoltage(*presentVoltage);
    }
    return check.Run();
}

struct RuleCase {
    const char* name;
    Steps steps;
    QStringList lines;
    std::optional<double> presentVoltage = std::nullopt;
};

void PrintTo(const RuleCase& c, std::ostream* os) {
    *os << c.name;
}

class CheckRules : public ::testing::TestWithParam<RuleCase> {};

TEST_P(CheckRules, FindsExactlyTheseFaults) {
    const RuleCase& c = GetParam();
    const CheckReport report = Check(c.steps, c.presentVoltage);
    EXPECT_EQ(report.Lines(), c.lines) << report.Lines().join('\n').toStdString();
    EXPECT_EQ(report.HasErrors(), !c.lines.filter(QStringLiteral("error: ")).isEmpty());
}

const QStringList kRest{"Suspend", "", "", "10", "0", "", "", "1", "NextStep"};

INSTANTIATE_TEST_SUITE_P(
    Errors, CheckRules,
    ::testing::Values(
        RuleCase{"UnknownOrMissingAction",
                 {{"Dischrage", "CC", "10", "60", "3", "", "", "1", "NextStep"}, {""}, kRest},
                 {"error: step 1: unknown action \"Dischrage\"; the step would do nothing",
                  "error: step 2: no action; the step would do nothing"}},
        RuleCase{"ActionNamesAreCaseSensitive",
                 {{"discharge", "CC", "10", "60", "3"}},
                 {"error: step 1: unknown action \"discharge\"; the step would do nothing"}},
        RuleCase{"UnbalancedLoops",
                 {{"LOOP"}, {"FOR2", "", "", "", "2"}, kRest},
                 {"error: step 1: LOOP has no FOR before it",
                  "error: step 2: FOR2 has no LOOP2 after it"}},
        RuleCase{"CrossedLevelsNameBothLoops",
                 {{"FOR", "", "", "", "3"}, {"FOR2", "", "", "", "2"}, kRest, {"LOOP"}, {"LOOP2"}},
                 {"error: step 4: LOOP closes the FOR loop of step 1 across the FOR2 loop of step "
                  "2, which is still open"}},
        RuleCase{"SameLevelInsideItself",
                 {{"FOR", "", "", "", "3"}, {"FOR", "", "", "", "2"}, kRest, {"LOOP"}, {"LOOP"}},
                 {"error: step 2: FOR opens a loop inside the FOR loop of step 1; a run keeps one "
                  "FOR loop at a time (nest a FOR2 loop instead)"}},
        RuleCase{"GoToBeyondTheTableOnlyWhereTheActionHasATarget",
                 {{"PlusLoad", "20", "2", "100", "100", "1", "5", "10", "4"},
                  {"Suspend", "", "", "10", "0", "", "", "1", "3"},
                  {"DCIRLow", "CC", "10", "10", "40", "1", "0", "1", "9"}},
                 {"error: step 1: Go To step 4 is beyond the table, which ends at step 3"}},
        RuleCase{"NumberCellsThatAreNoNumbers",
                 {{"DisCharge", "CC", "2.5A", "2,5", "3", "", "", "1", "NextStep"},
                  {"PlusLoad", "20", "2", "10", "10", "1", "2", "soon", "NextStep"},
                  {"FOR", "", "", "", "three"},
                  {"LOOP"}},
                 {"error: step 1: Value \"2.5A\" is not a number",
                  "error: step 1: Dwell Time(s) \"2,5\" is not a number (this column takes a "
                  "decimal point: 2.5)",
                  "error: step 2: MeasT(s) \"soon\" is not a number",
                  "error: step 3: Loop Times \"three\" is not a number"}},
        RuleCase{"LoadLevelAndRampValuesOutsideTheSetupPanelRanges",
                 {{"LoadLevel", "CR", "0.5", "10", "", "", "", "1", "", "60"},
                  {"LoadLevel", "LINCC", "112,6", "10", "", "", "", "1", "", "60"},
                  {"RAMP ON", "CP", "15001", "5", "", "", "", "1"},
                  {"RAMP OFF", "CV", "20", "5", "", "", "", "1"},
                  {"LoadLevel", "CC", "-1", "10", "", "", "", "1", "", "60", "1.4", "1"}},
                 {"error: step 1: CR value 0.5 Ohm is outside the CR range 0.533 to 10666 Ohm",
                  "error: step 2: LINCC value 112.6 A is outside the LINCC range 0 to 112.5 A",
                  "error: step 3: CP value 15001 W is outside the CP range 0 to 15000 W",
                  "error: step 4: CV value 20 V is outside the CV range 50 to 350 V",
                  "error: step 5: CC value -1 A is outside the CC range 0 to 112.5 A"}},
        RuleCase{"CurrentsPowersAndNegativesOnAnyRow",
                 {{"DisCharge", "CC", "113", "60", "3", "0", "0", "1", "NextStep"},
                  {"PlusLoad", "120", "2", "10", "10", "1", "2", "10", "NextStep"},
                  {"CP-Charge", "16000", "60", "60", "1", "0", "0", "1"},
                  {"Charge", "58", "10", "60", "200", "0", "0", "1", "NextStep"},
                  {"Suspend", "", "", "-5", "0", "", "", "1", "NextStep"}},
                 {"error: step 1: Value 113 A is above the load's 112.5 A",
                  "error: step 2: Mode 120 A is above the load's 112.5 A",
                  "error: step 3: Mode 16000 W is above the load's 15000 W",
                  "error: step 4: Loop Times 200 A is above the load's 112.5 A",
                  "error: step 5: Dwell Time(s) -5 is negative"}},
        RuleCase{"HugeCountAroundStepsThatTakeNoTime",
                 {{"FOR", "", "", "", "20000"},
                  {"LoadLevel", "CC", "5", "0", "", "", "", "1", "", "60", "1.4", "1"},
                  {"LOOP"},
                  {"FOR", "", "", "", "200"},
                  {"FOR2", "", "", "", "100"},
                  {"LOOP2"},
                  {"LOOP"}},
                 {"error: step 1: FOR makes 20000 passes through step 2, which take no time: the "
                  "run would race through them without a pause",
                  "error: step 5: FOR2 makes 20000 passes through no steps, which take no time: "
                  "the run would race through them without a pause"}}),
    [](const ::testing::TestParamInfo<RuleCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Warnings, CheckRules,
    ::testing::Values(
        RuleCase{"DirectCurrentCvAndCrOutsideTheLoadLevelRanges",
                 {{"DisCharge", "CV", "3", "60", "1", "0", "0", "1", "NextStep"},
                  {"DCIRHigh", "CR", "0.1", "10", "40", "1", "0", "1"},
                  {"OverDisCharge", "CV", "60", "60", "1", "0", "0", "1", "NextStep"}},
                 {"warning: step 1: CV value 3 V lies outside the load-level range 50 to 350 V",
                  "warning: step 2: CR value 0.1 Ohm lies outside the load-level range 0.533 to "
                  "10666 Ohm"}},
        RuleCase{"MeasureTimeLongerThanTheDwellOfATimedStep",
                 {{"Suspend", "", "", "2", "0", "", "", "5", "NextStep"},
                  {"Charge", "58", "10", "0", "1", "0", "0", "1", "NextStep"},
                  {"LoadLevel", "CR", "8", "0", "", "", "", "5", "", "60"},
                  {"DisCharge", "CC", "10", "1", "3", "0", "0", "1", "NextStep"}},
                 {"warning: step 1: MeasT(s) 5 is longer than the dwell 2 s: the step runs until "
                  "its first point, after 5 s",
                  "warning: step 2: MeasT(s) 1 is longer than the dwell 0 s: the step runs until "
                  "its first point, after 1 s"}},
        RuleCase{"AcirIsNotCarriedOut",
                 {{"ACIR", "CC", "5", "1", "0", "0", "0", "1"}},
                 {"warning: step 1: ACIR is not carried out by this load; the step only waits and "
                  "measures"}},
        RuleCase{"RestOrChargeWhileALevelKeepsTheLoadOn",
                 {{"LoadLevel", "CC", "5", "0", "", "", "", "1", "", "60", "1.4", "1"},
                  kRest,
                  {"FOR", "", "", "", "2"},
                  {"Charge", "58", "10", "60", "1", "0", "0", "1", "NextStep"},
                  {"LOOP"},
                  {"DisCharge", "CC", "10", "60", "3", "0", "0", "1", "NextStep"},
                  kRest,
                  {"RAMP OFF", "CC", "0", "5", "", "", "", "1"},
                  {"CP-Charge", "100", "60", "60", "1", "0", "0", "1"}},
                 {"warning: step 2: Suspend follows the load level of step 1, so the load stays "
                  "on through it",
                  "warning: step 4: Charge follows the load level of step 1, so the load stays on "
                  "through it",
                  "warning: step 9: CP-Charge follows the ramp of step 8, so the load stays on "
                  "through it"}},
        RuleCase{"DischargeWithNothingToEndIt",
                 {{"DisCharge", "CC", "10", "0", "0", "0", "0", "1", "NextStep"},
                  {"DisCharge", "CC", "10", "0", "0", "0", "2", "1", "NextStep"}},
                 {"warning: step 1: DisCharge has neither dwell, stop voltage nor stop Ah: it "
                  "ends at its first point",
                  "warning: step 2: MeasT(s) 1 is longer than the dwell 0 s: the step runs until "
                  "its first point, after 1 s"}},
        RuleCase{"StopVoltageAboveThePresentVoltage",
                 {{"DisCharge", "CC", "10", "60", "52", "0", "0", "1", "NextStep"},
                  {"DisCharge", "CV", "60", "60", "52", "0", "0", "1", "NextStep"},
                  {"DCIRLow", "CR", "10", "10", "45", "1", "0", "1"}},
                 {"warning: step 1: stop voltage 52 V is above the battery's present 50 V: the "
                  "step ends at its first point"},
                 50.0},
        RuleCase{"NoPresentVoltageNoStopVoltageWarning",
                 {{"DisCharge", "CC", "10", "60", "52", "0", "0", "1", "NextStep"}},
                 {}}),
    [](const ::testing::TestParamInfo<RuleCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Clean, CheckRules,
    ::testing::Values(RuleCase{"EmptyTable", {}, {}},
                      RuleCase{
                          "DecimalCommaWhereTheReaderReadsOne",
                          {{"DisCharge", "CC", "2,5", "60", "3", "0", "0,5", "0,5", "NextStep"},
                           {"LoadLevel", "CC", "5", "10", "", "", "", "1", "", "50,5", "1,4", "1"}},
                          {}},
                      RuleCase{"BoundsAndEmptyCellsAreAccepted",
                               {{"LoadLevel", "CR", "0.533", "10", "", "", "", "1", "", "60"},
                                {"LoadLevel", "CV", "350", "10", "", "", "", "1", "", "60"},
                                {"DisCharge", "CP", "15000", "60", "3", "", "", "1", "nextstep"},
                                {"PlusLoad", "112.5", "2", "10", "10", "1", "2", "10", "ENDLOOP"},
                                {"Suspend", "", "", "10", "", "", "", "1", ""}},
                               {}},
                      RuleCase{"LevelsNestEitherWay",
                               {{"FOR2", "", "", "", "2"},
                                {"FOR", "", "", "", "3"},
                                kRest,
                                {"LOOP"},
                                {"LOOP2"},
                                {"FOR", "", "", "", "10000"},
                                {"LOOP"}},
                               {}}),
    [](const ::testing::TestParamInfo<RuleCase>& info) { return info.param.name; });

struct DurationCase {
    const char* name;
    Steps steps;
    const char* duration;
};

void PrintTo(const DurationCase& c, std::ostream* os) {
    *os << c.name;
}

class CheckDuration : public ::testing::TestWithParam<DurationCase> {};

TEST_P(CheckDuration, EstimatesTheLongestRun) {
    EXPECT_EQ(Check(GetParam().steps).EstimatedDuration(), GetParam().duration);
}

INSTANTIATE_TEST_SUITE_P(
    Estimates, CheckDuration,
    ::testing::Values(
        DurationCase{"Empty", {}, "0:00:00"},
        DurationCase{"DwellsAddUpPastAnHour",
                     {{"DisCharge", "CC", "10", "36000", "3", "0", "0", "1", "NextStep"},
                      {"Suspend", "", "", "3725", "0", "", "", "1", "NextStep"}},
                     "11:02:05"},
        DurationCase{"FirstPointOrSettlingLaterThanTheDwell",
                     {{"Suspend", "", "", "2", "0", "", "", "5", "NextStep"},
                      {"DCIRLow", "CC", "10", "5", "40", "10", "0", "1"}},
                     "0:00:15"},
        DurationCase{"LoopsMultiplyOutCountsRoundedUp",
                     {{"FOR", "", "", "", "3"},
                      {"FOR2", "", "", "", "2.5"},
                      kRest,
                      {"LOOP2"},
                      {"Suspend", "", "", "5", "0", "", "", "1", "NextStep"},
                      {"LOOP"},
                      {"FOR", "", "", "", "0"},
                      kRest,
                      {"LOOP"}},
                     "0:01:55"},
        DurationCase{"PulsesRampsAndLevels",
                     {{"PlusLoad", "20", "2", "100", "100", "1", "5", "10", "NextStep"},
                      {"RAMP ON", "CC", "10", "30", "", "", "", "1"},
                      {"LoadLevel", "CC", "5", "0", "", "", "", "1", "", "60", "1.4", "1"},
                      {"LoadLevel", "CC", "5", "20", "", "", "", "1", "", "60", "1.4", "1"}},
                     "0:00:51"}),
    [](const ::testing::TestParamInfo<DurationCase>& info) { return info.param.name; });
}  // namespace
