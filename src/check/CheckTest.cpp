#include "CheckTest.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "ActionCatalogue.h"
#include "DurationEstimate.h"
#include "LoopPairs.h"
#include "NumberText.h"
#include "StepLimits.h"
#include "StepReading.h"
#include "StepTable.h"

namespace {
using Severity = CheckFinding::Severity;

bool IsOneOf(const QString& action, std::initializer_list<QString> actions) {
    return std::find(actions.begin(), actions.end(), action) != actions.end();
}

// Steps that set a level the load keeps after them.
bool LeavesLoadOn(const QString& action) {
    return IsOneOf(action, {Action::kLoadLevel, Action::kRampOn, Action::kRampOff});
}

// Steps whose ends switch the load off, as far as a following step cares.
bool ReleasesLoad(const QString& action) {
    return Action::IsDischarge(action) || action == Action::kPlusLoad;
}

// The direct-current steps whose set value follows their mode.
bool IsDcStep(const QString& action) {
    return IsOneOf(
        action, {Action::kDisCharge, Action::kOverDisCharge, Action::kDcirLow, Action::kDcirHigh});
}

bool HasGoToTarget(const QString& action) {
    return IsOneOf(action, {Action::kDisCharge, Action::kOverDisCharge, Action::kCharge,
                            Action::kSuspend, Action::kPlusLoad});
}

QString RangeText(const EntryRange& range, const QString& unit) {
    return QStringLiteral("%1 to %2 %3")
        .arg(NumberText(range.minimum), NumberText(range.maximum), unit);
}

bool Outside(double value, const EntryRange& range) {
    return value < range.minimum || value > range.maximum;
}
}  // namespace

bool CheckReport::HasErrors() const {
    return ErrorCount() > 0;
}

int CheckReport::ErrorCount() const {
    return static_cast<int>(std::count_if(findings.cbegin(), findings.cend(),
                                          [](const CheckFinding& f) { return f.IsError(); }));
}

int CheckReport::WarningCount() const {
    return static_cast<int>(findings.size()) - ErrorCount();
}

QStringList CheckReport::Lines() const {
    QStringList lines;
    for (const CheckFinding& finding : findings) {
        lines << finding.Line();
    }
    return lines;
}

QString CheckReport::EstimatedDuration() const {
    const double seconds =
        std::isfinite(estimatedSeconds) ? estimatedSeconds : std::numeric_limits<double>::max();
    return SecondsAsClock(std::round(seconds));
}

CheckReport CheckTest::Run() const {
    CheckReport report;
    Findings& found = report.findings;
    const LoopPairs loops(m_table);
    found += loops.Findings();
    for (int row = 1; row <= m_table.StepCount(); ++row) {
        CheckStep(StepReading(m_table, row), found);
    }
    CheckLoadLeftOn(found);
    const DurationEstimate estimate(m_table, loops);
    found += estimate.Findings();
    for (const QString& problem : m_limits.Problems()) {
        found.push_back({0, CheckFinding::Severity::Error, problem});
    }
    report.estimatedSeconds = estimate.Seconds();
    std::stable_sort(found.begin(), found.end(), [](const CheckFinding& a, const CheckFinding& b) {
        return a.step != b.step ? a.step < b.step : a.IsError() && !b.IsError();
    });
    return report;
}

QVector<CheckFinding> CheckTest::StopVoltageFindings(double presentVoltage) const {
    Findings found;
    for (int row = 1; row <= m_table.StepCount(); ++row) {
        CheckStopVoltage(StepReading(m_table, row), presentVoltage, found);
    }
    return found;
}

void CheckTest::CheckStep(const StepReading& step, Findings& out) const {
    const QString action = step.Action();
    const int n = step.Step();
    if (action.isEmpty()) {
        out.push_back({n, Severity::Error, QStringLiteral("no action; the step would do nothing")});
        return;
    }
    if (!Action::IsKnown(action)) {
        out.push_back(
            {n, Severity::Error,
             QStringLiteral("unknown action \"%1\"; the step would do nothing").arg(action)});
        return;
    }
    if (action == Action::kAcir) {
        out.push_back({n, Severity::Warning,
                       QStringLiteral("ACIR is not carried out by this load; the step only "
                                      "waits and measures")});
    }
    CheckGoTo(step, out);
    CheckNumbers(step, out);
    CheckDcModeRange(step, out);
    CheckMeasureTime(step, out);
    if (action == Action::kDisCharge && step.Value(StepField::StopTime) <= 0 &&
        step.Value(StepField::StopValue) <= 0 && step.Value(StepField::StopAH) <= 0) {
        out.push_back({n, Severity::Warning,
                       QStringLiteral("DisCharge has neither dwell, stop voltage nor stop Ah: "
                                      "it ends at its first point")});
    }
    if (m_presentVoltage) {
        CheckStopVoltage(step, *m_presentVoltage, out);
    }
}

void CheckTest::CheckGoTo(const StepReading& step, Findings& out) const {
    const QString target = step.Text(StepField::GoToStep);
    if (!HasGoToTarget(step.Action()) || target.trimmed().isEmpty()) {
        return;
    }
    for (const QString& named : GoTo::Named()) {
        if (target.compare(named, Qt::CaseInsensitive) == 0) {
            return;
        }
    }
    // A run reads any other target as a step number, as here.
    const double number = NumericValue(target);
    const int targetStep = RoundedInteger(number);
    if (number > 0 && targetStep > m_table.StepCount()) {
        out.push_back({step.Step(), Severity::Error,
                       QStringLiteral("Go To step %1 is beyond the table, which ends at step %2")
                           .arg(targetStep)
                           .arg(m_table.StepCount())});
    }
}

void CheckTest::CheckNumbers(const StepReading& step, Findings& out) const {
    const QString action = step.Action();
    const bool levelStep = LeavesLoadOn(action);
    const EntryRange& currentRange = *LoadLevelValueRange(LoadMode::kCC);
    const EntryRange& powerRange = *LoadLevelValueRange(LoadMode::kCP);
    const auto report = [&](const QString& text) {
        out.push_back({step.Step(), Severity::Error, text});
    };
    for (const NumberCell& cell : step.NumberCells()) {
        const QString name = StepReading::ColumnName(cell.field);
        const QString text = step.Text(cell.field);
        if (!step.HoldsNumber(cell.field)) {
            QString problem = QStringLiteral("%1 \"%2\" is not a number").arg(name, text);
            if (step.HoldsCommaNumber(cell.field)) {
                problem += QStringLiteral(" (this column takes a decimal point: %1)")
                               .arg(QString(text).replace(QLatin1Char(','), QLatin1Char('.')));
            }
            report(problem);
            continue;
        }
        if (text.trimmed().isEmpty()) {
            continue;  // read as 0
        }
        const double value = step.Value(cell.field);
        if (levelStep && cell.field == StepField::CurrentValue) {
            const QString mode = step.Mode();
            if (const EntryRange* range = LoadLevelValueRange(mode)) {
                const QString unit = LoadMode::Unit(mode, action == Action::kLoadLevel);
                if (Outside(value, *range)) {
                    report(QStringLiteral("%1 value %2 %3 is outside the %1 range %4")
                               .arg(mode, NumberText(value), unit, RangeText(*range, unit)));
                }
                continue;
            }
        }
        if (value < 0) {
            report(QStringLiteral("%1 %2 is negative").arg(name, NumberText(value)));
        } else if (cell.quantity == Quantity::Current && value > currentRange.maximum) {
            report(QStringLiteral("%1 %2 A is above the load's %3 A")
                       .arg(name, NumberText(value), NumberText(currentRange.maximum)));
        } else if (cell.quantity == Quantity::Power && value > powerRange.maximum) {
            report(QStringLiteral("%1 %2 W is above the load's %3 W")
                       .arg(name, NumberText(value), NumberText(powerRange.maximum)));
        }
    }
}

void CheckTest::CheckDcModeRange(const StepReading& step, Findings& out) const {
    const QString mode = step.Mode();
    if (!IsDcStep(step.Action()) || (mode != LoadMode::kCV && mode != LoadMode::kCR) ||
        !step.HoldsNumber(StepField::CurrentValue)) {
        return;
    }
    const double value = step.Value(StepField::CurrentValue);
    const EntryRange& range = *LoadLevelValueRange(mode);
    if (value >= 0 && Outside(value, range)) {
        const QString unit = LoadMode::Unit(mode, false);
        out.push_back({step.Step(), Severity::Warning,
                       QStringLiteral("%1 value %2 %3 lies outside the load-level range %4")
                           .arg(mode, NumberText(value), unit, RangeText(range, unit))});
    }
}

void CheckTest::CheckMeasureTime(const StepReading& step, Findings& out) const {
    if (!step.RunsOnStepTimer() || !step.HoldsNumber(StepField::MeasTime) ||
        !step.HoldsNumber(StepField::StopTime)) {
        return;
    }
    const double measT = step.Value(StepField::MeasTime);
    const double dwell = step.Value(StepField::StopTime);
    // An empty discharge has its own warning, which says the same.
    const bool emptyDischarge = step.Action() == Action::kDisCharge && dwell <= 0 &&
                                step.Value(StepField::StopValue) <= 0 &&
                                step.Value(StepField::StopAH) <= 0;
    // A negative dwell is an error of its own.
    if (measT > dwell && dwell >= 0 && !emptyDischarge) {
        out.push_back({step.Step(), Severity::Warning,
                       QStringLiteral("MeasT(s) %1 is longer than the dwell %2 s: the step runs "
                                      "until its first point, after %1 s")
                           .arg(NumberText(measT), NumberText(dwell))});
    }
}

void CheckTest::CheckStopVoltage(const StepReading& step, double presentVoltage,
                                 Findings& out) const {
    const QString mode = step.Mode();
    // The stop value of these steps is a voltage in these modes (a current in CV).
    const bool stopsOnVoltage = Action::IsDischarge(step.Action()) &&
                                IsOneOf(mode, {LoadMode::kCC, LoadMode::kCR, LoadMode::kCP});
    const double stopVoltage = step.Value(StepField::StopValue);
    if (stopsOnVoltage && stopVoltage > presentVoltage) {
        out.push_back({step.Step(), Severity::Warning,
                       QStringLiteral("stop voltage %1 V is above the battery's present %2 V: "
                                      "the step ends at its first point")
                           .arg(NumberText(stopVoltage), NumberText(presentVoltage))});
    }
}

void CheckTest::CheckLoadLeftOn(Findings& out) const {
    int leftOnBy = 0;  // the level or ramp step the load is still on from
    for (int row = 1; row <= m_table.StepCount(); ++row) {
        const QString action = m_table.Cell(row, StepColumn::ActionMode);
        if (LeavesLoadOn(action)) {
            leftOnBy = row;
        } else if (ReleasesLoad(action)) {
            leftOnBy = 0;
        } else if (leftOnBy > 0 &&
                   IsOneOf(action, {Action::kSuspend, Action::kCharge, Action::kCpCharge})) {
            const bool level = m_table.Cell(leftOnBy, StepColumn::ActionMode) == Action::kLoadLevel;
            out.push_back(
                {row, Severity::Warning,
                 QStringLiteral("%1 follows the %2 of step %3, so the load stays on "
                                "through it")
                     .arg(action, level ? QStringLiteral("load level") : QStringLiteral("ramp"))
                     .arg(leftOnBy)});
        }
    }
}
