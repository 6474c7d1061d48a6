#pragma once

#include "SafetyLimits.h"

class Operator;
class StepTable;

// What a start does after the check: the decisions are the engine's, the
// operator only answers.
enum class StartVerdict {
    Go,         // nothing found, or warnings the operator accepted
    Refused,    // errors: the test cannot start
    Cancelled,  // warnings the operator did not accept
};

// Captions of the answers to the warnings.
inline constexpr const char* kStartAnyway = "Start anyway";
inline constexpr const char* kCancelStart = "Cancel";

// Before a run: errors are listed and refuse the start; warnings are listed
// and the operator answers "Start anyway" or "Cancel".
StartVerdict CheckBeforeStart(const StepTable& table, Operator& op,
                              const SafetyLimits& limits = SafetyLimits());

// Once a load has answered with the battery's present voltage: discharges
// that would end at their first point are listed and asked about the same way.
StartVerdict CheckStopVoltages(const StepTable& table, double presentVoltage, Operator& op);

// The "Check" command: every finding and the estimated duration, OK only.
void ShowCheck(const StepTable& table, Operator& op, const SafetyLimits& limits = SafetyLimits());
