#include "DurationEstimate.h"

#include <algorithm>
#include <cmath>

#include "ActionCatalogue.h"
#include "LoopPairs.h"
#include "NumberText.h"
#include "StepReading.h"
#include "StepTable.h"

namespace {
double NotNegative(double value) {
    return std::max(value, 0.0);
}
}  // namespace

DurationEstimate::DurationEstimate(const StepTable& table, const LoopPairs& loops)
    : m_table(table), m_loops(loops) {
    m_seconds = Span(1, table.StepCount(), 1);
}

double DurationEstimate::StepSeconds(const StepReading& step) {
    using F = StepField;
    const QString action = step.Action();
    const double dwell = NotNegative(step.Value(F::StopTime));
    if (step.RunsOnStepTimer()) {
        // The dwell is only looked at when a point is taken.
        double seconds = std::max(dwell, NotNegative(step.Value(F::MeasTime)));
        if (Action::IsDischarge(action)) {
            // The settling wait before the first point is part of the step.
            seconds = std::max(seconds, NotNegative(step.Value(F::StableTime)));
        }
        return seconds;
    }
    if (action == Action::kRampOn || action == Action::kRampOff) {
        return dwell;
    }
    if (action == Action::kPlusLoad) {
        // Setup time, then the cycles of high and low time, all in ms.
        const double cycleMs =
            NotNegative(step.Value(F::StopTime)) + NotNegative(step.Value(F::StopValue));
        return (NotNegative(step.Value(F::MeasTime)) +
                NotNegative(step.Value(F::StopAH)) * cycleMs) /
               1000.0;
    }
    return 0;
}

double DurationEstimate::LoopPasses(const StepReading& forStep) {
    // A run counts the cell down by one per pass while it is above 1.
    return std::max(1.0, std::ceil(forStep.Value(StepField::StopValue)));
}

double DurationEstimate::Span(int first, int last, double passesAround) {
    double seconds = 0;
    for (int row = first; row <= last; ++row) {
        const StepReading step(m_table, row);
        const int end = m_loops.LoopEndOf(row);
        if (!Action::OpensLoop(step.Action()) || end <= row || end > last) {
            seconds += StepSeconds(step);
            continue;
        }
        const double passes = LoopPasses(step);
        const double body = Span(row + 1, end - 1, passesAround * passes);
        if (body == 0 && passesAround * passes > kRunawayPasses) {
            const QString steps = end == row + 1 ? QStringLiteral("no steps")
                                  : end == row + 2
                                      ? QStringLiteral("step %1").arg(row + 1)
                                      : QStringLiteral("steps %1 to %2").arg(row + 1).arg(end - 1);
            m_findings.push_back(
                {row, CheckFinding::Severity::Error,
                 QStringLiteral("%1 makes %2 passes through %3, which take no time: the run "
                                "would race through them without a pause")
                     .arg(step.Action(), NumberText(passesAround * passes), steps)});
        }
        seconds += passes * body;
        row = end;
    }
    return seconds;
}
