#pragma once

class Displays;
struct StepRecord;

// Why a step ended, or that it goes on.
enum class StopReason {
    None,       // no end condition met: the step goes on
    StepOver,   // its dwell is over, or it ran to its end
    StopValue,  // its stop value was crossed, or its pulse test failed
    StopAh,     // the charge since the step began reached its stop Ah
};

// The end conditions of a timed step after a measurement point, read from
// the value boxes the point filled: charge steps end when the current falls
// below the stop value, discharge and DCIR steps when the voltage (the
// current in CV mode) does, a rest when the voltage does; charge and
// discharge steps also end at their stop Ah. The dwell is the caller's.
StopReason EndChecks(const StepRecord& step, const Displays& displays);
