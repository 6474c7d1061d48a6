#include "EndChecks.h"

#include "ActionCatalogue.h"
#include "Displays.h"
#include "NumberText.h"
#include "StepRecord.h"

StopReason EndChecks(const StepRecord& step, const Displays& displays) {
    const QString& action = step[StepField::ActionMode];
    const double stopValue = NumericValue(step[StepField::StopValue]);
    const double stopAh = NumericValue(step[StepField::StopAH]);
    const double voltage = displays.Value(Displays::Voltage);
    const double current = displays.Value(Displays::Current);
    const double ah = displays.Value(Displays::AmpHours);
    const bool ahReached = stopAh > 0 && ah >= stopAh;

    if (action == Action::kCharge || action == Action::kCpCharge) {
        if (stopValue > current) {
            return StopReason::StopValue;
        }
        return ahReached ? StopReason::StopAh : StopReason::None;
    }
    if (Action::IsDischarge(action)) {
        if (ahReached) {
            return StopReason::StopAh;
        }
        const QString& mode = step[StepField::LoadModeVolt];
        if (mode == LoadMode::kCC || mode == LoadMode::kCR || mode == LoadMode::kCP) {
            return stopValue > voltage ? StopReason::StopValue : StopReason::None;
        }
        if (mode == LoadMode::kCV) {
            return stopValue > current ? StopReason::StopValue : StopReason::None;
        }
        return StopReason::None;
    }
    if (action == Action::kSuspend) {
        return stopValue > 0 && stopValue > voltage ? StopReason::StopValue : StopReason::None;
    }
    return StopReason::None;
}
