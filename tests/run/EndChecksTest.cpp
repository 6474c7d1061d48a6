#include <gtest/gtest.h>

#include "Displays.h"
#include "EndChecks.h"
#include "StepRecord.h"

// The conditions that end a timed step before its dwell, as read from the
// value boxes after a point. A wrong one keeps a load on a battery that
// should have stopped, or cuts a test short.
TEST(EndChecks, StopConditionsFollowTheStepsAction) {
    struct Case {
        const char* action;
        const char* mode;
        const char* stopValue;
        const char* stopAh;
        const char* voltage;
        const char* current;
        const char* ah;
        StopReason expected;
    };
    const Case cases[] = {
        // Discharges end when the voltage falls below the stop value...
        {"DisCharge", "CC", "42", "0", "41.9", "30", "0.1", StopReason::StopValue},
        {"DisCharge", "CC", "42", "0", "42", "30", "0.1", StopReason::None},
        {"DCIRHigh", "CP", "42", "0", "41", "30", "0", StopReason::StopValue},
        // ... in CV mode when the current does, and the stop Ah comes first.
        {"DCIRLow", "CV", "5", "0", "10", "4", "0", StopReason::StopValue},
        {"DisCharge", "CV", "5", "0", "1", "6", "0", StopReason::None},
        {"DisCharge", "CC", "42", "2", "41", "30", "2", StopReason::StopAh},
        {"DisCharge", "CC", "42", "0", "50", "30", "99", StopReason::None},  // 0 Ah: no limit
        // Charges end when the current falls below the stop value, or at their Ah.
        {"Charge", "", "1", "0", "50", "0.5", "0", StopReason::StopValue},
        {"CP-Charge", "CP", "1", "5", "50", "2", "5", StopReason::StopAh},
        {"Charge", "", "1", "5", "50", "2", "1", StopReason::None},
        // A rest ends below its stop voltage only when it has one.
        {"Suspend", "", "45", "", "44", "0", "0", StopReason::StopValue},
        {"Suspend", "", "0", "", "44", "0", "0", StopReason::None},
        // An over-discharge ends as a discharge does.
        {"OverDisCharge", "CC", "42", "0", "41", "30", "0", StopReason::StopValue},
        {"OverDisCharge", "CC", "42", "1", "10", "30", "5", StopReason::StopAh},
        // Other actions end on their dwell alone.
        {"LoadLevel", "CC", "42", "1", "10", "30", "5", StopReason::None},
    };
    for (const Case& c : cases) {
        StepRecord step;
        step[StepField::ActionMode] = c.action;
        step[StepField::LoadModeVolt] = c.mode;
        step[StepField::StopValue] = c.stopValue;
        step[StepField::StopAH] = c.stopAh;
        Displays displays;
        displays.Set(Displays::Voltage, c.voltage);
        displays.Set(Displays::Current, c.current);
        displays.Set(Displays::AmpHours, c.ah);
        EXPECT_EQ(EndChecks(step, displays), c.expected)
            << c.action << " " << c.mode << " stop " << c.stopValue << " V=" << c.voltage
            << " I=" << c.current << " Ah=" << c.ah;
    }
}
